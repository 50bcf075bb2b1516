// orvix-grid-demo: the grid control's showcase.
//
//   orvix-grid-demo                               the window, to try the grid
//   orvix-grid-demo --screenshot FILE [--scene S]  a PNG of a scene, then exit
//                                                  (scenes: window, list,
//                                                  suggestion, title)

#include "toolkit/core/message_box.h"
#include "toolkit/widgets/qt_message_boxes.h"
#include "tools/grid-demo/demo_screenshot.h"
#include "tools/grid-demo/demo_window.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The per-user store: ~/.config/OrvixManager/orvix-grid-demo.conf
  QCoreApplication::setOrganizationName(QStringLiteral("OrvixManager"));
  QCoreApplication::setApplicationName(QStringLiteral("orvix-grid-demo"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("The grid control's showcase."));
  parser.addHelpOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Write a PNG of the window to <file> and exit."),
                                      QStringLiteral("file"));
  const QCommandLineOption scene(QStringLiteral("scene"),
                                 QStringLiteral("What the screenshot shows: %1.").arg(DemoScenes().join(", ")),
                                 QStringLiteral("scene"), QStringLiteral("window"));
  parser.addOption(screenshot);
  parser.addOption(scene);
  parser.process(app);

  TQtMessageBoxes boxes;
  SetMessageBoxes(&boxes);
  int result = 0;
  {
    TGridDemoWindow window;
    window.resize(1020, 420);
    if (parser.isSet(screenshot)) {
      result = TakeScreenshot(window, parser.value(scene), parser.value(screenshot));
    } else {
      window.show();
      result = app.exec();
    }
  }
  SetMessageBoxes(nullptr);
  return result;
}
