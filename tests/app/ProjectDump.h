#pragma once
// Every field a project file keeps, as text that compares two models exactly:
// numbers in hexadecimal floating point, strings byte for byte, element
// corners by the position of their node. Unlike the project file itself it
// loses nothing, so "saved and read back to the same model" is tested by
// comparing two dumps.
#include <cstdio>
#include <string>
#include <unordered_map>

#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"

namespace velk_test {

class ProjectDump {
 public:
  ProjectDump& F(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%a,", v);
    text_ += buf;
    return *this;
  }
  ProjectDump& I(long long v) {
    text_ += std::to_string(v) + ",";
    return *this;
  }
  ProjectDump& S(const std::string& s) {
    text_ += std::to_string(s.size()) + ":" + s + ",";
    return *this;
  }
  ProjectDump& Line() {
    text_ += "\n";
    return *this;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

inline std::string DumpProject(const model::Analysis& a, const model::BeamShape* b,
                               const model::Mesh& mesh, const model::Material& m) {
  // A corner is named by its node's position; 0 for a node outside the mesh.
  std::unordered_map<const model::Nodeb*, long> positions;
  for (const model::Nodeb& n : mesh.Nodes()) positions.emplace(&n, static_cast<long>(positions.size()) + 1);
  auto at = [&](const model::Nodeb& n) {
    auto it = positions.find(&n);
    return it == positions.end() ? 0L : it->second;
  };
  ProjectDump d;
  d.S(a.Title).S(a.Discription).S(a.RunID).F(a.EigenValueEstimation).F(a.EigenValue).Line();
  if (b) {
    d.F(b->Web_T()).F(b->Web_H()).F(b->Top_Flange_W()).F(b->Top_Flange_T()).F(b->Length());
    d.F(b->Bot_Flange_W()).F(b->Bot_Flange_T()).F(b->Web_TE()).F(b->Web_HE()).F(b->Top_Flange_WE());
    d.F(b->Top_Flange_TE()).F(b->Bot_Flange_WE()).F(b->Bot_Flange_TE()).F(b->Offset());
    d.I(b->ProportionalMesh()).Line();
  }
  const model::Nodes& nodes = mesh.Nodes();
  d.I(nodes.NumberNodesX()).I(nodes.NumberNodesY()).I(nodes.MaxvID()).I(nodes.Count()).Line();
  for (const model::Nodeb& n : nodes) {
    d.F(n.xcoord()).F(n.ycoord()).F(n.zcoord()).F(n.InPDispX()).F(n.InPDispY());
    d.I(n.PropertyDefined()).I(n.BoundaryDefined()).I(n.BraceDefined()).I(n.LoadDefined());
    d.I(n.XTDir()).I(n.YTDir()).I(n.ZTDir()).I(n.XRDir()).I(n.YRDir());
    d.F(n.XTDirValue()).F(n.YTDirValue()).F(n.xtstiff()).F(n.YTStiff()).F(n.ZTStiff());
    d.F(n.XRStiff()).F(n.YRStiff()).F(n.XLoad()).F(n.YLoad());
    d.I(n.ID()).I(n.vID()).I(n.Connected()).F(n.Sx()).F(n.Sy()).F(n.SXY()).F(n.Mises()).Line();
  }
  d.I(mesh.twoNodes().Count()).I(mesh.twoNodes().MaxvID()).Line();
  for (const model::twoNode& s : mesh.twoNodes()) {
    d.I(at(s.Node1())).I(at(s.Node2()));
    d.F(s.CPX()).F(s.CPY()).F(s.Thickness()).F(s.width()).I(s.PropertyDefined());
    d.I(s.vID()).F(s.Stress()).I(s.ID()).Line();
  }
  d.F(mesh.fourNodes().MaxThickness()).I(mesh.fourNodes().Count()).I(mesh.fourNodes().MaxvID()).Line();
  for (const model::fourNode& p : mesh.fourNodes()) {
    d.I(at(p.Node1())).I(at(p.Node2()));
    d.I(at(p.Node3())).I(at(p.Node4()));
    d.F(p.CPX()).F(p.CPY()).F(p.Thickness()).I(p.PropertyDefined()).I(p.ID()).I(p.vID()).Line();
  }
  d.F(m.MOE()).F(m.PR()).Line();
  return d.text();
}

}  // namespace velk_test
