// A device that goes away while the window uses it (a USB adapter pulled, a
// network port's server gone), and the modem coming back.

#include <QMetaObject>

#include "app/comm_port.h"
#include "app/form_main.h"
#include "app/reconnect_watch.h"
#include "serial/serial_log.h"
#include "toolkit/widgets/speed_button.h"

void TFormMain::CommPortLineLost(TCommPort*) {
  // Inside the line event's delivery: the port is released from the event
  // loop. Whether it was connected counts as it is now, before an operation
  // that fails on the lost line has put the button up.
  const bool connected = BtnSelfControl->Down();
  QMetaObject::invokeMethod(this, [this, connected] { ReleaseLostDevice(connected); }, Qt::QueuedConnection);
}

bool TFormMain::AwaitingDevice() const { return reconnect_ && reconnect_->Waiting(); }

void TFormMain::ReleaseLostDevice(bool wasConnected) {
  // A running operation ends on the lost line and reports it as any failed
  // command; the port is released after it.
  if (Hold(THeldKind::LineLost, [this, wasConnected] { ReleaseLostDevice(wasConnected); })) return;
  // Closed or opened again meanwhile: that device is not in use any more.
  if (!CommPort->DeviceGone()) return;
  CommPort->ReleasePort();
  if (!wasConnected && !BtnSelfControl->Down()) return;
  // The user pulled the plug, or the network took the port away: no box.
  BtnSelfControl->SetDown(false);
  UpdateControls(false);
  reconnect_->Start(CommPort->DeviceName());
  if (minimised_ && reconnect_->Network()) reconnect_->Stop();
}

bool TFormMain::ReconnectAttempt() {
  if (closed_ || minimised_) return false;
  if (InExchange()) {
    Hold(THeldKind::Reconnect, [this] { reconnect_->AttemptNow(); });
    return false;
  }
  // Not there yet (a node not yet given to the user's group, a server not
  // yet listening): nothing to tell, the wait goes on.
  try {
    OpenModemPort();
  } catch (const Exception& e) {
    qCDebug(lcSerial, "not back yet: %s", e.what());
    CommPort->ReleasePort();
    return false;
  }
  qCDebug(lcSerial, "back: connecting");
  // The rest as a click on the connect button does it, the port being open.
  BtnSelfControl->SetDown(true);
  BtnSelfControlClick(BtnSelfControl);
  return true;
}
