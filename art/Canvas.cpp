#include "art/Canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace pix::art {

namespace {

std::uint8_t Channel(double v) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
}

// A monotonic stand-in for the angle of (x, y), y up, in [0, 4): it orders
// directions like atan2 does without needing the maths library.
double PseudoAngle(double x, double y) {
  if (x == 0 && y == 0) return 0;
  if (y >= 0) return x >= 0 ? y / (x + y) : 1 + (-x) / (-x + y);
  return x < 0 ? 2 + (-y) / (-x - y) : 3 + x / (x - y);
}

double Wrap4(double a) {
  return a < 0 ? a + 4 : a;
}

// Rows top to bottom; a glyph is as wide as its first row. Rows left out are blank.
struct FontGlyph {
  char c;
  std::array<std::string_view, 9> rows;
};

// Cap height 7 (rows 0 to 6), descenders in rows 7 and 8.
constexpr FontGlyph kTextFont[] = {
    {' ', {"...", "...", "...", "...", "...", "...", "..."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'J', {"..###", "...#.", "...#.", "...#.", "#..#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'b', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####."}},
    {'c', {"....", "....", ".###", "#...", "#...", "#...", ".###"}},
    {'d', {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'f', {"..##", ".#..", "####", ".#..", ".#..", ".#..", ".#.."}},
    {'g', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'h', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {'i', {"#", ".", "#", "#", "#", "#", "#"}},
    {'j', {"..#", "...", ".##", "..#", "..#", "..#", "..#", "#.#", ".#."}},
    {'k', {"#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"}},
    {'l', {"##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"}},
    {'n', {".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'q', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"}},
    {'r', {"....", "....", "#.##", "##..", "#...", "#...", "#..."}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'t', {".#..", ".#..", "####", ".#..", ".#..", ".#..", "..##"}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####"}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'w', {".....", ".....", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'y', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."}},
    {'.', {".", ".", ".", ".", ".", ".", "#"}},
    {',', {"..", "..", "..", "..", "..", ".#", ".#", "#."}},
    {'-', {"....", "....", "....", "####", "....", "....", "...."}},
    {'_', {".....", ".....", ".....", ".....", ".....", ".....", "#####"}},
    {':', {".", ".", "#", ".", ".", "#", "."}},
    {'!', {"#", "#", "#", "#", "#", ".", "#"}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {'/', {"....#", "...#.", "...#.", "..#..", ".#...", ".#...", "#...."}},
    {'(', {"..#", ".#.", "#..", "#..", "#..", ".#.", "..#"}},
    {')', {"#..", ".#.", "..#", "..#", "..#", ".#.", "#.."}},
    {'>', {"#...", ".#..", "..#.", "...#", "..#.", ".#..", "#..."}},
    {'<', {"...#", "..#.", ".#..", "#...", ".#..", "..#.", "...#"}},
};

// Cap height 5.
constexpr FontGlyph kTinyFont[] = {
    {' ', {"..", "..", "..", "..", ".."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},
    {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}},
    {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
    {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#...#", "#...#", "#.#.#", "##.##", "#...#"}},
    {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},
    {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}},
    {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},
    {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}},
    {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},
    {'9', {"###", "#.#", "###", "..#", "##."}},
    {'-', {"...", "...", "###", "...", "..."}},
    {'.', {".", ".", ".", ".", "#"}},
};

template <std::size_t N>
const FontGlyph* Find(const FontGlyph (&font)[N], char c) {
  for (const FontGlyph& glyph : font) {
    if (glyph.c == c) return &glyph;
  }
  return nullptr;
}

const FontGlyph& GlyphOf(FontFace face, char c) {
  const FontGlyph* glyph = face == FontFace::Text ? Find(kTextFont, c) : Find(kTinyFont, c);
  // A character the font lacks shows as a gap rather than stopping the run.
  if (glyph == nullptr) glyph = face == FontFace::Text ? &kTextFont[0] : &kTinyFont[0];
  return *glyph;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  return {Channel(a.r + (b.r - a.r) * t), Channel(a.g + (b.g - a.g) * t), Channel(a.b + (b.b - a.b) * t)};
}

Rgb Shade(Rgb c, double f) {
  return {Channel(c.r * f), Channel(c.g * f), Channel(c.b * f)};
}

namespace {
int currentPercent = 100;
}  // namespace

DrawingScale::DrawingScale(int percent) : previous_(currentPercent) {
  currentPercent = percent;
}

DrawingScale::~DrawingScale() {
  currentPercent = previous_;
}

int DrawingScale::Current() {
  return currentPercent;
}

int ScaledCoordinate(int v, int percent) {
  const int scaled = v * percent + 50;
  // Rounded down, also below zero.
  return scaled >= 0 ? scaled / 100 : -((-scaled + 99) / 100);
}

Image::Image(int width, int height, Rgb fill)
    : width_(width),
      height_(height),
      percent_(DrawingScale::Current()),
      pixelWidth_(ScaledCoordinate(width, percent_)),
      pixelHeight_(ScaledCoordinate(height, percent_)),
      pixels_(static_cast<std::size_t>(pixelWidth_ * pixelHeight_), fill) {}

void Image::Blend(int x, int y, Rgb c, double alpha) {
  for (int j = Scaled(y); j < Scaled(y + 1); ++j) {
    for (int i = Scaled(x); i < Scaled(x + 1); ++i)
      BlendPixel(i, j, c, alpha);
  }
}

void Image::FillRect(int x, int y, int w, int h, Rgb c) {
  for (int j = Scaled(y); j < Scaled(y + h); ++j) {
    for (int i = Scaled(x); i < Scaled(x + w); ++i)
      SetPixel(i, j, c);
  }
}

void Image::FillGradient(int x, int y, int w, int h, Rgb top, Rgb bottom) {
  const int first = Scaled(y), rows = Scaled(y + h) - first;
  for (int j = 0; j < rows; ++j) {
    const Rgb c = Mix(top, bottom, rows > 1 ? static_cast<double>(j) / (rows - 1) : 0.0);
    for (int i = Scaled(x); i < Scaled(x + w); ++i)
      SetPixel(i, first + j, c);
  }
}

void Image::Edge(int x, int y, int w, int h, Rgb topLeft, Rgb bottomRight) {
  HLine(x, y, w, topLeft);
  VLine(x, y, h, topLeft);
  HLine(x + 1, y + h - 1, w - 1, bottomRight);
  VLine(x + w - 1, y + 1, h - 1, bottomRight);
}

void Image::Blit(const Image& source, int x, int y) {
  for (int j = 0; j < source.PixelHeight(); ++j) {
    for (int i = 0; i < source.PixelWidth(); ++i)
      SetPixel(Scaled(x) + i, Scaled(y) + j, source.Pixel(i, j));
  }
}

void Paint(Image& image, const Shape& shape, Rgb colour, int x, int y, int w, int h, double opacity) {
  constexpr int kSamples = 4;
  const double scale = image.Percent() / 100.0;
  for (int j = image.Scaled(y); j < image.Scaled(y + h); ++j) {
    for (int i = image.Scaled(x); i < image.Scaled(x + w); ++i) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          if (shape((i + (sx + 0.5) / kSamples) / scale, (j + (sy + 0.5) / kSamples) / scale)) ++hits;
        }
      }
      if (hits > 0) image.BlendPixel(i, j, colour, opacity * hits / (kSamples * kSamples));
    }
  }
}

Shape Disc(double cx, double cy, double radius) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape Ring(double cx, double cy, double inner, double outer) {
  return [=](double x, double y) {
    const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    return d >= inner * inner && d <= outer * outer;
  };
}

Shape Capsule(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((x - x0) * dx + (y - y0) * dy) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double px = x0 + t * dx - x, py = y0 + t * dy - y;
    return px * px + py * py <= radius * radius;
  };
}

Shape RoundRect(double rx, double ry, double w, double h, double radius) {
  return [=](double x, double y) {
    if (x < rx || y < ry || x > rx + w || y > ry + h) return false;
    const double cx = std::clamp(x, rx + radius, rx + w - radius);
    const double cy = std::clamp(y, ry + radius, ry + h - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape Triangle(double ax, double ay, double bx, double by, double cx, double cy) {
  return [=](double x, double y) {
    const double d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
    const double d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
    const double d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
  };
}

Shape Sector(Shape shape, double cx, double cy, double fromX, double fromY, double toX, double toY) {
  // Screen y grows downwards; the angles are taken with y up.
  const double from = PseudoAngle(fromX, -fromY);
  const double span = Wrap4(PseudoAngle(toX, -toY) - from);
  return [=, shape = std::move(shape)](double x, double y) {
    if (!shape(x, y)) return false;
    return Wrap4(PseudoAngle(x - cx, cy - y) - from) <= span;
  };
}

Shape Box(double bx, double by, double w, double h) {
  return [=](double x, double y) { return x >= bx && y >= by && x <= bx + w && y <= by + h; };
}

Shape Union(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) || b(x, y); };
}

Shape Intersect(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) && b(x, y); };
}

Shape Minus(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) && !b(x, y); };
}

int FontHeight(FontFace face) {
  return face == FontFace::Text ? 7 : 5;
}

int TextWidth(FontFace face, std::string_view text, int scale) {
  int width = 0;
  for (char c : text)
    width += static_cast<int>(GlyphOf(face, c).rows[0].size()) + 1;
  return width > 0 ? (width - 1) * scale : 0;
}

void ForEachTextDot(FontFace face, std::string_view text, int x, int y, int scale,
                    const std::function<void(int, int)>& dot) {
  for (char c : text) {
    const FontGlyph& glyph = GlyphOf(face, c);
    for (std::size_t row = 0; row < glyph.rows.size(); ++row) {
      for (std::size_t col = 0; col < glyph.rows[row].size(); ++col) {
        if (glyph.rows[row][col] != '#') continue;
        for (int j = 0; j < scale; ++j) {
          for (int i = 0; i < scale; ++i) {
            dot(x + static_cast<int>(col) * scale + i, y + static_cast<int>(row) * scale + j);
          }
        }
      }
    }
    x += (static_cast<int>(glyph.rows[0].size()) + 1) * scale;
  }
}

void DrawText(Image& image, FontFace face, std::string_view text, int x, int y, Rgb colour) {
  ForEachTextDot(face, text, x, y, 1, [&](int dx, int dy) { image.Set(dx, dy, colour); });
}

void DrawTextCentred(Image& image, FontFace face, std::string_view text, int centreX, int y, Rgb colour) {
  DrawText(image, face, text, centreX - TextWidth(face, text) / 2, y, colour);
}

}  // namespace pix::art
