#include "analysis/ui/frmEigen.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <exception>

#include "analysis/RunDriver.h"
#include "analysis/RunFailure.h"
#include "analysis/RunFiles.h"
#include "analysis/RunUi.h"
#include "analysis/SolverInputFile.h"
#include "analysis/ui/RunGuard.h"
#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/RecordIO.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/qt/TextBoxes.h"
#include "ui_frmEigen.h"

std::string RecordSafeText(const std::string& text) {
  std::string safe;
  safe.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      safe.push_back('\'');
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;  // CR LF is one line break
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      safe.push_back(' ');
    } else {
      safe.push_back(c);
    }
  }
  return safe;
}

namespace {

// Lets the box hold no more than `most` UTF-16 units, as a line edit's
// maxLength does: of what is typed or pasted, what goes beyond is not
// taken, never half a surrogate pair, and Undo and Redo take an edit and its
// cut together.
class LengthLimit : public QObject {
 public:
  LengthLimit(QPlainTextEdit* box, int most) : QObject(box), box_(box), most_(most) {
    connect(box->document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
      insertedEnd_ = position + added;
      // Settled once the change and the signals about it are over: the
      // document's history tells an Undo from an edit only then.
      if (!pending_) QMetaObject::invokeMethod(this, &LengthLimit::Settle, Qt::QueuedConnection);
      pending_ = true;
    });
  }

 private:
  int Length() const { return box_->document()->characterCount() - 1; }  // without the closing paragraph end

  void Settle() {
    pending_ = false;
    QTextDocument* document = box_->document();
    if (Length() > most_) {
      // The cut is a step of its own in the document's history: an Undo
      // that took back only the cut takes back the edit too, and a Redo of
      // the edit its cut.
      if (document->availableRedoSteps() > redoSteps_)
        document->undo();
      else if (document->availableRedoSteps() < redoSteps_)
        document->redo();
      if (Length() > most_) Cut();
    }
    redoSteps_ = document->availableRedoSteps();
  }

  // Removes what goes beyond the limit from the end of the text last put in.
  void Cut() {
    QTextDocument* document = box_->document();
    const int end = std::clamp(insertedEnd_, 0, Length());
    int start = std::max(0, end - (Length() - most_));
    if (start > 0 && document->characterAt(start - 1).isHighSurrogate()) --start;
    QTextCursor cut(document);
    cut.beginEditBlock();  // a step the history counts, which Settle tells apart
    cut.setPosition(start);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    if (Length() > most_) {  // more than that edit put in: the end goes
      cut.setPosition(most_);
      cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
      cut.removeSelectedText();
    }
    cut.endEditBlock();
  }

  QPlainTextEdit* box_;
  int most_;
  int insertedEnd_ = 0;
  int redoSteps_ = 0;
  bool pending_ = false;
};

}  // namespace

// The solver's view of this dialog: progress line, event loop, cancel flag,
// message boxes, and the result the dialog tells of.
class frmEigen::DialogRunUi : public analysis::RunUi {
 public:
  static constexpr std::chrono::milliseconds kPassInterval{4};

  explicit DialogRunUi(frmEigen& dialog) : dialog_(dialog) {}
  void Progress(const std::string& text) override { dialog_.Report_Process(text); }
  // A pass of the event loop, unless one ran a moment ago: the run yields
  // after every element, some twenty thousand times for a large model, and
  // repaints and Cancel are served as well every few milliseconds.
  void Yield() override {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPass_ >= kPassInterval) {
      QCoreApplication::processEvents();
      lastPass_ = std::chrono::steady_clock::now();
    }
    if (dialog_.yieldHook_) dialog_.yieldHook_();
  }
  bool Cancelled() const override { return dialog_.processInterrupted_; }
  void Message(const std::string& text) override { platform::MsgBox(text); }
  void DetailedMessage(const std::string& text, const std::string& detail) override {
    platform::MsgBox(text, platform::Buttons::Ok, platform::Icon::None, {}, detail);
  }
  void StressesStored() override { emit dialog_.stressesStored(); }
  void ResultStored() override { emit dialog_.resultStored(); }

 private:
  frmEigen& dialog_;
  std::chrono::steady_clock::time_point lastPass_{};
};

frmEigen::frmEigen(model::Analysis& analysis, model::Mesh& mesh, const model::Material& material,
                   std::filesystem::path folder, QWidget* parent)
    : QDialog(parent),
      analysis_(analysis),
      mesh_(mesh),
      material_(material),
      folder_(std::move(folder)),
      ui_(std::make_unique<Ui::frmEigen>()) {
  ui_->setupUi(this);
  // A project file keeps each text on a line of its own, whose length every
  // reader bounds.
  new LengthLimit(ui_->txtDiscription, model::kLongestTextUnits);  // owned by the box
  ui_->cmdCancel->setEnabled(false);
  for (QWidget* box : {static_cast<QWidget*>(ui_->txtTitle), static_cast<QWidget*>(ui_->txtDiscription),
                       static_cast<QWidget*>(ui_->txtRunNumber), static_cast<QWidget*>(ui_->txtEstimation)})
    platform::qt::SelectAllOnFocus(box);
  connect(ui_->cmdApply, &QPushButton::clicked, this, &frmEigen::cmdApply_Click);
  connect(ui_->cmdCancel, &QPushButton::clicked, this, &frmEigen::cmdCancel_Click);
  connect(ui_->cmdClose, &QPushButton::clicked, this, &frmEigen::cmdClose_Click);
}

frmEigen::~frmEigen() = default;

void frmEigen::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Filled once, when the dialog opens: a message box closing re-activates
  // the dialog and must not wipe what the user typed.
  if (filled_) return;
  filled_ = true;
  try {
    Display_Analysis();
    Report_Process("Ready...");
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

void frmEigen::Display_Analysis() {
  const model::Analysis& a = analysis_;
  ui_->txtTitle->setText(QString::fromStdString(a.Title));
  ui_->txtDiscription->setPlainText(QString::fromStdString(a.Discription));
  ui_->txtRunNumber->setText(QString::fromStdString(a.RunID));
  ui_->txtEstimation->setText(QString::fromStdString(platform::FormatShortest(a.EigenValueEstimation)));
}

void frmEigen::Report_Process(const std::string& text) {
  ui_->processreport->showMessage(QString::fromStdString(text));
}

std::string frmEigen::ProgressText() const { return ui_->processreport->currentMessage().toStdString(); }

void frmEigen::SetRunButtons(bool running) {
  ui_->cmdApply->setEnabled(!running);
  ui_->cmdCancel->setEnabled(running);
  ui_->cmdClose->setEnabled(!running);
}

void frmEigen::cmdApply_Click() {
  if (running_) return;
  double estimate = 0;
  if (!platform::ParseDouble(ui_->txtEstimation->text().toStdString(), estimate) ||
      std::fabs(estimate) > FLT_MAX) {
    platform::MsgBox("Input Data Error : Numbers!");
    return;
  }
  try {
    model::Analysis& a = analysis_;
    a.Title = RecordSafeText(ui_->txtTitle->text().toStdString());
    a.Discription = RecordSafeText(ui_->txtDiscription->toPlainText().toStdString());
    a.RunID = RecordSafeText(ui_->txtRunNumber->text().toStdString());
    a.EigenValueEstimation = static_cast<float>(estimate);

    if (mesh_.Nodes().Count() < 4) {
      platform::MsgBox("Error...", platform::Buttons::Ok, platform::Icon::None, {},
                       analysis::Too_Few_Nodes_Detail(mesh_.Nodes().Count()));
      SetRunButtons(false);
      return;
    }
    bool ran = false;
    std::string failure;
    {
      // The run holds the folder from writing its input file to its end; a
      // wait for another run's end can be cancelled like the run itself.
      analysis::ui::RunInProgressScope guard;
      running_ = true;
      processInterrupted_ = false;
      SetRunButtons(true);
      DialogRunUi ui(*this);
      analysis::RunFiles files(folder_);
      if (files.TakeTurn(ui) && analysis::Create_Input_File(mesh_, a, material_, files, failure) != 0) {
        analysis::Run_Calculation(mesh_, analysis_, files, ui);
        ran = true;
      }
      running_ = false;
    }
    SetRunButtons(false);
    Report_Process("Ready...");
    if (!failure.empty()) platform::MsgBox("Error...", platform::Buttons::Ok, platform::Icon::None, {}, failure);
    if (ran) emit runEnded();
  } catch (const std::exception& e) {
    const bool ran = running_;
    running_ = false;
    platform::MsgBox("Error...", platform::Buttons::Ok, platform::Icon::None, {},
                     std::string("The run could not start: ") + e.what() + ".");
    SetRunButtons(false);
    if (ran) emit runEnded();
  }
}

void frmEigen::cmdCancel_Click() { processInterrupted_ = true; }

void frmEigen::cmdClose_Click() {
  if (running_) return;
  accept();
}

void frmEigen::reject() {
  if (running_) return;  // Escape during a run
  QDialog::reject();
}

void frmEigen::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}
