#include "view/BitmapExport.h"

#include <algorithm>
#include <vector>

#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"
#include "view/ViewHost.h"

namespace view {
namespace {

constexpr int32_t kPixelsPerMetre = 2952;
constexpr int kDialogFlags = platform::cdlOFNOverwritePrompt | platform::cdlOFNHideReadOnly;

void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The hourglass while the file is made; back to the default on every way out.
class BusyPointer {
 public:
  explicit BusyPointer(ViewHost& host) : host_(host) { host_.SetBusyPointer(true); }
  ~BusyPointer() { host_.SetBusyPointer(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  ViewHost& host_;
};

// A box of the frame in OpenGL window pixels: left column, lower row, width
// and height.
struct PixelBox {
  long long x = 0, y = 0, w = 0, h = 0;
};

constexpr uint32_t kHeaderSize = 58;  // file header, information header, one colour entry

// The bytes of one row of W pixels: 3 W raised to a multiple of 4.
long long BitmapRowBytes(long long W) { return (3 * W + 3) / 4 * 4; }

// Cuts the box to a frame of the given size on all four sides; false when
// nothing of it is left.
bool ClipBoxToFrame(PixelBox& box, int frameWidth, int frameHeight) {
  const long long left = std::max(box.x, 0LL);
  const long long bottom = std::max(box.y, 0LL);
  const long long right = std::min(box.x + box.w, static_cast<long long>(frameWidth));
  const long long top = std::min(box.y + box.h, static_cast<long long>(frameHeight));
  if (right <= left || top <= bottom) return false;
  box = {left, bottom, right - left, top - bottom};
  return true;
}

// The box of the frame that a bitmap of the mouse box reads.
bool BitmapReadBox(int x, int y, int w, int h, int frameWidth, int frameHeight, PixelBox& box) {
  // The same flip of the pointer's y as picking uses: plus one, not minus.
  box = {x, static_cast<long long>(frameHeight) - y + 1, static_cast<long long>(w) + 1, h};
  return ClipBoxToFrame(box, frameWidth, frameHeight);
}

// The whole file for W x H pixels read as red, green, blue rows (bottom row
// first, each padded to BitmapRowBytes(W)).
std::string BitmapFileBytes(const unsigned char* rgbRows, int W, int H) {
  const long long R = BitmapRowBytes(W);
  const uint32_t imageSize = static_cast<uint32_t>(R * H);
  std::string out;
  out.reserve(kHeaderSize + imageSize);
  // File header.
  Put16(out, 19778);  // "BM"
  Put32(out, imageSize + kHeaderSize);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, kHeaderSize);
  // Information header, then one colour entry that nothing uses.
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(W));
  Put32(out, static_cast<uint32_t>(H));  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, static_cast<uint32_t>(kPixelsPerMetre));
  Put32(out, static_cast<uint32_t>(kPixelsPerMetre));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  // Pixel rows: red and blue change places; the padding is zero.
  for (int row = 0; row < H; ++row) {
    const unsigned char* in = rgbRows + row * R;
    for (int col = 0; col < W; ++col) {
      const unsigned char* p = in + 3 * col;
      out.push_back(static_cast<char>(p[2]));
      out.push_back(static_cast<char>(p[1]));
      out.push_back(static_cast<char>(p[0]));
    }
    out.append(static_cast<size_t>(R - 3LL * W), '\0');
  }
  return out;
}

}  // namespace

bool Write_Bitmap_File(const std::string& fileName, int32_t x, int32_t y, int32_t w, int32_t h,
                       FrameSource& frame, std::string* reason) {
  try {
    PixelBox box;
    if (!BitmapReadBox(x, y, w, h, frame.FrameWidth(), frame.FrameHeight(), box)) return false;
    const int W = static_cast<int>(box.w), H = static_cast<int>(box.h);
    std::vector<unsigned char> pixels(static_cast<size_t>(BitmapRowBytes(W) * H));
    if (!frame.ReadRGB(static_cast<int>(box.x), static_cast<int>(box.y), W, H, pixels.data()))
      return false;
    const std::string bytes = BitmapFileBytes(pixels.data(), W, H);
    platform::ReplaceFile(fileName, [&bytes](platform::TextFile& file) { file.Write(bytes); });
    return true;
  } catch (const platform::RuntimeError& e) {
    if (reason) *reason = e.description();
    return false;
  } catch (...) {
    return false;
  }
}

void Save_Bitmap(platform::CommonDialog& cdlBitmap, int32_t x, int32_t y, int32_t w, int32_t h,
                 FrameSource& frame, ViewHost& host) {
  std::string fileName;
  for (;;) {
    int number = 0;
    try {
      cdlBitmap.CancelError = true;
      cdlBitmap.Flags = kDialogFlags;
      cdlBitmap.DialogTitle = "Save Bitmap";
      cdlBitmap.Filter = kBitmapFilter;
      cdlBitmap.FilterIndex = 2;
      cdlBitmap.ShowSave();
      fileName = cdlBitmap.FileName();
      break;
    } catch (const platform::RuntimeError& e) {
      number = e.number();
    } catch (...) {
      number = -1;
    }
    if (number == platform::kErrDialogCancelled) return;
    if (!host.RetryAfterFileError(number)) {
      platform::MsgBox("File Error!");
      return;
    }
  }
  std::string reason;
  bool written = false;
  {
    BusyPointer hourglass(host);
    written = Write_Bitmap_File(fileName, x, y, w, h, frame, &reason);
  }
  if (!written)
    platform::MsgBox("Error: Saving Operation Failed!", platform::Buttons::Ok, platform::Icon::None, {},
                     reason);
}

}  // namespace view
