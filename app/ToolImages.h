#pragma once
// The 16 x 16 pictures of the toolbar's image list, kept as PNG files in the
// program's resources (app/images.qrc).
#include <QPixmap>

#include <array>
#include <string>

namespace app {

inline constexpr std::array<const char*, 24> kToolImageKeys = {
    "copy",   "center", "zoomall", "new",            "save",   "open",    "boundary", "brace",
    "stiffener", "load", "plate",  "run",            "set",    "meshgeneration", "delete",
    "refresh", "paste", "property", "select",        "viewangle", "leftview", "topview",
    "zoomin", "zoomout"};

inline constexpr int kToolImageSize = 16;  // width and height in pixels

// The picture of one key (a null one for a key not in the list).
QPixmap LoadToolImage(const std::string& key);

}  // namespace app
