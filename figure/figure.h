// Part figures: the geometry of a part's element stream, with the parts it
// refers to placed into it, and a deterministic rasteriser that draws a
// figure into a memory picture of 32-bit pixels. The element layouts are in
// docs/figure-elements.md. Everything is integer arithmetic, so one input
// gives the same pixels on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace figure {

// Element types that draw; every other type draws nothing.
constexpr uint16_t kLineElement = 1;
constexpr uint16_t kPolylineElement = 2;
constexpr uint16_t kArcElement = 3;
constexpr uint16_t kTextElement = 4;
constexpr uint16_t kReferenceElement = 71;  // store::kPartReferenceElement

constexpr size_t kLineLength = 15;
constexpr size_t kPolylineHead = 11;  // count, flags; then 4 bytes a point
constexpr size_t kArcLength = 17;
constexpr size_t kTextHead = 14;  // position, height, count; then the characters
constexpr size_t kReferenceLength = 49;

// One figure may hold this many segments; elements past it draw nothing.
constexpr size_t kMaxSegments = 1u << 20;

struct Segment {
  int32_t x0, y0, x1, y1;  // model units, y up
};

struct Figure {
  std::vector<Segment> segments;
};

struct Reference {
  int32_t part;    // 1-65535
  int32_t dx, dy;  // where its figure is placed
};

// Adds the geometry of a stream's elements, moved by (dx, dy), to figure
// and the parts its reference elements name to references. The walk goes
// from element to element by their lengths and stops at a length of 0 or
// where fewer than 7 bytes remain; an element reaching past the stream is
// read only as far as the bytes go, and a field outside its element is not
// read.
void parse_elements(const uint8_t* stream, size_t size, int32_t dx, int32_t dy, Figure* figure,
                    std::vector<Reference>* references);

// Gives a part's element stream; false when the part has none.
using StreamSource = std::function<bool(int32_t part, std::vector<uint8_t>* stream)>;

// The figure of a part with the figures of every part it refers to, directly
// or through others, each part taken at most once (a cycle ends).
void load_figure(int32_t part, const StreamSource& source, Figure* figure);

// The same from the part files of the parts store under program_directory.
void load_part_figure(const char* program_directory, int32_t part, Figure* figure);

// A picture of width x height pixels, rows top down, each 0x00RRGGBB (the
// memory order of a 32-bit top-down DIB).
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  void resize(int w, int h);
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Background flag 0: white paper with black lines; any other value: a black
// screen with green lines.
uint32_t background_colour(int background);
uint32_t line_colour(int background);

// Pixels kept free at each edge of a picture.
int margin_of(int width, int height);

// Fills the picture with the background and draws the figure turned by
// angle degrees (counter-clockwise) about its centre, scaled to fill the
// picture within the margin and centred, y upward.
void draw_figure(const Figure& figure, int angle_degrees, int background, Picture* picture);

// A line between two pixels (clipped to the picture), Bresenham's walk.
void draw_line(Picture* picture, int x0, int y0, int x1, int y1, uint32_t colour);

// sin and cos of whole degrees, times 16384.
int32_t sin_q14(int degrees);
int32_t cos_q14(int degrees);

}  // namespace figure
