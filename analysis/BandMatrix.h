#pragma once
// The solver's global matrices: symmetric band stores and the five routines
// that assemble, constrain, reduce, solve and multiply them.
//
// A store holds entry (j, n), j = 1 .. BW the band position and n = 1 .. NEQ
// the row, which is the matrix entry in row n, column n + j - 1 (j = 1 the
// diagonal); the lower triangle is its mirror. Rows are contiguous, the band
// position the fast index. Vectors hold entries 1 .. n at positions 0 .. n-1.
//
// The arithmetic is checked: a bad index raises error 9, a value beyond the
// 16-bit range error 6, a zero pivot error 11, an infinite or undefined
// result error 6 (platform::RuntimeError).
//
// Every entry is computed by the same sequence of roundings whatever the
// processor's vector width and the number of threads: products and sums are
// rounded one by one, except the accumulations of the reduction's panel
// update, which are fused multiply-adds where the processor has them.
#include <cstdint>
#include <span>

#include "analysis/ElementMatrix.h"
#include "analysis/PageArray.h"
#include "analysis/SolverLimits.h"

namespace platform {
class TextFile;
}

namespace analysis {

class RunUi;
class Workers;
class WorkPacer;

class BandMatrix {
 public:
  static constexpr int kMaxSize = kMax16;  // equation numbers and band widths are 16-bit

  BandMatrix() = default;
  // A store of bw band positions by neq rows, all zero. Sizes beyond 32767
  // raise error 6, sizes below 1 error 9. Without populate, the store comes
  // into memory on first touch, or through BringIn.
  BandMatrix(int neq, int bw, bool populate = true);

  // A store of bw band positions by neq rows in the memory of `old` where it
  // holds them (a store given back by an earlier run), else in fresh memory.
  // Reused memory holds old values until BringIn clears it: BringIn before
  // any use.
  static BandMatrix Reuse(int neq, int bw, BandMatrix&& old);

  // Brings the store into memory a block at a time, the work counted to the
  // pacer: on a virtual machine the first touch of a store of some hundred
  // MB takes a second or more. Reused memory is cleared instead. False when
  // the pacer stopped it.
  bool BringIn(WorkPacer& pacer);

  // The memory the store holds, in bytes.
  std::uint64_t MemoryBytes() const { return (a_.size() + work_.size()) * sizeof(double); }

  int NEQ() const { return neq_; }
  int BW() const { return bw_; }

  // Entry (j, n), both from 1; outside the store raises error 9.
  double& operator()(int j, int n) { return a_[Index(j, n)]; }
  double operator()(int j, int n) const { return a_[Index(j, n)]; }

  // Band positions 1 .. BW of row n as a contiguous run (unchecked n).
  double* Row(int n) { return a_.data() + static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(bw_); }
  const double* Row(int n) const {
    return a_.data() + static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(bw_);
  }

  // Zeros every band position of rows 1 .. rows (all rows when rows is past NEQ).
  void ClearRows(int rows);

 private:
  friend bool Band_Decompose(BandMatrix& A, int N, int B, Workers* workers, WorkPacer* pacer);
  std::size_t Index(int j, int n) const;

  int neq_ = 0;
  int bw_ = 0;
  bool stale_ = false;  // reused memory not cleared yet
  PageArray<double> a_;
  // Work space of the reduction, sized with the store so that reducing
  // allocates nothing: the diagonal before reduction and the packed panel.
  PageArray<double> work_;
};

// Whether the run's two band stores of bw positions by neq rows fit in three
// quarters of `physicalBytes` of memory (0: unknown, taken as fitting). The
// stores are brought into memory as soon as they are made: a pair larger than
// the machine would get the program killed by the system, model and all.
bool BandStoresFit(int neq, int bw, std::uint64_t physicalBytes);
// This machine's physical memory in bytes, 0 when the system does not say.
std::uint64_t PhysicalMemoryBytes();

// The stretches of set entries (any bit not zero) among band positions
// 1 .. B of rows 1 .. N of a store, with or without their values. The
// geometric stiffness of a grid model, and its bending stiffness before
// reduction, set some fifteen of several hundred band positions a row, in
// two stretches: a product or a copy that visits only these stretches reads
// a tenth of the store. Stretches a few zeros apart count as one.
class BandRuns {
 public:
  struct Run {
    std::int32_t first;   // band position, from 0
    std::int32_t length;
  };

  BandRuns(const BandMatrix& A, int N, int B, bool keepValues);

  int N() const { return n_; }
  int B() const { return b_; }
  std::span<const Run> RowRuns(int n) const {
    return {runs_.data() + start_[static_cast<std::size_t>(n - 1)],
            static_cast<std::size_t>(start_[static_cast<std::size_t>(n)] - start_[static_cast<std::size_t>(n - 1)])};
  }

  // Zeros band positions 1 .. B of rows 1 .. N of A and puts the kept values
  // back: A's entries there are then those this object was made from. Error
  // 5 without kept values or when A is smaller.
  void Restore(BandMatrix& A) const;
  // y = -A x over rows 1 .. N with the kept values, A as it was when this
  // object was made. Error 5 without kept values, 9 for short vectors.
  void Multiply_Negative(std::span<const double> x, std::span<double> y) const;

 private:
  int n_ = 0, b_ = 0;
  bool values_ = false;
  PageArray<std::int32_t> start_;  // row n's stretches: runs_[start_[n - 1] .. start_[n])
  PageArray<Run> runs_;            // sized for the worst case, filled as far as needed
  PageArray<double> kept_;         // the stretches' values, row after row
};

// A read-only view of an element matrix with 1-based entries E(i, j).
struct ElementView {
  const double* data = nullptr;
  int rows = 0;
  int cols = 0;
  double operator()(int i, int j) const {
    return data[static_cast<std::size_t>((i - 1) * cols + (j - 1))];
  }
};

template <int R, int C>
ElementView View(const Matrix<R, C>& m) {
  return {m.a.data(), R, C};
}

// The three lines of a band store overflow: the message, the equation number
// r and the band position computed last (each a text and a line end).
void WriteBandOverflowReport(platform::TextFile& listing, int r, int c);

// K += E scattered through the degree-of-freedom map LM(1 .. m); Bmax is
// raised to the largest band position met. An equation number above NEQ or a
// band position above BW writes the overflow lines to the listing, shows
// "Dimesnison of Stiffness Matrix Exceeded!:" and sets StiffnessDimensionError;
// pairs added before stay. Returns false on that overflow. Map entries below
// 1 or m beyond the map or the element matrix raise error 9.
bool Band_Assemble(ElementView E, BandMatrix& K, std::int16_t& Bmax, std::span<const std::int16_t> LM, int m,
                   platform::TextFile& listing, RunUi& ui, bool& StiffnessDimensionError);

// Prescribes equation d to the value v: the known value moves to the right
// side of every coupled equation, row and column d are cleared and the
// diagonal becomes 1 (mode 1, for a geometric matrix: 0). R(d) = v. B is the
// working band width; R must hold NEQ entries.
void Band_Boundary_Condition(BandMatrix& K, std::span<double> R, int d, double v, int B, int mode);

// Reduces rows 1 .. N in place by symmetric Gauss elimination without
// pivoting, rows not divided by their pivots; afterwards A(1, i) is the i-th
// pivot. A pivot below 1e-10 of its row's diagonal before reduction (or
// exactly zero) raises error 11. With workers, each panel's update of the
// rows below it is shared among them; the result is the same. With a pacer,
// the work of every panel is counted to it and it may pause between panels,
// on the calling thread; when it stops, the reduction returns false there,
// the rows after that panel reduced only in part. True when every row was
// reduced.
bool Band_Decompose(BandMatrix& A, int N, int B, Workers* workers = nullptr, WorkPacer* pacer = nullptr);

// Forward reduction of R in place with the reduced store, then back
// substitution into X. X and R may be the same vector. A pacer may pause
// between blocks of rows, as in the reduction; false when it stopped the
// solve, X and R then half done.
bool Band_Solve(const BandMatrix& A, std::span<double> X, std::span<double> R, int N, int B,
                WorkPacer* pacer = nullptr);

// y = -A x over rows 1 .. N with an unreduced store; x and y must not overlap
// (error 5 when they do). Given A's stretches (made with the same N and B,
// error 5 otherwise), only they are read; the result is the same.
void Band_Multiply_Negative(const BandMatrix& A, std::span<const double> x, std::span<double> y, int N, int B,
                            const BandRuns* runs = nullptr);

// K(j, r) += s Kg(j, r) over the stretches of Kg (rows 1 .. N, band
// positions 1 .. B of those stretches): the shift of the eigenvalue
// iteration, the same as over every position, since Kg is zero elsewhere.
void Band_Add_Multiple(BandMatrix& K, const BandMatrix& Kg, const BandRuns& kgRuns, double s);

}  // namespace analysis
