#pragma once
// One buckling analysis from end to end: the solver input file is read back,
// the in-plane problem solved, stresses recovered, the buckling matrices
// assembled and the eigenvalue iteration run. Results go straight into the
// model through UvID; the listing "velktempout.vlk" records the run. The run
// reaches the user interface only through RunUi, and its files through
// RunFiles.
#include <cstdint>
#include <filesystem>
#include <string>

#include "analysis/RunFiles.h"
#include "analysis/RunUi.h"
#include "model/Analysis.h"
#include "model/Mesh.h"

namespace analysis {

// How a run ended.
enum class RunOutcome {
  Completed,       // the iteration ended (converged or all shifts spent) and results are stored
  Interrupted,     // the cancel flag was seen after a yield
  DimensionError,  // an element reached beyond the band store
  Error,           // the error path: a run-time error ended the run
};

struct RunResult {
  RunOutcome outcome = RunOutcome::Error;
  bool converged = false;   // only meaningful when Completed
  double eigenvalue = 0.0;  // the last estimate, when Completed
  double residual = 0.0;    // of the eigenvalue equation for it, when Completed (EigenResult)
  int errorNumber = 0;      // the run-time error number, when Error
  std::string errorText;    // its description, when Error
  std::string detail;       // why, in an engineer's words (the error box's detail), when Error
  int threads = 1;          // the threads the run used last, when it returned normally
};

// The memory of the band stores kept for the next run of the process, in
// bytes (0 when none is kept).
std::uint64_t KeptBandStoreBytes();

// Performs one run from the input file that Create_Input_File wrote into
// `files`, which it reads back (refusing it when its name no longer leads to
// it) while the run holds the folder's turn; the run writes its listing
// there and ends the turn once both files are closed, however it ends. The
// run reports its own failures (message box with a detail, and progress
// line) and always returns; every box it shows, the eigenvalue's too, comes
// after the turn has ended, so that no run of another window waits for the
// user to close it. Material constants come from the input file, not from
// the model.
RunResult Run_Calculation(model::Mesh& mesh, model::Analysis& analysis, RunFiles& files, RunUi& ui);
// The same with `threads` threads sharing the element routines and the
// reductions (1: the calling thread alone; 0: the run's own choice, as
// above, from how busy the processors it may use are); the results do not
// depend on it. Each run leaves its band stores to the next run of the
// process, which clears them instead of bringing in fresh memory.
RunResult Run_Calculation(model::Mesh& mesh, model::Analysis& analysis, RunFiles& files, RunUi& ui, int threads);

}  // namespace analysis
