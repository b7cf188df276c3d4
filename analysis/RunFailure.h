#pragma once
// Why a run failed, in words an engineer acts on: the detail shown below the
// error box's text. It names the element or node of the model (by its ID,
// not the solver's number) and the likely cause: a missing support, a zero
// property, corners that coincide.
#include <filesystem>
#include <string>

#include "model/Mesh.h"
#include "platform/RuntimeError.h"

namespace analysis {

// Where the run was when it failed.
struct RunPlace {
  enum class Stage { Sizes, Input, InPlane, Buckling, Iteration };
  Stage stage = Stage::Sizes;
  char element = 0;  // 'P' (plate) or 'S' (stiffener) while an element's routines run
  long number = 0;   // that element's solver number
  // Whether the input file restrains any in-plane, any out-of-plane direction.
  bool inPlaneSupports = true;
  bool outOfPlaneSupports = true;
  bool loads = true;  // whether the input file holds any load
  std::filesystem::path folder;  // where the input file and the listing are
  std::filesystem::path file;    // the one of them being opened, if any
};

// The detail of the error box for a run-time error raised at `place`.
std::string Failure_Detail(const platform::RuntimeError& error, const RunPlace& place, const model::Mesh& mesh);

// The detail of the band store overflow's box, met while assembling `place`'s
// element into a store of band width bw.
std::string Band_Overflow_Detail(const RunPlace& place, const model::Mesh& mesh, int bw);

// The detail of the run dialog's box when the model has too few nodes to run.
std::string Too_Few_Nodes_Detail(long nodes);

}  // namespace analysis
