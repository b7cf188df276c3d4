#pragma once
// The models of the validation runs, each with its closed-form buckling
// load: square plates in compression and shear, a pin-ended stiffener column
// and an I-girder in lateral-torsional buckling. E = 29000, nu = 0.3 (the
// default material); consistent nodal loads (half loads at the ends of a
// loaded edge).
#include <cmath>
#include <string>

#include "tests/analysis/RunTestSupport.h"

namespace validation {

using runtest::NodeAt;

constexpr double kPi = 3.14159265358979323846;
constexpr double kE = 29000.0;
constexpr double kNu = 0.3;

// sigma_cr = k pi^2 E / (12 (1 - nu^2)) (t / b)^2.
inline double PlateCritical(double k, double t, double b) {
  return k * kPi * kPi * kE / (12.0 * (1.0 - kNu * kNu)) * (t / b) * (t / b);
}

enum class Edges { SimplySupported, Clamped };
enum class Loading { Compression, Shear };

// A 100 x 100 plate of n x n cells, thickness 1, in uniform stress sigma0 = 1:
// compression along x (u held on x = 0, one v held), or pure shear (three
// rigid-body restraints, equilibrated edge loads). Every edge has w = 0 and
// its tangential rotation held; clamped edges hold both rotations.
inline void BuildSquarePlate(model::Mesh& mesh, int n, Edges edges, Loading loading) {
  const double a = 100.0, t = 1.0, h = a / n;
  runtest::BuildPanel(mesh, a, a, n, n, t);
  runtest::Number(mesh);
  const int m = n + 1;
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= m; ++j) {
      model::Nodeb& node = NodeAt(mesh, i, j);
      const bool left = i == 1, right = i == m, bottom = j == 1, top = j == m;
      if (!(left || right || bottom || top)) continue;
      node.set_ZTDir(-1);
      if (edges == Edges::Clamped) {
        node.set_XRDir(-1);
        node.set_YRDir(-1);
      } else {
        if (left || right) node.set_XRDir(-1);  // dw/dy along a line x = const
        if (bottom || top) node.set_YRDir(-1);  // -dw/dx along a line y = const
      }
    }
  auto share = [&](int k) { return (k == 1 || k == m) ? 0.5 * h * t : h * t; };
  if (loading == Loading::Compression) {
    for (int j = 1; j <= m; ++j) {
      NodeAt(mesh, 1, j).set_XTDir(-1);
      NodeAt(mesh, m, j).set_XLoad(static_cast<float>(-share(j)));
    }
    NodeAt(mesh, 1, 1).set_YTDir(-1);
  } else {
    for (int k = 1; k <= m; ++k) {
      NodeAt(mesh, m, k).set_YLoad(NodeAt(mesh, m, k).YLoad() + static_cast<float>(share(k)));
      NodeAt(mesh, 1, k).set_YLoad(NodeAt(mesh, 1, k).YLoad() - static_cast<float>(share(k)));
      NodeAt(mesh, k, m).set_XLoad(NodeAt(mesh, k, m).XLoad() + static_cast<float>(share(k)));
      NodeAt(mesh, k, 1).set_XLoad(NodeAt(mesh, k, 1).XLoad() - static_cast<float>(share(k)));
    }
    NodeAt(mesh, 1, 1).set_XTDir(-1);
    NodeAt(mesh, 1, 1).set_YTDir(-1);
    NodeAt(mesh, m, 1).set_YTDir(-1);
  }
}

// A pin-ended column of 16 stiffeners (length 100, thickness 1, depth 2)
// along x under a unit end load. Returns Euler's load pi^2 E I / L^2 with
// I = t W^3 / 12 (W the depth normal to the plate).
inline double BuildStiffenerColumn(model::Mesh& mesh) {
  const int elements = 16;
  const double L = 100.0, t = 1.0, W = 2.0;
  model::Nodes& nodes = mesh.Nodes();
  for (int i = 1; i <= elements + 1; ++i)
    nodes.Add(static_cast<float>(L * (i - 1) / elements), 0.0f, i, std::to_string(i));
  nodes.set_NumberNodesX(static_cast<short>(elements + 1));
  nodes.set_NumberNodesY(1);
  for (int i = 1; i <= elements; ++i) {
    model::twoNode& s = mesh.twoNodes().Add(nodes.Item(i), nodes.Item(i + 1), i, std::to_string(i));
    s.set_Thickness(static_cast<float>(t));
    s.set_width(static_cast<float>(W));
    s.UpdatePropertyDefined();
  }
  runtest::Number(mesh);
  for (model::Nodeb& n : nodes) n.set_YTDir(-1);  // a bar has no stiffness across itself
  nodes.Item(1).set_XTDir(-1);
  nodes.Item(elements + 1).set_XLoad(-1.0f);
  nodes.Item(1).set_ZTDir(-1);
  nodes.Item(1).set_XRDir(-1);  // holds the twist
  nodes.Item(elements + 1).set_ZTDir(-1);
  return kPi * kPi * kE * (t * W * W * W / 12.0) / (L * L);
}

// A simply supported I-girder under uniform moment (M0 = 1000): web as
// plates, flanges as stiffeners along its edges, fork supports (w = 0 over
// both end sections, warping free). Returns the load factor of
// Mcr = pi / L sqrt(E Iz G J) sqrt(1 + pi^2 E Cw / (G J L^2)).
inline double BuildIGirder(model::Mesh& mesh) {
  const double L = 800.0, h = 40.0, tw = 2.0, bf = 20.0, tf = 2.0;
  const int ex = 40, ey = 4;
  runtest::BuildPanel(mesh, L, h, ex, ey, tw);
  for (int i = 1; i <= ex; ++i) {
    runtest::SetStiffener(mesh, NodeAt(mesh, i, 1), NodeAt(mesh, i + 1, 1), tf, bf);
    runtest::SetStiffener(mesh, NodeAt(mesh, i, ey + 1), NodeAt(mesh, i + 1, ey + 1), tf, bf);
  }
  runtest::Number(mesh);

  // Section about the strong axis (y measured from mid-depth).
  const double Af = bf * tf;
  const double Ix = 2.0 * Af * (h / 2) * (h / 2) + tw * h * h * h / 12.0;
  const double M0 = 1000.0;
  const double dy = h / ey;
  auto sigma = [&](double y) { return M0 * (y - h / 2) / Ix; };  // tension at the top at x = L
  for (int j = 1; j <= ey + 1; ++j) {
    const double y = dy * (j - 1);
    double f = 0.0;
    // Consistent loads of the linear web stress over the two adjacent strips.
    if (j > 1) f += tw * dy * (sigma(y - dy) + 2.0 * sigma(y)) / 6.0;
    if (j <= ey) f += tw * dy * (2.0 * sigma(y) + sigma(y + dy)) / 6.0;
    if (j == 1 || j == ey + 1) f += Af * sigma(y);
    NodeAt(mesh, ex + 1, j).set_XLoad(static_cast<float>(f));
    NodeAt(mesh, 1, j).set_XLoad(static_cast<float>(-f));
  }
  const int mid = ey / 2 + 1;
  NodeAt(mesh, 1, mid).set_XTDir(-1);
  NodeAt(mesh, 1, mid).set_YTDir(-1);
  NodeAt(mesh, ex + 1, mid).set_YTDir(-1);
  for (int j = 1; j <= ey + 1; ++j) {
    NodeAt(mesh, 1, j).set_ZTDir(-1);
    NodeAt(mesh, ex + 1, j).set_ZTDir(-1);
  }

  const double G = kE / (2.0 * (1.0 + kNu));
  const double Iz = 2.0 * tf * bf * bf * bf / 12.0 + h * tw * tw * tw / 12.0;
  const double Jf = bf * tf * tf * tf * (1.0 - 0.63 * tf / bf) / 3.0;
  const double J = 2.0 * Jf + h * tw * tw * tw / 3.0;
  const double Cw = (tf * bf * bf * bf / 12.0) * h * h / 2.0;
  const double Mcr = kPi / L * std::sqrt(kE * Iz * G * J) * std::sqrt(1.0 + kPi * kPi * kE * Cw / (G * J * L * L));
  return Mcr / M0;
}

}  // namespace validation
