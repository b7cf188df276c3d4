#pragma once
// A small generated model with properties and results, and a way to compare
// two models field by field, for the project file tests.
#include <gtest/gtest.h>

#include <string>

#include "app/ProjectFile.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "tests/model/MeshTestSupport.h"

namespace velk_test {

// A 4 x 3 grid with every element, some of them sized, restraints, braces,
// loads and the results of a run.
inline void BuildModel(model::Mesh& mesh, model::Analysis& analysis, model::BeamShape& beam,
                       model::Material& material) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, 16, 120, 0, 120, 14, 4, 3);
  auto& nodes = mesh.Nodes();
  mesh.twoNodes().GenerateCP();
  mesh.fourNodes().GenerateCP();
  for (auto& p : mesh.fourNodes()) {
    p.set_Thickness(0.3125f + 0.01f * static_cast<float>(p.ID()));
    p.UpdatePropertyDefined();
  }
  for (long i = 1; i <= 3; ++i) {
    auto& s = mesh.twoNodes().Item(i);
    s.set_width(12.5f);
    s.set_Thickness(0.75f);
    s.set_Stress(-1234.567f * static_cast<float>(i));
    s.UpdatePropertyDefined();
  }
  auto& n1 = nodes.Item(1);
  n1.set_XTDir(1);
  n1.set_ZTDir(1);
  n1.set_XTDirValue(0.001f);
  n1.UpdatePropertyDefined();
  auto& n5 = nodes.Item(5);
  n5.set_ZTStiff(1e5f);
  n5.set_YLoad(-250.25f);
  n5.UpdatePropertyDefined();
  mesh.fourNodes().UpdateMaxThickness();
  mesh.fourNodes().GeneratevID();
  mesh.twoNodes().GeneratevID();
  nodes.GeneratevID(mesh.fourNodes(), mesh.twoNodes());
  for (auto& n : nodes) {
    n.set_zcoord(0.1f * static_cast<float>(n.ID()) - 0.5f);
    n.set_InPDispX(1e-4f * static_cast<float>(n.ID()));
    n.set_Sx(-15.5f * static_cast<float>(n.ID()));
    n.set_Mises(3.25e3f);
  }
  analysis.Title = "Girder \u00e4 test";
  analysis.Discription = "two, three";
  analysis.RunID = "7";
  analysis.EigenValueEstimation = 1.5f;
  analysis.EigenValue = 12.34567f;
  beam.set_Web_H(14.0f);
  beam.set_Length(120.0f);
  beam.set_Web_HE(12.0f);
  beam.set_ProportionalMesh(1);
  material.set_MOE(30000.0f);
  material.set_PR(0.25f);
}

// The project file bytes of a model: every stored field, in a form that
// compares two models whole.
inline std::string ModelBytes(const model::Analysis& a, const model::BeamShape& b,
                              const model::Mesh& mesh, const model::Material& m) {
  return app::ProjectText(a, b, mesh, m);
}

// Every element refers to a node that is in the node collection.
inline bool ElementsReferToOwnNodes(const model::Mesh& mesh) {
  auto owned = [&](const model::Nodeb& n) {
    for (const auto& m : mesh.Nodes())
      if (&m == &n) return true;
    return false;
  };
  for (const auto& s : mesh.twoNodes())
    if (!owned(s.Node1()) || !owned(s.Node2())) return false;
  for (const auto& p : mesh.fourNodes())
    if (!owned(p.Node1()) || !owned(p.Node2()) || !owned(p.Node3()) || !owned(p.Node4()))
      return false;
  return true;
}

inline bool IsEmptyMesh(const model::Mesh& mesh) {
  return mesh.Nodes().Count() == 0 && mesh.twoNodes().Count() == 0 &&
         mesh.fourNodes().Count() == 0;
}

}  // namespace velk_test
