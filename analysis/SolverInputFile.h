#pragma once
// The solver input file "velktempin.vlk": everything the solver needs of the
// model (geometry, connectivity, sizes, material, loads, restraints, springs)
// written as generation records that each stand for one item. Item numbers
// in it are solver numbers (vID), never collection positions.
#include <filesystem>
#include <string>

#include "analysis/RunFiles.h"
#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/RuntimeError.h"

namespace analysis {

// The input file and the listing, in the program's folder.
std::filesystem::path TempInputFile(const std::filesystem::path& programFolder);
std::filesystem::path TempOutputFile(const std::filesystem::path& programFolder);

// Rebuilds UvID in the three collections and writes the input file of
// `files` (its velktempin.vlk), which the run then reads back. Returns 1
// when the file was written completely and closed, 0 on any failure (no
// message is shown; the caller reports). Writes only with the folder's turn:
// a run that has not taken it takes it here when no other run holds it, and
// fails otherwise. A model whose vID numbering is not 1, 2, ... in
// collection order fails without a file being left half-valid.
short Create_Input_File(model::Mesh& mesh, const model::Analysis& analysis,
                        const model::Material& material, RunFiles& files);
// The same; on failure `failure` says why and what to change (the detail
// of the run dialog's box), else it is empty.
short Create_Input_File(model::Mesh& mesh, const model::Analysis& analysis,
                        const model::Material& material, RunFiles& files, std::string& failure);

// What a file error of a run's file means and what to do about it; a
// refusal of what stands at its name (platform::NameRefused) already says
// what to do.
std::string Run_File_Detail(const platform::RuntimeError& error, const std::filesystem::path& file);

// Point loads the input file leaves out: on nodes that take part, loads
// whose components are not both 0 but none above 1E-5 in magnitude
// (`small`); on nodes that take no part, loads not 0 (`offModel`).
struct LoadsLeftOut {
  long small = 0;
  long offModel = 0;
};
LoadsLeftOut Loads_Left_Out(const model::Nodes& nodes);

}  // namespace analysis
