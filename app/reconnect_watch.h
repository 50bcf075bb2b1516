#pragma once

// Waiting for a modem that went away to come back. A device path (a USB
// adapter, /dev/serial/by-id/..., a link) is watched through its folder: the
// adapter plugged in again makes the path appear, and the owner's attempt
// runs then, without any polling. A network port (rfc2217://) has no path
// to watch: attempts run after 1, 2, 4 ... seconds, at most MaxInterval
// apart.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class TReconnectWatch {
 public:
  static constexpr std::chrono::milliseconds FirstInterval{1000};
  static constexpr std::chrono::milliseconds MaxInterval{30000};

  // attempt: tries to connect; true when the waiting is over (the modem is
  // back, or the owner has decided otherwise), false to wait on. A network
  // port's waits start at `first` and double up to `most`.
  explicit TReconnectWatch(std::function<bool()> attempt, std::chrono::milliseconds first = FirstInterval,
                           std::chrono::milliseconds most = MaxInterval);
  ~TReconnectWatch();
  TReconnectWatch(const TReconnectWatch&) = delete;
  TReconnectWatch& operator=(const TReconnectWatch&) = delete;

  // Starts waiting for the device of that name (a running wait ends first).
  void Start(const std::string& deviceName);
  void Stop();
  bool Waiting() const { return waiting_; }
  bool Network() const { return waiting_ && network_; }
  // An attempt now, if still waiting (and no attempt is running).
  void AttemptNow();

  // A device path: the path waited for and the folder watched for it.
  const QString& Path() const { return path_; }
  QString WatchedFolder() const;
  // A network port: the wait before the next try; whether a connection is
  // being made.
  std::chrono::milliseconds Interval() const { return interval_; }
  bool Connecting() const { return connecting_; }

 private:
  struct TLink;
  void FolderChanged();
  void WatchNearestFolder();
  void ConnectNetworkPort();
  void NetworkPortAnswered(unsigned attempt, int osError);
  void WaitForNextTry();

  std::function<bool()> attempt_;
  QObject context_;  // ends the connections below with this object
  QFileSystemWatcher watcher_;
  QTimer timer_;
  QString path_;
  std::string deviceName_;
  std::shared_ptr<TLink> link_;  // the connecting thread's way back to the window thread
  unsigned tries_ = 0;           // a stale try's answer is dropped
  bool connecting_ = false;
  bool waiting_ = false;
  bool network_ = false;
  bool attempting_ = false;
  const std::chrono::milliseconds first_;
  const std::chrono::milliseconds most_;
  std::chrono::milliseconds interval_;
};
