#include "app/ToolImages.h"

#include <QString>

#include <algorithm>

// The resources live in a static library: without this reference the
// linker would leave them out of the program. It must stand outside any
// namespace.
static void RegisterToolImages() { Q_INIT_RESOURCE(images); }

namespace app {

QPixmap LoadToolImage(const std::string& key) {
  static const bool registered = (RegisterToolImages(), true);
  (void)registered;
  if (std::find(kToolImageKeys.begin(), kToolImageKeys.end(), key) == kToolImageKeys.end())
    return QPixmap();
  return QPixmap(QStringLiteral(":/toolbar/%1.png").arg(QString::fromStdString(key)));
}

}  // namespace app
