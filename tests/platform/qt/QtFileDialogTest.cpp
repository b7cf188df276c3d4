// The Qt file dialog as the program sets it up: each filter shown once, by
// its description as the program writes it, and the chosen filter read back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>

#include "app/ProjectFile.h"
#include "platform/qt/QtFileDialogBackend.h"

namespace {

QStringList ShownFilters(const QFileDialog& dialog) {
  const auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
  QStringList shown;
  if (combo)
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
  return shown;
}

TEST(QtFileDialog, ShowsEachFilterByItsDescriptionOnce) {
  platform::FileDialogRequest request;
  request.kind = platform::DialogKind::Open;
  request.title = "Open Data";
  request.filter = app::kProjectFilter;
  request.filterIndex = 2;
  QFileDialog dialog;
  platform::SetUpFileDialog(dialog, request);
  EXPECT_EQ(dialog.windowTitle(), "Open Data");
  EXPECT_EQ(ShownFilters(dialog),
            QStringList({"All Files (*.*)", "VELK Graphic Interface Files(*.inp)"}));
  EXPECT_EQ(platform::ChosenFilterIndex(dialog, request), 2);
  // The patterns Qt applies stand last in each filter; "*.*" is every file.
  ASSERT_EQ(dialog.nameFilters().size(), 2);
  EXPECT_TRUE(dialog.nameFilters().at(0).endsWith("(*)"));
  EXPECT_TRUE(dialog.nameFilters().at(1).endsWith("(*.inp)"));

  dialog.selectNameFilter(dialog.nameFilters().at(0));
  EXPECT_EQ(platform::ChosenFilterIndex(dialog, request), 1);

  // A description without a pattern of its own is shown as it stands too.
  request.kind = platform::DialogKind::Save;
  request.filter = "Text Files|*.txt;*.lst|Report|*.vkr";
  request.filterIndex = 9;  // none such: the first
  QFileDialog save;
  platform::SetUpFileDialog(save, request);
  EXPECT_EQ(ShownFilters(save), QStringList({"Text Files", "Report"}));
  EXPECT_EQ(platform::ChosenFilterIndex(save, request), 1);
  EXPECT_TRUE(save.nameFilters().at(0).endsWith("(*.txt *.lst)"));
}

}  // namespace
