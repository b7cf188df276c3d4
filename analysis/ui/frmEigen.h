#pragma once
// The run dialog "Run Analysis": title, description, run number and the
// eigenvalue estimate of the run; Run writes the solver input file and runs
// the analysis, following it on the progress line, with Cancel during the
// run. Run and Close stay disabled while the run lasts, and nothing closes the
// dialog then.
#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace model {
class Analysis;
class Material;
class Mesh;
}  // namespace model
namespace Ui {
class frmEigen;
}

// A text that the record form of the files can hold: a double quote becomes
// a single quote and a line break or other control character a blank.
std::string RecordSafeText(const std::string& text);

class frmEigen : public QDialog {
  Q_OBJECT

 public:
  // The run data go into `analysis`; the solver's two files into `folder`.
  frmEigen(model::Analysis& analysis, model::Mesh& mesh, const model::Material& material,
           std::filesystem::path folder, QWidget* parent = nullptr);
  ~frmEigen() override;

  void Display_Analysis();
  // The progress line.
  void Report_Process(const std::string& text);
  std::string ProgressText() const;

  void cmdApply_Click();
  void cmdCancel_Click();
  void cmdClose_Click();

  bool ProcessInterrupted() const { return processInterrupted_; }

  // Called at every yield of a run, after the pending events (for tests).
  void SetYieldHook(std::function<void()> hook) { yieldHook_ = std::move(hook); }

  Ui::frmEigen& form() { return *ui_; }

 signals:
  // A run has stored its stresses in the model.
  void stressesStored();
  // A run has stored its result (eigenvalue and mode shape) in the model.
  void resultStored();
  // A run has ended, however it ended.
  void runEnded();

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class DialogRunUi;
  void SetRunButtons(bool running);

  model::Analysis& analysis_;
  model::Mesh& mesh_;
  const model::Material& material_;
  std::filesystem::path folder_;
  std::unique_ptr<Ui::frmEigen> ui_;
  std::function<void()> yieldHook_;
  bool processInterrupted_ = false;
  bool running_ = false;
  bool filled_ = false;
};
