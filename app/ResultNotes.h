#pragma once
// The note that a window showing a result carries in its caption while the
// model differs from the one the run analysed.
class QWidget;

namespace app {

// Puts the note behind the window's caption, or takes it away; a window too
// narrow for its title bar to show the caption whole is widened. Nothing for
// no window.
void ShowChangedNote(QWidget* window, bool changedSinceRun);

}  // namespace app
