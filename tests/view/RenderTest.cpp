// Frames drawn by Mesa's software renderer at a fixed window size and read
// back: what is drawn where, under which options, and that every frame
// leaves no OpenGL error and balanced matrix stacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "tests/dialogs/generator/GirderTestSupport.h"
#include "tests/view/RenderHost.h"
#include "tests/view/ViewTestSupport.h"
#include "view/ElementDrawing.h"
#include "view/ModelViewTransform.h"
#include "view/View.h"

using viewtest::AnyNear;
using viewtest::Near;
using viewtest::RenderHost;

namespace {

// Two plates side by side over [0, 10] x [0, 4]: plate 1 on x 0..5 with
// thickness 2, plate 2 on x 5..10 with thickness 1.
class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    viewtest::BuildPlateGrid(mesh, 10, 4, 3, 2, 1);
    mesh.fourNodes().Item(1).set_Thickness(2);
    mesh.fourNodes().UpdateMaxThickness();
    host = std::make_unique<RenderHost>(v, mesh);
    v.Initialization(mesh.Nodes());
  }
  void TearDown() override {
    if (!host) return;
    for (const std::string& fault : host->frameFaults) ADD_FAILURE() << fault;
    host.reset();
  }
  QRgb At(const QImage& img, double x, double y) const { return img.pixel(host->Project(x, y)); }
  std::vector<std::string> LastMessages() const { return host->outcomes.back().messages; }

  model::Mesh mesh;
  view::View v;
  std::unique_ptr<RenderHost> host;
};

}  // namespace

TEST_F(Render, BackgroundAxesAndPlateShades) {
  QImage img = host->Frame();
  ASSERT_EQ(img.width(), 400);
  EXPECT_TRUE(Near(img.pixel(2, 2), 255, 255, 255));
  // The x axis runs from the model centre (5, 2) for 0.1 of the view box.
  const float S = v.SLimitMaxXY;
  EXPECT_TRUE(AnyNear(img, host->Project(5 + 0.05 * S, 2), 1, 255, 0, 0));
  // Fill shade by thickness: the thickest plate 0.7, the half as thick 0.85.
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 178, 2));
  EXPECT_TRUE(Near(At(img, 7.5, 2), 255, 255, 217, 2));
  // Black outlines at the edge midpoints.
  for (auto [x, y] : {std::pair{2.5, 0.0}, {2.5, 4.0}, {0.0, 2.0}, {10.0, 1.0}, {7.5, 4.0}})
    EXPECT_TRUE(AnyNear(img, host->Project(x, y), 1, 0, 0, 0)) << x << "," << y;
  EXPECT_TRUE(host->outcomes.back().drawn);
  EXPECT_TRUE(LastMessages().empty());

  v.OptionShowCoordinate = false;
  v.OptionShowPlate = false;
  img = host->Frame();
  EXPECT_FALSE(AnyNear(img, host->Project(5 + 0.05 * S, 2), 1, 255, 0, 0));
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 255));
  EXPECT_TRUE(AnyNear(img, host->Project(2.5, 0), 1, 0, 0, 0));  // outlines stay
}

TEST_F(Render, PlateWithoutPropertyIsWhiteAndStaleMaximumTakesTheFullShade) {
  mesh.fourNodes().Item(2).set_Thickness(0);
  mesh.fourNodes().Item(2).UpdatePropertyDefined();
  QImage img = host->Frame();
  EXPECT_TRUE(Near(At(img, 7.5, 2), 255, 255, 255));

  // A largest thickness never brought up to date: nothing to divide by.
  model::Mesh stale;
  viewtest::BuildPlateGrid(stale, 10, 4, 3, 2, 0);
  for (model::fourNode& p : stale.fourNodes()) p.set_Thickness(1.5f);
  ASSERT_EQ(stale.fourNodes().MaxThickness(), 0);
  host.reset();
  host = std::make_unique<RenderHost>(v, stale);
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 178, 2));
  EXPECT_TRUE(LastMessages().empty());
}

TEST_F(Render, ClipPlanesHideWhatLiesBeyond) {
  v.SetUpClipEq(-1, 5, -1, 5);
  QImage img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 178, 2));
  EXPECT_TRUE(Near(At(img, 7.5, 2), 255, 255, 255));
  EXPECT_TRUE(Near(At(img, 9.9, 2), 255, 255, 255));
  // The axes are cut too.
  EXPECT_FALSE(AnyNear(img, host->Project(5.6, 2), 1, 255, 0, 0));
  v.SetUpClipEq(-1, 11, 3, 5);
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 255));
  EXPECT_TRUE(Near(At(img, 2.5, 3.5), 255, 255, 178, 2));
  // A stress plot ignores the clip.
  for (model::Nodeb& n : mesh.Nodes()) n.set_Sx(100);
  v.OptionShowStress = 1;
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 0, 0, 1));
}

TEST_F(Render, UniformStressIsPureRedOrPureBlue) {
  for (model::Nodeb& n : mesh.Nodes()) n.set_Sx(100);
  v.OptionShowStress = 1;
  QImage img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 0, 0, 1));
  EXPECT_TRUE(Near(At(img, 7.5, 2), 255, 0, 0, 1));
  EXPECT_FLOAT_EQ(static_cast<float>(v.maxStress), 100);
  // No axes with a stress plot, and no stress window to tell the extremes.
  EXPECT_FALSE(AnyNear(img, host->Project(5.6, 2), 0, 255, 0, 0) &&
               !Near(At(img, 5.6, 2), 255, 0, 0));
  EXPECT_TRUE(host->maxMin.empty());

  for (model::Nodeb& n : mesh.Nodes()) n.set_Sy(-40);
  v.OptionShowStress = 2;
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 0, 0, 255, 1));
  EXPECT_TRUE(Near(img.pixel(2, 2), 255, 255, 255));
  EXPECT_FLOAT_EQ(static_cast<float>(v.maxStress), 40);
  // The fit view's stretch does not reach a stress plot.
  v.ScreenModeChange(mesh.Nodes());
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 0, 0, 255, 1));
  EXPECT_TRUE(Near(img.pixel(2, 2), 255, 255, 255));
}

TEST_F(Render, BuckledWireAndShadedPassOnlyUnderTheirOptions) {
  const QPoint edge = host->Project(2.5, 0);
  QImage img = host->Frame();
  EXPECT_TRUE(AnyNear(img, edge, 1, 0, 0, 0));
  EXPECT_FALSE(AnyNear(img, edge, 1, 255, 77, 77));

  v.OptionShading = true;  // without the buckled shape: no shaded pass
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 178, 2));
  EXPECT_FALSE(AnyNear(img, edge, 1, 255, 77, 77));

  v.OptionShading = false;
  v.OptionShowResult = true;
  img = host->Frame();
  EXPECT_TRUE(AnyNear(img, edge, 1, 255, 77, 77));
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 178, 2));

  // Lit with the ambient light only, since the light shines across the flat
  // plates: material (0.3, 0.5, 0.7) times 1 plus the scene's 0.2.
  v.OptionShading = true;
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 92, 153, 214, 3));
  EXPECT_TRUE(AnyNear(img, edge, 1, 255, 77, 77));
  GLboolean lit = GL_TRUE, normalized = GL_TRUE;
  host->makeCurrent();
  glGetBooleanv(GL_LIGHTING, &lit);
  glGetBooleanv(GL_NORMALIZE, &normalized);
  host->doneCurrent();
  EXPECT_FALSE(lit);
  EXPECT_FALSE(normalized);

  // Hiding the model while buckled: the wire stays, the fills go.
  v.OptionShading = false;
  v.OptionHideModelWhenBuckle = true;
  img = host->Frame();
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 255));
  EXPECT_TRUE(AnyNear(img, edge, 1, 255, 77, 77));
}

// Where the result chosen is missing, the model shows itself as if it were
// not chosen, pixel for pixel; the other result is drawn whenever the model
// holds it (stresses a cancelled run stored, without a mode shape).
TEST_F(Render, WhereTheChosenResultIsMissingThePlainModelStandsInItsPlace) {
  for (model::Nodeb& n : mesh.Nodes()) {
    n.set_zcoord(0.5f);
    n.set_Sx(100);
  }
  const QImage plain = host->Frame();
  EXPECT_EQ(v.lastStressPlot, view::stress_plot::kNone);
  host->hasModeShape = host->hasStresses = false;
  v.OptionShowResult = v.OptionShading = v.OptionHideModelWhenBuckle = true;
  EXPECT_EQ(host->Frame(), plain) << "buckled shape";
  v.OptionShowResult = false;
  v.OptionShowStress = view::stress_plot::kSx;
  EXPECT_EQ(host->Frame(), plain) << "stress plot";
  EXPECT_EQ(v.lastStressPlot, view::stress_plot::kNone);
  EXPECT_EQ(v.maxStress, 0.0) << "no scale to read a colour back with";

  // Stresses without a mode shape: the plot is drawn, the buckled shape not.
  host->hasStresses = true;
  const QImage plot = host->Frame();
  EXPECT_NE(plot, plain);
  EXPECT_EQ(v.lastStressPlot, view::stress_plot::kSx);
  v.OptionShowStress = view::stress_plot::kNone;
  v.OptionShowResult = true;
  EXPECT_EQ(host->Frame(), plain) << "no mode shape";

  // A mode shape without stresses: the other way round.
  host->hasModeShape = true;
  host->hasStresses = false;
  EXPECT_NE(host->Frame(), plain);
  v.OptionShowResult = false;
  v.OptionShowStress = view::stress_plot::kSx;
  EXPECT_EQ(host->Frame(), plain) << "no stresses";
  host->hasStresses = true;
  EXPECT_EQ(host->Frame(), plot);
}

TEST_F(Render, FailedPassIsReportedOnceUntilAFrameDrawsCleanly) {
  v.ViewZoom = 0;  // the model pass cannot size its symbols
  QImage img = host->Frame();
  EXPECT_EQ(LastMessages(), std::vector<std::string>{"Error..[Draw Model]"});
  // The rest of the frame is still drawn.
  EXPECT_TRUE(AnyNear(img, host->Project(5 + 0.05 * v.SLimitMaxXY, 2), 2, 255, 0, 0));
  host->Frame();
  EXPECT_TRUE(LastMessages().empty());
  v.ViewZoom = 1;
  host->Frame();
  EXPECT_TRUE(LastMessages().empty());
  v.ViewZoom = 0;
  host->Frame();
  EXPECT_EQ(LastMessages(), std::vector<std::string>{"Error..[Draw Model]"});
  v.ViewZoom = 1;
  host->Frame();

  // A node whose ID lies beyond the collection stops the shaded pass only.
  mesh.Nodes().Item(1).set_ID(999);
  v.OptionShowResult = true;
  v.OptionShading = true;
  img = host->Frame();
  EXPECT_EQ(LastMessages(), std::vector<std::string>{"Error..[Draw Result]"});
  EXPECT_TRUE(AnyNear(img, host->Project(2.5, 0), 1, 255, 77, 77));
}

TEST_F(Render, SymbolsLabelsAndSelectionMarks) {
  model::Nodeb& corner = mesh.Nodes().Item(1);  // at (0, 0)
  corner.set_XLoad(-0.5f);
  corner.UpdatePropertyDefined();
  v.OptionPropertyMarker_Size = 100;  // p = 1.2 model units
  v.OptionShowNodeNumber = true;
  host->selectionPainter = [this](float s) { view::DrawSelected(mesh.fourNodes().Item(2), v, s); };
  QImage img = host->Frame();
  // A -x load: the arrow comes from +x, its head's tip on the node.
  EXPECT_TRUE(Near(At(img, 0.3, 0), 255, 0, 0, 2));
  EXPECT_TRUE(Near(At(img, -0.3, 0), 255, 255, 255));
  // The node number is drawn up and to the right of the node (node 2's
  // label at (0, 4) falls in the white margin above the plate).
  const QPoint n2 = host->Project(0, 4);
  EXPECT_TRUE(Near(img.pixel(n2 + QPoint(2, -3)), 0, 0, 0));
  // The selection cross at the centre of plate 2, in red.
  EXPECT_TRUE(AnyNear(img, host->Project(7.5, 2), 1, 255, 0, 0));
  EXPECT_TRUE(Near(At(img, 2.5, 2), 255, 255, 178, 2));

  v.OptionShowNodeNumber = false;
  v.OptionShowLoad = false;
  img = host->Frame();
  EXPECT_TRUE(Near(img.pixel(n2 + QPoint(2, -3)), 255, 255, 255));
  EXPECT_TRUE(Near(At(img, 0.3, 0), 255, 255, 178, 2) || Near(At(img, 0.3, 0), 0, 0, 0));
}

// A frame that fails as a whole is not shown, so picking keeps the matrices
// of the frame that is.
TEST_F(Render, AFailedFrameKeepsTheMatricesOfTheFrameOnTheScreen) {
  host->Frame();
  const std::vector<double> shown(v.lastModelview, v.lastModelview + 16);
  v.ViewZoom = 2;
  host->selectionPainter = [](float) { throw 1; };  // beyond what the model pass catches
  host->Frame();
  EXPECT_FALSE(host->outcomes.back().drawn);
  EXPECT_EQ(LastMessages(), std::vector<std::string>{"Error..[Form_Paint]"});
  EXPECT_EQ(std::vector<double>(v.lastModelview, v.lastModelview + 16), shown);
  host->selectionPainter = nullptr;
  host->Frame();
  EXPECT_TRUE(host->outcomes.back().drawn);
  EXPECT_DOUBLE_EQ(v.lastModelview[0], 2 * shown[0]);
}

// Opening a model resets a used view to what a new view shows of it: the
// model whole, unturned and unclipped, in the actual view; the display
// options stay as the user set them.
TEST_F(Render, InitializationShowsTheModelAsANewViewDoes) {
  v.ViewMode = 4;
  v.PropertyMode = 5;
  v.MeshMode = 1;
  v.ScreenModeChange(mesh.Nodes());
  v.ViewAngle();
  v.ViewZoom = 7;
  v.Center(1, 1);
  v.SetUpClipEq(2, 3, 1, 2);
  v.OptionShowPlate = false;
  host.reset();

  model::Mesh next;
  viewtest::BuildPlateGrid(next, 30, 6, 4, 3, 1);
  RenderHost used(v, next);
  v.Initialization(next.Nodes());
  EXPECT_EQ(used.paints, 1);
  const QImage shown = used.Frame();

  view::View fresh;
  fresh.OptionShowPlate = false;
  RenderHost freshHost(fresh, next);
  fresh.Initialization(next.Nodes());
  EXPECT_TRUE(shown == freshHost.Frame());
  for (const std::string& fault : used.frameFaults) ADD_FAILURE() << fault;
  for (const std::string& fault : freshHost.frameFaults) ADD_FAILURE() << fault;

  // Mouse, edit and picking modes back to select, plate and plate.
  EXPECT_EQ(std::tie(v.ViewMode, v.PropertyMode, v.MeshMode),
            std::tie(fresh.ViewMode, fresh.PropertyMode, fresh.MeshMode));
  // The whole model in the middle, without the plate fill.
  for (auto [x, y] : {std::pair{0.0, 0.0}, {30.0, 0.0}, {0.0, 6.0}, {30.0, 6.0}})
    EXPECT_TRUE(shown.rect().contains(used.Project(x, y))) << x << "," << y;
  EXPECT_LE((used.Project(15, 3) - shown.rect().center()).manhattanLength(), 2);
  EXPECT_TRUE(Near(shown.pixel(used.Project(5, 1.5)), 255, 255, 255));
}

// The model, the stress plot and the axis triad turn alike about the centre
// of the view box; zoom and pan move the model and the plot, never the triad,
// and the fit view stretches the model alone.
TEST_F(Render, ModelStressPlotAndAxesTurnAlikeAboutTheBoxCentre) {
  v.ViewRX = 30;
  v.ViewRY = -20;
  v.ViewRZ = 10;
  v.ViewZoom = 3;
  v.Center(7.5f, 2);
  using Matrix = std::array<double, 16>;
  auto matrixOf = [this](view::ModelViewKind kind) {
    view::LoadModelView(v, kind);
    Matrix m{};
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    return m;
  };
  // Where the matrix takes a point (w = 1) or a direction (w = 0).
  auto apply = [](const Matrix& m, double x, double y, double w) {
    return std::array<double, 3>{m[0] * x + m[4] * y + m[12] * w, m[1] * x + m[5] * y + m[13] * w,
                                 m[2] * x + m[6] * y + m[14] * w};
  };
  auto length = [](const std::array<double, 3>& d) { return std::hypot(d[0], d[1], d[2]); };
  host->makeCurrent();
  const Matrix model = matrixOf(view::ModelViewKind::Model);
  const Matrix plot = matrixOf(view::ModelViewKind::StressPlot);
  const Matrix triad = matrixOf(view::ModelViewKind::AxisTriad);
  v.ScreenMode = 1;
  v.Set_Limits(mesh.Nodes());
  const Matrix fitModel = matrixOf(view::ModelViewKind::Model);
  const Matrix fitPlot = matrixOf(view::ModelViewKind::StressPlot);
  host->doneCurrent();

  const std::array<double, 3> centre = apply(model, 7.5, 2, 1);
  EXPECT_NEAR(centre[0], v.SLimitCX, 1e-5);
  EXPECT_NEAR(centre[1], v.SLimitCY, 1e-5);
  EXPECT_NEAR(centre[2], 0, 1e-5);
  EXPECT_NEAR(length(apply(model, 1, 0, 0)), 3, 1e-5);
  EXPECT_EQ(plot, model);

  const std::array<double, 3> triadCentre = apply(triad, v.SLimitCX, v.SLimitCY, 1);
  EXPECT_NEAR(triadCentre[0], v.SLimitCX, 1e-5);
  EXPECT_NEAR(triadCentre[1], v.SLimitCY, 1e-5);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(apply(triad, 1, 0, 0)[k], apply(model, 1, 0, 0)[k] / 3, 1e-5);
    EXPECT_NEAR(apply(triad, 0, 1, 0)[k], apply(model, 0, 1, 0)[k] / 3, 1e-5);
  }

  EXPECT_EQ(fitPlot, plot);
  EXPECT_NEAR(length(apply(fitModel, 1, 0, 0)), 3 * 0.8 * v.ScreenModeFactorX, 1e-5);
  EXPECT_NEAR(length(apply(fitModel, 0, 1, 0)), 3 * 0.7 * v.ScreenModeFactorY, 1e-5);
}

namespace {

// The red levels, lowest first, of the pixels the shaded pass paints of the
// default girder buckled in two half waves along its length and one across
// its depth, with every coordinate times `scale`, turned and zoomed. The
// shading's blue keeps red far below blue; the background, the wire and a
// surface burnt out to white do not.
std::vector<int> ShadedLevels(float scale, float zoom = 1) {
  model::Mesh mesh;
  model::BeamShape beam;
  model::Material material;
  EXPECT_EQ(velk_test::BuildDefaultGirder("20", "4", beam, material, mesh), "");
  model::Nodes& nodes = mesh.Nodes();
  const long nx = nodes.NumberNodesX(), ny = nodes.NumberNodesY();
  for (model::Nodeb& n : nodes) {
    const float u = static_cast<float>((n.ID() - 1) / ny) / static_cast<float>(nx - 1);
    const float v = static_cast<float>((n.ID() - 1) % ny) / static_cast<float>(ny - 1);
    n.set_zcoord(8 * scale * std::sin(6.2831853f * u) * std::sin(3.14159265f * v));
    n.set_xcoord(n.xcoord() * scale);
    n.set_ycoord(n.ycoord() * scale);
  }
  view::View v;
  RenderHost host(v, mesh);
  v.Initialization(nodes);
  v.ViewAngle();
  v.ViewZoom = zoom;
  v.OptionShowModel = v.OptionShowCoordinate = false;
  v.OptionShowResult = v.OptionShading = true;
  const QImage img = host.Frame();
  for (const std::string& fault : host.frameFaults) ADD_FAILURE() << fault;
  std::vector<int> levels;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qBlue(img.pixel(x, y)) >= qRed(img.pixel(x, y)) + 40) levels.push_back(qRed(img.pixel(x, y)));
  std::sort(levels.begin(), levels.end());
  return levels;
}

int Quantile(const std::vector<int>& sorted, double q) {
  return sorted.empty() ? -1 : sorted[static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1))];
}

}  // namespace

// Lit by the direction of its normals alone, the buckled girder shades alike
// in metres, millimetres or kilometres, and zoomed out: as many shaded
// pixels over the same spread of levels, none burnt out.
TEST(ShadedBuckledShape, ReadsTheSameAtAnyModelScaleAndZoom) {
  const std::vector<int> unit = ShadedLevels(1);
  EXPECT_GT(unit.size(), 5000u);
  // Red is 0.3 of the ambient light (1.2) and of at most 1 diffuse light.
  EXPECT_GE(unit.front(), 90);
  EXPECT_LE(unit.back(), 170);
  EXPECT_GT(unit.back() - unit.front(), 30) << "the relief must show";
  for (float scale : {1000.0f, 0.001f}) {
    SCOPED_TRACE(scale);
    const std::vector<int> scaled = ShadedLevels(scale);
    EXPECT_NEAR(static_cast<double>(scaled.size()), static_cast<double>(unit.size()),
                static_cast<double>(unit.size()) / 100);
    for (double q : {0.0, 0.1, 0.5, 0.9, 1.0}) EXPECT_NEAR(Quantile(scaled, q), Quantile(unit, q), 2) << q;
  }
  const std::vector<int> zoomed = ShadedLevels(1, 0.5f);
  for (double q : {0.0, 0.1, 0.5, 0.9, 1.0}) EXPECT_NEAR(Quantile(zoomed, q), Quantile(unit, q), 3) << q;
}
