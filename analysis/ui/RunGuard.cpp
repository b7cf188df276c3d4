#include "analysis/ui/RunGuard.h"

namespace analysis::ui {
namespace {
int runsUnderWay = 0;
}

bool RunInProgress() { return runsUnderWay > 0; }

RunInProgressScope::RunInProgressScope() { ++runsUnderWay; }
RunInProgressScope::~RunInProgressScope() { --runsUnderWay; }

}  // namespace analysis::ui
