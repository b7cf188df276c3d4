#pragma once
// What the property listing window needs of the program: the model it lists,
// which New replaces while the window stays open, and the program's handling
// of a file step that fails in Save to File.
#include <functional>
#include <string>

namespace model {
class Mesh;
}

namespace dialogs {

// How a step of a file command ended.
enum class FileStepEnd { Done, Cancelled, GaveUp };

class ListingHost {
 public:
  virtual ~ListingHost() = default;

  virtual const model::Mesh& Mesh() const = 0;
  // Runs one step of Save to File. A cancelled file dialog ends it without a
  // word; any other failure is explained to the user, who may run the step
  // again where that can mend it. The window shows its own text when the
  // user gives up, with `reason` below it: why the step failed, or empty
  // when the explanation has given it already.
  virtual FileStepEnd RunFileStep(const std::function<void()>& step, std::string& reason) = 0;
};

}  // namespace dialogs
