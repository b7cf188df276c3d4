// The frame on the screen and what is read back from it: a failed frame
// leaves the last good one on the screen, and a box of a frame of known
// content saved as a bitmap reads back byte for byte, header included.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QImage>
#include <QTest>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/qt/GLSurface.h"
#include "tests/platform/FileTestSupport.h"
#include "view/BitmapExport.h"

namespace fs = std::filesystem;
using velk_test::ReadBytes;

namespace {

constexpr int kWidth = 61, kHeight = 43;  // odd, so rows need padding

// The colour of frame pixel (x, y), y from the bottom.
unsigned char Red(int x, int) { return static_cast<unsigned char>(x * 4); }
unsigned char Green(int, int y) { return static_cast<unsigned char>(y * 5 + 1); }
unsigned char Blue(int x, int y) { return static_cast<unsigned char>((x + 3 * y) % 251); }

// Fills the whole drawing buffer with the pattern above.
void DrawPattern() {
  std::vector<unsigned char> rgb;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) rgb.insert(rgb.end(), {Red(x, y), Green(x, y), Blue(x, y)});
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glRasterPos2f(-1, -1);
  glDrawPixels(kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// A frame that goes wrong half way: blue where the pattern was.
void DrawBlue() {
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(1, 1, 1, 1);
}

bool IsPattern(const QImage& image) {
  if (image.width() != kWidth || image.height() != kHeight) return false;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (image.pixel(x, kHeight - 1 - y) != qRgb(Red(x, y), Green(x, y), Blue(x, y))) return false;
  return true;
}

class SurfaceFrame : public view::FrameSource {
 public:
  explicit SurfaceFrame(platform::qt::GLSurface& s) : s_(s) {}
  int FrameWidth() const override { return s_.ShownFrameSize().width(); }
  int FrameHeight() const override { return s_.ShownFrameSize().height(); }
  bool ReadRGB(int x, int y, int w, int h, unsigned char* out) override {
    return s_.ReadShownFrame(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, out);
  }

 private:
  platform::qt::GLSurface& s_;
};

class ShownFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    surface.setFixedSize(kWidth, kHeight);
    surface.onPaint = [this] {
      if (fail == Fail::Throw) throw std::runtime_error("no frame");
      if (fail == Fail::Report) {
        DrawBlue();
        return false;
      }
      DrawPattern();
      return true;
    };
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    ASSERT_EQ(surface.DeviceWidth(), kWidth) << "the tests assume one device pixel per pixel";
  }

  enum class Fail { None, Report, Throw } fail = Fail::None;
  velk_test::ScratchFolder scratch;
  const fs::path dir = scratch.path();
  platform::qt::GLSurface surface;
};

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}
uint16_t U16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               static_cast<unsigned char>(b[at + 1]) << 8);
}

// Checks a bitmap file against the pattern: W x H pixels whose lower left
// pixel is frame pixel (x0, y0).
void ExpectPatternBitmap(const std::string& b, int x0, int y0, int W, int H) {
  const uint32_t R = (3 * W + 3) / 4 * 4;
  ASSERT_EQ(b.size(), 58 + R * H);
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(U32(b, 2), 58 + R * H);
  EXPECT_EQ(U32(b, 6), 0u);  // both reserved fields
  EXPECT_EQ(U32(b, 10), 58u);
  EXPECT_EQ(U32(b, 14), 40u);
  EXPECT_EQ(U32(b, 18), static_cast<uint32_t>(W));
  EXPECT_EQ(U32(b, 22), static_cast<uint32_t>(H));
  EXPECT_EQ(U16(b, 26), 1u);
  EXPECT_EQ(U16(b, 28), 24u);
  EXPECT_EQ(U32(b, 30), 0u);
  EXPECT_EQ(U32(b, 34), R * H);
  EXPECT_EQ(U32(b, 38), 2952u);
  EXPECT_EQ(U32(b, 42), 2952u);
  EXPECT_EQ(U32(b, 46), 0u);
  EXPECT_EQ(U32(b, 50), 0u);
  EXPECT_EQ(U32(b, 54), 0u);  // the unused colour entry
  for (int j = 0; j < H; ++j) {
    const size_t row = 58 + j * R;
    for (int i = 0; i < W; ++i) {
      const int x = x0 + i, y = y0 + j;
      const size_t p = row + 3 * i;
      ASSERT_EQ(static_cast<unsigned char>(b[p]), Blue(x, y)) << i << "," << j;
      ASSERT_EQ(static_cast<unsigned char>(b[p + 1]), Green(x, y)) << i << "," << j;
      ASSERT_EQ(static_cast<unsigned char>(b[p + 2]), Red(x, y)) << i << "," << j;
    }
    for (size_t k = row + 3 * W; k < row + R; ++k) ASSERT_EQ(b[k], '\0') << "padding of row " << j;
  }
}

}  // namespace

TEST_F(ShownFrame, AFailedFrameLeavesTheLastGoodOneOnTheScreen) {
  EXPECT_TRUE(IsPattern(surface.grabFramebuffer()));
  EXPECT_EQ(surface.ShownFrameSize(), QSize(kWidth, kHeight));

  // The frame after a failing pass is the last good one, whether the pass
  // says so or throws; read-backs see it too.
  for (Fail f : {Fail::Report, Fail::Throw}) {
    fail = f;
    EXPECT_TRUE(IsPattern(surface.grabFramebuffer()));
    EXPECT_TRUE(IsPattern(surface.grabFramebuffer())) << "and again at the next repaint";
    unsigned char rgb[4] = {};
    ASSERT_TRUE(surface.ReadShownFrame(7, 9, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb));
    EXPECT_EQ(rgb[0], Red(7, 9));
    EXPECT_EQ(rgb[1], Green(7, 9));
    EXPECT_EQ(rgb[2], Blue(7, 9));
  }

  // A clean frame is shown again.
  fail = Fail::None;
  surface.onPaint = [] {
    DrawBlue();
    return true;
  };
  const QImage blue = surface.grabFramebuffer();
  EXPECT_EQ(blue.pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(blue.pixel(kWidth - 1, kHeight - 1), qRgb(0, 0, 255));
}

TEST_F(ShownFrame, NoFrameBeforeTheFirstGoodOne) {
  platform::qt::GLSurface fresh;
  fresh.setFixedSize(20, 10);
  fresh.onPaint = [] {
    DrawBlue();
    return false;
  };
  fresh.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
  const QImage image = fresh.grabFramebuffer();
  EXPECT_EQ(image.pixel(3, 3), qRgb(255, 255, 255)) << "the background, not the failed frame";
  EXPECT_TRUE(fresh.ShownFrameSize().isEmpty());
  unsigned char rgb[4] = {};
  EXPECT_FALSE(fresh.ReadShownFrame(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb));
  SurfaceFrame frame(fresh);
  EXPECT_FALSE(view::Write_Bitmap_File((dir / "none.bmp").string(), 0, 5, 3, 3, frame));
  EXPECT_FALSE(fs::exists(dir / "none.bmp"));
}

TEST_F(ShownFrame, ABitmapOfAKnownFrameReadsBackExactly) {
  surface.grabFramebuffer();
  SurfaceFrame frame(surface);
  const fs::path file = dir / "box.bmp";
  // x, y (lower edge, counted down from the top), w, h of the mouse box, and
  // the frame box expected: lower left pixel, width, height.
  struct Case {
    const char* what;
    int x, y, w, h;
    int x0, y0, W, H;
  } cases[] = {
      // y' = 43 - 30 + 1 = 14; w + 1 columns.
      {"inside", 10, 30, 10, 10, 10, 14, 11, 10},
      {"one column", 5, 30, 0, 4, 5, 14, 1, 4},
      {"four columns need no padding", 5, 30, 3, 4, 5, 14, 4, 4},
      {"across the left edge", -4, 30, 10, 5, 0, 14, 7, 5},
      {"across the right edge", 55, 30, 10, 5, 55, 14, 6, 5},
      {"across the bottom edge", 3, 50, 6, 20, 3, 0, 7, 14},
      {"across the top edge", 3, 10, 6, 20, 3, 34, 7, 9},
      {"across every edge", -100, 200, 300, 400, 0, 0, kWidth, kHeight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(view::Write_Bitmap_File(file.string(), c.x, c.y, c.w, c.h, frame));
    ExpectPatternBitmap(ReadBytes(file), c.x0, c.y0, c.W, c.H);
  }

  // Nothing of the box inside the frame, or no height: no file, no success.
  fs::remove(file);
  const int outside[][4] = {{kWidth + 1, 30, 5, 5}, {-20, 30, 5, 5}, {5, -10, 5, 5},
                            {5, 200, 5, 5},         {5, 30, 5, 0},   {5, 30, -3, 5}};
  for (const auto& b : outside) {
    EXPECT_FALSE(view::Write_Bitmap_File(file.string(), b[0], b[1], b[2], b[3], frame))
        << b[0] << "," << b[1] << "," << b[2] << "," << b[3];
    EXPECT_FALSE(fs::exists(file));
  }
}

TEST_F(ShownFrame, SavingReplacesAFileWholeOrNotAtAll) {
  surface.grabFramebuffer();
  SurfaceFrame frame(surface);
  const fs::path file = dir / "old.bmp";
  velk_test::WriteBytes(file, std::string(5000, 'x'));
  ASSERT_TRUE(view::Write_Bitmap_File(file.string(), 2, 20, 2, 2, frame));
  ExpectPatternBitmap(ReadBytes(file), 2, 24, 3, 2);  // nothing of the old file is left

  // A failed write leaves the old file as it was.
  const std::string before = ReadBytes(file);
  EXPECT_FALSE(view::Write_Bitmap_File((dir / "no such folder" / "b.bmp").string(), 2, 20, 2, 2,
                                       frame));
  EXPECT_FALSE(view::Write_Bitmap_File("", 2, 20, 2, 2, frame));
  fs::create_directories(dir / "a folder.bmp");
  std::string reason;
  EXPECT_FALSE(view::Write_Bitmap_File((dir / "a folder.bmp").string(), 2, 20, 2, 2, frame, &reason));
  EXPECT_EQ(reason, (dir / "a folder.bmp").string() + " is a folder, not a regular file");
  EXPECT_EQ(ReadBytes(file), before);
}
