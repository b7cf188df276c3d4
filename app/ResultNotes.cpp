#include "app/ResultNotes.h"

#include <QString>
#include <QWidget>

#include "analysis/EigenSolver.h"
#include "platform/qt/QtPrompter.h"

namespace app {

void ShowChangedNote(QWidget* window, bool changedSinceRun) {
  if (!window) return;
  const QString note = QString::fromUtf8(analysis::kChangedSinceRunNote);
  QString caption = window->windowTitle();
  if (caption.endsWith(note)) caption.chop(note.size());
  if (changedSinceRun) caption += note;
  window->setWindowTitle(caption);
  // The small Plot window would show the note as "...", which says nothing.
  const int wanted = platform::WindowWidthForTitle(caption);
  if (changedSinceRun && window->width() < wanted) window->resize(wanted, window->height());
}

}  // namespace app
