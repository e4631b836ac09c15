// Pixel buffers and the few drawing tools the skin is made with: flat fills,
// bevels, anti-aliased shapes given as inside tests, and two bitmap fonts.
// Only arithmetic and std::sqrt are used, so a run gives the same bytes
// every time on every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace pix::art {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// a + (b - a) * t, per channel, rounded; t in [0, 1].
Rgb Mix(Rgb a, Rgb b, double t);
// Scales every channel by f (above 1 lightens), clamped.
Rgb Shade(Rgb c, double f);

// The scale pictures are drawn at, in percent of the design's pixels (100:
// the design itself, at 96 dpi). An Image made while a DrawingScale is in
// force holds that many more pixels; its drawing calls still take the
// design's coordinates, and a design pixel covers the pixels from
// Scaled(x) up to Scaled(x + 1).
class DrawingScale {
 public:
  explicit DrawingScale(int percent);
  DrawingScale(const DrawingScale&) = delete;
  DrawingScale& operator=(const DrawingScale&) = delete;
  ~DrawingScale();
  static int Current();

 private:
  int previous_;
};

// A design coordinate at a scale: v * percent / 100, halves rounded up.
int ScaledCoordinate(int v, int percent);

class Image {
 public:
  // `width` x `height` design pixels at the scale in force.
  Image(int width, int height, Rgb fill = {});

  // The design's size.
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  int Percent() const { return percent_; }
  int Scaled(int v) const { return ScaledCoordinate(v, percent_); }

  // The design pixel's colour: that of the first pixel it covers.
  Rgb At(int x, int y) const { return Pixel(Scaled(x), Scaled(y)); }
  // Writes outside the picture are dropped, so shapes may overhang an edge.
  void Set(int x, int y, Rgb c) { FillRect(x, y, 1, 1, c); }
  void Blend(int x, int y, Rgb c, double alpha);

  void FillRect(int x, int y, int w, int h, Rgb c);
  // Top to bottom, from `top` colour to `bottom` colour.
  void FillGradient(int x, int y, int w, int h, Rgb top, Rgb bottom);
  void HLine(int x, int y, int w, Rgb c) { FillRect(x, y, w, 1, c); }
  void VLine(int x, int y, int h, Rgb c) { FillRect(x, y, 1, h, c); }
  // One-pixel edge: `topLeft` on the top and left sides, `bottomRight` on the others.
  void Edge(int x, int y, int w, int h, Rgb topLeft, Rgb bottomRight);
  // A picture of the same scale, its top-left corner at design pixel (x, y).
  void Blit(const Image& source, int x, int y);

  // The pixels as drawn, at the picture's scale.
  int PixelWidth() const { return pixelWidth_; }
  int PixelHeight() const { return pixelHeight_; }
  bool ContainsPixel(int i, int j) const { return i >= 0 && j >= 0 && i < pixelWidth_ && j < pixelHeight_; }
  Rgb Pixel(int i, int j) const { return pixels_[Index(i, j)]; }
  void SetPixel(int i, int j, Rgb c) {
    if (ContainsPixel(i, j)) pixels_[Index(i, j)] = c;
  }
  void BlendPixel(int i, int j, Rgb c, double alpha) {
    if (ContainsPixel(i, j)) pixels_[Index(i, j)] = Mix(pixels_[Index(i, j)], c, alpha);
  }

  friend bool operator==(const Image&, const Image&) = default;

 private:
  std::size_t Index(int i, int j) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(pixelWidth_) + static_cast<std::size_t>(i);
  }

  int width_;
  int height_;
  int percent_;
  int pixelWidth_;
  int pixelHeight_;
  std::vector<Rgb> pixels_;
};

// A shape is a test whether a point (pixel centres lie at +0.5) is inside.
using Shape = std::function<bool(double x, double y)>;

// Paints the shape with 4 x 4 samples per pixel within the box given (in
// design pixels), so its edges come out smooth at the picture's scale.
// `opacity` scales the coverage.
void Paint(Image& image, const Shape& shape, Rgb colour, int x, int y, int w, int h, double opacity = 1.0);

Shape Disc(double cx, double cy, double radius);
Shape Ring(double cx, double cy, double inner, double outer);
// A stroke of round ends from (x0, y0) to (x1, y1), `radius` half its width.
Shape Capsule(double x0, double y0, double x1, double y1, double radius);
Shape RoundRect(double x, double y, double w, double h, double radius);
Shape Triangle(double ax, double ay, double bx, double by, double cx, double cy);
// The part of `shape` whose direction from (cx, cy) lies counter-clockwise
// (on screen, y down) from the direction (fromX, fromY) up to (toX, toY).
Shape Sector(Shape shape, double cx, double cy, double fromX, double fromY, double toX, double toY);
Shape Box(double x, double y, double w, double h);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Minus(Shape a, Shape b);

enum class FontFace {
  Text,  // 5 x 7 with descenders, upper and lower case
  Tiny,  // 3 x 5 capitals and digits, for the panel's labels
};

int FontHeight(FontFace face);
int TextWidth(FontFace face, std::string_view text, int scale = 1);
// Calls `dot` for every set font pixel of the text, at (x, y) the top-left of
// its first cell, each font pixel covering scale x scale picture pixels.
void ForEachTextDot(FontFace face, std::string_view text, int x, int y, int scale,
                    const std::function<void(int dotX, int dotY)>& dot);
void DrawText(Image& image, FontFace face, std::string_view text, int x, int y, Rgb colour);
void DrawTextCentred(Image& image, FontFace face, std::string_view text, int centreX, int y, Rgb colour);

}  // namespace pix::art
