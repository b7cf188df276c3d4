// Read Data of a named pipe that no program writes into, in the main window:
// while Open waits the window paints, under the busy pointer, but takes no
// input; then it says why the file was refused, and the model, caption and
// panels are as they were. And the run dialog's description box, which
// takes no more than a line of a project file holds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/ui/frmEigen.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/ProgramPaths.h"
#include "app/ProjectFile.h"
#include "app/frmMenu.h"
#include "model/RecordIO.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/KeyedStatusBar.h"
#include "tests/app/ProjectDump.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "ui_frmEigen.h"

namespace {

// Key presses as the application's windows receive them.
class KeyCount : public QObject {
 public:
  int presses = 0;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && receiver->isWindowType()) ++presses;
    return false;
  }
};

// What stood when a box showed: frames drawn, keys taken, the pointer.
struct AtBox {
  unsigned long frames = 0;
  int keys = 0;
  bool busyPointer = false;
};

bool BusyPointer() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor && cursor->shape() == Qt::WaitCursor;
}

class WatchedBoxes : public platform::ScriptedPrompter {
 public:
  WatchedBoxes(const frmMenu& window, const KeyCount& keys) : window_(window), keys_(keys) {}
  platform::Answer Message(const platform::MessageRequest& request) override {
    atBox.push_back({window_.FramesDrawn(), keys_.presses, BusyPointer()});
    return ScriptedPrompter::Message(request);
  }
  std::vector<AtBox> atBox;

 private:
  const frmMenu& window_;
  const KeyCount& keys_;
};

// A key press as the X server delivers it to the window, queued among the
// window system's events like one the user typed.
void SendKeyPress(QWidget& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  ASSERT_NE(x11, nullptr) << "not on X";
  xcb_connection_t* connection = x11->connection();
  xcb_key_press_event_t press{};
  press.response_type = XCB_KEY_PRESS;
  press.detail = 38;  // "a" in the server's own keymap
  press.time = XCB_CURRENT_TIME;
  press.root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  press.event = static_cast<xcb_window_t>(window.winId());
  press.child = XCB_NONE;
  press.event_x = press.event_y = 10;
  press.same_screen = 1;
  xcb_send_event(connection, 0, press.event, XCB_EVENT_MASK_KEY_PRESS, reinterpret_cast<const char*>(&press));
  xcb_flush(connection);
}

std::map<std::string, std::string> Panels(frmMenu& window) {
  std::map<std::string, std::string> panels;
  for (const std::string& key : window.StatusBar1().Keys()) panels[key] = window.StatusBar1().Text(key);
  return panels;
}

std::string GlobalModel() {
  return velk_test::DumpProject(globals::Analysis(), &globals::BeamShape(), globals::Mesh(), globals::Material());
}

}  // namespace

TEST(OpenWait, TheWindowPaintsButTakesNoInputWhileOpenWaitsForAPipe) {
  globals::ReleaseAll();
  std::unique_ptr<frmMenu> window;
  testsupport::StartMainWindow(window);
  KeyCount keys;
  WatchedBoxes boxes(*window, keys);
  platform::ScriptedFileDialogBackend files;

  // A model of the user's own, saved, with a result on the panels.
  testsupport::SupportedGirder();
  globals::Analysis().EigenValue = 12.5f;
  {
    app::GlobalProjectHost host(window.get());
    app::MarkUnchanged(host);
    app::MarkAnalysed(host);
  }
  window->SetCaption("VELK V1.4.0:mine.inp");
  window->ShowResultState();
  QApplication::processEvents();
  const std::string model = GlobalModel();
  const auto panels = Panels(*window);

  const velk_test::ScratchFolder scratch;
  const std::filesystem::path pipe = scratch.path() / "pipe.inp";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  files.QueueChoice(pipe.string());
  std::optional<velk_test::ShortPipeWaits> waits(std::in_place, std::chrono::milliseconds(500));

  // Run by the event loop while Open waits: a repaint asked for, a key typed.
  bool ran = false, busy = false;
  unsigned long framesAsked = 0;
  QTimer::singleShot(0, window.get(), [&] {
    ran = true;
    busy = BusyPointer();
    framesAsked = window->FramesDrawn();
    window->Surface()->update();
    SendKeyPress(*window);
  });
  QApplication::instance()->installEventFilter(&keys);
  window->Action("mnuFile_Open")->trigger();
  waits.reset();

  EXPECT_TRUE(ran) << "the event loop ran during the wait";
  EXPECT_TRUE(busy) << "under the busy pointer";
  ASSERT_EQ(boxes.prompts(), std::vector<std::string>{"File Open Error!"});
  EXPECT_EQ(boxes.messages()[0].detail,
            "No program opened the named pipe " + pipe.string() + " to write into it within 0.5 seconds");
  EXPECT_GT(boxes.atBox[0].frames, framesAsked) << "the repaint was drawn during the wait";
  EXPECT_EQ(boxes.atBox[0].keys, 0) << "no key was taken during the wait";
  EXPECT_FALSE(boxes.atBox[0].busyPointer) << "the box shows under the plain pointer";
  EXPECT_FALSE(BusyPointer());
  EXPECT_EQ(GlobalModel(), model);
  EXPECT_EQ(window->Caption(), "VELK V1.4.0:mine.inp");
  EXPECT_EQ(Panels(*window), panels);
  EXPECT_EQ(window->ProjectFileName(), "");

  // The key was held back, not lost: it comes once Open is over, before
  // the next one (the window system hands held keys on with its next event).
  SendKeyPress(*window);
  EXPECT_TRUE(QTest::qWaitFor([&] { return keys.presses == 2; }));
  QApplication::instance()->removeEventFilter(&keys);
  window.reset();
  globals::ReleaseAll();
}

// The description box takes at most as many characters as the title and
// run number boxes, so that each text fits the line a project file gives
// it: what is typed or pasted beyond that is not taken, never half a
// character, and one Undo takes back the whole paste.
TEST(OpenWait, TheRunDialogsTextsTakeNoMoreThanALineHolds) {
  testsupport::FreshModel();
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  auto& form = dialog.form();
  const int most = model::kLongestTextUnits;
  // The line boxes: typing at the limit takes nothing, a paste what fits.
  for (QLineEdit* line : {form.txtTitle, form.txtRunNumber}) {
    SCOPED_TRACE(line->objectName().toStdString());
    line->setText(QString(most + 10, 'x'));
    EXPECT_EQ(line->text(), QString(most, 'x'));
    line->setFocus();
    line->end(false);
    QTest::keyClicks(line, "yz");
    EXPECT_EQ(line->text(), QString(most, 'x'));
    line->setText(QString(most - 3, 'x'));
    line->end(false);
    line->insert("pasted");  // as a paste puts it in
    EXPECT_EQ(line->text(), QString(most - 3, 'x') + "pas");
    line->setText(QString(most - 1, 'x'));
    line->end(false);
    QTest::keyClicks(line, "yz");
    EXPECT_EQ(line->text(), QString(most - 1, 'x') + "y");
  }

  QPlainTextEdit* box = form.txtDiscription;
  // Each edit as the user makes it, the event loop running after it.
  auto edit = [](const std::function<void()>& change) {
    change();
    QApplication::processEvents();
  };
  edit([&] { box->setPlainText(QString(most + 1000, 'a')); });
  EXPECT_EQ(box->toPlainText(), QString(most, 'a'));

  edit([&] { box->setPlainText(QString(most - 10, 'b')); });
  QTextCursor cursor = box->textCursor();
  cursor.setPosition(5);
  box->setTextCursor(cursor);
  edit([&] { box->insertPlainText("0123456789abcdef"); });  // as a paste puts it in
  const QString pasted = QString(5, 'b') + "0123456789" + QString(most - 15, 'b');
  EXPECT_EQ(box->toPlainText(), pasted);
  EXPECT_EQ(box->textCursor().position(), 15) << "the cursor after what was taken";
  edit([&] { box->undo(); });
  EXPECT_EQ(box->toPlainText(), QString(most - 10, 'b'));
  edit([&] { box->redo(); });
  EXPECT_EQ(box->toPlainText(), pasted);
  edit([&] { box->undo(); });
  EXPECT_EQ(box->toPlainText(), QString(most - 10, 'b'));
  box->moveCursor(QTextCursor::End);
  edit([&] { box->insertPlainText("more than fits"); });  // after an Undo, an edit of its own
  EXPECT_EQ(box->toPlainText(), QString(most - 10, 'b') + "more than ");

  edit([&] { box->setPlainText(QString(most - 1, 'c')); });
  box->moveCursor(QTextCursor::End);
  edit([&] { box->insertPlainText(QString::fromUtf8("\xF0\x9F\x98\x80")); });  // two units: no room
  EXPECT_EQ(box->toPlainText(), QString(most - 1, 'c'));
  edit([&] { QTest::keyClicks(box, "de"); });
  EXPECT_EQ(box->toPlainText(), QString(most - 1, 'c') + "d");

  // What the box holds is what Run stores and a project file keeps.
  EXPECT_EQ(RecordSafeText(box->toPlainText().toStdString()).size(), static_cast<std::size_t>(most));
}
