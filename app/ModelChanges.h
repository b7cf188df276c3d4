#pragma once
// Whether the model differs from the one last saved, opened or emptied, and
// from the one its result was found for. The model is compared by its project
// file text, as Save writes it, so a change shows whichever command made it,
// and nothing has to report one. For saving, what the file keeps counts: the
// run data and a run's results are changes; the view and the solver options,
// which the options file keeps, are not. For the result, the solver options
// count too (the caller adds them to the text), since the result depends on
// them.
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace app {

class ModelChanges {
 public:
  // The model whose project text this is counts as saved from now on.
  void MarkSaved(std::string_view projectText) { saved_ = Hash(projectText); }
  // No model is known to be saved: every model counts as changed.
  void Forget() { saved_.reset(); }
  bool Changed(std::string_view projectText) const { return !saved_ || *saved_ != Hash(projectText); }

  // The model whose project text (with the solver options) this is, its
  // result included, is the one that result was found for: by the run that
  // stored it, or, as a file keeps no sign of the run, the model opened with it.
  void MarkAnalysed(std::string_view resultInputs) { analysed_ = Hash(resultInputs); }
  // The model differs from the one its result was found for; false while no
  // such model is known.
  bool ChangedSinceRun(std::string_view resultInputs) const {
    return analysed_ && *analysed_ != Hash(resultInputs);
  }

 private:
  static std::size_t Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }
  std::optional<std::size_t> saved_;
  std::optional<std::size_t> analysed_;
};

}  // namespace app
