#pragma once
// Small linear-algebra helpers for the element tests.
#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/ElementMatrix.h"

namespace elementtest {

template <int N>
std::vector<double> Multiply(const analysis::Matrix<N, N>& k, const std::vector<double>& d) {
  std::vector<double> f(N, 0.0);
  for (int i = 1; i <= N; ++i)
    for (int j = 1; j <= N; ++j) f[i - 1] += k(i, j) * d[j - 1];
  return f;
}

// Half of d^T K d.
template <int N>
double Energy(const analysis::Matrix<N, N>& k, const std::vector<double>& d) {
  const std::vector<double> f = Multiply(k, d);
  double s = 0.0;
  for (int i = 0; i < N; ++i) s += d[i] * f[i];
  return 0.5 * s;
}

template <int N>
double MaxAbs(const analysis::Matrix<N, N>& k) {
  double m = 0.0;
  for (double v : k.a) m = std::max(m, std::abs(v));
  return m;
}

template <int N>
double Asymmetry(const analysis::Matrix<N, N>& k) {
  double m = 0.0;
  for (int i = 1; i <= N; ++i)
    for (int j = 1; j <= N; ++j) m = std::max(m, std::abs(k(i, j) - k(j, i)));
  return m;
}

// Eigenvalues of a symmetric matrix by cyclic Jacobi rotations, ascending.
template <int N>
std::vector<double> Eigenvalues(analysis::Matrix<N, N> a) {
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0.0;
    for (int p = 1; p <= N; ++p)
      for (int q = p + 1; q <= N; ++q) off += a(p, q) * a(p, q);
    if (off < 1e-30 * (MaxAbs(a) * MaxAbs(a) + 1e-300)) break;
    for (int p = 1; p <= N; ++p)
      for (int q = p + 1; q <= N; ++q) {
        if (a(p, q) == 0.0) continue;
        const double theta = (a(q, q) - a(p, p)) / (2.0 * a(p, q));
        const double t = (theta >= 0 ? 1.0 : -1.0) / (std::abs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (int k = 1; k <= N; ++k) {
          const double akp = a(k, p), akq = a(k, q);
          a(k, p) = c * akp - s * akq;
          a(k, q) = s * akp + c * akq;
        }
        for (int k = 1; k <= N; ++k) {
          const double apk = a(p, k), aqk = a(q, k);
          a(p, k) = c * apk - s * aqk;
          a(q, k) = s * apk + c * aqk;
        }
      }
  }
  std::vector<double> ev(N);
  for (int i = 1; i <= N; ++i) ev[i - 1] = a(i, i);
  std::sort(ev.begin(), ev.end());
  return ev;
}

}  // namespace elementtest
