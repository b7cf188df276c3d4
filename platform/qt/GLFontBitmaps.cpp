#include "platform/qt/GLFontBitmaps.h"

#include <GL/gl.h>

#include <QChar>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <vector>

namespace platform::qt {

namespace {

// The glyph's bitmap rows, bottom row first, one bit a pixel, MSB leftmost,
// rows padded to whole bytes (unpack alignment 1).
std::vector<GLubyte> BitmapRows(const QImage& glyph) {
  const int w = glyph.width();
  const int h = glyph.height();
  const int rowBytes = (w + 7) / 8;
  std::vector<GLubyte> bits(static_cast<size_t>(rowBytes) * static_cast<size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    const int row = h - 1 - y;
    for (int x = 0; x < w; ++x) {
      if (qAlpha(glyph.pixel(x, y)) > 127)
        bits[static_cast<size_t>(row * rowBytes + x / 8)] |= static_cast<GLubyte>(0x80 >> (x % 8));
    }
  }
  return bits;
}

}  // namespace

bool UseFontBitmaps(const QFont& fontIn, int first, int count, unsigned listBase) {
  QFont font = fontIn;
  font.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics fm(font);
  const int ascent = fm.ascent();
  const int descent = fm.descent();
  const int height = std::max(1, ascent + descent);

  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  bool ok = true;
  for (int c = first; c < first + count; ++c) {
    const GLuint list = listBase + static_cast<GLuint>(c);
    // Control codes have no glyph: their lists draw nothing.
    const bool printable = c >= 32 && c != 127 && !(c >= 128 && c < 160);
    const QString text = printable ? QString(QChar(static_cast<char16_t>(c))) : QString();
    const int advance = printable ? fm.horizontalAdvance(text) : 0;
    const QRect bounds = printable ? fm.boundingRect(text) : QRect();
    // Room for glyphs that reach left of their origin or past their advance.
    const int pad = std::max(0, -bounds.left());
    const int width = std::max(1, pad + std::max(advance, bounds.right() + 1));

    std::vector<GLubyte> bits;
    if (printable) {
      QImage glyph(width, height, QImage::Format_ARGB32);
      glyph.fill(Qt::transparent);
      QPainter p(&glyph);
      p.setFont(font);
      p.setPen(Qt::black);
      p.drawText(pad, ascent, text);
      p.end();
      bits = BitmapRows(glyph);
    }

    glNewList(list, GL_COMPILE);
    if (printable)
      glBitmap(width, height, static_cast<GLfloat>(pad), static_cast<GLfloat>(descent),
               static_cast<GLfloat>(advance), 0.0f, bits.data());
    else
      glBitmap(0, 0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr);
    glEndList();
    if (glIsList(list) != GL_TRUE) ok = false;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return ok;
}

}  // namespace platform::qt
