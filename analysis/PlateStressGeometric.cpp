#include "analysis/PlateStressGeometric.h"

#include <string>

#include "analysis/ElementChecks.h"
#include "analysis/MembraneElement.h"
#include "platform/RuntimeError.h"

namespace analysis {

namespace {

// The triangles of the two diagonal splits: their corners and the local
// deflection degree of freedom of each corner.
constexpr int kTriangleCorners[5][3] = {{0, 0, 0}, {1, 2, 3}, {3, 4, 1}, {1, 2, 4}, {2, 3, 4}};

}  // namespace

Mat3 Triangle_Geometric_Stiffness(const std::array<double, 3>& x, const std::array<double, 3>& y,
                                  double thickness, double sx, double sy, double sxy) {
  const double G[2][3] = {{y[1] - y[2], y[2] - y[0], y[0] - y[1]},
                          {x[2] - x[1], x[0] - x[2], x[1] - x[0]}};
  const double D2 = G[1][2] * G[0][1] - G[1][1] * G[0][2];
  RequirePositiveSize(D2, {"the area of a plate triangle", kCornersTogether});
  const double f = 0.5 * thickness / D2;
  const double S[2][2] = {{f * sx, f * sxy}, {f * sxy, f * sy}};
  double H[3][2];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) H[i][j] = G[0][i] * S[0][j] + G[1][i] * S[1][j];
  Mat3 Kt;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) Kt(i + 1, j + 1) = H[i][0] * G[0][j] + H[i][1] * G[1][j];
  return Kt;
}

PlateStressGeometric Plate_Stress_Geometric(int e, const std::array<double, 4>& x,
                                            const std::array<double, 4>& y, double thickness,
                                            const std::array<double, 8>& cornerDisplacements,
                                            const SolverConstants& constants) {
  const ElementName name{"plate element", e};
  const double E = constants.E, nu = constants.nu;
  const double oneMinusNu2 = 1.0 - nu * nu;
  RequireNonZero(oneMinusNu2, {"1 - Poisson ratio squared", kPoissonRatio});
  const double e11 = E / oneMinusNu2;
  const double e12 = E * nu / oneMinusNu2;

  double u[5], v[5];
  for (int k = 1; k <= 4; ++k) {
    u[k] = cornerDisplacements[static_cast<std::size_t>(2 * (k - 1))];
    v[k] = cornerDisplacements[static_cast<std::size_t>(2 * (k - 1) + 1)];
  }

  const CornerDifferences d = Corner_Differences(x, y);
  RequirePositiveSize(d.A0, {"the area", kCornersTogether}, name);
  const std::array<double, 9> centre = Invert_Jacobian(d.x13, d.x24, d.y13, d.y24, d.A0);

  PlateStressGeometric r;
  double gamma = 0.0;
  for (int k = 1; k <= 4; ++k) gamma += centre[k] * u[k] + centre[4 + k] * v[k];
  r.sxy = gamma * e11 * (1.0 - nu) * 0.5;

  for (int k = 1; k <= 4; ++k) {
    const ShapeDerivatives sd = Quad_Shape_Derivatives(e, kCornerXi[k], kCornerEta[k], d, x, y);
    double ex = 0.0, ey = 0.0;
    for (int j = 1; j <= 4; ++j) {
      ex += sd.dNdx[j] * u[j];
      ey += sd.dNdy[j] * v[j];
    }
    r.sx[k] = e11 * ex + e12 * ey;
    r.sy[k] = e11 * ey + e12 * ex;
  }

  for (int tri = 1; tri <= 4; ++tri) {
    std::array<double, 3> tx{}, ty{};
    double sxc = 0.0, syc = 0.0;
    for (int i = 0; i < 3; ++i) {
      const int corner = kTriangleCorners[tri][i];
      tx[static_cast<std::size_t>(i)] = x[static_cast<std::size_t>(corner - 1)];
      ty[static_cast<std::size_t>(i)] = y[static_cast<std::size_t>(corner - 1)];
      sxc += r.sx[static_cast<std::size_t>(corner)] / 3.0;
      syc += r.sy[static_cast<std::size_t>(corner)] / 3.0;
    }
    Mat3 Kt;
    try {
      Kt = Triangle_Geometric_Stiffness(tx, ty, thickness, sxc, syc, r.sxy);
    } catch (const platform::RuntimeError& err) {
      RaiseForElement(err, name);
    }
    // Each part of the plate lies in two of the four triangles.
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) {
        const int di = 3 * (kTriangleCorners[tri][i - 1] - 1) + 1;
        const int dj = 3 * (kTriangleCorners[tri][j - 1] - 1) + 1;
        r.kg(di, dj) += 0.5 * Kt(i, j);
      }
  }

  RequireFinite(r.sx.data(), 5, {"the stresses"}, name);
  RequireFinite(r.sy.data(), 5, {"the stresses"}, name);
  RequireFinite(&r.sxy, 1, {"the stresses"}, name);
  RequireFinite(r.kg, {"the geometric stiffness"}, name);
  return r;
}

}  // namespace analysis
