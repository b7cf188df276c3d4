// The display settings: the view options dialog with its limits and failure
// order, the clipping dialog's sliders and the limits they send, and the
// about box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QTabWidget>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/DialogLinks.h"
#include "app/Globals.h"
#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"
#include "app/frmMenu.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOption.h"
#include "model/Analysis.h"
#include "platform/MessageBox.h"
#include "tests/view/ViewTestSupport.h"
#include "ui_frmAbout.h"
#include "ui_frmClip.h"
#include "ui_frmOption.h"
#include "view/View.h"
#include "view/frmClip.h"

namespace {

// ------------------------------------------------------------ view options

class ViewOptionDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    window = std::make_unique<frmMenu>();
    dialog = std::make_unique<frmOption>(globals::View(), window.get());
    app::LinkToWindow(*dialog, *window);
    prompter.Clear();  // whatever the options file of the folder said
    Set(globals::View());
    dialog->Display_Options();
  }
  void TearDown() override {
    dialog.reset();
    window.reset();
    globals::ReleaseAll();
  }

  // Values unlike the defaults, so that a box filled from or written to the
  // wrong variable shows.
  static void Set(view::View& v) {
    v.OptionInpMagFactor = 1.5f;
    v.OptionOutpMagFactor = 25;
    v.OptionSelectedMarker_Size = 3;
    v.OptionPropertyMarker_Size = 4.25f;
    v.OptionLayerOffset_Distance = 0.5f;
    v.OptionFontSize = 12;
    v.OptionZoomCenterFactor = 2.5f;
  }
  Ui::frmOption& ui() { return dialog->form(); }
  // Types into the number boxes, in the order of the form.
  void Type(const std::vector<std::string>& texts) {
    QLineEdit* boxes[] = {ui().txtInpMag, ui().txtOutpMag, ui().txtSelectedMarker,
                          ui().txtPropertyMarker, ui().txtLayerOffset, ui().txtFontSize,
                          ui().txtZoomFactor};
    for (size_t i = 0; i < texts.size(); ++i) boxes[i]->setText(QString::fromStdString(texts[i]));
  }
  view::View& V() { return globals::View(); }

  platform::ScriptedPrompter prompter;
  std::unique_ptr<frmMenu> window;
  std::unique_ptr<frmOption> dialog;
};

// The check boxes with their variables, in the order of the fill.
std::vector<std::pair<QCheckBox*, bool view::View::*>> Checks(Ui::frmOption& ui) {
  using V = view::View;
  return {{ui.chkCoordinate, &V::OptionShowCoordinate},
          {ui.chkShowNodeNumber, &V::OptionShowNodeNumber},
          {ui.chkShowStiffenerNumber, &V::OptionShowStiffenerNumber},
          {ui.chkShowPlateNumber, &V::OptionShowPlateNumber},
          {ui.chkPlate, &V::OptionShowPlate},
          {ui.chkStiffener, &V::OptionShowStiffener},
          {ui.chkBoundary, &V::OptionShowBoundary},
          {ui.chkBoundaryValue, &V::OptionShowBoundaryValue},
          {ui.chkLoad, &V::OptionShowLoad},
          {ui.chkLoadValue, &V::OptionShowLoadValue},
          {ui.chkBrace, &V::OptionShowBrace},
          {ui.chkBraceValue, &V::OptionShowBraceValue},
          {ui.chkHideModelBuckle, &V::OptionHideModelWhenBuckle},
          {ui.chkShade, &V::OptionShading}};
}

TEST_F(ViewOptionDialog, FourTabsFilledFromTheView) {
  EXPECT_EQ(dialog->windowTitle(), "View Option");
  ASSERT_EQ(ui().SSTab1->count(), 4);
  const char* tabs[] = {"Model", "Result", "Marker", "Zoom"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ui().SSTab1->tabText(i), tabs[i]);
  EXPECT_EQ(ui().txtInpMag->text(), "1.5");
  EXPECT_EQ(ui().txtOutpMag->text(), "25");
  EXPECT_EQ(ui().txtSelectedMarker->text(), "3");
  EXPECT_EQ(ui().txtPropertyMarker->text(), "4.25");
  EXPECT_EQ(ui().txtLayerOffset->text(), "0.5");
  EXPECT_EQ(ui().txtFontSize->text(), "12");
  EXPECT_EQ(ui().txtZoomFactor->text(), "2.5");
  // Each box shows its own variable: one variable on at a time.
  for (const auto& [box, option] : Checks(ui())) {
    for (const auto& [b, o] : Checks(ui())) V().*o = false;
    V().*option = true;
    dialog->Display_Options();
    for (const auto& [b, o] : Checks(ui()))
      EXPECT_EQ(b->isChecked(), b == box) << box->objectName().toStdString();
  }
}

TEST_F(ViewOptionDialog, ApplyWritesEachBoxToItsOwnVariable) {
  for (const auto& [box, option] : Checks(ui())) {
    for (const auto& [b, o] : Checks(ui())) {
      b->setChecked(b != box);
      V().*o = b == box;
    }
    ASSERT_TRUE(dialog->cmdApply_Click());
    for (const auto& [b, o] : Checks(ui()))
      EXPECT_EQ(V().*o, b != box) << b->objectName().toStdString();
  }
  // Magnifications, sizes and the offset are taken as typed, zero and
  // negative values included.
  Type({"0", "-2", "7", "1e-3", "12.5", "8", "4"});
  ASSERT_TRUE(dialog->cmdApply_Click());
  EXPECT_EQ(V().OptionInpMagFactor, 0.0f);
  EXPECT_EQ(V().OptionOutpMagFactor, -2.0f);
  EXPECT_EQ(V().OptionSelectedMarker_Size, 7.0f);
  EXPECT_EQ(V().OptionPropertyMarker_Size, 1e-3f);
  EXPECT_EQ(V().OptionLayerOffset_Distance, 12.5f);
  EXPECT_EQ(V().OptionFontSize, 8);
  EXPECT_EQ(window->FontSize(), 8) << "the font lists follow";
  EXPECT_EQ(V().OptionZoomCenterFactor, 4.0f);
  EXPECT_TRUE(prompter.messages().empty());
  // The dialog edits neither the model switch, the buckled shape nor the
  // stress plot.
  V().OptionShowModel = false;
  V().OptionShowResult = true;
  V().OptionShowStress = 3;
  ASSERT_TRUE(dialog->cmdApply_Click());
  EXPECT_FALSE(V().OptionShowModel);
  EXPECT_TRUE(V().OptionShowResult);
  EXPECT_EQ(V().OptionShowStress, 3);
}

TEST_F(ViewOptionDialog, FontSizeIsAWholeNumberFromSixToNineteen) {
  const struct {
    const char* typed;
    short stored;   // the font size afterwards
    const char* box;  // the box afterwards
  } cases[] = {{"6", 6, "6"},       {"19", 19, "19"}, {"5", 19, "19"},     {"20", 19, "19"},
               {"5.5", 6, "5.5"},   {"6.5", 6, "6.5"}, {"19.5", 6, "6"},  {"-3", 6, "6"},
               {" 7 ", 7, " 7 "}};
  for (const auto& c : cases) {
    ui().txtFontSize->setText(c.typed);
    ui().txtZoomFactor->setText("3");
    V().OptionZoomCenterFactor = 2;
    ASSERT_TRUE(dialog->cmdApply_Click()) << c.typed;
    EXPECT_EQ(V().OptionFontSize, c.stored) << c.typed;
    EXPECT_EQ(window->FontSize(), c.stored) << c.typed;
    EXPECT_EQ(ui().txtFontSize->text(), c.box) << c.typed;
    EXPECT_EQ(V().OptionZoomCenterFactor, 3.0f) << "the rest of Apply goes on: " << c.typed;
  }
  EXPECT_TRUE(prompter.messages().empty()) << "no message for a size out of range";
}

TEST_F(ViewOptionDialog, ZoomFactorFromOneToTen) {
  const struct {
    const char* typed;
    float stored;
    const char* box;
  } cases[] = {{"1", 1, "1"}, {"10", 10, "10"}, {"0.5", 10, "10"}, {"10.5", 10, "10"},
               {"7.25", 7.25f, "7.25"}, {"0", 7.25f, "7.25"}};
  for (const auto& c : cases) {
    ui().txtZoomFactor->setText(c.typed);
    ASSERT_TRUE(dialog->cmdApply_Click()) << c.typed;
    EXPECT_EQ(V().OptionZoomCenterFactor, c.stored) << c.typed;
    EXPECT_EQ(ui().txtZoomFactor->text(), c.box) << c.typed;
  }
  EXPECT_TRUE(prompter.messages().empty());
}

// A box that is not a number ends Apply with the message: what came before it
// is stored, nothing after it, and the view is not redrawn.
TEST_F(ViewOptionDialog, AFailingBoxKeepsWhatCameBeforeIt) {
  window->StartUp();
  QApplication::processEvents();
  prompter.Clear();
  view::View& v = V();
  const char* numbers[] = {"2", "3", "4", "5", "6", "7", "8"};
  for (int failing = 0; failing < 7; ++failing) {
    for (const char* bad : {"", "abc", "1e39"}) {
      Set(v);
      dialog->Display_Options();
      ui().chkShowNodeNumber->setChecked(true);
      v.OptionShowNodeNumber = false;
      std::vector<std::string> texts(std::begin(numbers), std::end(numbers));
      texts[failing] = bad;
      if (failing == 5 && std::string(bad) == "1e39") texts[failing] = "100000";  // beyond 16 bits
      Type(texts);
      const unsigned long frames = window->FramesDrawn();
      prompter.Clear();
      EXPECT_FALSE(dialog->cmdApply_Click());
      SCOPED_TRACE("box " + std::to_string(failing) + " holds \"" + texts[failing] + "\"");
      EXPECT_EQ(prompter.prompts(), std::vector<std::string>{"Error: Input Data!"});
      EXPECT_TRUE(v.OptionShowNodeNumber) << "the check boxes come first";
      const float stored[] = {v.OptionInpMagFactor, v.OptionOutpMagFactor,
                              v.OptionSelectedMarker_Size, v.OptionPropertyMarker_Size,
                              v.OptionLayerOffset_Distance, static_cast<float>(v.OptionFontSize),
                              v.OptionZoomCenterFactor};
      const float before[] = {1.5f, 25, 3, 4.25f, 0.5f, 12, 2.5f};
      for (int k = 0; k < 7; ++k)
        EXPECT_EQ(stored[k], k < failing ? k + 2.0f : before[k]) << "box " << k;
      EXPECT_EQ(window->FramesDrawn(), frames) << "no redraw";
      EXPECT_EQ(ui().txtFontSize->text().toStdString(), texts[5]) << "the texts stay as typed";
    }
  }
  // A good Apply redraws.
  Type({"1", "1", "1", "1", "1", "10", "2"});
  const unsigned long frames = window->FramesDrawn();
  ASSERT_TRUE(dialog->cmdApply_Click());
  EXPECT_GT(window->FramesDrawn(), frames);
}

TEST_F(ViewOptionDialog, CloseWithoutApplyChangesNothingAndAppliedValuesSurviveTheOptionsFile) {
  ui().txtInpMag->setText("9");
  ui().chkShade->setChecked(!V().OptionShading);
  ui().cmdClose->click();
  EXPECT_EQ(V().OptionInpMagFactor, 1.5f);

  // Applied values round the options file.
  frmOption again(globals::View(), window.get());
  app::LinkToWindow(again, *window);
  again.show();  // fills on showing
  EXPECT_EQ(again.form().txtInpMag->text(), "1.5");
  Ui::frmOption& f = again.form();
  for (const auto& [box, option] : Checks(f)) box->setChecked(box == f.chkBrace || box == f.chkShade || box == f.chkShowPlateNumber);
  f.txtInpMag->setText("3.5");
  f.txtOutpMag->setText("120");
  f.txtSelectedMarker->setText("6");
  f.txtPropertyMarker->setText("9.75");
  f.txtLayerOffset->setText("-1");
  f.txtFontSize->setText("16");
  f.txtZoomFactor->setText("1.25");
  ASSERT_TRUE(again.cmdApply_Click());
  again.close();
  const std::filesystem::path ini = app::ProgramFolder() / "display_round_trip.ini";
  app::Save_Option(ini, globals::Analysis(), V());
  model::Analysis a;
  view::View back;
  app::Read_Option(ini, a, back);
  std::filesystem::remove(ini);
  EXPECT_TRUE(prompter.messages().empty());
  for (const auto& [box, option] : Checks(f))
    EXPECT_EQ(back.*option, box->isChecked()) << box->objectName().toStdString();
  EXPECT_EQ(back.OptionInpMagFactor, 3.5f);
  EXPECT_EQ(back.OptionOutpMagFactor, 120.0f);
  EXPECT_EQ(back.OptionSelectedMarker_Size, 6.0f);
  EXPECT_EQ(back.OptionPropertyMarker_Size, 9.75f);
  EXPECT_EQ(back.OptionLayerOffset_Distance, -1.0f);
  EXPECT_EQ(back.OptionFontSize, 16);
  EXPECT_EQ(back.OptionZoomCenterFactor, 1.25f);
}

// ------------------------------------------------------------ clipping

TEST(ClipSliders, PositionsAndTheLimitsTheyStandFor) {
  EXPECT_EQ(view::SliderPosition(2.5), 2);
  EXPECT_EQ(view::SliderPosition(3.5), 4);
  EXPECT_EQ(view::SliderPosition(-0.4), 0);
  EXPECT_EQ(view::SliderPosition(119.6), 120);
  EXPECT_EQ(view::SliderPosition(5e9), INT_MAX);
  EXPECT_EQ(view::SliderPosition(-5e9), INT_MIN);
  EXPECT_EQ(view::ClipLimitOf(0, 0, 1, -0.1, 1.1, true), -0.1);
  EXPECT_EQ(view::ClipLimitOf(1, 0, 1, -0.1, 1.1, false), 1.1);
  EXPECT_EQ(view::ClipLimitOf(1, 0, 1, -0.1, 1.1, true), 1.1);
  EXPECT_EQ(view::ClipLimitOf(0, 0, 1, -0.1, 1.1, false), -0.1);
  EXPECT_EQ(view::ClipLimitOf(7, 0, 10, -0.4, 10.2, true), 7.0);
  // A box inside one unit: both ends at one position.
  EXPECT_EQ(view::ClipLimitOf(0, 0, 0, 0.2, 0.4, true), 0.2);
  EXPECT_EQ(view::ClipLimitOf(0, 0, 0, 0.2, 0.4, false), 0.4);
}

class Clipping : public ::testing::Test {
 protected:
  void SetUp() override {
    v.SetHost(&host);
    // A box of the window's shape around a 120 x 48 model, and a clip range
    // a little inside it in x.
    v.SLimitX0 = -12;
    v.SLimitX1 = 132;
    v.SLimitY0 = -40.2;
    v.SLimitY1 = 88.2;
    v.HClipFrom = 0.4f;
    v.HClipTo = 119.6f;
    v.VClipFrom = -40.2f;
    v.VClipTo = 88.2f;
  }
  std::unique_ptr<frmClip> Open() {
    auto d = std::make_unique<frmClip>(v);
    host.paints = 0;
    return d;
  }
  std::vector<float> Sent() const { return {v.HClipFrom, v.HClipTo, v.VClipFrom, v.VClipTo}; }
  static std::vector<std::string> Labels(Ui::frmClip& ui) {
    std::vector<std::string> out;
    for (QLabel* l : {ui.lblHS, ui.lblHE, ui.lblVS, ui.lblVE}) out.push_back(l->text().toStdString());
    return out;
  }

  viewtest::FakeHost host;
  view::View v;
};

TEST_F(Clipping, LoadsRangesAndPositionsWithoutClipping) {
  auto d = Open();
  Ui::frmClip& ui = d->form();
  EXPECT_EQ(d->windowTitle(), "Clipping");
  EXPECT_EQ(ui.sldHStart->minimum(), -12);
  EXPECT_EQ(ui.sldHEnd->maximum(), 132);
  EXPECT_EQ(ui.sldVStart->minimum(), -40);
  EXPECT_EQ(ui.sldVEnd->maximum(), 88);
  EXPECT_EQ(ui.sldHStart->value(), 0);
  EXPECT_EQ(ui.sldHEnd->value(), 120);
  EXPECT_EQ(Labels(ui), (std::vector<std::string>{"0", "120", "-40", "88"}));
  EXPECT_EQ(host.paints, 0);
  EXPECT_EQ(Sent(), (std::vector<float>{0.4f, 119.6f, -40.2f, 88.2f}));

  // Any move sends all four limits: the x range, 0.4 to 119.6, goes to
  // whole units; the y sliders at their ends send the box's own limits.
  ui.sldVStart->setValue(-10);
  EXPECT_EQ(host.paints, 1);
  EXPECT_EQ(Sent(), (std::vector<float>{0, 120, -10, 88.2f}));
  ui.sldVStart->setValue(-40);
  EXPECT_EQ(Sent(), (std::vector<float>{0, 120, -40.2f, 88.2f}));
  EXPECT_EQ(host.paints, 2);
}

TEST_F(Clipping, OneSliderCarriesTheOther) {
  auto d = Open();
  Ui::frmClip& ui = d->form();
  ui.sldHEnd->setValue(40);
  EXPECT_EQ(Sent(), (std::vector<float>{0, 40, -40.2f, 88.2f}));
  // The start pushed past the end carries it along: the single line x = 50.
  ui.sldHStart->setValue(50);
  EXPECT_EQ(ui.sldHEnd->value(), 50);
  EXPECT_EQ(Sent(), (std::vector<float>{50, 50, -40.2f, 88.2f}));
  EXPECT_EQ(Labels(ui)[1], "50");
  // The end pulled below the start carries it down.
  ui.sldVStart->setValue(10);
  ui.sldVEnd->setValue(5);
  EXPECT_EQ(ui.sldVStart->value(), 5);
  EXPECT_EQ(Sent(), (std::vector<float>{50, 50, 5, 5}));
  EXPECT_EQ(Labels(ui), (std::vector<std::string>{"50", "50", "5", "5"}));
  // Carried onto the box's end, a slider sends the box's own limit.
  ui.sldVStart->setValue(88);
  EXPECT_EQ(Sent(), (std::vector<float>{50, 50, 88.2f, 88.2f}));
  ui.sldHEnd->setValue(-12);
  EXPECT_EQ(Sent(), (std::vector<float>{-12, -12, 88.2f, 88.2f}));
  EXPECT_EQ(host.paints, 6);
}

TEST_F(Clipping, ResetTakesTheWholeBoxAsItIsNow) {
  auto d = Open();
  Ui::frmClip& ui = d->form();
  ui.sldHStart->setValue(30);
  // The window was resized meanwhile: a wider box.
  v.SLimitX0 = -30.25;
  v.SLimitX1 = 150.25;
  d->cmdReset_Click();
  EXPECT_EQ(ui.sldHStart->minimum(), -30);
  EXPECT_EQ(ui.sldHStart->value(), -30);
  EXPECT_EQ(ui.sldHEnd->value(), 150);
  EXPECT_EQ(Sent(), (std::vector<float>{-30.25f, 150.25f, -40.2f, 88.2f}));
  EXPECT_EQ(host.paints, 2);
}

TEST_F(Clipping, AModelSmallerThanAUnitOrBeyondTheSliderRangeIsNotCutOff) {
  // The box of a model inside one unit: sliders with two positions.
  v.SLimitX0 = v.SLimitY0 = -0.1;
  v.SLimitX1 = v.SLimitY1 = 1.1;
  v.SetUpClipEq(-0.1, 1.1, -0.1, 1.1);
  auto d = Open();
  Ui::frmClip& ui = d->form();
  EXPECT_EQ(ui.sldHStart->maximum() - ui.sldHStart->minimum(), 1);
  ui.sldHStart->setValue(1);
  EXPECT_EQ(Sent(), (std::vector<float>{1.1f, 1.1f, -0.1f, 1.1f}));
  ui.sldHStart->setValue(0);
  EXPECT_EQ(Sent(), (std::vector<float>{-0.1f, 1.1f, -0.1f, 1.1f})) << "the whole model again";
  d->cmdReset_Click();
  EXPECT_EQ(Sent(), (std::vector<float>{-0.1f, 1.1f, -0.1f, 1.1f}));

  // Coordinates beyond the 32-bit range: the sliders stop at its ends,
  // which still stand for the whole box.
  v.SLimitX0 = -6e9;
  v.SLimitX1 = 6e9;
  v.SetUpClipEq(-6e9, 6e9, -0.1, 1.1);
  auto big = Open();
  EXPECT_EQ(big->form().sldHStart->minimum(), INT_MIN);
  EXPECT_EQ(big->form().sldHEnd->maximum(), INT_MAX);
  big->form().sldHStart->setValue(1000);
  EXPECT_EQ(Sent(), (std::vector<float>{1000, 6e9f, -0.1f, 1.1f}));
  big->cmdReset_Click();
  EXPECT_EQ(Sent(), (std::vector<float>{-6e9f, 6e9f, -0.1f, 1.1f}));
}

// ------------------------------------------------------------ about box

TEST(AboutBox, ShowsVersionDisclaimerCreditsAndAPicture) {
  EXPECT_EQ(VersionText(1, 4), "Version 1.4");
  EXPECT_EQ(VersionText(2, 10), "Version 2.10");
  frmAbout box;
  EXPECT_EQ(box.windowTitle(), "About VELK");
  EXPECT_EQ(box.form().lblVersion->text(), "Version 1.4");
  EXPECT_EQ(box.form().lblDisclaimer->text(), "For Educational Use");
  EXPECT_FALSE(box.form().lblCredits->text().isEmpty());
  EXPECT_FALSE(box.form().Label1->text().isEmpty());
  const QImage picture = box.form().picLogo->pixmap().toImage();
  ASSERT_FALSE(picture.isNull());
  // Drawn, not blank: the web's lines are there.
  QSet<QRgb> colours;
  for (int y = 0; y < picture.height(); y += 3)
    for (int x = 0; x < picture.width(); x += 3) colours.insert(picture.pixel(x, y));
  EXPECT_GT(colours.size(), 20);

  box.show();
  box.form().cmdOK->click();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

}  // namespace
