#pragma once
// Bitmap-font display lists: list base + c draws character code c of a font
// with glBitmap at the current raster position and moves the raster position
// on by the character's advance. The glyphs are rendered by Qt.
#include <QFont>

namespace platform::qt {

constexpr unsigned kFontListBase = 1000;
constexpr int kFontListCount = 256;

// Builds lists listBase + first .. listBase + first + count - 1 from the
// font's glyphs of character codes first..first+count-1 (Latin-1). Needs a
// current context. False when a list could not be made.
bool UseFontBitmaps(const QFont& font, int first, int count, unsigned listBase);

}  // namespace platform::qt
