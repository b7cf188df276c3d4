#pragma once
// Reading the solver input file back: the header, the geometry blocks into
// the solver's 1-based arrays, and the records of the load, restraint and
// spring blocks, each expanded by its block's generation rules. Item numbers,
// increments and counts are 16-bit; arithmetic on them beyond 32767 raises
// the overflow error, a number outside an array the subscript error.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/RecordIO.h"
#include "platform/RuntimeError.h"

namespace analysis {

// v as a 16-bit solver integer; raises 6 (overflow) outside -32768..32767.
short To16(long long v);

struct SolverHeader {
  std::string title, description, runId;
  short plates = 0, stiffeners = 0, points = 0, loads = 0;
  short inPlaneRestraints = 0, inPlaneSprings = 0, outOfPlaneRestraints = 0, outOfPlaneSprings = 0;
  double MOE = 0.0, PR = 0.0;
};

// The four header lines.
SolverHeader Read_Header(model::RecordReader& in);

// A 1-based array whose every access is bounds-checked (9 outside 1..size).
template <typename T>
class Array1 {
 public:
  Array1() = default;
  explicit Array1(std::size_t n) : v_(n) {}
  T& operator()(long i) {
    Check(i);
    return v_[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(long i) const {
    Check(i);
    return v_[static_cast<std::size_t>(i - 1)];
  }
  long size() const { return static_cast<long>(v_.size()); }
  T* data() { return v_.data(); }

 private:
  void Check(long i) const {
    if (i < 1 || i > size()) platform::Raise(platform::kErrSubscript);
  }
  std::vector<T> v_;
};

// The run's geometry arrays, indexed from 1 by solver numbers.
struct SolverGeometry {
  Array1<double> nodeX, nodeY;                   // by node number
  Array1<std::array<short, 4>> plateNodes;       // corners 1..4 at [0..3]
  Array1<double> plateThickness;
  Array1<std::array<short, 2>> stiffenerNodes;   // ends 1..2 at [0..1]
  Array1<double> stiffenerThickness, stiffenerWidth;

  // Node arrays of nodeRows entries, plate arrays of nP, stiffener arrays of nS.
  SolverGeometry(long nodeRows, long nP, long nS);
};

// Blocks 1 to 5, reading each block until its declared count is reached.
void Read_Geometry(model::RecordReader& in, SolverGeometry& g, short plates, short stiffeners,
                   short points);

// The numbers first, first + s, ... that do not pass last (downward for a
// negative s).
std::vector<short> RunNumbers(short first, short last, short increment);

// One record of blocks 6 to 10, with its defaults applied and its nodes expanded.
struct NodeRecord {
  short first = 0, last = 0, increment = 0;
  std::array<short, 3> flags{};    // fx, fy (block 7); fz, frx, fry (block 9)
  std::array<double, 3> values{};  // px, py; vx, vy; kx, ky; kz, krx, kry
  std::vector<short> nodes;
  short counts = 0;                // what the record counts toward its block's count
};

NodeRecord Read_Load_Record(model::RecordReader& in);                // block 6
NodeRecord Read_InPlane_Restraint_Record(model::RecordReader& in);   // block 7
NodeRecord Read_InPlane_Spring_Record(model::RecordReader& in);      // block 8
NodeRecord Read_OutOfPlane_Restraint_Record(model::RecordReader& in);  // block 9
NodeRecord Read_OutOfPlane_Spring_Record(model::RecordReader& in);   // block 10

// Equation d of node n in a system of `perNode` degrees of freedom per node,
// (n - 1) * perNode + d, in 16-bit arithmetic.
short Equation(long n, int perNode, int d);

}  // namespace analysis
