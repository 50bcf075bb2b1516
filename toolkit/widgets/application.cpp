#include "toolkit/widgets/application.h"

#include <QWindowStateChangeEvent>
#include <exception>

#include "toolkit/core/message_box.h"

namespace {

std::string MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

void ShowErrorWithTitle(const std::string& title, const std::string& message) {
  ShowMessageBox(TMsgBoxType::mbtError, title.empty() ? "Error" : title, message, {"OK"}, 0, 0);
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The program ends when its main form closes, not when the last visible
  // window does: a box shown while the main form is still hidden would
  // otherwise end the program when it closes.
  setQuitOnLastWindowClosed(false);
}

TApplication::~TApplication() = default;

void TApplication::SetMainForm(QWidget* form) {
  Form = form;
  FormClosed = false;
}

int TApplication::Run() {
  if (Form && ShowMainForm) Form->show();
  if (!Form || FormClosed) return 0;
  return exec();
}

void TApplication::Terminate() { quit(); }

void TApplication::ProcessMessages() { processEvents(QEventLoop::AllEvents); }

void TApplication::HandleException() {
  const std::exception_ptr error = std::current_exception();
  if (error) ShowException(MessageOf(error));
}

void TApplication::ShowException(const std::string& message) {
  ShowErrorWithTitle(Title(), message);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  std::exception_ptr error;
  bool result = false;
  try {
    result = QApplication::notify(receiver, event);
    if (Form && receiver == Form.data()) {
      if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool was = change->oldState() & Qt::WindowMinimized;
        const bool is = Form->windowState() & Qt::WindowMinimized;
        if (!was && is && OnMinimize)
          OnMinimize(this);
        else if (was && !is && OnRestore)
          OnRestore(this);
      } else if (event->type() == QEvent::Close && event->isAccepted()) {
        FormClosed = true;
        quit();
      }
    }
  } catch (...) {
    error = std::current_exception();
  }
  // Shown outside the handler so the box's own event loop does not run
  // inside a catch block.
  if (error) ShowException(MessageOf(error));
  return result;
}

TApplication* Application() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

void HandleException() {
  const std::exception_ptr error = std::current_exception();
  if (!error) return;
  if (TApplication* app = Application())
    app->ShowException(MessageOf(error));
  else
    ShowErrorWithTitle(QGuiApplication::applicationDisplayName().toStdString(), MessageOf(error));
}
