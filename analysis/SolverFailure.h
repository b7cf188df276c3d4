#pragma once
// A run-time error of the solver that knows more than its number: the likely
// cause in words an engineer acts on ("its thickness or the elastic modulus
// is zero"), and for a zero pivot the equation where it showed. The run
// driver turns it into the detail of its error box, naming the node or
// element of the model.
#include <string>

#include "platform/RuntimeError.h"

namespace analysis {

class SolverFailure : public platform::RuntimeError {
 public:
  SolverFailure(int number, const std::string& description, std::string cause, int equation = 0)
      : platform::RuntimeError(number, description), cause_(std::move(cause)), equation_(equation) {}

  const std::string& cause() const noexcept { return cause_; }
  int equation() const noexcept { return equation_; }  // 0 when not a pivot

 private:
  std::string cause_;
  int equation_;
};

}  // namespace analysis
