#include "art/Artwork.h"

#include "art/Formats.h"
#include "art/Packing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pix::art {

namespace {

// The skin's colours: a dark steel panel, red symbols, a green lamp for "on".
constexpr Rgb kOuter{6, 6, 8};
constexpr Rgb kPanelTop{56, 59, 68};
constexpr Rgb kPanelBottom{34, 36, 43};
constexpr Rgb kBevelLight{108, 113, 126};
constexpr Rgb kBevelDark{16, 17, 20};
constexpr Rgb kFloor{17, 18, 22};
constexpr Rgb kRimDark{9, 9, 11};
constexpr Rgb kRimLight{84, 88, 100};
constexpr Rgb kLabel{128, 134, 150};
constexpr Rgb kText{206, 210, 220};
constexpr Rgb kRed{238, 58, 44};
constexpr Rgb kRedDeep{110, 18, 14};
constexpr Rgb kLampRed{214, 44, 34};
constexpr Rgb kLampUnlit{116, 30, 26};
constexpr Rgb kGreen{72, 236, 96};
constexpr Rgb kListGrey{136, 132, 136};  // the folder list's own colour
constexpr Rgb kLcdTop{200, 214, 180};
constexpr Rgb kLcdBottom{170, 186, 152};

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

// A faint grain with horizontal streaks, so large areas read as brushed metal
// rather than flat fill.
// At a larger scale the grain stays as fine, its streaks as long.
void Grain(Image& im, int x, int y, int w, int h, std::uint32_t seed) {
  const int streakLength = im.Scaled(9);
  for (int j = im.Scaled(y); j < im.Scaled(y + h); ++j) {
    for (int i = im.Scaled(x); i < im.Scaled(x + w); ++i) {
      const auto u = static_cast<std::uint32_t>(i), v = static_cast<std::uint32_t>(j);
      const int fine = static_cast<int>(Hash(u, v, seed) % 5) - 2;
      const int streak =
          static_cast<int>(Hash(u / static_cast<std::uint32_t>(streakLength), v, seed + 1) % 3) - 1;
      const double f = 1.0 + (fine + streak) * 0.018;
      im.SetPixel(i, j, Shade(im.Pixel(i, j), f));
    }
  }
}

Shape Moved(const Shape& shape, double dx, double dy) {
  return [=](double x, double y) { return shape(x - dx, y - dy); };
}

// The shape grown by about `by` pixels in every direction.
Shape Grown(const Shape& shape, double by) {
  return [=](double x, double y) {
    constexpr double kDiagonal = 0.7071;
    const std::array<std::pair<double, double>, 9> offsets = {{{0, 0},
                                                               {by, 0},
                                                               {-by, 0},
                                                               {0, by},
                                                               {0, -by},
                                                               {by * kDiagonal, by * kDiagonal},
                                                               {-by * kDiagonal, by * kDiagonal},
                                                               {by * kDiagonal, -by * kDiagonal},
                                                               {-by * kDiagonal, -by * kDiagonal}}};
    for (const auto& [dx, dy] : offsets) {
      if (shape(x + dx, y + dy)) return true;
    }
    return false;
  };
}

void PaintAll(Image& im, const Shape& shape, Rgb colour, double opacity = 1.0) {
  Paint(im, shape, colour, 0, 0, im.Width(), im.Height(), opacity);
}

// The panel of both halves of the window: a black outline, a raised bevel.
Image Panel(int w, int h, std::uint32_t seed) {
  Image im(w, h);
  im.FillGradient(0, 0, w, h, kPanelTop, kPanelBottom);
  Grain(im, 0, 0, w, h, seed);
  im.Edge(0, 0, w, h, kOuter, kOuter);
  im.Edge(1, 1, w - 2, h - 2, kBevelLight, kBevelDark);
  im.Edge(2, 2, w - 4, h - 4, Mix(kPanelTop, kBevelLight, 0.45), Mix(kPanelBottom, kBevelDark, 0.45));
  return im;
}

// A two-pixel sunken frame around (x, y, w, h), drawn outside it.
void Well(Image& im, int x, int y, int w, int h) {
  im.Edge(x - 2, y - 2, w + 4, h + 4, Mix(kPanelTop, kRimDark, 0.55), kRimLight);
  im.Edge(x - 1, y - 1, w + 2, h + 2, kRimDark, Mix(kRimLight, kPanelBottom, 0.5));
}

// The socket a picture button sits in. A pressed button moves 2 pixels right
// and down, so the socket is that much larger there and its dark floor is
// what shows in the strip the button leaves.
void Socket(Image& im, int x, int y, int w, int h) {
  im.FillRect(x - 1, y - 1, w + 3, h + 3, kFloor);
  im.Edge(x - 2, y - 2, w + 5, h + 5, kRimDark, kRimLight);
}

// An etched line: dark with a light line under it or right of it.
void GrooveH(Image& im, int x, int y, int w) {
  im.HLine(x, y, w, Mix(kPanelBottom, kRimDark, 0.6));
  im.HLine(x + 1, y + 1, w, Mix(kPanelTop, kBevelLight, 0.5));
}

void GrooveV(Image& im, int x, int y, int h) {
  im.VLine(x, y, h, Mix(kPanelBottom, kRimDark, 0.6));
  im.VLine(x + 1, y + 1, h, Mix(kPanelTop, kBevelLight, 0.5));
}

void Screw(Image& im, double cx, double cy) {
  Paint(im, Disc(cx + 0.5, cy + 0.5, 2.6), kRimDark, static_cast<int>(cx) - 4, static_cast<int>(cy) - 4, 9,
        9);
  Paint(im, Disc(cx, cy, 2.3), Rgb{92, 96, 108}, static_cast<int>(cx) - 4, static_cast<int>(cy) - 4, 9, 9);
  Paint(im, Capsule(cx - 1.4, cy + 1.4, cx + 1.4, cy - 1.4, 0.45), kRimDark, static_cast<int>(cx) - 4,
        static_cast<int>(cy) - 4, 9, 9);
}

void Label(Image& im, std::string_view text, int centreX, int y) {
  DrawTextCentred(im, FontFace::Tiny, text, centreX, y, kLabel);
}

// The raised face shared by the buttons and the switches.
Image Face(int w, int h) {
  Image im(w, h);
  im.FillGradient(0, 0, w, h, Rgb{80, 84, 95}, Rgb{42, 44, 51});
  im.Edge(0, 0, w, h, Rgb{146, 151, 165}, Rgb{12, 12, 15});
  im.Edge(1, 1, w - 2, h - 2, Rgb{100, 104, 117}, Rgb{30, 31, 36});
  // Round the corners off against the socket floor.
  for (auto [x, y] : {std::pair{0, 0}, std::pair{w - 1, 0}, std::pair{0, h - 1}, std::pair{w - 1, h - 1}}) {
    im.Set(x, y, Mix(kFloor, im.At(x, y), 0.35));
  }
  return im;
}

// A red symbol that seems to glow on the face.
void RedSymbol(Image& im, const Shape& shape) {
  PaintAll(im, Grown(shape, 1.1), kRed, 0.22);
  PaintAll(im, Moved(shape, 0.5, 0.5), kRedDeep, 0.8);
  PaintAll(im, shape, kRed);
}

Image HelpButtonFace() {
  Image im = Face(17, 18);
  // The hook of the "?" from its left end over the top, then down into its stem.
  const Shape hook = Sector(Ring(8.5, 6.6, 1.7, 3.7), 8.5, 6.6, 0.60, 0.80, -1.0, 0.05);
  const Shape stem = Capsule(10.0, 9.4, 8.5, 10.8, 1.0);
  const Shape neck = Box(7.5, 10.4, 2.0, 1.6);
  const Shape dot = RoundRect(7.5, 12.8, 2.0, 2.0, 0.5);
  RedSymbol(im, Union(Union(hook, stem), Union(neck, dot)));
  return im;
}

Image MinimizeButtonFace() {
  Image im = Face(17, 18);
  RedSymbol(im, RoundRect(4.5, 11.0, 8.0, 2.5, 0.6));
  return im;
}

Image ExitButtonFace() {
  Image im = Face(17, 18);
  // A power sign: a ring open at the top with a bar through the gap.
  const Shape ring = Sector(Ring(8.5, 9.5, 3.1, 4.9), 8.5, 9.5, -0.62, -0.78, 0.62, -0.78);
  const Shape bar = Capsule(8.5, 3.9, 8.5, 8.6, 0.95);
  RedSymbol(im, Union(ring, bar));
  return im;
}

Image StopButtonFace() {
  Image im = Face(11, 11);
  RedSymbol(im, RoundRect(3.0, 3.0, 5.0, 5.0, 0.7));
  return im;
}

enum class SwitchSymbol { Die, Sequence };
enum class Lamp { Green, Red, Unlit };

Image SwitchFace(SwitchSymbol symbol, Lamp lamp) {
  Image im = Face(17, 18);
  if (symbol == SwitchSymbol::Die) {
    // A die showing five, its pips one pixel each so they stay apart.
    PaintAll(im, RoundRect(5.0, 3.0, 9.0, 9.0, 1.8), kRimDark, 0.7);
    PaintAll(im, RoundRect(4.0, 2.0, 9.0, 9.0, 1.8), kText);
    im.Edge(4, 2, 9, 9, im.At(8, 2), Mix(kText, Rgb{96, 100, 112}, 0.6));
    for (auto [x, y] :
         {std::pair{6, 4}, std::pair{10, 4}, std::pair{8, 6}, std::pair{6, 8}, std::pair{10, 8}}) {
      im.Set(x, y, Rgb{34, 36, 44});
    }
  } else {
    // "1 2 3" over an arrow: one after another.
    ForEachTextDot(FontFace::Tiny, "123", 3, 2, 1, [&](int x, int y) {
      im.Blend(x + 1, y + 1, kRimDark, 0.6);
      im.Set(x, y, kText);
    });
    im.HLine(3, 9, 9, kText);
    im.Set(11, 8, kText);
    im.Set(11, 10, kText);
    im.Set(12, 9, kText);
    im.Set(10, 8, Mix(im.At(10, 8), kText, 0.4));
    im.Set(10, 10, Mix(im.At(10, 10), kText, 0.4));
    im.HLine(4, 10, 7, Mix(im.At(5, 10), kRimDark, 0.6));
  }
  // The lamp: a slot with a lit or unlit bar in it.
  im.Edge(4, 12, 9, 4, kRimDark, Rgb{96, 100, 112});
  const Rgb colour = lamp == Lamp::Green ? kGreen : lamp == Lamp::Red ? kLampRed : kLampUnlit;
  im.FillRect(5, 13, 7, 2, colour);
  if (lamp == Lamp::Unlit) {
    im.HLine(5, 13, 7, Mix(colour, kRimDark, 0.2));
  } else {
    im.HLine(6, 13, 5, Mix(colour, Rgb{255, 255, 255}, 0.45));
    // The lamp's light spills onto the face around the slot.
    for (int x = 3; x <= 13; ++x) {
      im.Blend(x, 11, colour, 0.18);
      im.Blend(x, 16, colour, 0.14);
    }
    im.Blend(3, 13, colour, 0.18);
    im.Blend(3, 14, colour, 0.18);
    im.Blend(13, 13, colour, 0.18);
    im.Blend(13, 14, colour, 0.18);
  }
  return im;
}

Image AboutButtonFace() {
  Image im = Face(60, 12);
  constexpr std::string_view kWord = "ABOUT";
  const int width = TextWidth(FontFace::Text, kWord) + 3 + 3;
  const int x = (60 - width) / 2;
  ForEachTextDot(FontFace::Text, kWord, x, 3, 1, [&](int dx, int dy) {
    im.Blend(dx + 1, dy + 1, kRimDark, 0.7);
    im.Set(dx, dy, kText);
  });
  // A small red pointer: the panel opens to the right.
  const int px = x + TextWidth(FontFace::Text, kWord) + 3;
  RedSymbol(im, Triangle(px, 3.0, px + 3.6, 6.5, px, 10.0));
  return im;
}

// The window's mark: a framed landscape with a circular arrow over its
// corner, on a 32-unit square at (ox, oy), `s` pixels a unit.
struct Motif {
  double ox, oy, s;

  Shape Place(const Shape& shape) const {
    return [shape, *this](double x, double y) { return shape((x - ox) / s, (y - oy) / s); };
  }

  Shape Frame() const { return Place(RoundRect(1.0, 3.0, 26.0, 22.0, 1.6)); }
  Shape Picture() const { return Place(Box(3.0, 5.0, 22.0, 18.0)); }

  // The arrow runs counter-clockwise from the top round to the right, where
  // its head points up into the gap.
  Shape Arrow(double grow) const {
    const Shape arc = Sector(Ring(22.0, 22.0, 4.6 - grow, 7.4 + grow), 22.0, 22.0, -0.17, -0.98, 0.98, -0.17);
    const Shape head = Triangle(31.2 + grow, 20.4, 24.6 - grow, 21.5, 27.3, 16.9 - grow * 1.8);
    return Place(Union(arc, head));
  }

  Shape Whole() const { return Union(Frame(), Arrow(0.9)); }

  void Draw(Image& im) const {
    const int x = static_cast<int>(ox), y = static_cast<int>(oy), size = static_cast<int>(32 * s) + 2;
    auto paint = [&](const Shape& shape, Rgb colour, double opacity = 1.0) {
      Paint(im, shape, colour, x, y, size, size, opacity);
    };
    paint(Place(RoundRect(1.6, 3.6, 26.0, 22.0, 1.6)), kRimDark, 0.6);
    paint(Frame(), Rgb{30, 32, 40});
    paint(Place(RoundRect(1.8, 3.8, 24.4, 20.4, 1.0)), Rgb{186, 192, 204});
    paint(Place(RoundRect(2.3, 4.3, 23.4, 19.4, 0.8)), Rgb{120, 126, 140});
    // Sky, lighter towards the horizon.
    constexpr int kBands = 9;
    for (int band = 0; band < kBands; ++band) {
      const double top = 5.0 + 18.0 * band / kBands;
      paint(Place(Box(3.0, top, 22.0, 18.0 / kBands + 0.01)),
            Mix(Rgb{58, 112, 206}, Rgb{176, 214, 246}, static_cast<double>(band) / (kBands - 1)));
    }
    paint(Intersect(Picture(), Place(Disc(9.0, 10.0, 4.2))), Rgb{255, 236, 160}, 0.35);
    paint(Intersect(Picture(), Place(Disc(9.0, 10.0, 2.6))), Rgb{255, 214, 84});
    paint(Intersect(Picture(), Place(Triangle(1.0, 23.0, 11.5, 11.0, 22.0, 23.0))), Rgb{78, 156, 88});
    paint(Intersect(Picture(), Place(Triangle(9.5, 11.6, 11.5, 11.0, 13.1, 13.0))), Rgb{236, 240, 244});
    paint(Intersect(Picture(), Place(Triangle(10.0, 23.0, 18.5, 14.0, 28.0, 23.0))), Rgb{46, 114, 74});
    paint(Intersect(Picture(), Place(Box(3.0, 21.4, 22.0, 1.6))), Rgb{38, 92, 60});
    // The arrow, outlined so it stands off the picture.
    paint(Arrow(0.9), Rgb{40, 6, 4});
    paint(Arrow(0.0), kRed);
    paint(Place(Sector(Ring(22.0, 22.0, 6.4, 7.0), 22.0, 22.0, -0.8, -0.6, 0.2, 0.98)), Rgb{255, 150, 130},
          0.7);
  }
};

// The pale readout the delay digits are written on.
void Readout(Image& im, int x, int y, int w, int h) {
  Well(im, x, y, w, h);
  im.FillGradient(x, y, w, h, kLcdTop, kLcdBottom);
  im.HLine(x, y, w, Mix(kLcdTop, kRimDark, 0.25));
}

Image Background() {
  Image im = Panel(276, 196, 1);
  // No screw at the bottom right: the about button's socket needs the room.
  for (auto [x, y] : {std::pair{7.5, 7.5}, std::pair{7.5, 188.5}, std::pair{268.5, 7.5}}) {
    Screw(im, x, y);
  }

  // Title strip above the folder list.
  ForEachTextDot(FontFace::Text, "Pix_Rn", 19, 4, 1, [&](int x, int y) {
    im.Blend(x + 1, y + 1, kRimDark, 0.7);
    im.Set(x, y, kRed);
  });
  DrawText(im, FontFace::Tiny, "PICTURE ROTATOR", 19 + TextWidth(FontFace::Text, "Pix_Rn") + 6, 6, kLabel);

  // The folder list fills 18..185 x 16..175 and draws itself; its colour is
  // put under it so that nothing else shows while it paints.
  Well(im, 18, 16, 168, 160);
  im.FillRect(18, 16, 168, 160, kListGrey);
  Label(im, "PICTURE FOLDER", 102, 182);

  GrooveV(im, 196, 12, 172);

  // Selection mode.
  Label(im, "MODE", 227, 20);
  Socket(im, 219, 32, 17, 18);
  Label(im, "RANDOM", 228, 55);
  Socket(im, 219, 66, 17, 18);
  Label(im, "IN ORDER", 228, 89);

  // Window buttons.
  Socket(im, 250, 17, 17, 18);
  Label(im, "HELP", 259, 39);
  Socket(im, 250, 50, 17, 18);
  Label(im, "MIN", 259, 72);
  Socket(im, 250, 83, 17, 18);
  Label(im, "EXIT", 259, 105);

  GrooveH(im, 202, 116, 68);

  // Start delay and the stop button beside it.
  Label(im, "DELAY", 228, 129);
  Readout(im, 213, 138, 31, 13);
  Socket(im, 247, 148, 11, 11);
  Label(im, "STOP", 253, 163);

  Socket(im, 207, 174, 60, 12);
  return im;
}

// A one-bit picture, for lettering that is shaped before it is coloured.
struct Mask {
  int width, height;
  std::vector<bool> bits;

  Mask(int w, int h) : width(w), height(h), bits(static_cast<std::size_t>(w * h), false) {}
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && bits[Index(x, y)]; }
  void Set(int x, int y, bool on = true) {
    if (x >= 0 && y >= 0 && x < width && y < height) bits[Index(x, y)] = on;
  }
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
};

// Doubles the mask; where two dots meet only at a corner, the corner is filled.
Mask Scale2x(const Mask& in) {
  Mask out(in.width * 2, in.height * 2);
  for (int y = 0; y < in.height; ++y) {
    for (int x = 0; x < in.width; ++x) {
      const bool p = in.At(x, y), a = in.At(x, y - 1), b = in.At(x + 1, y), c = in.At(x - 1, y),
                 d = in.At(x, y + 1);
      out.Set(2 * x, 2 * y, (c == a && c != d && a != b) ? a : p);
      out.Set(2 * x + 1, 2 * y, (a == b && a != c && b != d) ? b : p);
      out.Set(2 * x, 2 * y + 1, (d == c && d != b && c != a) ? c : p);
      out.Set(2 * x + 1, 2 * y + 1, (b == d && b != a && d != c) ? d : p);
    }
  }
  return out;
}

Image AboutPanel() {
  Image im = Panel(194, 196, 2);
  for (auto [x, y] :
       {std::pair{7.5, 7.5}, std::pair{7.5, 188.5}, std::pair{186.5, 7.5}, std::pair{186.5, 188.5}}) {
    Screw(im, x, y);
  }
  Well(im, 16, 14, 162, 168);
  im.FillGradient(16, 14, 162, 168, Rgb{26, 27, 33}, Rgb{14, 15, 19});

  // The name, large: the pixel font doubled twice with the Scale2x rule,
  // which rounds its diagonals off, then bevelled and given a drop shadow.
  constexpr std::string_view kName = "Pix_Rn";
  Mask name(TextWidth(FontFace::Text, kName) + 2, FontHeight(FontFace::Text) + 2);
  ForEachTextDot(FontFace::Text, kName, 1, 1, 1, [&](int x, int y) { name.Set(x, y); });
  name = Scale2x(Scale2x(name));
  const int nameX = (194 - name.width) / 2, nameY = 20;
  auto inside = [&](int x, int y) { return name.At(x - nameX, y - nameY); };
  for (int y = 0; y < 196; ++y) {
    for (int x = 0; x < 194; ++x) {
      if (inside(x - 2, y - 2) && !inside(x, y)) im.Blend(x, y, Rgb{0, 0, 0}, 0.65);
    }
  }
  for (int y = 0; y < 196; ++y) {
    for (int x = 0; x < 194; ++x) {
      if (!inside(x, y)) continue;
      const double t = static_cast<double>(y - nameY - 4) / 27.0;
      Rgb c = Mix(Rgb{255, 100, 76}, Rgb{172, 24, 16}, std::clamp(t, 0.0, 1.0));
      if (!inside(x, y - 1) || !inside(x - 1, y)) c = Mix(c, Rgb{255, 214, 200}, 0.55);
      if (!inside(x, y + 1) || !inside(x + 1, y)) c = Mix(c, Rgb{60, 6, 4}, 0.55);
      im.Set(x, y, c);
    }
  }

  DrawTextCentred(im, FontFace::Text, "picture rotator", 97, 60, kText);
  im.HLine(40, 74, 114, Rgb{120, 24, 18});
  im.HLine(40, 75, 114, Rgb{54, 12, 10});

  Motif{65.0, 82.0, 2.0}.Draw(im);

  DrawTextCentred(im, FontFace::Text, "version 1.0", 97, 150, kLabel);
  DrawTextCentred(im, FontFace::Text, "made by the Pix_Rn team", 97, 164, kLabel);
  return im;
}

// The list glyphs use the 16 standard colours; '.' is the transparent one,
// which each glyph has in its bottom-left pixel.
constexpr std::array<Rgb, 16> kStandardColours = {{{0, 0, 0},
                                                   {128, 0, 0},
                                                   {0, 128, 0},
                                                   {128, 128, 0},
                                                   {0, 0, 128},
                                                   {128, 0, 128},
                                                   {0, 128, 128},
                                                   {192, 192, 192},
                                                   {128, 128, 128},
                                                   {255, 0, 0},
                                                   {0, 255, 0},
                                                   {255, 255, 0},
                                                   {0, 0, 255},
                                                   {255, 0, 255},
                                                   {0, 255, 255},
                                                   {255, 255, 255}}};

std::uint8_t ColourIndex(char c) {
  switch (c) {
    case '.':
      return 13;  // fuchsia, used nowhere else
    case 'k':
      return 0;
    case 'm':
      return 1;
    case 'g':
      return 2;
    case 'o':
      return 3;
    case 'n':
      return 4;
    case 't':
      return 6;
    case 's':
      return 7;
    case 'd':
      return 8;
    case 'r':
      return 9;
    case 'l':
      return 10;
    case 'y':
      return 11;
    case 'b':
      return 12;
    case 'a':
      return 14;
    case 'w':
      return 15;
    default:
      throw std::invalid_argument(std::string("no glyph colour '") + c + "'");
  }
}

template <std::size_t Rows>
IndexedImage Glyph(const std::array<std::string_view, Rows>& rows) {
  IndexedImage im;
  im.width = static_cast<int>(rows[0].size());
  im.height = static_cast<int>(Rows);
  im.palette.assign(kStandardColours.begin(), kStandardColours.end());
  for (std::string_view row : rows) {
    if (static_cast<int>(row.size()) != im.width) throw std::logic_error("glyph rows differ in length");
    for (char c : row)
      im.indices.push_back(ColourIndex(c));
  }
  return im;
}

using Folder = std::array<std::string_view, 15>;

constexpr Folder kClosedFolder = {
    "................",  //
    "................",  //
    ".kkkkk..........",  //
    "kwyyyyk.........",  //
    "kyyyyyykkkkkkkk.",  //
    "kwwwwwwwwwwwwwok",  //
    "kwyyyyyyyyyyyyok",  //
    "kwyyyyyyyyyyyyok",  //
    "kwyyyyyyyyyyyyok",  //
    "kwyyyyyyyyyyyyok",  //
    "kwyyyyyyyyyyyyok",  //
    "kwyyyyyyyyyyyyok",  //
    "kooooooooooooook",  //
    ".kkkkkkkkkkkkkk.",  //
    "................",  //
};

constexpr Folder kOpenFolder = {
    "................",  //
    "................",  //
    ".kkkkk..........",  //
    "kwyyyyk.........",  //
    "kyyyyyykkkkkkk..",  //
    "kyoooooooooooyk.",  //
    "kyokkkkkkkkkkkkk",  //
    "kyokwwwwwwwwwwyk",  //
    "kykwyyyyyyyyyyk.",  //
    "kykwyyyyyyyyyok.",  //
    "kkwyyyyyyyyyyok.",  //
    "kkwyyyyyyyyyok..",  //
    "kwyyyyyyyyyyok..",  //
    "kkkkkkkkkkkkk...",  //
    "................",  //
};

// The open folder with the sheets it holds standing out of it.
constexpr Folder kCurrentFolder = {
    "......kkkkkkk...",  //
    ".....kwwwwwwwk..",  //
    ".kkkkkwddddwwk..",  //
    "kwyyykwwwwwwwk..",  //
    "kyyyykwddddwwkk.",  //
    "kyoookwwwwwwwkyk",  //
    "kyokkkkkkkkkkkkk",  //
    "kyokwwwwwwwwwwyk",  //
    "kykwyyyyyyyyyyk.",  //
    "kykwyyyyyyyyyok.",  //
    "kkwyyyyyyyyyyok.",  //
    "kkwyyyyyyyyyok..",  //
    "kwyyyyyyyyyyok..",  //
    "kkkkkkkkkkkkk...",  //
    "................",  //
};

// A glyph at the scale in force: each of its pixels covers the pixels a
// design pixel covers there.
IndexedImage ScaledGlyph(const IndexedImage& glyph) {
  const int percent = DrawingScale::Current();
  IndexedImage out;
  out.width = ScaledCoordinate(glyph.width, percent);
  out.height = ScaledCoordinate(glyph.height, percent);
  out.palette = glyph.palette;
  auto design = [percent](int pixel) {
    int v = 0;
    while (ScaledCoordinate(v + 1, percent) <= pixel)
      ++v;
    return v;
  };
  for (int j = 0; j < out.height; ++j) {
    for (int i = 0; i < out.width; ++i)
      out.indices.push_back(
          glyph.indices[static_cast<std::size_t>(design(j)) * static_cast<std::size_t>(glyph.width) +
                        static_cast<std::size_t>(design(i))]);
  }
  return out;
}

IndexedImage IconPicture(std::vector<bool>& transparent) {
  constexpr int kSize = 32;
  const Motif motif{0.0, 0.0, 1.0};
  Image im(kSize, kSize, Rgb{30, 32, 40});
  motif.Draw(im);
  const Shape whole = motif.Whole();
  const double scale = im.Percent() / 100.0;
  const auto side = static_cast<std::size_t>(im.PixelWidth());
  transparent.assign(side * side, false);
  for (int y = 0; y < im.PixelHeight(); ++y) {
    for (int x = 0; x < im.PixelWidth(); ++x)
      transparent[static_cast<std::size_t>(y) * side + static_cast<std::size_t>(x)] =
          !whole((x + 0.5) / scale, (y + 0.5) / scale);
  }
  // Index 0 stays black for the masked pixels.
  IndexedImage indexed = Quantize(im, 255, transparent);
  indexed.palette.insert(indexed.palette.begin(), Rgb{0, 0, 0});
  for (std::size_t i = 0; i < indexed.indices.size(); ++i) {
    if (!transparent[i]) ++indexed.indices[i];
  }
  return indexed;
}

// What each picture's file is drawn with, at the scale in force.
struct PictureDrawer {
  std::string_view stem;
  Bytes (*draw)();
};

constexpr PictureDrawer kPictures[] = {
    {"background", [] { return EncodeBmp24(Background()); }},
    {"about-button", [] { return EncodeBmp24(AboutButtonFace()); }},
    {"help-button", [] { return EncodeBmp24(HelpButtonFace()); }},
    {"minimize-button", [] { return EncodeBmp24(MinimizeButtonFace()); }},
    {"exit-button", [] { return EncodeBmp24(ExitButtonFace()); }},
    {"stop-button", [] { return EncodeBmp24(StopButtonFace()); }},
    {"about-panel", [] { return EncodeBmp24(AboutPanel()); }},
    {"random-switch", [] { return EncodeBmp24(SwitchFace(SwitchSymbol::Die, Lamp::Green)); }},
    {"sequence-switch", [] { return EncodeBmp24(SwitchFace(SwitchSymbol::Sequence, Lamp::Unlit)); }},
    {"sequence-off", [] { return EncodeBmp24(SwitchFace(SwitchSymbol::Sequence, Lamp::Red)); }},
    {"sequence-on", [] { return EncodeBmp24(SwitchFace(SwitchSymbol::Sequence, Lamp::Green)); }},
    {"random-off", [] { return EncodeBmp24(SwitchFace(SwitchSymbol::Die, Lamp::Red)); }},
    {"random-on", [] { return EncodeBmp24(SwitchFace(SwitchSymbol::Die, Lamp::Green)); }},
    {"open-folder", [] { return EncodeBmp4(ScaledGlyph(Glyph(kOpenFolder))); }},
    {"current-folder", [] { return EncodeBmp4(ScaledGlyph(Glyph(kCurrentFolder))); }},
    {"closed-folder", [] { return EncodeBmp4(ScaledGlyph(Glyph(kClosedFolder))); }},
};

// The design's own files keep their names; the others carry their scale.
std::string ScaleSuffix(int percent) {
  return percent == 100 ? "" : "-" + std::to_string(percent);
}

bool IsScale(int percent) {
  return std::find(std::begin(kScales), std::end(kScales), percent) != std::end(kScales);
}

}  // namespace

std::vector<std::string_view> PictureStems() {
  std::vector<std::string_view> stems;
  for (const PictureDrawer& picture : kPictures)
    stems.push_back(picture.stem);
  return stems;
}

std::string PictureFileName(std::string_view stem, int percent) {
  return std::string(stem) + ScaleSuffix(percent) + ".bmp";
}

std::string PackedFileName(std::string_view stem) {
  return std::string(stem) + ".pxz";
}

Bytes DrawPicture(std::string_view stem, int percent) {
  if (!IsScale(percent)) throw std::invalid_argument("no art is drawn at " + std::to_string(percent) + " %");
  for (const PictureDrawer& picture : kPictures) {
    if (picture.stem != stem) continue;
    const DrawingScale scale(percent);
    return picture.draw();
  }
  throw std::invalid_argument("no picture " + std::string(stem));
}

std::vector<OutputFile> RenderAll() {
  std::vector<OutputFile> files;
  for (const int percent : kScales) {
    for (const PictureDrawer& picture : kPictures)
      files.push_back({PictureFileName(picture.stem, percent), DrawPicture(picture.stem, percent)});
    const DrawingScale scale(percent);
    std::vector<bool> transparent;
    const IndexedImage icon = IconPicture(transparent);
    files.push_back({"MAINICON" + ScaleSuffix(percent) + ".ico", EncodeIco8(icon, transparent)});
  }
  // The pictures at 100 % are the first of the files.
  for (std::size_t i = 0; i < std::size(kPictures); ++i)
    files.push_back({PackedFileName(kPictures[i].stem), Pack(files[i].bytes)});
  return files;
}

}  // namespace pix::art
