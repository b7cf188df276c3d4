#include <QApplication>

#include "app/frmMenu.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/qt/PixelFormat.h"
#include "platform/qt/QtPrompter.h"

int main(int argc, char* argv[]) {
  // A save past the file size limit fails with its reason instead of ending the program.
  platform::IgnoreFileSizeSignal();
  // The view's surface format must be the default before the application exists.
  platform::qt::InstallViewSurfaceFormat();
  QApplication application(argc, argv);
  platform::SetApplicationTitle("VELK");
  platform::QtPrompter prompter;
  platform::SetPrompter(&prompter);

  int result = 0;
  {
    frmMenu window;
    prompter.setParent(&window);
    window.StartUp();
    result = application.exec();
    prompter.setParent(nullptr);
  }
  platform::SetPrompter(nullptr);
  return result;
}
