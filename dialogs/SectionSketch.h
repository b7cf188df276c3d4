#pragma once
// The cross-section sketch of one girder end: its checks of the end's boxes
// and the three rectangles (top flange, web, bottom flange) in the picture's
// own coordinates, which run from 0 to 2S on both axes, y up. No Qt here.
#include <string>

namespace dialogs {

struct SketchRect {
  float x = 0, y = 0;  // lower-left corner
  float width = 0, height = 0;
};

// The six section boxes of one end and its seventh box: the length at End 1,
// the offset at End 2.
struct SectionTexts {
  std::string TFW, TFT, WH, WT, BFW, BFT, extra;
};

enum class SketchOutcome {
  Drawn,    // the rectangles hold the sketch
  Blank,    // nothing to draw (D or W is 0): the picture is left cleared
  Refused,  // a check failed: `message` is shown and the picture is untouched
  Failed,   // a value lies beyond single precision: the caller hides the picture
};

struct SectionSketch {
  SketchOutcome outcome = SketchOutcome::Blank;
  std::string message;
  float D = 0, W = 0, S = 0, d = 0;  // depth, width, half-size, vertical shift
  SketchRect top, web, bottom;
};

// Checks the end's boxes in order and computes its sketch. `end1` adds the
// length check of End 1's seventh box.
SectionSketch ComputeSectionSketch(const SectionTexts& texts, bool end1);

}  // namespace dialogs
