#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

// The application object: the program's QApplication with the classic
// toolkit's services on top. An exception that escapes an event handler or a
// slot is caught here and shown by ShowException instead of ending the
// program. That is a last resort: Qt's own frames are not unwound cleanly (it
// may leak Qt's event data), so handlers that can fail catch themselves and
// call HandleException, as TSpeedButton does around OnClick. A failure the
// toolkit reports with ReportHandlerFailure is shown by ShowException too.
class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  ~TApplication() override;

  // The application title, shown by ShowException. Not Qt's application
  // display name: Qt appends that to the title of every other window, so a
  // box titled "Error" would read "Error — <title>".
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& value) { FTitle = value; }

  // Whether Run shows the main form; when false it stays hidden until the
  // program shows it.
  bool ShowMainForm = true;

  // The main form: its minimise and restore raise OnMinimize / OnRestore, and
  // the program ends when it has closed (also if it was never shown).
  QWidget* MainForm() const { return Form; }
  void SetMainForm(QWidget* form);

  // Fired after the main form has been minimised / restored from minimised.
  // The sender is the application object.
  std::function<void(QObject* sender)> OnMinimize;
  std::function<void(QObject* sender)> OnRestore;

  // Where the platform tells a program nothing of minimising (Wayland: the
  // state Qt reports there is its own request, undone at once), the shown
  // main form counts as minimised while the compositor stops showing it, and
  // as restored when it shows it again. Qt sees that by the frames the
  // compositor no longer asks for; so that it looks, the form repaints a
  // pixel now and then while it is not the active window (minimising makes
  // it inactive). Default: on for the Wayland platform, off elsewhere.
  bool MinimizedWhenUnseen = false;
  static constexpr int UnseenProbeMs = 1000;

  // Fired when the program as a whole becomes active / inactive (another
  // program's window took over), after the main-window hooks, unless one of
  // them handled the change. The sender is the application object.
  std::function<void(QObject* sender)> OnActivate;
  std::function<void(QObject* sender)> OnDeactivate;

  // Shows the main form if ShowMainForm, then runs the event loop until the
  // main form has closed or Terminate is called; returns the exit code.
  int Run();
  void Terminate();

  // Handles every pending event once.
  void ProcessMessages();

  // For code that catches: shows the exception being handled (call inside a
  // catch block).
  void HandleException();
  // An error box (stop icon, the application title, "OK") with the message.
  void ShowException(const std::string& message);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void FormExposureChanged();
  void ProbeExposure();

  std::string FTitle;
  QPointer<QWidget> Form;
  bool FormClosed = false;
  bool FormSeen = false;     // shown by the compositor at least once
  bool FormUnseen = false;   // counted as minimised (MinimizedWhenUnseen)
  QTimer* UnseenProbe = nullptr;  // while the form is inactive and in sight
};

// The application object, or nullptr when the QApplication is a plain one.
TApplication* Application();

// What the main-window hooks are told.
enum class TAppMessage { amActivate, amDeactivate };

// A hook sees each notification before the application object does and
// returns whether it handled it; a handled one goes to no later hook and not
// to OnActivate / OnDeactivate.
using TWindowHook = std::function<bool(TAppMessage Message)>;

// Hooks are kept on the running QApplication, so components can hook under a
// plain QApplication too. The change of QGuiApplication::applicationState is
// passed on after the event that caused it, when the window that became
// active reads as active. HookMainWindow returns an id for
// UnhookMainWindow (never 0); without a QApplication it returns 0 and does
// nothing. Unhooking an unknown id, or after the QApplication is gone, is a
// no-op; a hook may unhook itself or others while it runs.
int HookMainWindow(TWindowHook Hook);
void UnhookMainWindow(int HookId);

// Shows the exception being handled (call inside a catch block) through the
// application object, or the same way when there is none.
void HandleException();
