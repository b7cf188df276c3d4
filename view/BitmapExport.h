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

class ViewHost;

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

// Writes a box of the frame to the file: the mouse box's left x, lower edge
// y (counted down from the top), width w and height h, in window pixels. It
// reads w + 1 columns from x and h rows up from row frameHeight - y + 1, cut
// to the frame on all four sides. A file of that name is replaced only once
// the new one is complete. False on any failure (no frame, nothing of the box
// inside the frame, a bad name, a full disk), with what the system said in
// `reason` where it said anything.
bool Write_Bitmap_File(const std::string& fileName, int32_t x, int32_t y, int32_t w, int32_t h,
                       FrameSource& frame, std::string* reason = nullptr);

// Asks for a file name in the save dialog ("Save Bitmap") and writes the box
// there under the host's hourglass; "Error: Saving Operation Failed!", with
// the reason below it, when that fails. A cancelled dialog writes nothing and
// says nothing; a dialog that fails otherwise goes to the host's file error
// routine, which may show it again.
void Save_Bitmap(platform::CommonDialog& cdlBitmap, int32_t x, int32_t y, int32_t w, int32_t h,
                 FrameSource& frame, ViewHost& host);

}  // namespace view
