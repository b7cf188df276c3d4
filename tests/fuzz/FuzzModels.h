#pragma once
// Small models that run from end to end, for the solver target and for the
// seeds written by the program's own writers: a simply supported plate, a
// stiffened panel with springs and prescribed displacements, a plate girder
// with flanges, and a bare stiffener column. Variants change supports, loads
// and options but never the numbering, so every variant's input file suits
// its model.
#include <string>

#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "tests/model/MeshTestSupport.h"

namespace fuzz {

inline constexpr int kModels = 4;
inline constexpr int kVariants = 3;

inline const char* ModelName(int model) {
  static const char* const names[kModels] = {"plate", "stiffened", "girder", "column"};
  return names[model];
}

namespace detail {

// An nx x ny grid of nodes over a by b, every grid cell and edge an element.
inline void Grid(model::Mesh& mesh, float a, float b, short nx, short ny) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, b, a, 0, a, b, nx, ny);
  mesh.twoNodes().GenerateCP();
  mesh.fourNodes().GenerateCP();
}

inline model::Nodeb& At(const model::Mesh& mesh, long i, long j) {
  const model::Nodes& nodes = mesh.Nodes();
  return nodes.Item(nodes.NumberNodesY() * (i - 1) + j);
}

inline void Plates(model::Mesh& mesh, float t) {
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(t);
    p.UpdatePropertyDefined();
  }
  mesh.fourNodes().UpdateMaxThickness();
}

// The stiffeners along grid row j.
inline void StiffenRow(model::Mesh& mesh, long j, float t, float w) {
  for (model::twoNode& s : mesh.twoNodes()) {
    const long ny = mesh.Nodes().NumberNodesY();
    const long r1 = (s.Node1().ID() - 1) % ny + 1, r2 = (s.Node2().ID() - 1) % ny + 1;
    if (r1 == j && r2 == j) {
      s.set_Thickness(t);
      s.set_width(w);
      s.UpdatePropertyDefined();
    }
  }
}

inline void Number(model::Mesh& mesh) {
  mesh.fourNodes().GeneratevID();
  mesh.twoNodes().GeneratevID();
  mesh.Nodes().GeneratevID(mesh.fourNodes(), mesh.twoNodes());
}

inline void Done(model::Mesh& mesh) {
  for (model::Nodeb& n : mesh.Nodes()) n.UpdatePropertyDefined();
}

}  // namespace detail

// Builds model `model` (0 to kModels - 1) in the given empty objects.
inline void BuildModel(int model, int variant, model::Mesh& mesh, model::Analysis& analysis,
                       model::Material& material) {
  using namespace detail;
  analysis.Title = std::string(ModelName(model)) + " " + std::to_string(variant);
  analysis.Discription = "seed, variant " + std::to_string(variant);
  analysis.RunID = std::to_string(variant + 1);
  analysis.EigenValueEstimation = variant == 2 ? 5.0f : 0.0f;
  analysis.IGSTF = variant == 1;
  analysis.ISHEAR = variant == 2;
  switch (model) {
    case 0: {  // a square plate on simple supports, compressed along x
      const short n = 5;
      Grid(mesh, 100, 100, n, n);
      Plates(mesh, 1.0f);
      Number(mesh);
      for (long i = 1; i <= n; ++i)
        for (long j = 1; j <= n; ++j) {
          model::Nodeb& node = At(mesh, i, j);
          if (i == 1 || i == n || j == 1 || j == n) node.set_ZTDir(1);
          if (i == 1) node.set_XTDir(1);
          if (i == n) node.set_XLoad(variant == 1 ? -2.0f : (j == 1 || j == n) ? -0.5f : -1.0f);
          if (variant == 2 && j == n) node.set_YLoad(-0.5f);
        }
      At(mesh, 1, 1).set_YTDir(1);
      break;
    }
    case 1: {  // a panel with one stiffener, springs and a prescribed displacement
      const short nx = 7, ny = 4;
      Grid(mesh, 120, 60, nx, ny);
      Plates(mesh, 0.5f);
      StiffenRow(mesh, 3, 0.25f, 4.0f);
      Number(mesh);
      for (long i = 1; i <= nx; ++i)
        for (long j = 1; j <= ny; ++j) {
          model::Nodeb& node = At(mesh, i, j);
          if (i == 1 || i == nx) {
            node.set_ZTDir(1);
            node.set_XRDir(variant == 1 ? 1 : 0);
          }
          if (j == 1 || j == ny) node.set_ZTStiff(variant == 2 ? 50.0f : 500.0f);
          if (i == 1) node.set_XTDir(1);
          if (i == nx) node.set_XLoad(-1.0f);
          if (i == nx && j == 1) node.set_YLoad(variant == 0 ? 0.5f : -0.5f);
        }
      At(mesh, 1, 1).set_YTDir(1);
      At(mesh, 1, 1).set_YTDirValue(variant == 1 ? 0.001f : 0.0f);
      At(mesh, nx, ny).set_xtstiff(1e3f);
      At(mesh, 4, 2).set_YRStiff(25.0f);
      break;
    }
    case 2: {  // a plate girder: web plates, flanges as stiffeners, fork supports
      const short nx = 9, ny = 4;
      Grid(mesh, 120, 16, nx, ny);
      Plates(mesh, 0.25f);
      StiffenRow(mesh, 1, 0.5f, 6.0f);
      StiffenRow(mesh, ny, 0.5f, 6.0f);
      Number(mesh);
      for (long i = 1; i <= nx; ++i)
        for (long j = 1; j <= ny; ++j) {
          model::Nodeb& node = At(mesh, i, j);
          if (i == 1 || i == nx) node.set_ZTDir(1);
          if (j == ny) node.set_YLoad(variant == 1 ? -2.0f : -1.0f);
        }
      At(mesh, 1, 1).set_XTDir(1);
      At(mesh, 1, 1).set_YTDir(1);
      At(mesh, nx, 1).set_YTDir(1);
      analysis.MaxShift = 2;
      break;
    }
    default: {  // a bare column of stiffeners along x, pinned at both ends
      const short nx = 6, ny = 2;
      Grid(mesh, 50, 5, nx, ny);
      StiffenRow(mesh, 1, 1.0f, 2.0f);
      Number(mesh);
      for (long i = 1; i <= nx; ++i) {
        model::Nodeb& node = At(mesh, i, 1);
        node.set_YTDir(1);
        node.set_XRDir(1);
        if (i == 1 || i == nx) node.set_ZTDir(1);
      }
      At(mesh, 1, 1).set_XTDir(1);
      At(mesh, nx, 1).set_XLoad(variant == 2 ? -10.0f : -1.0f);
      break;
    }
  }
  Done(mesh);
  material.set_MOE(model == 0 ? 10000.0f : 29000.0f);
  material.set_PR(0.3f);
}

}  // namespace fuzz
