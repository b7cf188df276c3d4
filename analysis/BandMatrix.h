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
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/ElementMatrix.h"

namespace platform {
class TextFile;
}

namespace analysis {

class RunUi;

class BandMatrix {
 public:
  static constexpr int kMaxSize = 32767;  // equation numbers and band widths are 16-bit

  BandMatrix() = default;
  // A store of bw band positions by neq rows, all zero. Sizes beyond 32767
  // raise error 6, sizes below 1 error 9.
  BandMatrix(int neq, int bw);

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
  friend void Band_Decompose(BandMatrix& A, int N, int B);
  std::size_t Index(int j, int n) const;

  int neq_ = 0;
  int bw_ = 0;
  std::vector<double> a_;
  // Work space of the reduction, sized with the store so that reducing
  // allocates nothing: the diagonal before reduction and the packed panel.
  std::vector<double> diagonal_;
  std::vector<double> panel_;
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
// exactly zero) raises error 11.
void Band_Decompose(BandMatrix& A, int N, int B);

// Forward reduction of R in place with the reduced store, then back
// substitution into X. X and R may be the same vector.
void Band_Solve(const BandMatrix& A, std::span<double> X, std::span<double> R, int N, int B);

// y = -A x over rows 1 .. N with an unreduced store; x and y must not overlap
// (error 5 when they do).
void Band_Multiply_Negative(const BandMatrix& A, std::span<const double> x, std::span<double> y, int N, int B);

}  // namespace analysis
