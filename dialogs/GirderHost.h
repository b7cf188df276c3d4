#pragma once
// What the girder generator needs of the program around it. New replaces the
// mesh and the material, so the generator asks for them where it uses them
// and keeps none across New_Data.
namespace model {
class BeamShape;
class Material;
class Mesh;
}  // namespace model

namespace dialogs {

class GirderHost {
 public:
  virtual ~GirderHost() = default;

  virtual model::BeamShape& BeamShape() = 0;
  virtual model::Material& Material() = 0;
  virtual model::Mesh& Mesh() = 0;

  // Before the model in memory goes: asks whether to save its changes first;
  // false when the user keeps it.
  virtual bool SaveChangesFirst() = 0;
  // New: a fresh model (the girder section stays).
  virtual void New_Data() = 0;
  virtual void ClearSelectedItem() = 0;
  // The main window shows the new girder: the indicator of the edit mode the
  // view's reset brought, and a model of no file and no result.
  virtual void ShowGeneratedModel() = 0;
};

}  // namespace dialogs
