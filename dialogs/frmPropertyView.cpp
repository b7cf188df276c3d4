#include "dialogs/frmPropertyView.h"

#include <QCloseEvent>
#include <QFont>
#include <QPushButton>
#include <QTabBar>

#include <string>

#include "dialogs/ListingHost.h"
#include "dialogs/PropertyListing.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "platform/qt/RichTextBox.h"
#include "ui_frmPropertyView.h"

namespace {

constexpr const char* kSaveFilter = "All Files (*.*)|*.*|Text Files|*.txt";

QFont PointFont(const char* family, QFont::StyleHint hint) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPointSizeF(8.25);
  return font;
}

}  // namespace

frmPropertyView::frmPropertyView(dialogs::ListingHost& host, QWidget* parent)
    : QDialog(parent), host_(host), ui_(std::make_unique<Ui::frmPropertyView>()) {
  ui_->setupUi(this);
  setObjectName("frmPropertyView");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  ui_->SSTab1->tabBar()->setFont(PointFont("Arial", QFont::SansSerif));
  ui_->SSTab1->tabBar()->setUsesScrollButtons(false);  // all eight tabs in one row
  // The tab strip alone: the listing lies in the one text box below it.
  ui_->SSTab1->setMaximumHeight(ui_->SSTab1->tabBar()->sizeHint().height());
  QFont listingFont = PointFont("Courier New", QFont::TypeWriter);
  listingFont.setFixedPitch(true);
  ui_->rtbProperty->setFont(listingFont);

  // Form_Load: the Coordinate tab and its listing.
  ui_->SSTab1->setCurrentIndex(dialogs::kTabCoordinate);
  shownTab_ = dialogs::kTabCoordinate;
  ShowListing(shownTab_);
  connect(ui_->SSTab1, &QTabWidget::currentChanged, this, [this](int) { SSTab1_Click(shownTab_); });
  connect(ui_->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(ui_->Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

frmPropertyView::~frmPropertyView() = default;

void frmPropertyView::ShowListing(int tab) {
  try {
    ui_->rtbProperty->SetText(dialogs::ListTab(tab, host_.Mesh()));
  } catch (...) {
    platform::MsgBox("Error...");
  }
}

void frmPropertyView::SSTab1_Click(int previousTab) {
  const int tab = ui_->SSTab1->currentIndex();
  shownTab_ = tab;
  if (previousTab != tab) ShowListing(tab);
}

void frmPropertyView::Command1_Click() {
  using dialogs::FileStepEnd;
  std::string fileName, reason;
  auto choose = [&] {
    cdlgSave.CancelError = true;
    cdlgSave.Flags = platform::cdlOFNOverwritePrompt | platform::cdlOFNHideReadOnly;
    cdlgSave.DialogTitle = "Save As";
    cdlgSave.Filter = kSaveFilter;
    cdlgSave.FilterIndex = 2;
    cdlgSave.ShowSave();
    fileName = cdlgSave.FileName();
  };
  FileStepEnd end = host_.RunFileStep(choose, reason);
  if (end == FileStepEnd::Cancelled) return;
  // The listing as it was built, CR LF and all: the box is read-only.
  const std::string text = ui_->rtbProperty->Text();
  auto write = [&] { platform::ReplaceFile(fileName, [&](platform::TextFile& file) { file.Write(text); }); };
  if (end == FileStepEnd::Done) end = host_.RunFileStep(write, reason);
  if (end != FileStepEnd::Done)
    platform::MsgBox("File Error!", platform::Buttons::Ok, platform::Icon::None, {}, reason);
}

void frmPropertyView::Command2_Click() {
  // Any failure, a cancelled dialog included, ends the command silently.
  try {
    cdlgPrint.CancelError = true;
    cdlgPrint.Flags = platform::cdlPDReturnDC | platform::cdlPDNoPageNums;
    if (ui_->rtbProperty->SelLength() > 0) cdlgPrint.Flags += platform::cdlPDSelection;
    cdlgPrint.ShowPrinter();
    if (QPagedPaintDevice* device = cdlgPrint.hDC()) ui_->rtbProperty->SelPrint(*device);
  } catch (...) {
  }
}

void frmPropertyView::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    emit unloaded();
  }
  event->accept();
}

void frmPropertyView::reject() { close(); }
