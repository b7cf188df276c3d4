#pragma once
// Models and a fake host for the view's tests.
#include <string>
#include <vector>

#include "model/Mesh.h"
#include "view/ViewHost.h"

namespace viewtest {

// A host with a fixed drawing area that counts repaints and records the
// stress window's read-outs.
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

  void Resize(double w, double h) { w_ = w, h_ = h; }
  int paints = 0;
  bool stressShown = false;
  std::vector<std::pair<float, float>> maxMin;
  std::vector<float> stress;

 private:
  double w_, h_;
};

// A grid of (nx-1) x (ny-1) plates over [0, L] x [0, H], all with the given
// thickness (0: no property), numbered for the solver; stiffeners on every
// edge, without a property.
inline void BuildPlateGrid(model::Mesh& mesh, float L, float H, int nx, int ny, float thickness) {
  mesh.Nodes().Generate(0, 0, 0, H, L, 0, L, H, nx, ny);
  mesh.Nodes().set_NumberNodesX(static_cast<short>(nx));
  mesh.Nodes().set_NumberNodesY(static_cast<short>(ny));
  mesh.fourNodes().Generate(mesh.Nodes());
  mesh.twoNodes().Generate(mesh.Nodes());
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
