#include "figure/figure.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/byte_fields.h"
#include "store/part_data.h"
#include "store/part_files.h"

namespace figure {

namespace {

// sin of 0-90 degrees times 16384, rounded: a table, so that no platform's
// floating point decides a pixel.
const int16_t kSineQuadrant[91] = {
    0,     286,   572,   857,   1143,  1428,  1713,  1997,  2280,  2563,  2845,  3126,  3406,
    3686,  3964,  4240,  4516,  4790,  5063,  5334,  5604,  5872,  6138,  6402,  6664,  6924,
    7182,  7438,  7692,  7943,  8192,  8438,  8682,  8923,  9162,  9397,  9630,  9860,  10087,
    10311, 10531, 10749, 10963, 11174, 11381, 11585, 11786, 11982, 12176, 12365, 12551, 12733,
    12911, 13085, 13255, 13421, 13583, 13741, 13894, 14044, 14189, 14330, 14466, 14598, 14726,
    14849, 14968, 15082, 15191, 15296, 15396, 15491, 15582, 15668, 15749, 15826, 15897, 15964,
    16026, 16083, 16135, 16182, 16225, 16262, 16294, 16322, 16344, 16362, 16374, 16382, 16384};

// Offsets of placed parts stay within this bound, so that no sum of them
// overflows.
constexpr int32_t kOffsetBound = 1 << 24;

int32_t clamp_offset(int64_t v) {
  return static_cast<int32_t>(std::max<int64_t>(-kOffsetBound, std::min<int64_t>(kOffsetBound, v)));
}

struct Sink {
  Figure* figure;
  int32_t dx, dy;
  void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (figure->segments.size() < kMaxSegments)
      figure->segments.push_back({x0 + dx, y0 + dy, x1 + dx, y1 + dy});
  }
};

// Chords of at most 5 degrees.
void add_arc(Sink* sink, const uint8_t* e) {
  const int32_t cx = plat::get_i16(e + 7), cy = plat::get_i16(e + 9), r = plat::get_u16(e + 11);
  const int32_t start = plat::get_i16(e + 13);
  int32_t sweep = plat::get_i16(e + 15);
  if (sweep >= 360 || sweep <= -360) sweep = 360;
  if (sweep == 0 || r == 0) return;
  const int32_t steps = (std::abs(sweep) + 4) / 5;
  auto point = [&](int32_t k, int32_t* x, int32_t* y) {
    // The angle of chord end k, rounded to a whole degree.
    const int32_t twice = 2 * sweep * k / steps;
    const int32_t a = start + (twice >= 0 ? (twice + 1) / 2 : -((1 - twice) / 2));
    *x = cx + static_cast<int32_t>((static_cast<int64_t>(r) * cos_q14(a) + 8192) >> 14);
    *y = cy + static_cast<int32_t>((static_cast<int64_t>(r) * sin_q14(a) + 8192) >> 14);
  };
  int32_t x0, y0;
  point(0, &x0, &y0);
  for (int32_t k = 1; k <= steps; ++k) {
    int32_t x1, y1;
    point(k, &x1, &y1);
    sink->line(x0, y0, x1, y1);
    x0 = x1, y0 = y1;
  }
}

// Seven strokes a, b, c, d, e, f, g (top, top right, bottom right, bottom,
// bottom left, top left, middle) as bits 0-6.
uint8_t strokes_of(char c) {
  static const uint8_t kDigits[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  if (c >= '0' && c <= '9') return kDigits[c - '0'];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  switch (c) {
    case '-': return 0x40;
    case 'A': return 0x77;
    case 'B': return 0x7C;
    case 'C': return 0x39;
    case 'D': return 0x5E;
    case 'E': return 0x79;
    case 'F': return 0x71;
    case 'H': return 0x76;
    case 'L': return 0x38;
    case 'P': return 0x73;
    case 'U': return 0x3E;
    default: return 0;
  }
}

void add_text(Sink* sink, const uint8_t* e, size_t length) {
  const int32_t x = plat::get_i16(e + 7), y = plat::get_i16(e + 9), h = plat::get_u16(e + 11);
  const size_t count = std::min<size_t>(e[13], length - kTextHead);
  const int32_t w = h / 2, m = h / 2, advance = h * 3 / 4;
  for (size_t n = 0; n < count; ++n) {
    const char c = static_cast<char>(e[kTextHead + n]);
    const int32_t left = x + static_cast<int32_t>(n) * advance;
    if (c == ' ') continue;
    const uint8_t s = strokes_of(c);
    if (!s) {  // a character without strokes: a cross in its box
      sink->line(left, y, left + w, y + h);
      sink->line(left, y + h, left + w, y);
      continue;
    }
    const int32_t r = left + w, top = y + h, mid = y + m;
    const int32_t ends[7][4] = {{left, top, r, top}, {r, top, r, mid},     {r, mid, r, y},
                                {left, y, r, y},     {left, y, left, mid}, {left, mid, left, top},
                                {left, mid, r, mid}};
    for (int k = 0; k < 7; ++k)
      if (s & (1 << k)) sink->line(ends[k][0], ends[k][1], ends[k][2], ends[k][3]);
  }
}

}  // namespace

int32_t sin_q14(int degrees) {
  int a = degrees % 360;
  if (a < 0) a += 360;
  if (a <= 90) return kSineQuadrant[a];
  if (a <= 180) return kSineQuadrant[180 - a];
  if (a <= 270) return -kSineQuadrant[a - 180];
  return -kSineQuadrant[360 - a];
}

int32_t cos_q14(int degrees) { return sin_q14(degrees % 360 + 90); }

void parse_elements(const uint8_t* stream, size_t size, int32_t dx, int32_t dy, Figure* figure,
                    std::vector<Reference>* references) {
  Sink sink{figure, dx, dy};
  size_t at = 0;
  while (size - at >= store::kElementTypeOffset + 2) {
    const uint8_t* e = stream + at;
    const size_t declared = plat::get_u16(e + store::kElementLengthOffset);
    if (declared == 0) break;
    const size_t length = std::min(declared, size - at);  // the bytes there are
    switch (plat::get_u16(e + store::kElementTypeOffset)) {
      case kLineElement:
        if (length >= kLineLength)
          sink.line(plat::get_i16(e + 7), plat::get_i16(e + 9), plat::get_i16(e + 11),
                    plat::get_i16(e + 13));
        break;
      case kPolylineElement:
        if (length >= kPolylineHead) {
          const size_t count = std::min<size_t>(plat::get_u16(e + 7), (length - kPolylineHead) / 4);
          const bool closed = plat::get_u16(e + 9) & 1;
          const uint8_t* p = e + kPolylineHead;
          for (size_t n = 1; n < count; ++n)
            sink.line(plat::get_i16(p + 4 * n - 4), plat::get_i16(p + 4 * n - 2),
                      plat::get_i16(p + 4 * n), plat::get_i16(p + 4 * n + 2));
          if (closed && count > 2)
            sink.line(plat::get_i16(p + 4 * count - 4), plat::get_i16(p + 4 * count - 2),
                      plat::get_i16(p), plat::get_i16(p + 2));
        }
        break;
      case kArcElement:
        if (length >= kArcLength) add_arc(&sink, e);
        break;
      case kTextElement:
        if (length >= kTextHead) add_text(&sink, e, length);
        break;
      case kReferenceElement:
        if (length >= kReferenceLength) {
          const int32_t part = plat::get_u16(e + store::kReferencedPartOffset);
          if (part > 0)
            references->push_back({part, clamp_offset(int64_t{dx} + plat::get_i16(e + 7)),
                                   clamp_offset(int64_t{dy} + plat::get_i16(e + 9))});
        }
        break;
      default: break;
    }
    at += length;
  }
}

void load_figure(int32_t part, const StreamSource& source, Figure* figure) {
  std::set<int32_t> taken = {part};
  std::vector<Reference> pending = {{part, 0, 0}};
  std::vector<uint8_t> stream;
  while (!pending.empty()) {
    const Reference next = pending.back();
    pending.pop_back();
    stream.clear();
    if (!source(next.part, &stream)) continue;
    std::vector<Reference> found;
    parse_elements(stream.data(), stream.size(), next.dx, next.dy, figure, &found);
    // In stream order: the first reference is taken next.
    for (auto r = found.rbegin(); r != found.rend(); ++r)
      if (taken.insert(r->part).second) pending.push_back(*r);
  }
}

void load_part_figure(const char* program_directory, int32_t part, Figure* figure) {
  load_figure(
      part,
      [program_directory](int32_t p, std::vector<uint8_t>* stream) {
        const std::string path =
            store::part_file_path(program_directory, store::PartFileVariant::Current, p);
        return store::read_element_stream(path.c_str(), stream) == 0;
      },
      figure);
}

void Picture::resize(int w, int h) {
  width = std::max(0, w), height = std::max(0, h);
  pixels.assign(static_cast<size_t>(width) * height, 0);
}

uint32_t background_colour(int background) { return background ? 0x000000 : 0xFFFFFF; }
uint32_t line_colour(int background) { return background ? 0x00FF00 : 0x000000; }

int margin_of(int width, int height) { return std::max(2, std::min(width, height) / 16); }

void draw_line(Picture* picture, int x0, int y0, int x1, int y1, uint32_t colour) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    if (x0 >= 0 && y0 >= 0 && x0 < picture->width && y0 < picture->height)
      picture->pixels[static_cast<size_t>(y0) * picture->width + x0] = colour;
    if (x0 == x1 && y0 == y1) break;
    const int twice = 2 * error;
    if (twice >= dy) error += dy, x0 += sx;
    if (twice <= dx) error += dx, y0 += sy;
  }
}

void draw_figure(const Figure& figure, int angle_degrees, int background, Picture* picture) {
  std::fill(picture->pixels.begin(), picture->pixels.end(), background_colour(background));
  const int margin = margin_of(picture->width, picture->height);
  const int64_t room_x = picture->width - 1 - 2 * margin, room_y = picture->height - 1 - 2 * margin;
  if (figure.segments.empty() || room_x < 0 || room_y < 0) return;

  // Centre of the bounding box, in doubled units so that it is whole.
  int32_t min_x = figure.segments[0].x0, max_x = min_x, min_y = figure.segments[0].y0,
          max_y = min_y;
  for (const Segment& s : figure.segments) {
    min_x = std::min({min_x, s.x0, s.x1}), max_x = std::max({max_x, s.x0, s.x1});
    min_y = std::min({min_y, s.y0, s.y1}), max_y = std::max({max_y, s.y0, s.y1});
  }
  const int64_t cx = int64_t{min_x} + max_x, cy = int64_t{min_y} + max_y;
  const int64_t c = cos_q14(angle_degrees), s = sin_q14(angle_degrees);

  // Turned points, doubled units times 16384.
  std::vector<int64_t> turned(figure.segments.size() * 4);
  for (size_t n = 0; n < figure.segments.size(); ++n) {
    const Segment& g = figure.segments[n];
    const int32_t xy[4] = {g.x0, g.y0, g.x1, g.y1};
    for (int k = 0; k < 4; k += 2) {
      const int64_t x = 2 * int64_t{xy[k]} - cx, y = 2 * int64_t{xy[k + 1]} - cy;
      turned[4 * n + k] = x * c - y * s;
      turned[4 * n + k + 1] = x * s + y * c;
    }
  }
  int64_t lo_x = turned[0], hi_x = lo_x, lo_y = turned[1], hi_y = lo_y;
  for (size_t k = 0; k < turned.size(); k += 2) {
    lo_x = std::min(lo_x, turned[k]), hi_x = std::max(hi_x, turned[k]);
    lo_y = std::min(lo_y, turned[k + 1]), hi_y = std::max(hi_y, turned[k + 1]);
  }
  // Scale num / den: the direction with less room per unit decides.
  const int64_t span_x = hi_x - lo_x, span_y = hi_y - lo_y;
  int64_t num = 0, den = 1;
  if (span_x > 0 || span_y > 0) {
    if (span_x * room_y >= span_y * room_x)
      num = room_x, den = span_x;
    else
      num = room_y, den = span_y;
  }
  const int64_t left = margin + (room_x - span_x * num / den) / 2,
                top = margin + (room_y - span_y * num / den) / 2;
  auto px = [&](int64_t x) { return static_cast<int>(left + ((x - lo_x) * num + den / 2) / den); };
  auto py = [&](int64_t y) { return static_cast<int>(top + ((hi_y - y) * num + den / 2) / den); };
  const uint32_t colour = line_colour(background);
  for (size_t k = 0; k < turned.size(); k += 4)
    draw_line(picture, px(turned[k]), py(turned[k + 1]), px(turned[k + 2]), py(turned[k + 3]),
              colour);
}

}  // namespace figure
