#pragma once
// The property listing window "Properties": the model's properties and
// results as fixed-layout text tables, one per tab, which can be saved to a
// text file or printed. Modeless; made by Show Property Window, destroyed
// when it closes, which it reports once (`unloaded`) so that the menu entry
// and the toolbar button "property" are released. It only reads the model; a
// listing is built when the window opens and whenever the user switches tabs.
#include <QDialog>

#include <memory>

#include "platform/qt/CommonDialog.h"

namespace dialogs {
class ListingHost;
}
namespace Ui {
class frmPropertyView;
}

class frmPropertyView : public QDialog {
  Q_OBJECT

 public:
  // A new window on the Coordinate tab of the host's model (Form_Load).
  explicit frmPropertyView(dialogs::ListingHost& host, QWidget* parent = nullptr);
  ~frmPropertyView() override;

  Ui::frmPropertyView& form() { return *ui_; }

  // The tab strip's click, given the tab shown before it.
  void SSTab1_Click(int previousTab);
  void Command1_Click();  // "Save to File"
  void Command2_Click();  // "Print"

  // The save dialog remembers the name chosen last while the window lives.
  platform::CommonDialog cdlgSave;
  platform::CommonDialog cdlgPrint;

 signals:
  void unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc closes like the close box

 private:
  void ShowListing(int tab);

  dialogs::ListingHost& host_;
  std::unique_ptr<Ui::frmPropertyView> ui_;
  int shownTab_ = 2;
  bool unloaded_ = false;
};
