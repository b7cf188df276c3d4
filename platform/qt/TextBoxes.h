#pragma once
// The text boxes of the dialogs: numbers shown in boxes, the number test of a
// box, and selecting a box's whole text when the focus arrives in it.
#include <QString>
#include <string>

class QTabWidget;
class QWidget;

namespace platform::qt {

// The general text form of a single-precision number: at most 7 significant
// digits, trailing zeros dropped, exponent form for very large or small values.
std::string FormatSingle(float value);
QString FormatSingleQ(float value);

// True when the text reads as a number (locale-free; NaN and infinities not).
bool IsNumberText(const QString& text);

std::string ToStd(const QString& text);
QString ToQ(const std::string& text);

// Makes a line edit or plain text edit select its whole text whenever the
// focus arrives in it: as its dialog opens, by the keyboard, or by a click
// into it (selected once the click ends). Focus that returns to it with its
// window, after a message box, a menu or another application, leaves the
// caret where it was. A click on a tab of the tabbed control the box lies in
// takes the focus to the tabs.
void SelectAllOnFocus(QWidget* box);

// Puts the focus, for when the dialog opens, in the first box of the page
// the tabbed control shows, so that what the user types first goes there
// rather than to the tabs. Call it once the page is chosen, before the
// dialog is shown.
void FocusFirstBoxOfPage(QTabWidget* tabs);

}  // namespace platform::qt
