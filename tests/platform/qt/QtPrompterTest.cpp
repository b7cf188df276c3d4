// The real message boxes: a short box is still wide enough for a desktop's
// title bar to show its title whole beside the window's icon and buttons,
// also once Qt has laid it out again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include <string>

#include "platform/MessageBox.h"
#include "platform/qt/QtPrompter.h"

TEST(QtPrompter, AShortBoxShowsItsTitleWhole) {
  platform::QtPrompter prompter;
  platform::SetPrompter(&prompter);
  platform::SetApplicationTitle("VELK");
  // Room a title bar takes beside the title: an icon and three buttons, each
  // at least as wide as the bar is high (a line and a half).
  QFont bold = QApplication::font("QMdiSubWindowTitleBar");
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  for (const std::string& title : {std::string(), std::string("Warning"), std::string("Disk Error")}) {
    SCOPED_TRACE(title);
    int width = 0;
    QString shownTitle;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      // Qt sizes a box afresh on every layout request, as a window manager's
      // configure of the shown box brings one: the title must stay whole.
      QEvent layoutRequest(QEvent::LayoutRequest);
      QApplication::sendEvent(box, &layoutRequest);
      width = box->width();
      shownTitle = box->windowTitle();
      box->accept();
    });
    platform::MsgBox("Input Error!", platform::Buttons::Ok, platform::Icon::None, title);
    EXPECT_EQ(shownTitle.toStdString(), title.empty() ? "VELK" : title);
    EXPECT_GE(width, metrics.horizontalAdvance(shownTitle) + 6 * metrics.height());
  }
  platform::SetPrompter(nullptr);
}
