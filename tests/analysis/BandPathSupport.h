#pragma once
// Runs a part of a test on one path of the band routines, then goes back
// to the path that was taken before.
#include "analysis/BandPaths.h"

namespace bandtest {

class ScopedBandPath {
 public:
  explicit ScopedBandPath(analysis::BandPath path) : before_(analysis::CurrentBandPath()) {
    analysis::ChooseBandPath(path);
  }
  ~ScopedBandPath() { analysis::ChooseBandPath(before_); }
  ScopedBandPath(const ScopedBandPath&) = delete;
  ScopedBandPath& operator=(const ScopedBandPath&) = delete;

 private:
  analysis::BandPath before_;
};

}  // namespace bandtest
