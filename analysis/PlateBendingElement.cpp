#include "analysis/PlateBendingElement.h"

#include <cmath>
#include <string>

#include "analysis/ElementChecks.h"
#include "platform/RuntimeError.h"

namespace analysis {

namespace {

constexpr int kNext[4] = {0, 2, 3, 1};

// Places triangle k's eleven degrees of freedom in the 19 of the quadrilateral.
constexpr int kPlacement[12][5] = {
    {0, 0, 0, 0, 0},     {0, 1, 4, 7, 10},    {0, 2, 5, 8, 11},    {0, 3, 6, 9, 12},
    {0, 4, 7, 10, 1},    {0, 5, 8, 11, 2},    {0, 6, 9, 12, 3},    {0, 13, 13, 13, 13},
    {0, 14, 14, 14, 14}, {0, 15, 15, 15, 15}, {0, 17, 18, 19, 16}, {0, 16, 17, 18, 19},
};

// Thickness weights of one sub-triangle (vertex i, vertex j, centroid) for the
// thickness ratios r1 = ti/tm and r2 = tj/tm.
Mat3 ThicknessWeights(double r1, double r2) {
  Mat3 M;
  M(1, 1) = (10 * r1 + 6 * r2 + 6) * r1 * r1 + (3 * r1 + r2 + 1) * r2 * r2 + 3 * r1 + r2 + 3 * r1 * r2 + 1;
  M(2, 2) = (r1 + 3 * r2 + 1) * r1 * r1 + (6 * r1 + 10 * r2 + 6) * r2 * r2 + r1 + 3 * r2 + 3 * r1 * r2 + 1;
  M(3, 3) = (r1 + r2 + 3) * r1 * r1 + (r1 + r2 + 3) * r2 * r2 + 6 * r1 + 6 * r2 + 3 * r1 * r2 + 10;
  M(1, 2) = (2 * r1 + 3 * r2 + 1.5) * r1 * r1 + (3 * r1 + 2 * r2 + 1.5) * r2 * r2 + r1 + r2 + 2 * r1 * r2 + 0.5;
  M(1, 3) = (2 * r1 + 1.5 * r2 + 3) * r1 * r1 + (r1 + 0.5 * r2 + 1) * r2 * r2 + 3 * r1 + 1.5 * r2 + 2 * r1 * r2 + 2;
  M(2, 3) = (0.5 * r1 + r2 + 1) * r1 * r1 + (1.5 * r1 + 2 * r2 + 3) * r2 * r2 + 1.5 * r1 + 3 * r2 + 2 * r1 * r2 + 2;
  M(2, 1) = M(1, 2);
  M(3, 1) = M(1, 3);
  M(3, 2) = M(2, 3);
  return M;
}

}  // namespace

Mat12 Triangle_Bending_Stiffness(double E, double nu, double t1, double t2, double t3, double x1,
                                 double x2, double x3, double y1, double y2, double y3, int n) {
  if (n < 9 || n > 12) platform::Raise(platform::kErrSubscript, "Triangle degrees of freedom out of range");

  // Material.
  const double oneMinusNu2 = 1.0 - nu * nu;
  RequireNonZero(oneMinusNu2, {"1 - Poisson ratio squared", kPoissonRatio});
  Mat3 D;
  D(1, 1) = E / oneMinusNu2;
  D(2, 2) = D(1, 1);
  D(1, 2) = nu * D(1, 1);
  D(2, 1) = D(1, 2);
  D(3, 3) = (1.0 - nu) * D(1, 1) / 2.0;

  // Geometry per edge m (opposite vertex m, from vertex p = next(m) to q = next(p)).
  const double x[4] = {0, x1, x2, x3};
  const double y[4] = {0, y1, y2, y3};
  const double tv[4] = {0, t1, t2, t3};
  double b[4] = {}, c[4] = {}, L[4] = {}, lam[4] = {}, mu[4] = {}, g[4] = {}, hx[4] = {}, hy[4] = {};
  double beta[4] = {}, gam[4] = {};
  for (int m = 1; m <= 3; ++m) {
    const int p = kNext[m], q = kNext[p];
    b[m] = y[p] - y[q];
    c[m] = x[q] - x[p];
  }
  const double A2 = c[3] * b[2] - c[2] * b[3];
  for (int m = 1; m <= 3; ++m) {
    L[m] = std::sqrt(b[m] * b[m] + c[m] * c[m]);
    RequireNonZero(L[m], {"an edge length of a plate triangle", kCornersTogether});
  }
  RequirePositiveSize(A2, {"the area of a plate triangle", kCornersTogether});
  for (int m = 1; m <= 3; ++m) {
    const int p = kNext[m];
    lam[m] = -(c[m] * c[p] + b[m] * b[p]) / (L[m] * L[m]);
    mu[m] = 1.0 - lam[m];
    g[m] = 4.0 * A2 / L[m];
    hx[m] = 0.5 * c[m] / L[m];
    hy[m] = -0.5 * b[m] / L[m];
    beta[m] = b[m] / A2;
    gam[m] = c[m] / A2;
  }

  const double tm = (t1 + t2 + t3) / 3.0;
  RequireNonZero(tm, {"the mean thickness of a plate triangle", kNoStiffness});
  const double S = tm * tm * tm * A2 / 15120.0;

  // Second-derivative rows: Q(r, m), R(r, m) for components r = xx, yy, 2xy.
  double Q[4][4] = {}, R[4][4] = {};
  for (int m = 1; m <= 3; ++m) {
    const int p = kNext[m];
    Q[1][m] = beta[m] * beta[m];
    Q[2][m] = gam[m] * gam[m];
    Q[3][m] = 2.0 * beta[m] * gam[m];
    R[1][m] = 2.0 * beta[m] * beta[p];
    R[2][m] = 2.0 * gam[m] * gam[p];
    R[3][m] = 2.0 * (gam[m] * beta[p] + gam[p] * beta[m]);
  }

  // Thickness weights of the three sub-triangles.
  Mat3 M[4];
  for (int i = 1; i <= 3; ++i) M[i] = ThicknessWeights(tv[i] / tm, tv[kNext[i]] / tm);

  // Curvature table: 21 rows (vertex i and vertex j of each sub-triangle i,
  // then the centroid), 12 columns (w, thx, thy of vertices 1..3, s1, s2, s3).
  Matrix<21, 12> C;
  auto W = [](int v) { return 3 * (v - 1) + 1; };
  auto TX = [](int v) { return 3 * (v - 1) + 2; };
  auto TY = [](int v) { return 3 * (v - 1) + 3; };
  auto SL = [](int v) { return 9 + v; };
  for (int i = 1; i <= 3; ++i) {
    const int j = kNext[i], k = kNext[j];
    for (int r = 1; r <= 3; ++r) {
      const double Qi = Q[r][i], Qj = Q[r][j], Qk = Q[r][k];
      const double Ri = R[r][i], Rj = R[r][j], Rk = R[r][k];
      const double E1 = Rj - Qk, E2 = Rk - Qk;

      const int rv = 6 * (i - 1) + r;  // vertex i
      C(rv, W(i)) = 6.0 * (mu[j] * Qk + lam[k] * E1 - Qi);
      C(rv, TX(i)) = (b[i] - lam[k] * b[k]) * Rj + (mu[j] * b[j] + lam[k] * b[k] - 2 * b[i]) * Qk -
                     2 * b[k] * Ri + 2 * b[j] * Rk;
      C(rv, TY(i)) = (c[i] - lam[k] * c[k]) * Rj + (mu[j] * c[j] + lam[k] * c[k] - 2 * c[i]) * Qk -
                     2 * c[k] * Ri + 2 * c[j] * Rk;
      C(rv, W(j)) = 6.0 * (mu[k] * E1 + Qj);
      C(rv, TX(j)) = (mu[k] * b[k] - b[j]) * E1 + 2 * b[k] * Qj;
      C(rv, TY(j)) = (mu[k] * c[k] - c[j]) * E1 + 2 * c[k] * Qj;
      C(rv, W(k)) = 6.0 * (1 + lam[j]) * Qk;
      C(rv, TX(k)) = (b[k] - 2 * b[j] - lam[j] * b[j]) * Qk;
      C(rv, TY(k)) = (c[k] - 2 * c[j] - lam[j] * c[j]) * Qk;
      C(rv, SL(i)) = 0.0;
      C(rv, SL(j)) = g[j] * Qk;
      C(rv, SL(k)) = g[k] * E1;

      const int rj = 6 * (i - 1) + 3 + r;  // vertex j, seen from sub-triangle i
      C(rj, W(i)) = 6.0 * (lam[k] * E2 + Qi);
      C(rj, TX(i)) = (b[i] - lam[k] * b[k]) * E2 - 2 * b[k] * Qi;
      C(rj, TY(i)) = (c[i] - lam[k] * c[k]) * E2 - 2 * c[k] * Qi;
      C(rj, W(j)) = 6.0 * (lam[i] * Qk + mu[k] * E2 - Qj);
      C(rj, TX(j)) = (mu[k] * b[k] - b[j]) * Rk + (2 * b[j] - mu[k] * b[k] - lam[i] * b[i]) * Qk +
                     2 * b[k] * Ri - 2 * b[i] * Rj;
      C(rj, TY(j)) = (mu[k] * c[k] - c[j]) * Rk + (2 * c[j] - mu[k] * c[k] - lam[i] * c[i]) * Qk +
                     2 * c[k] * Ri - 2 * c[i] * Rj;
      C(rj, W(k)) = 6.0 * (1 + mu[i]) * Qk;
      C(rj, TX(k)) = (2 * b[i] - b[k] + mu[i] * b[i]) * Qk;
      C(rj, TY(k)) = (2 * c[i] - c[k] + mu[i] * c[i]) * Qk;
      C(rj, SL(i)) = g[i] * Qk;
      C(rj, SL(j)) = 0.0;
      C(rj, SL(k)) = g[k] * E2;

      const int rg = 18 + r;  // centroid
      C(rg, W(i)) = 2.0 * (Qi + lam[k] * Ri + mu[j] * Rk);
      C(rg, TX(k)) = ((2 * b[i] - 2 * b[j]) * Qk + (2 * b[i] - b[k] + mu[i] * b[i]) * Rj +
                      (b[k] - 2 * b[j] - lam[j] * b[j]) * Rk) /
                     3.0;
      C(rg, TY(k)) = ((2 * c[i] - 2 * c[j]) * Qk + (2 * c[i] - c[k] + mu[i] * c[i]) * Rj +
                      (c[k] - 2 * c[j] - lam[j] * c[j]) * Rk) /
                     3.0;
      C(rg, SL(k)) = g[k] * Ri / 3.0;
    }
  }

  // A linear normal slope along the outer edges that are not kept: edge 3
  // first, then 2, then 1.
  for (int edge = 3; edge > n - 9; --edge) {
    const int p = kNext[edge], q = kNext[p];
    for (int row = 1; row <= 21; ++row) {
      const double sv = C(row, SL(edge));
      C(row, TX(p)) += hx[edge] * sv;
      C(row, TX(q)) += hx[edge] * sv;
      C(row, TY(p)) += hy[edge] * sv;
      C(row, TY(q)) += hy[edge] * sv;
    }
  }

  // Rows of the three points of sub-triangle i: vertex i, vertex j, centroid.
  auto pointRow = [](int i, int a) { return a == 1 ? 6 * (i - 1) : a == 2 ? 6 * (i - 1) + 3 : 18; };

  Mat12 Kt;
  for (int l = 1; l <= n; ++l) {
    double u[22] = {};
    for (int i = 1; i <= 3; ++i)
      for (int a = 1; a <= 3; ++a)
        for (int bb = 1; bb <= 3; ++bb)
          for (int r = 1; r <= 3; ++r)
            u[pointRow(i, a) + r] += M[i](a, bb) * C(pointRow(i, bb) + r, l);
    double v[22] = {};
    for (int pt = 0; pt < 7; ++pt)
      for (int r = 1; r <= 3; ++r) {
        double s = 0.0;
        for (int q = 1; q <= 3; ++q) s += D(r, q) * u[3 * pt + q];
        v[3 * pt + r] = s;
      }
    for (int m = 1; m <= l; ++m) {
      double s = 0.0;
      for (int row = 1; row <= 21; ++row) s += v[row] * C(row, m);
      Kt(l, m) = S * s;
      Kt(m, l) = Kt(l, m);
    }
  }
  RequireFinite(Kt, {"the bending stiffness of a plate triangle"});
  return Kt;
}

Mat12 Plate_Bending_Stiffness(int e, double E, double nu, double thickness,
                              const std::array<double, 4>& x, const std::array<double, 4>& y) {
  const ElementName name{"plate element", e};
  Matrix<19, 19> K;
  const double xC = (x[0] + x[1] + x[2] + x[3]) * 0.25;
  const double yC = (y[0] + y[1] + y[2] + y[3]) * 0.25;
  const double t = thickness;

  for (int k = 1; k <= 4; ++k) {
    const int k2 = k == 4 ? 1 : k + 1;
    Mat12 Kt;
    try {
      Kt = Triangle_Bending_Stiffness(E, nu, t, t, t, x[k - 1], x[k2 - 1], xC, y[k - 1], y[k2 - 1], yC, 11);
    } catch (const platform::RuntimeError& err) {
      RaiseForElement(err, name);
    }
    // Local 11 runs from the centre to the corner, against the
    // quadrilateral's corner-to-centre direction.
    for (int r = 1; r <= 10; ++r) {
      Kt(r, 11) = -Kt(r, 11);
      Kt(11, r) = -Kt(11, r);
    }
    for (int r = 1; r <= 11; ++r)
      for (int c = r; c <= 11; ++c) {
        const int gr = kPlacement[r][k], hc = kPlacement[c][k];
        K(hc, gr) += Kt(r, c);
        K(gr, hc) = K(hc, gr);
      }
  }

  // Condense the inner degrees of freedom, 19 down to 13.
  for (int p = 19; p >= 13; --p) {
    const double P = K(p, p);
    RequireNonZero(P, {"a condensation pivot", kNoStiffness}, name);
    for (int i = 1; i <= p - 1; ++i) {
      const double f = K(p, i) / P;
      K(p, i) = f;
      for (int j = i; j <= p - 1; ++j) {
        K(j, i) -= f * K(j, p);
        K(i, j) = K(j, i);
      }
    }
  }

  const Mat12 result = LeadingBlock<12>(K);
  RequireFinite(result, {"the bending stiffness"}, name);
  return result;
}

}  // namespace analysis
