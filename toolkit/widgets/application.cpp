#include "toolkit/widgets/application.h"

#include <QPointer>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "toolkit/core/handler_failure.h"
#include "toolkit/core/message_box.h"

namespace {

void ShowErrorWithTitle(const std::string& title, const std::string& message) {
  ShowMessageBox(TMsgBoxType::mbtError, title.empty() ? "Error" : title, message, {"OK"}, 0, 0);
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The program ends when its main form closes, not when the last visible
  // window does: a box shown while the main form is still hidden would
  // otherwise end the program when it closes.
  setQuitOnLastWindowClosed(false);
  SetHandlerFailureReport([this](const std::exception_ptr& error) { ShowException(ExceptionMessage(error)); });
  MinimizedWhenUnseen = platformName().startsWith(QLatin1String("wayland"));
  UnseenProbe = new QTimer(this);
  UnseenProbe->setInterval(UnseenProbeMs);
  connect(UnseenProbe, &QTimer::timeout, this, [this] { ProbeExposure(); });
}

void TApplication::ProbeExposure() {
  // A frame the compositor does not ask for while the form is out of sight:
  // Qt then reports the form unexposed (a moment after the minimise itself,
  // which may come after the form went inactive).
  if (Form && Form->isVisible() && !Form->isActiveWindow() && !FormUnseen && !FormClosed)
    Form->update(QRect(0, 0, 1, 1));
  else
    UnseenProbe->stop();
}

TApplication::~TApplication() { SetHandlerFailureReport(nullptr); }

void TApplication::SetMainForm(QWidget* form) {
  Form = form;
  FormClosed = false;
  FormSeen = false;
  FormUnseen = false;
}

void TApplication::FormExposureChanged() {
  const bool exposed = Form->windowHandle()->isExposed();
  if (!Form->isVisible() || FormClosed) {
    FormUnseen = false;
    return;
  }
  if (exposed) {
    FormSeen = true;
    if (!FormUnseen) return;
    FormUnseen = false;
    if (!Form->isActiveWindow()) UnseenProbe->start();
    if (OnRestore) OnRestore(this);
  } else if (FormSeen && !FormUnseen) {
    FormUnseen = true;
    UnseenProbe->stop();
    if (OnMinimize) OnMinimize(this);
  }
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
  if (error) ShowException(ExceptionMessage(error));
}

void TApplication::ShowException(const std::string& message) {
  ShowErrorWithTitle(Title(), message);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  std::exception_ptr error;
  bool result = false;
  try {
    result = QApplication::notify(receiver, event);
    if (Form && MinimizedWhenUnseen && receiver == Form->windowHandle() && event->type() == QEvent::Expose) {
      FormExposureChanged();
    } else if (Form && receiver == Form.data()) {
      if (event->type() == QEvent::WindowDeactivate && MinimizedWhenUnseen) {
        ProbeExposure();
        UnseenProbe->start();
      } else if (event->type() == QEvent::WindowActivate) {
        UnseenProbe->stop();
      } else if (event->type() == QEvent::WindowStateChange && !MinimizedWhenUnseen) {
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
  if (error) ShowException(ExceptionMessage(error));
  return result;
}

TApplication* Application() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

void HandleException() {
  const std::exception_ptr error = std::current_exception();
  if (!error) return;
  if (TApplication* app = Application())
    app->ShowException(ExceptionMessage(error));
  else
    ShowErrorWithTitle(QGuiApplication::applicationDisplayName().toStdString(), ExceptionMessage(error));
}

// --- main-window hooks ----------------------------------------------------------

namespace {

class TMainWindowHooks : public QObject {
 public:
  explicit TMainWindowHooks(QGuiApplication* app) : QObject(app) {
    active_ = app->applicationState() == Qt::ApplicationActive;
    // Queued: Qt reports the new state before the window that caused it
    // reads as active, and a hook re-checks exactly that.
    connect(app, &QGuiApplication::applicationStateChanged, this, &TMainWindowHooks::StateChanged,
            Qt::QueuedConnection);
  }

  int Add(TWindowHook hook) {
    hooks_.emplace_back(++lastId_, std::move(hook));
    return lastId_;
  }

  void Remove(int id) { std::erase_if(hooks_, [id](const auto& h) { return h.first == id; }); }

 private:
  void StateChanged(Qt::ApplicationState state) {
    // Hidden and suspended count as inactive; only the edge is passed on.
    const bool active = state == Qt::ApplicationActive;
    if (active == active_) return;
    active_ = active;
    const TAppMessage message = active ? TAppMessage::amActivate : TAppMessage::amDeactivate;
    // Hooks may come and go while they run: walk a snapshot of the ids and
    // call only those still there.
    std::vector<int> ids;
    for (const auto& h : hooks_) ids.push_back(h.first);
    for (int id : ids) {
      const auto it = std::find_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; });
      if (it == hooks_.end()) continue;
      const TWindowHook hook = it->second;  // a copy: the hook may unhook itself
      if (hook(message)) return;
    }
    if (TApplication* app = Application()) {
      const auto& handler = active ? app->OnActivate : app->OnDeactivate;
      if (handler) handler(app);
    }
  }

  std::vector<std::pair<int, TWindowHook>> hooks_;
  int lastId_ = 0;
  bool active_ = false;
};

TMainWindowHooks* Hooks(bool create) {
  static QPointer<TMainWindowHooks> hooks;  // cleared when the QApplication goes
  if (!hooks && create) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) hooks = new TMainWindowHooks(app);
  }
  return hooks;
}

}  // namespace

int HookMainWindow(TWindowHook Hook) {
  TMainWindowHooks* hooks = Hooks(true);
  return hooks && Hook ? hooks->Add(std::move(Hook)) : 0;
}

void UnhookMainWindow(int HookId) {
  if (TMainWindowHooks* hooks = Hooks(false)) hooks->Remove(HookId);
}
