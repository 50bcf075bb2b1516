#include "app/reconnect_watch.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "serial/device_path.h"
#include "serial/rfc2217/connect_ahead.h"
#include "serial/rfc2217/rfc2217_device.h"
#include "serial/serial_log.h"

namespace {

// There to be opened: a link counts only when what it points at is there.
bool PathThere(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

// Outlives the watch while a connecting thread holds it; the thread posts
// through it only while the watch is there.
struct TReconnectWatch::TLink {
  std::mutex Lock;
  QObject* Receiver = nullptr;
};

TReconnectWatch::TReconnectWatch(std::function<bool()> attempt, std::chrono::milliseconds first,
                                 std::chrono::milliseconds most)
    : attempt_(std::move(attempt)), link_(std::make_shared<TLink>()), first_(first), most_(most), interval_(first) {
  link_->Receiver = &context_;
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, &context_, [this] {
    if (network_) ConnectNetworkPort();
    else AttemptNow();
  });
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &context_, [this] { FolderChanged(); });
}

TReconnectWatch::~TReconnectWatch() {
  Stop();
  std::lock_guard lock(link_->Lock);
  link_->Receiver = nullptr;
}

void TReconnectWatch::Start(const std::string& deviceName) {
  Stop();
  waiting_ = true;
  deviceName_ = deviceName;
  network_ = IsRfc2217Name(deviceName);
  interval_ = first_;
  if (network_) {
    qCDebug(lcSerial, "waiting for %s: next attempt in %lld ms", deviceName.c_str(),
            static_cast<long long>(interval_.count()));
    timer_.start(interval_);
    return;
  }
  path_ = QFileInfo(QString::fromStdString(SerialDevicePath(deviceName))).absoluteFilePath();
  WatchNearestFolder();
  qCDebug(lcSerial, "waiting for %s to come back (watching %s)", qPrintable(path_), qPrintable(WatchedFolder()));
  // It may be back already (or still there, dead): one look, after the
  // caller has finished.
  QTimer::singleShot(0, &context_, [this] { FolderChanged(); });
}

void TReconnectWatch::Stop() {
  if (waiting_) qCDebug(lcSerial, "no longer waiting for the device");
  waiting_ = false;
  timer_.stop();
  if (network_ && connecting_) DropConnectionMadeAhead(deviceName_);
  ++tries_;
  connecting_ = false;
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
}

QString TReconnectWatch::WatchedFolder() const {
  const QStringList folders = watcher_.directories();
  return folders.isEmpty() ? QString() : folders.front();
}

void TReconnectWatch::AttemptNow() {
  if (!waiting_ || attempting_) return;
  attempting_ = true;
  const bool done = attempt_();
  attempting_ = false;
  if (done) {
    Stop();
    return;
  }
  if (network_ && waiting_ && !timer_.isActive() && !connecting_) WaitForNextTry();
}

void TReconnectWatch::WaitForNextTry() {
  interval_ = std::min(interval_ * 2, most_);
  qCDebug(lcSerial, "next attempt in %lld ms", static_cast<long long>(interval_.count()));
  timer_.start(interval_);
}

void TReconnectWatch::ConnectNetworkPort() {
  if (!waiting_ || connecting_) return;
  connecting_ = true;
  const unsigned attempt = ++tries_;
  // The answer is handed to the window thread through the link; it runs
  // there only while the watch (the receiver's owner) is there.
  ConnectAhead(deviceName_, [this, link = link_, attempt](int osError) {
    std::lock_guard lock(link->Lock);
    if (link->Receiver)
      QMetaObject::invokeMethod(
          link->Receiver, [this, attempt, osError] { NetworkPortAnswered(attempt, osError); }, Qt::QueuedConnection);
  });
}

void TReconnectWatch::NetworkPortAnswered(unsigned attempt, int osError) {
  if (attempt != tries_ || !waiting_) return;
  connecting_ = false;
  if (osError != 0) {
    qCDebug(lcSerial, "%s does not answer: %s", deviceName_.c_str(), std::strerror(osError));
    WaitForNextTry();
    return;
  }
  qCDebug(lcSerial, "%s answers", deviceName_.c_str());
  AttemptNow();
  // Not taken (the attempt was put off): a connection left open would keep
  // the server's one client place from everybody else.
  DropConnectionMadeAhead(deviceName_);
}

void TReconnectWatch::FolderChanged() {
  if (!waiting_ || network_) return;
  // The folder itself may come and go (/dev/serial/by-id goes with the last
  // adapter): the nearest one there is watched.
  WatchNearestFolder();
  if (!PathThere(path_)) return;
  qCDebug(lcSerial, "%s is there", qPrintable(path_));
  AttemptNow();
}

void TReconnectWatch::WatchNearestFolder() {
  QDir folder = QFileInfo(path_).dir();
  while (!folder.exists() && !folder.isRoot()) folder.setPath(QFileInfo(folder.path()).path());
  const QString wanted = folder.absolutePath();
  if (WatchedFolder() == wanted) return;
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  if (!watcher_.addPath(wanted)) qCDebug(lcSerial, "cannot watch %s", qPrintable(wanted));
}
