#include "platform/qt/CurrentContext.h"

#include <QOpenGLContext>

namespace platform::qt {

bool HasCurrentContext() { return QOpenGLContext::currentContext() != nullptr; }

}  // namespace platform::qt
