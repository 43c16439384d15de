// The embedded media: every resource decodes with the size and format the
// game relies on, the board pictures agree with the board geometry in all
// four rotations, the font strip is measurable and the music loops at the
// right length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/ogg_stream.h"
#include "platform/platform.h"

namespace {

const std::string kPrefix = "incbin::media/";

const int kLeft[15] = {394, 383, 373, 361, 347, 335, 318, 303, 285, 267, 245, 224, 197, 169, 136};
const int kRowY[15] = {194, 210, 229, 249, 269, 292, 316, 343, 372, 403, 438, 475, 517, 565, 618};
const int kRight[15] = {1007, 1017, 1027, 1040, 1053, 1066, 1083, 1099,
                        1115, 1134, 1156, 1179, 1205, 1233, 1265};

struct Expected {
  std::string name;
  int width;
  int height;
  bool alpha;
};

std::vector<Expected> ExpectedPictures() {
  std::vector<Expected> list = {
      {"EmptyBackground.jpg", 1400, 900, false}, {"progress-cover.png", 250, 20, true},
      {"progress-bar.png", 240, 10, false},      {"bitmapfont.png", 4646, 60, true},
      {"NewGameBackground.png", 600, 500, true}, {"NewGameDock.png", 600, 150, true},
      {"NewGameDockTitles.png", 600, 150, true}, {"Dock-Left.png", 720, 120, true},
      {"Dock-Right.png", 720, 120, true},        {"InfoDock.png", 320, 450, true},
      {"InfoDockTitles.png", 320, 450, true},    {"window-icon.png", 64, 64, true},
  };
  for (int r = 0; r < 4; ++r) {
    list.push_back({"3D-Board-" + std::to_string(r) + ".jpg", 1400, 850, false});
    list.push_back({"2D-Board-" + std::to_string(r) + "-schmal.jpg", 1000, 850, false});
  }
  for (int k = 0; k < 6; ++k) {
    list.push_back({"3D-button-" + std::to_string(k) + ".png", 70, 50, true});
    list.push_back({"2D-button-" + std::to_string(k) + ".png", 42, 42, true});
  }
  list.push_back({"2D-glint.png", 42, 42, true});
  return list;
}

class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = InstallHeadlessBackend(); }
  std::shared_ptr<HeadlessBackend> backend;
};

struct Rgba {
  int r, g, b, a;
};

Rgba PixelAt(const Picture& p, int x, int y) {
  const uint8_t* px = &p.rgba[(size_t(y) * p.sheetWidth + x) * 4];
  return {px[0], px[1], px[2], px[3]};
}

double Luma(const Picture& p, int x, int y) {
  Rgba c = PixelAt(p, x, y);
  return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// Centre of darkness across a line: weighted mean of how much darker each
// of the 2 * reach + 1 pixels is than the lightest of them. Returns the
// position in picture coordinates (pixel centres at i + 0.5) and the
// contrast found.
double DarkCentre(const Picture& p, double along, double across, int reach, bool vertical_line,
                  double& contrast) {
  int a = int(std::floor(along));
  int c0 = int(std::floor(across));
  std::vector<double> lum;
  for (int d = -reach; d <= reach; ++d) {
    int c = c0 + d;
    lum.push_back(vertical_line ? Luma(p, c, a) : Luma(p, a, c));
  }
  double lightest = *std::max_element(lum.begin(), lum.end());
  double darkest = *std::min_element(lum.begin(), lum.end());
  contrast = lightest - darkest;
  double sum = 0, weight = 0;
  for (int d = -reach; d <= reach; ++d) {
    double w = lightest - lum[d + reach];
    w = w > contrast * 0.35 ? w : 0;  // only the line itself, not the grain
    sum += w * (c0 + d + 0.5);
    weight += w;
  }
  return weight > 0 ? sum / weight : -1e9;
}

// A picture as the game loads it, with the pixels it gave to its texture
// decoded again.
PictureRef Load(const std::string& name) {
  PictureRef picture = LoadPicture(kPrefix + name);
  if (picture) picture->rgba = PicturePixels(*picture);
  return picture;
}

// ---------------------------------------------------------------- resources

TEST_F(MediaTest, EveryPictureDecodesWithItsSizeAndFormat) {
  for (const Expected& e : ExpectedPictures()) {
    SCOPED_TRACE(e.name);
    ASSERT_FALSE(FindResource(kPrefix + e.name).empty());
    PictureRef p = Load(e.name);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->width, e.width);
    EXPECT_EQ(p->height, e.height);
    EXPECT_EQ(p->hasAlpha, e.alpha);
    EXPECT_EQ(p->rgba.size(), size_t(e.width) * e.height * 4);
  }
}

TEST_F(MediaTest, NothingButTheListedFilesIsEmbedded) {
  std::set<std::string> expected = {kPrefix + "music.ogg"};
  for (const Expected& e : ExpectedPictures()) expected.insert(kPrefix + e.name);
  std::set<std::string> media;
  for (const std::string& name : ResourceNames())
    if (name.rfind(kPrefix, 0) == 0) media.insert(name);
  EXPECT_EQ(media, expected);
}

// The game makes pure white transparent in pictures without alpha; one
// stray white pixel would punch a hole into the board or the bar.
TEST_F(MediaTest, PicturesWithoutAlphaHaveNoPureWhite) {
  for (const Expected& e : ExpectedPictures()) {
    if (e.alpha) continue;
    SCOPED_TRACE(e.name);
    PictureRef p = Load(e.name);
    ASSERT_TRUE(p);
    int white = 0;
    for (int y = 0; y < p->height; ++y)
      for (int x = 0; x < p->width; ++x) {
        Rgba c = PixelAt(*p, x, y);
        white += c.r == 255 && c.g == 255 && c.b == 255;
      }
    EXPECT_EQ(white, 0);
  }
}

TEST_F(MediaTest, StonesSitCentredAndFitTheirPictures) {
  for (int view = 0; view < 2; ++view)
    for (int k = 0; k < 6; ++k) {
      std::string name = (view ? "2D-button-" : "3D-button-") + std::to_string(k) + ".png";
      SCOPED_TRACE(name);
      PictureRef p = Load(name);
      ASSERT_TRUE(p);
      // Opaque body around the handle, nothing solid on the border.
      EXPECT_EQ(PixelAt(*p, p->width / 2, p->height / 2).a, 255);
      int border = 0;
      for (int x = 0; x < p->width; ++x)
        border = std::max({border, PixelAt(*p, x, 0).a, PixelAt(*p, x, p->height - 1).a});
      for (int y = 0; y < p->height; ++y)
        border = std::max({border, PixelAt(*p, 0, y).a, PixelAt(*p, p->width - 1, y).a});
      EXPECT_LT(border, 40);
    }
}

// The stone colours: 0 yellow, 1 blue, 2 cyan, 3 green, 4 red, 5 magenta.
TEST_F(MediaTest, StonesHaveTheirColours) {
  auto dominant = [](const Picture& p) {
    double r = 0, g = 0, b = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        Rgba c = PixelAt(p, x, y);
        if (c.a < 250) continue;
        r += c.r, g += c.g, b += c.b;
      }
    double m = std::max({r, g, b});
    return std::string(r > 0.6 * m ? "r" : "") + (g > 0.6 * m ? "g" : "") +
           (b > 0.6 * m ? "b" : "");
  };
  const char* expected[6] = {"rg", "b", "gb", "g", "r", "rb"};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(dominant(*Load("3D-button-" + std::to_string(k) + ".png")), expected[k]);
    EXPECT_EQ(dominant(*Load("2D-button-" + std::to_string(k) + ".png")), expected[k]);
  }
}

// Strip cells are drawn with linear filtering; anything on a cell's edge
// would bleed into the neighbouring cell as a thin line.
TEST_F(MediaTest, DockCellsKeepAClearBorder) {
  struct Strip {
    std::string name;
    int cellWidth, cellHeight;
  };
  const Strip strips[] = {{"Dock-Left.png", 120, 120},   {"Dock-Right.png", 120, 120},
                          {"InfoDock.png", 160, 150},    {"InfoDockTitles.png", 160, 150},
                          {"NewGameDock.png", 120, 150}, {"NewGameDockTitles.png", 120, 150}};
  for (const Strip& s : strips) {
    SCOPED_TRACE(s.name);
    PictureRef p = Load(s.name);
    ASSERT_TRUE(p);
    int cells = 0;
    for (int top = 0; top < p->height; top += s.cellHeight)
      for (int left = 0; left < p->width; left += s.cellWidth) {
        ++cells;
        int edge = 0, inside = 0;
        for (int x = 0; x < s.cellWidth; ++x) {
          edge = std::max({edge, PixelAt(*p, left + x, top).a,
                           PixelAt(*p, left + x, top + s.cellHeight - 1).a});
        }
        for (int y = 0; y < s.cellHeight; ++y) {
          edge = std::max(
              {edge, PixelAt(*p, left, top + y).a, PixelAt(*p, left + s.cellWidth - 1, top + y).a});
          inside = std::max(inside, PixelAt(*p, left + s.cellWidth / 2, top + y).a);
        }
        EXPECT_EQ(edge, 0) << "cell at " << left << "," << top;
        EXPECT_EQ(inside, 255) << "cell at " << left << "," << top;  // an icon is there
      }
    EXPECT_EQ(cells, s.name.rfind("Dock-", 0) == 0 ? 6 : (s.name.rfind("Info", 0) == 0 ? 6 : 5));
  }
}

// ---------------------------------------------------------------- boards

struct Centre {
  double x, y;
};

Centre PerspCentre(int x, int y) {
  return {kLeft[y] + x * (kRight[y] - kLeft[y]) / 14.0, double(kRowY[y])};
}

Centre FlatCentre(int x, int y) { return {154.7 + 49.4 * x, 77.0 + 50.0 * y}; }

// Every horizontal grid line runs through the row's centres and every
// column line through the column's centres, to within one pixel.
void ExpectGridThroughCentres(const Picture& p, bool flat) {
  auto centre = [&](int x, int y) { return flat ? FlatCentre(x, y) : PerspCentre(x, y); };
  int misses = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      Centre c = centre(x, y);
      double pitch = flat ? 49.4 : (kRight[y] - kLeft[y]) / 14.0;
      // Row line, looked at a little left and right of the centre.
      for (int side : {-1, 1}) {
        if ((x == 0 && side < 0) || (x == 14 && side > 0)) continue;
        double contrast;
        double found = DarkCentre(p, c.x + side * pitch * 0.22, c.y, 4, false, contrast);
        if (contrast < 40 || std::fabs(found - c.y) > 1.0) {
          ++misses;
          ADD_FAILURE() << "row line at square (" << x << "," << y << ") side " << side
                        << ": found " << found << " expected " << c.y << " contrast " << contrast;
        }
      }
      // Column line, looked at a little above and below the centre; it is
      // slanted in perspective, so follow it towards the neighbouring row.
      for (int side : {-1, 1}) {
        if ((y == 0 && side < 0) || (y == 14 && side > 0)) continue;
        Centre n = centre(x, y + side);
        double t = 6.0 / std::fabs(n.y - c.y);
        double ex = c.x + (n.x - c.x) * t;
        double ey = c.y + side * 6.0;
        double contrast;
        double found = DarkCentre(p, ey, ex, 4, true, contrast);
        if (contrast < 40 || std::fabs(found - ex) > 1.0) {
          ++misses;
          ADD_FAILURE() << "column line at square (" << x << "," << y << ") side " << side
                        << ": found " << found << " expected " << ex << " contrast " << contrast;
        }
      }
      if (misses > 10) return;
    }
}

TEST_F(MediaTest, PerspectiveGridCrossesOnEverySquareCentre) {
  for (int r = 0; r < 4; ++r) {
    SCOPED_TRACE(r);
    PictureRef p = Load("3D-Board-" + std::to_string(r) + ".jpg");
    ASSERT_TRUE(p);
    ExpectGridThroughCentres(*p, false);
  }
}

TEST_F(MediaTest, FlatGridCrossesOnEverySquareCentre) {
  for (int r = 0; r < 4; ++r) {
    SCOPED_TRACE(r);
    PictureRef p = Load("2D-Board-" + std::to_string(r) + "-schmal.jpg");
    ASSERT_TRUE(p);
    ExpectGridThroughCentres(*p, true);
  }
}

// Screen position of board point (u, v) in the perspective view, u and v
// in squares, linear between the table rows and beyond the last ones.
Centre PerspPoint(double u, double v) {
  int row = std::clamp(int(std::floor(v)), 0, 13);
  double t = v - row;
  auto lerp = [&](const int* table) { return table[row] + (table[row + 1] - table[row]) * t; };
  double left = lerp(kLeft), right = lerp(kRight);
  return {left + u * (right - left) / 14.0, lerp(kRowY)};
}

// Share of light pixels along the middle of one side of the board's frame:
// the name inlaid there in pale wood shows up as light strokes on dark.
double FrameBrightness(const Picture& p, bool flat, int side) {
  int light = 0, total = 0;
  for (double along = 5.9; along <= 8.1; along += 0.02)
    for (double across = -0.98; across <= -0.66; across += 0.04) {
      double u = 0, v = 0;
      switch (side) {
        case 0:
          u = along, v = 14 - across;
          break;  // near / bottom
        case 1:
          u = across, v = along;
          break;  // left
        case 2:
          u = along, v = across;
          break;  // far / top
        case 3:
          u = 14 - across, v = along;
          break;  // right
      }
      Centre c = flat ? Centre{154.7 + 49.4 * u, 77.0 + 50.0 * v} : PerspPoint(u, v);
      light += Luma(p, int(c.x), int(c.y)) > 150;
      ++total;
    }
  return double(light) / total;
}

// Picture r shows the board turned r quarter turns the way the stones turn:
// the stone on (x, y) goes to (14 - y, x), so the inlaid side goes from the
// near edge to the left, the far and the right edge in turn.
TEST_F(MediaTest, BoardPicturesTurnLikeTheStones) {
  for (int flat = 0; flat < 2; ++flat)
    for (int r = 0; r < 4; ++r) {
      std::string name = flat ? "2D-Board-" + std::to_string(r) + "-schmal.jpg"
                              : "3D-Board-" + std::to_string(r) + ".jpg";
      SCOPED_TRACE(name);
      PictureRef p = Load(name);
      ASSERT_TRUE(p);
      double best = -1;
      int bestSide = -1;
      for (int side = 0; side < 4; ++side) {
        double b = FrameBrightness(*p, flat, side);
        if (b > best) best = b, bestSide = side;
      }
      EXPECT_EQ(bestSide, r);
      EXPECT_GT(best, 0.08);
    }
}

// ---------------------------------------------------------------- font

TEST_F(MediaTest, FontCellsAreMeasurableAndShareABaseline) {
  PictureRef p = Load("bitmapfont.png");
  ASSERT_TRUE(p);
  ASSERT_EQ(p->sheetWidth, 101 * 46);
  int firstBaseline = -1;
  for (int cell = 0; cell < 101; ++cell) {
    SCOPED_TRACE(cell);
    int x0 = cell * 46;
    int opaque = 0, leftColumn = 0;
    for (int y = 0; y < 60; ++y) {
      leftColumn += PixelAt(*p, x0, y).a > 0;
      for (int x = 0; x < 46; ++x) opaque += PixelAt(*p, x0 + x, y).a > 0;
    }
    // Column 0 would be taken for "no column found yet" when measuring.
    EXPECT_EQ(leftColumn, 0);
    EXPECT_GT(opaque, 20);
    // The glyph body is pure white, so the draw colour comes out exactly;
    // only its antialiased edge may blend into the rim.
    int body = 0, white = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 46; ++x) {
        Rgba c = PixelAt(*p, x0 + x, y);
        if (c.a < 255 || std::min({c.r, c.g, c.b}) < 128) continue;
        body++;
        white += c.r == 255 && c.g == 255 && c.b == 255;
      }
    if (body > 0) {
      EXPECT_GE(white, body * 85 / 100);
    }
  }
  // Letters without descenders end on the same row: a, x, A, H, 1, 0.
  for (int cell : {0, 23, 30, 37, 59, 68}) {
    int bottom = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 46; ++x)
        if (PixelAt(*p, cell * 46 + x, y).a == 255) bottom = y;
    if (firstBaseline < 0) firstBaseline = bottom;
    EXPECT_NEAR(bottom, firstBaseline, 1) << "cell " << cell;
  }
}

// Neighbouring letters must not run into each other: the measured width
// (opaque columns, advance = width - 2) leaves a gap between the solid
// bodies of two glyphs set side by side.
constexpr int kUnderscoreCell = 84;
TEST_F(MediaTest, FontLeavesRoomBetweenLetters) {
  PictureRef p = Load("bitmapfont.png");
  ASSERT_TRUE(p);
  for (int cell = 0; cell < 101; ++cell) {
    int L = 46, R = -1, solidL = 46, solidR = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 1; x < 46; ++x) {
        Rgba c = PixelAt(*p, cell * 46 + x, y);
        if (c.a > 0) L = std::min(L, x), R = std::max(R, x);
        // the light body of the letter, not its dark rim
        if (c.a > 128 && std::min({c.r, c.g, c.b}) > 128)
          solidL = std::min(solidL, x), solidR = std::max(solidR, x);
      }
    int advance = R - L - 2;
    // The next glyph's body starts at pen + advance + (its solidL - its L);
    // with the same bearing on both sides this gap is what remains.
    int gap = advance - (solidR - L) + (solidL - L) - 1;
    // Underscores are the exception: a row of them is one unbroken line.
    if (cell == kUnderscoreCell)
      EXPECT_LT(gap, 0);
    else
      EXPECT_GE(gap, 2) << "cell " << cell;
    EXPECT_GT(advance, 8) << "cell " << cell;
  }
}

// ---------------------------------------------------------------- music

TEST_F(MediaTest, MusicIsStereoVorbisOfTheRightLength) {
  auto bytes = FindResource(kPrefix + "music.ogg");
  ASSERT_FALSE(bytes.empty());
  OggStream stream(bytes.data(), bytes.size());
  ASSERT_TRUE(stream.ok());
  EXPECT_EQ(stream.Channels(), 2);
  EXPECT_EQ(stream.Rate(), 44100);
  EXPECT_NEAR(stream.Seconds(), 142.5, 0.05);
  // Sound from the first second on, and to the last bar: the loop has no gap.
  std::vector<float> level;
  std::vector<int16_t> pcm(4096 * 2);
  double sum = 0;
  long frames = 0;
  for (;;) {
    int64_t n = stream.Read(pcm.data(), 4096);
    if (n <= 0) break;
    for (int64_t i = 0; i < n; ++i) {
      const double left = pcm[size_t(i) * 2] / 32768.0;
      sum += left * left;
      if (++frames % 44100 == 0) level.push_back(float(std::sqrt(sum / 44100))), sum = 0;
    }
  }
  ASSERT_GE(level.size(), 142u);
  for (size_t s = 0; s < level.size(); ++s) EXPECT_GT(level[s], 0.01f) << "second " << s;
}

}  // namespace
