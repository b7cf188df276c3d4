#pragma once
// Saving a box of the view as an uncompressed 24-bit bitmap file: the save
// dialog, the read-back of the box from the frame on the screen and the file.
//
// The file: a 14-byte file header, a 40-byte information header and one
// unused 4-byte colour entry, so the pixels start at byte 58; rows bottom-up,
// each W pixels of blue, green, red, padded with zeros to a multiple of 4.
#include <cstdint>
#include <string>

namespace platform {
class CommonDialog;
}

namespace view {

// The frame on the screen, as the export reads it back.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // The frame's size in pixels (the viewport it was drawn in); 0 when no
  // frame is shown.
  virtual int FrameWidth() const = 0;
  virtual int FrameHeight() const = 0;
  // Reads w x h pixels from column x, row y (rows from the bottom), all
  // inside the frame, as red, green, blue bytes; rows bottom first, each
  // padded to a multiple of 4 bytes. False when it cannot.
  virtual bool ReadRGB(int x, int y, int w, int h, unsigned char* out) = 0;
};

inline constexpr const char* kBitmapFilter =
    "All Files (*.*)|*.*|VELK Graphic Interface Files(*.bmp)|*.bmp";
inline constexpr uint32_t kBitmapHeaderSize = 58;

// A box of the frame in OpenGL window pixels: left column, lower row, width
// and height.
struct PixelBox {
  long long x = 0, y = 0, w = 0, h = 0;
};

// The bytes of one row of W pixels: 3 W raised to a multiple of 4.
long long BitmapRowBytes(long long W);

// Cuts the box to a frame of the given size on all four sides; false when
// nothing of it is left.
bool ClipBoxToFrame(PixelBox& box, int frameWidth, int frameHeight);

// The box that a bitmap of the mouse box (left x, lower edge y counted down
// from the top, width w, height h, window pixels) reads: w + 1 columns from
// x, h rows up from row frameHeight - y + 1; cut to the frame.
bool BitmapReadBox(int x, int y, int w, int h, int frameWidth, int frameHeight, PixelBox& box);

// The whole file for W x H pixels read as red, green, blue rows (bottom row
// first, each padded to BitmapRowBytes(W)).
std::string BitmapFileBytes(const unsigned char* rgbRows, int W, int H);

// Writes the box of the frame to the file, replacing a file of that name
// only once the new one is complete. False on any failure (no frame, a box
// with nothing inside the frame, a bad name, a full disk); the hourglass
// pointer shows meanwhile.
bool Write_Bitmap_File(const std::string& fileName, int32_t x, int32_t y, int32_t w, int32_t h,
                       FrameSource& frame);

// Asks for a file name in the save dialog ("Save Bitmap") and writes the box
// there; "Error: Saving Operation Failed!" when that fails. A cancelled
// dialog writes nothing and says nothing.
void Save_Bitmap(platform::CommonDialog& cdlBitmap, int32_t x, int32_t y, int32_t w, int32_t h,
                 FrameSource& frame);

}  // namespace view
