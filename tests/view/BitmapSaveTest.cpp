// Saving a box of the view as a bitmap through its host: the save dialog,
// the host's file error routine when the dialog fails, and the host's
// hourglass while the file is written.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "platform/qt/CommonDialog.h"
#include "tests/platform/FileTestSupport.h"
#include "tests/view/ViewTestSupport.h"
#include "view/BitmapExport.h"

namespace {

// A 40 x 30 frame of one grey.
class GreyFrame : public view::FrameSource {
 public:
  int FrameWidth() const override { return 40; }
  int FrameHeight() const override { return 30; }
  bool ReadRGB(int, int, int w, int h, unsigned char* out) override {
    std::memset(out, 0x80, static_cast<size_t>((3 * w + 3) / 4 * 4 * h));
    return true;
  }
};

// A save dialog that fails `failures` times with a device error before it
// shows the scripted answers.
class FailingDialog : public platform::ScriptedFileDialogBackend {
 public:
  int failures = 0;
  platform::FileDialogAnswer Show(const platform::FileDialogRequest& request) override {
    if (failures > 0) {
      --failures;
      platform::Raise(platform::kErrDeviceUnavailable);
    }
    return ScriptedFileDialogBackend::Show(request);
  }
};

// Records how many boxes had been shown at each change of the pointer.
class PointerHost : public viewtest::FakeHost {
 public:
  explicit PointerHost(const platform::ScriptedPrompter& prompter) : prompter_(prompter) {}
  void SetBusyPointer(bool busy) override {
    FakeHost::SetBusyPointer(busy);
    boxesShown.push_back(prompter_.messages().size());
  }
  std::vector<size_t> boxesShown;

 private:
  const platform::ScriptedPrompter& prompter_;
};

class SaveBitmap : public ::testing::Test {
 protected:
  void Save() { view::Save_Bitmap(cdlBitmap, 2, 20, 9, 9, frame, host); }

  velk_test::ScratchFolder folder;
  platform::ScriptedPrompter prompter;
  FailingDialog dialog;
  platform::CommonDialog cdlBitmap;
  GreyFrame frame;
  PointerHost host{prompter};
};

}  // namespace

TEST_F(SaveBitmap, WritesTheChosenFileUnderTheHostsHourglass) {
  const std::filesystem::path file = folder.path() / "box.bmp";
  dialog.QueueChoice(file.string());
  Save();
  EXPECT_EQ(velk_test::ReadBytes(file).size(), 58u + 32u * 9u);  // 10 pixels a row, padded
  EXPECT_TRUE(prompter.messages().empty());
  EXPECT_EQ(host.busyPointer, (std::vector<bool>{true, false}));

  // A file that cannot be written: the pointer is back before the box shows.
  dialog.QueueChoice((folder.path() / "missing" / "box.bmp").string());
  Save();
  EXPECT_EQ(prompter.prompts(), std::vector<std::string>{"Error: Saving Operation Failed!"});
  EXPECT_EQ(host.busyPointer, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(host.boxesShown, (std::vector<size_t>{0, 0, 0, 0}));
  EXPECT_TRUE(host.fileErrors.empty());
}

TEST_F(SaveBitmap, AFailedDialogGoesToTheHostsFileErrorsAndACancelledOneSaysNothing) {
  const std::filesystem::path file = folder.path() / "box.bmp";
  dialog.QueueCancel();
  Save();
  EXPECT_TRUE(prompter.messages().empty());
  EXPECT_TRUE(host.fileErrors.empty());
  EXPECT_TRUE(host.busyPointer.empty());

  // The host answers Retry: the dialog shows again and the file is written.
  dialog.failures = 1;
  host.retries = 1;
  dialog.QueueChoice(file.string());
  Save();
  EXPECT_EQ(host.fileErrors, std::vector<int>{platform::kErrDeviceUnavailable});
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_TRUE(prompter.messages().empty());

  // The host gives up: "File Error!", and nothing is written.
  std::filesystem::remove(file);
  dialog.failures = 1;
  Save();
  EXPECT_EQ(host.fileErrors.size(), 2u);
  EXPECT_EQ(prompter.prompts(), std::vector<std::string>{"File Error!"});
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(host.busyPointer.size(), 2u);  // only the one write
}
