// Part figures: element geometry checked against pictures built here from
// the known shapes, hostile streams, and reference cycles.
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "figure/figure.h"
#include "tests/support/ok.h"

namespace {

// An element: its length at 3, type at 5, then 16-bit fields from 7 on.
std::string element(unsigned type, size_t length, std::initializer_list<int> fields) {
  std::string bytes(length, '\0');
  bytes[3] = (char)(length & 0xFF), bytes[4] = (char)(length >> 8), bytes[5] = (char)type;
  size_t at = 7;
  for (int v : fields)
    bytes[at] = (char)(v & 0xFF), bytes[at + 1] = (char)((v >> 8) & 0xFF), at += 2;
  return bytes;
}

figure::Figure parse(const std::string& s, std::vector<figure::Reference>* refs = nullptr) {
  figure::Figure f;
  std::vector<figure::Reference> found;
  figure::parse_elements((const uint8_t*)s.data(), s.size(), 0, 0, &f, refs ? refs : &found);
  return f;
}

figure::Picture draw(const figure::Figure& f, int angle, int background = 0) {
  figure::Picture p;
  p.resize(64, 64);
  figure::draw_figure(f, angle, background, &p);
  return p;
}

// A picture of the background with the given pixels in the line colour.
figure::Picture expected(const std::vector<std::pair<int, int>>& on, int background = 0) {
  figure::Picture p;
  p.resize(64, 64);
  for (uint32_t& v : p.pixels) v = figure::background_colour(background);
  for (auto& xy : on) p.pixels[xy.second * 64 + xy.first] = figure::line_colour(background);
  return p;
}

int differing(const figure::Picture& a, const figure::Picture& b) {
  int n = 0;
  for (size_t k = 0; k < a.pixels.size(); ++k) n += a.pixels[k] != b.pixels[k];
  return n;
}

}  // namespace

// 64 x 64 pixels leave a margin of 4: a figure spans pixels 4 to 59.
TEST(shapes_match_pictures_built_from_their_geometry) {
  ok(figure::margin_of(64, 64) == 4, "margin %d\n", figure::margin_of(64, 64));
  // A square as a closed polyline: its outline on the margin, at 0 and 90
  // degrees, on either background.
  const figure::Figure square =
      parse(element(2, 11 + 16, {4, 1, 0, 0, 1000, 0, 1000, 1000, 0, 1000}));
  std::vector<std::pair<int, int>> outline;
  for (int k = 4; k <= 59; ++k) outline.insert(outline.end(), {{k, 4}, {k, 59}, {4, k}, {59, k}});
  for (int background : {0, 1})
    for (int angle : {0, 90, -270})
      ok(differing(draw(square, angle, background), expected(outline, background)) == 0,
         "square at %d on %d: %d pixels differ\n", angle, background,
         differing(draw(square, angle, background), expected(outline, background)));
  ok(figure::background_colour(0) != figure::background_colour(1) &&
         figure::line_colour(0) != figure::background_colour(0) &&
         figure::line_colour(1) != figure::background_colour(1),
     "backgrounds do not contrast\n");

  // A horizontal line turned: a row, a diagonal, a column, the other
  // diagonal; half a turn gives the same row.
  const figure::Figure line = parse(element(1, 15, {-500, 7, 500, 7}));
  std::vector<std::pair<int, int>> row, rising, column, falling;
  for (int k = 4; k <= 59; ++k) {
    row.push_back({k, 31}), column.push_back({31, k});
    rising.push_back({k, 63 - k}), falling.push_back({k, k});
  }
  const std::pair<int, const std::vector<std::pair<int, int>>*> turns[] = {
      {0, &row}, {45, &rising}, {90, &column}, {135, &falling}, {180, &row}, {405, &rising}};
  for (auto& t : turns)
    ok(differing(draw(line, t.first), expected(*t.second)) == 0, "line at %d: %d pixels differ\n",
       t.first, differing(draw(line, t.first), expected(*t.second)));

  // A full circle against the ideal one: every lit pixel lies on it within a
  // pixel, and every point of it has a lit pixel within a pixel.
  const figure::Figure circle = parse(element(3, 17, {300, -200, 2000, 40, 360}));
  const figure::Picture p = draw(circle, 30);
  const double c = 31.5, r = 27.5, kPi = 3.14159265358979323846;
  int off = 0, missed = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if (p.at(x, y) != figure::background_colour(0))
        off += std::fabs(std::hypot(x - c, y - c) - r) > 1.0;
  for (int a = 0; a < 360; ++a) {
    const int x = (int)std::lround(c + r * std::cos(a * kPi / 180)),
              y = (int)std::lround(c + r * std::sin(a * kPi / 180));
    bool lit = false;
    for (int v = -1; v <= 1; ++v)
      for (int u = -1; u <= 1; ++u)
        lit |= x + u >= 0 && x + u < 64 && y + v >= 0 && y + v < 64 &&
               p.at(x + u, y + v) != figure::background_colour(0);
    missed += !lit;
  }
  ok(off == 0 && missed == 0, "circle: %d pixels off it, %d points without a pixel\n", off, missed);

  // A quarter arc runs from its start to its end in 5-degree chords.
  const figure::Figure arc = parse(element(3, 17, {10, 20, 1000, 0, 90}));
  ok(arc.segments.size() == 18 && arc.segments[0].x0 == 1010 && arc.segments[0].y0 == 20 &&
         arc.segments[17].x1 == 10 && arc.segments[17].y1 == 1020,
     "arc: %d chords\n", (int)arc.segments.size());
}

TEST(hostile_streams_and_reference_cycles) {
  // Text: "18" has 2 + 7 strokes, a blank none, '#' a cross of 2; a count
  // past the element reads only the characters in it.
  std::string text = element(4, 18, {0, 0, 100});
  text[13] = (char)200, text.replace(14, 4, "18 #");
  ok(parse(text).segments.size() == 11, "text: %d strokes\n", (int)parse(text).segments.size());

  // A polyline whose count reaches past its element, an unknown type, a
  // line: 2 + 0 + 1 segments. Then an element longer than the stream
  // (read as far as the bytes go: a line needs all 15).
  std::string polyline = element(2, 11 + 12, {1000, 0, 0, 0, 10, 0, 10, 10});
  const std::string stream =
      polyline + element(9, 40, {}) + element(1, 15, {1, 2, 3, 4}) + element(1, 15, {5, 6, 7, 8});
  ok(parse(stream).segments.size() == 3 + 1, "stream: %d segments\n",
     (int)parse(stream).segments.size());
  ok(parse(stream.substr(0, stream.size() - 1)).segments.size() == 3, "cut element drawn\n");
  // A length of 0 ends the walk; so do fewer than 7 bytes.
  std::string zero = element(1, 15, {0, 0, 1, 1});
  zero[3] = 0;
  ok(parse(zero + element(1, 15, {0, 0, 1, 1})).segments.empty() &&
         parse(std::string(6, '\x0F')).segments.empty(),
     "walked past the end\n");

  // 10 -> 11 (placed at 100, 50) and 10 -> 10; 11 -> 10 and 11 -> 12,
  // which has no stream. Each part's figure comes once.
  auto reference = [](int part, int dx, int dy) {
    std::string e = element(71, 49, {dx, dy});
    e[47] = (char)(part & 0xFF), e[48] = (char)(part >> 8);
    return e;
  };
  std::map<int32_t, std::string> parts = {
      {10, element(1, 15, {0, 0, 1, 1}) + reference(11, 100, 50) + reference(10, 0, 0)},
      {11, element(1, 15, {2, 2, 3, 3}) + reference(10, 0, 0) + reference(12, 0, 0) +
               reference(40000, -7, 0)}};
  int asked = 0;
  figure::Figure f;
  figure::load_figure(
      10,
      [&](int32_t part, std::vector<uint8_t>* s) {
        ++asked;
        auto found = parts.find(part);
        if (found == parts.end()) return false;
        s->assign(found->second.begin(), found->second.end());
        return true;
      },
      &f);
  ok(asked == 4, "%d parts asked for\n", asked);
  ok(f.segments.size() == 2 && f.segments[1].x0 == 102 && f.segments[1].y1 == 53, "%d segments\n",
     (int)f.segments.size());
}
