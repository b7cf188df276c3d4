#pragma once
// Small dense matrices for element computations. Row-major storage with
// 1-based accessors, so that element formulas read with the same indices as
// the degree-of-freedom tables they come from.
#include <array>
#include <cstddef>

namespace analysis {

template <int R, int C>
struct Matrix {
  static constexpr int kRows = R;
  static constexpr int kCols = C;
  std::array<double, R * C> a{};

  // Entry (i, j), both counted from 1.
  double& operator()(int i, int j) { return a[static_cast<std::size_t>((i - 1) * C + (j - 1))]; }
  double operator()(int i, int j) const { return a[static_cast<std::size_t>((i - 1) * C + (j - 1))]; }
};

using Mat3 = Matrix<3, 3>;
using Mat4 = Matrix<4, 4>;
using Mat6 = Matrix<6, 6>;
using Mat8 = Matrix<8, 8>;
using Mat12 = Matrix<12, 12>;

// The leading N x N block of a larger square matrix.
template <int N, int M>
Matrix<N, N> LeadingBlock(const Matrix<M, M>& m) {
  static_assert(N <= M);
  Matrix<N, N> out;
  for (int i = 1; i <= N; ++i)
    for (int j = 1; j <= N; ++j) out(i, j) = m(i, j);
  return out;
}

}  // namespace analysis
