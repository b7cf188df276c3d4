// The toolbar pictures pixel for pixel, wherever the window shows them: on
// the toolbar buttons, in the image list, and in the status bar's edit-mode
// panel. The records are the pictures the program has always shown: a
// SHA-256 of their premultiplied RGBA rows, 16 by 16 pixels at a device
// pixel ratio of 1.
#include <gtest/gtest.h>

#include <QAction>
#include <QCryptographicHash>
#include <QImage>
#include <QPixmap>
#include <QToolBar>

#include <map>
#include <memory>
#include <string>

#include "app/Globals.h"
#include "app/frmMenu.h"
#include "platform/MessageBox.h"
#include "platform/qt/KeyedStatusBar.h"
#include "tests/app/AppTestSupport.h"

namespace {

const std::map<std::string, std::string> kPictures = {
    {"copy", "17d6e04e9f541425a631c160320b20317c8bb21a82e6c1027c219dd4822d6179"},
    {"center", "c8e6d374142509066cfc485d56cadb9aa3849a9dde9791583d0e8a4f05d38331"},
    {"zoomall", "3f272c92355b466caf7e4c5ec8ea2f53408c934a320e162709c69718af36e254"},
    {"new", "8cbb35b33fa856ea1791127702af5dad2fcc2094880aae99c3b0301475b30342"},
    {"save", "c6f72cd0f92db703e38ed26a433174f1f759cbac911c500425aacc24aa3c33eb"},
    {"open", "bff1496b5f9a178d55de8a4ee5314090968d87e3ffe925869bd53efd019cfcb2"},
    {"boundary", "cc4ac2afada3be712cd6e5cafe04efa04f637e73d0a95f540746b8ecc2dbab45"},
    {"brace", "73709f5c73850d9db41cebc2fe60f1ca2f368f5f36e5e886760eefd26c3e7ad5"},
    {"stiffener", "a327d694ca38a54abd1c4aa9a7bd3730459cf0d16f5c1f5799a411264b6bdcb2"},
    {"load", "0a47bc847bc21258780b502c28670126d7271957cc43bcbb03051ce2a682acb4"},
    {"plate", "0969582b35b9c3e35775370014e1a1ce1263722fd2d282220e206de0c404892a"},
    {"run", "bb613638f4cd058e643a84464e238e50cd8dd1c2381cbefe0b80777f4ff4d6cb"},
    {"set", "5d4601fb3b9a13fcba8d9ac3be4be6e8602dae63202c76916d85a13de02e98a2"},
    {"meshgeneration", "ed80a5c0d3d2fc9241d81c2b5b86ab4b5205c6a849e71ecac0aa872f631074c0"},
    {"delete", "bfc6d6425f32cb0ac6a899eb899b9f88240cfff1db57fdc3a561b43a6a7a5be6"},
    {"refresh", "dca3277e75655ccf71551a46cf0c8351e5cc52d79d522bc053cb44455b495e8c"},
    {"paste", "2e7b3969344d7e294cc3d83a5858bb04894ab38940065532107ba685cfc450b7"},
    {"property", "1b94e302a6cc60f702c9b61bfaae9c0189d0a74882c7ef8365de9a3ca075a2ff"},
    {"select", "21632a7e410065a7e6bc96f04f5298d625bf4553dcb6b4abe9d56bf6eca69f5c"},
    {"viewangle", "6ebfc57eb3c7b55ca4cd2c73417a181d683f944f0de03b53b20dd48e40ef5f90"},
    {"leftview", "299d4d31c53eeb3955b4de14a9337de1095f9c300419ea80d7cde241416b1cf4"},
    {"topview", "1506191d04de71b16697b40b2b3509939edaafd19186feb091e6dede5ab59f4d"},
    {"zoomin", "fb16274b41a7f1817113a724b78cb332eae181803874817c6a0308671658ba3a"},
    {"zoomout", "5ed228efd0afe1b65c9a8fc78122285b1dd965a688d02496d018e5f914d39ce8"},
};

// "16x16@1 <hash>": size, device pixel ratio and pixels of a picture.
std::string Fingerprint(const QPixmap& picture) {
  const QImage image = picture.toImage().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (int y = 0; y < image.height(); ++y)
    hash.addData(
        QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4));
  return std::to_string(picture.width()) + "x" + std::to_string(picture.height()) + "@" +
         QString::number(picture.devicePixelRatio()).toStdString() + " " +
         hash.result().toHex().toStdString();
}

std::string Recorded(const std::string& key) {
  auto it = kPictures.find(key);
  return it == kPictures.end() ? "no record for " + key : "16x16@1 " + it->second;
}

class ToolbarPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    window = std::make_unique<frmMenu>();
  }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  std::unique_ptr<frmMenu> window;
};

TEST_F(ToolbarPicturesTest, ButtonsAndTheImageListShowTheRecordedPictures) {
  for (const auto& [key, hash] : kPictures)
    EXPECT_EQ(Fingerprint(window->ToolImage(key)), Recorded(key)) << key;

  // A button draws its icon at the toolbar's icon size; "mesh" shows the
  // image "meshgeneration", every other button the image of its own key.
  const QToolBar* bar = window->Toolbar1();
  int buttons = 0;
  for (const QAction* a : bar->actions()) {
    if (a->isSeparator()) continue;
    ++buttons;
    const std::string key = a->objectName().toStdString();
    const QPixmap shown = a->icon().pixmap(bar->iconSize());
    EXPECT_EQ(Fingerprint(shown), Recorded(key == "mesh" ? "meshgeneration" : key)) << key;
  }
  EXPECT_EQ(buttons, 24);
}

TEST_F(ToolbarPicturesTest, TheEditModePanelShowsTheRecordedPictures) {
  const std::pair<const char*, const char*> modes[] = {{"mnuElements_Stiffener", "stiffener"},
                                                       {"mnuElements_Boundary", "boundary"},
                                                       {"mnuElements_Brace", "brace"},
                                                       {"mnuElements_Load", "load"},
                                                       {"mnuElements_Plate", "plate"}};
  for (const auto& [entry, key] : modes) {
    window->Action(entry)->trigger();
    EXPECT_EQ(Fingerprint(window->StatusBar1().Picture("editmode")), Recorded(key)) << entry;
  }
}

}  // namespace
