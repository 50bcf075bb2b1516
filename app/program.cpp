// The program body: the application object, the hidden main window and the
// event loop.

#include <string>
#include <vector>

#include "app/form_main.h"
#include "toolkit/core/message_box.h"
#include "toolkit/widgets/application.h"
#include "toolkit/widgets/qt_message_boxes.h"

namespace {

int RunProgram(int& argc, char** argv) {
  // Taken before Qt removes the options it understands: any argument at all
  // turns on the auto-close rule.
  const std::vector<std::string> commandLine(argv + (argc > 0 ? 1 : 0), argv + argc);

  TApplication app(argc, argv);
  TQtMessageBoxes boxes;
  SetMessageBoxes(&boxes);
  app.SetTitle("Tarvelle Memnova Self-mode Manager");
  app.ShowMainForm = false;  // the window shows itself (not at all when it closes by itself)
  int result = 0;
  {
    TFormMain form(commandLine);  // the main window from its start-up on
    if (app.MainForm() != &form) app.SetMainForm(&form);
    result = app.Run();
    app.SetMainForm(nullptr);
  }
  SetMessageBoxes(nullptr);
  return result;
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv); }
