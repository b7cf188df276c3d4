#pragma once
// Models and a fake host for the view's tests.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/Mesh.h"
#include "tests/model/MeshTestSupport.h"
#include "view/ViewHost.h"

namespace viewtest {

// A host with a fixed drawing area that counts repaints and records the
// stress window's read-outs, the file errors it was asked about (answering
// Retry `retries` times) and the busy pointer's changes.
class FakeHost : public view::ViewHost {
 public:
  FakeHost(double w = 400, double h = 300) : w_(w), h_(h) {}
  double ScaleWidth() const override { return w_; }
  double ScaleHeight() const override { return h_; }
  void Paint() override { ++paints; }
  void SetPanelText(const std::string&, const std::string&) override {}
  bool StressWindowShown() const override { return stressShown; }
  void ShowMaxMin(float maxS, float minS) override { maxMin.push_back({maxS, minS}); }
  void ShowStress(float v) override { stress.push_back(v); }
  bool RetryAfterFileError(int number) override {
    fileErrors.push_back(number);
    return retries-- > 0;
  }
  void SetBusyPointer(bool busy) override { busyPointer.push_back(busy); }

  void Resize(double w, double h) { w_ = w, h_ = h; }
  int paints = 0;
  bool stressShown = false;
  std::vector<std::pair<float, float>> maxMin;
  std::vector<float> stress;
  int retries = 0;
  std::vector<int> fileErrors;
  std::vector<bool> busyPointer;

 private:
  double w_, h_;
};

// A grid of (nx-1) x (ny-1) plates over [0, L] x [0, H], all with the given
// thickness (0: no property), numbered for the solver; stiffeners on every
// edge, without a property.
inline void BuildPlateGrid(model::Mesh& mesh, float L, float H, int nx, int ny, float thickness) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, H, L, 0, L, H, nx, ny);
  mesh.fourNodes().GenerateCP();
  mesh.twoNodes().GenerateCP();
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(thickness);
    p.UpdatePropertyDefined();
  }
  mesh.fourNodes().UpdateMaxThickness();
  mesh.Nodes().GeneratevID(mesh.fourNodes(), mesh.twoNodes());
  mesh.fourNodes().GeneratevID();
  mesh.twoNodes().GeneratevID();
}

}  // namespace viewtest

namespace viewtest {

// A model with every kind of mark, shaped like a stiffened girder web:
// nx x ny nodes over [0, L] x [0, H]; plates of three thicknesses, one of
// them without a property; flanges along both long edges, a longitudinal
// stiffener at mid-height and transverse stiffeners on every eighth of the
// length; simply supported edges held in x on the left, loaded in -x on the
// right; and on a dozen inner nodes the rotation supports, springs of all
// five kinds (one node with all of them, one negative) and loads in every
// direction. With the results of a run: displacements, mode shape, node and
// stiffener stresses. nx and ny at least 5.
inline void BuildEverySymbolModel(model::Mesh& mesh, int nx, int ny, float L, float H) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, H, L, 0, L, H, nx, ny);
  model::Nodes& nodes = mesh.Nodes();
  mesh.fourNodes().GenerateCP();
  mesh.twoNodes().GenerateCP();

  const float thickness[3] = {1.0f, 1.5f, 2.0f};
  long k = 0;
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(k == 2 ? 0.0f : thickness[k % 3]);
    p.UpdatePropertyDefined();
    ++k;
  }
  mesh.fourNodes().UpdateMaxThickness();

  // Grid column and row of a generated node.
  auto column = [ny](const model::Nodeb& n) { return (n.ID() - 1) / ny + 1; };
  auto row = [ny](const model::Nodeb& n) { return (n.ID() - 1) % ny + 1; };
  const float h = H / static_cast<float>(ny - 1);
  const int spacing = std::max(2, (nx - 1) / 8);
  for (model::twoNode& s : mesh.twoNodes()) {
    const model::Nodeb& a = s.Node1();
    const model::Nodeb& b = s.Node2();
    const bool flange = row(a) == row(b) && (row(a) == 1 || row(a) == ny);
    const bool longitudinal = row(a) == row(b) && row(a) == (ny + 1) / 2;
    const bool transverse = column(a) == column(b) && (column(a) - 1) % spacing == 0;
    if (!flange && !longitudinal && !transverse) continue;
    s.set_Thickness(2.0f);
    s.set_width(flange ? 2.0f * h : h);
    s.set_Stress(-300.0f + 600.0f * static_cast<float>(s.ID() % 7) / 6.0f);
    s.UpdatePropertyDefined();
  }

  // The inner nodes with the rarer marks, at fixed fractions of the grid.
  auto at = [&](float u, float v) -> model::Nodeb& {
    const int i = 2 + static_cast<int>(u * static_cast<float>(nx - 3) + 0.5f);
    const int j = 2 + static_cast<int>(v * static_cast<float>(ny - 3) + 0.5f);
    return nodes.Item(static_cast<long>(ny) * (i - 1) + j);
  };
  for (model::Nodeb& n : nodes) {
    const int i = column(n), j = row(n);
    if (i == 1 || i == nx || j == 1 || j == ny) n.set_ZTDir(-1);
    if (i == 1) n.set_XTDir(-1);
    if (i == 1 && j == 1) n.set_YTDir(-1);
    if (i == nx) n.set_XLoad(j == 1 || j == ny ? -0.5f * h : -h);
  }
  at(0.1f, 0.2f).set_XRDir(-1);
  at(0.1f, 0.8f).set_YRDir(-1);
  at(0.3f, 0.5f).set_XRDir(-1);
  at(0.3f, 0.5f).set_YRDir(-1);
  at(0.3f, 0.5f).set_YTDir(-1);
  at(0.2f, 0.3f).set_xtstiff(10);
  at(0.4f, 0.3f).set_YTStiff(20);
  at(0.6f, 0.3f).set_ZTStiff(30);
  at(0.2f, 0.7f).set_XRStiff(40);
  at(0.4f, 0.7f).set_YRStiff(50);
  model::Nodeb& springs = at(0.6f, 0.7f);
  springs.set_xtstiff(10);
  springs.set_YTStiff(20);
  springs.set_ZTStiff(-1);
  springs.set_XRStiff(40);
  springs.set_YRStiff(50);
  at(0.8f, 0.2f).set_XLoad(0.5f * h);
  at(0.8f, 0.4f).set_YLoad(0.5f * h);
  at(0.8f, 0.6f).set_YLoad(-0.5f * h);
  at(0.7f, 0.5f).set_XLoad(-0.5f * h);
  at(0.7f, 0.5f).set_YLoad(0.5f * h);
  at(0.5f, 0.5f).set_ZTDir(-1);
  at(0.5f, 0.5f).set_ZTStiff(5);
  at(0.5f, 0.5f).set_XLoad(0.25f * h);

  for (model::Nodeb& n : nodes) {
    const float u = static_cast<float>(column(n) - 1) / static_cast<float>(nx - 1);
    const float v = static_cast<float>(row(n) - 1) / static_cast<float>(ny - 1);
    n.set_InPDispX(-0.01f * L * u);
    n.set_InPDispY(0.002f * H * (v - 0.5f));
    n.set_zcoord(std::sin(3.14159265f * u * 3) * std::sin(3.14159265f * v));
    n.set_Sx(-100.0f + 40.0f * u + 10.0f * v);
    n.set_Sy(-50.0f * v + 150.0f * v * u);
    n.set_SXY(20.0f * (u - v));
    n.set_Mises(80.0f + 30.0f * u);
    n.UpdatePropertyDefined();
  }
  nodes.GeneratevID(mesh.fourNodes(), mesh.twoNodes());
  mesh.fourNodes().GeneratevID();
  mesh.twoNodes().GeneratevID();
}

}  // namespace viewtest
