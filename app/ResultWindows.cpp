#include "app/ResultWindows.h"

#include <QAction>

#include "app/FileErrors.h"
#include "app/Globals.h"
#include "app/frmMenu.h"
#include "dialogs/ListingHost.h"
#include "dialogs/frmPropertyView.h"
#include "dialogs/frmStress.h"

namespace app {
namespace {

// The listing follows the global mesh across New; its file steps fail as
// every file command's do.
class GlobalListingHost : public dialogs::ListingHost {
 public:
  const model::Mesh& Mesh() const override { return globals::Mesh(); }
  dialogs::FileStepEnd RunFileStep(const std::function<void()>& step, std::string& reason) override {
    switch (RunStep(step, &reason)) {
      case StepEnd::Done: return dialogs::FileStepEnd::Done;
      case StepEnd::Cancelled: return dialogs::FileStepEnd::Cancelled;
      case StepEnd::GaveUp: break;
    }
    return dialogs::FileStepEnd::GaveUp;
  }
};

void Uncheck(frmMenu& window, const char* name) {
  // Unticking by hand runs no command: nothing toggles back.
  if (QAction* a = window.Action(name)) a->setChecked(false);
}

void Show(QWidget& w) {
  w.show();
  w.raise();
  w.activateWindow();
}

}  // namespace

frmStress& OpenStressWindow(frmMenu& window) {
  frmStress* w = window.StressWindow();
  if (!w) {
    w = new frmStress(globals::View(), &window);
    QObject::connect(w, &frmStress::unloaded, &window, [&window, w] {
      Uncheck(window, "mnuStressPlot");
      if (window.StressWindow() == w) window.SetStressWindow(nullptr);
    });
    window.SetStressWindow(w);
  }
  Show(*w);
  return *w;
}

frmPropertyView& OpenPropertyView(frmMenu& window) {
  static GlobalListingHost host;  // holds nothing: it reads the globals when asked
  auto* w = qobject_cast<frmPropertyView*>(window.PropertyViewWindow());
  if (!w) {
    w = new frmPropertyView(host, &window);
    QObject::connect(w, &frmPropertyView::unloaded, &window, [&window, w] {
      Uncheck(window, "mnuProperty_ShowProperty");
      Uncheck(window, "property");
      if (window.PropertyViewWindow() == w) window.SetPropertyViewWindow(nullptr);
    });
    window.SetPropertyViewWindow(w);
  }
  Show(*w);
  return *w;
}

}  // namespace app
