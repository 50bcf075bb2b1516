// The wait for a device gone: its path's folder watched (also when gone), a network port tried ever less often.

#include <QDir>
#include <QFile>

#include "app/reconnect_watch.h"
#include "tests/app/form_main_fixture.h"
#include "tests/common/loopback.h"

namespace formmain_test {
namespace {

void Touch(const QString& path) { QFile file(path); ASSERT_TRUE(file.open(QIODevice::WriteOnly)); }

TEST(ReconnectWatch, AttemptsWhenThePathAppearsAlsoInAFolderNotYetThere) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // As /dev/serial/by-id/..., which goes with the last adapter.
  const QString path = dir.filePath("serial/by-id/usb-modem");
  int attempts = 0;
  bool back = false;
  TReconnectWatch watch([&] { return ++attempts, back; });
  watch.Start(path.toStdString());
  HandleEventsFor(100ms);
  EXPECT_EQ(attempts, 0);
  EXPECT_EQ(watch.WatchedFolder(), dir.path());

  ASSERT_TRUE(QDir(dir.path()).mkpath("serial/by-id"));
  ASSERT_TRUE(WaitUntil([&] { return watch.WatchedFolder() == dir.filePath("serial/by-id"); }, 5s))
      << watch.WatchedFolder().toStdString();
  EXPECT_EQ(attempts, 0);

  // There but not usable yet: the wait goes on, and the next change tries again.
  Touch(path);
  ASSERT_TRUE(WaitUntil([&] { return attempts == 1; }, 5s));
  EXPECT_TRUE(watch.Waiting());
  back = true;
  Touch(dir.filePath("serial/by-id/another"));
  ASSERT_TRUE(WaitUntil([&] { return !watch.Waiting(); }, 5s));
  EXPECT_EQ(attempts, 2);

  Touch(dir.filePath("serial/by-id/a-third"));
  HandleEventsFor(100ms);
  EXPECT_EQ(attempts, 2) << "an attempt after the wait was over";
}

using TListener = orvix::test::TLoopbackListener;

TEST(ReconnectWatch, ANetworkPortsWaitsDoubleUpToTheBound) {
  TListener server(true);
  int attempts = 0;
  TReconnectWatch watch([&] { return ++attempts, false; }, 10ms, 50ms);
  watch.Start(server.Url());
  EXPECT_TRUE(watch.Network());
  std::vector<long> intervals{static_cast<long>(watch.Interval().count())};
  while (intervals.size() < 6) {
    const int before = attempts;
    ASSERT_TRUE(WaitUntil([&] { return attempts > before; }, 5s));
    intervals.push_back(static_cast<long>(watch.Interval().count()));
  }
  EXPECT_EQ(intervals, (std::vector<long>{10, 20, 40, 50, 50, 50}));
  watch.Stop();
  const int stopped = attempts;
  HandleEventsFor(150ms);
  EXPECT_EQ(attempts, stopped);
}

TEST(ReconnectWatch, ANetworkPortIsOpenedOnlyOnceItAnswers) {
  // The attempt opens the port on the window thread: a host that is down would hold it for the whole deadline.
  int attempts = 0;
  TListener down(false);
  TReconnectWatch watch([&] { return ++attempts, true; }, 10ms, 10ms);
  watch.Start(down.Url());
  ASSERT_TRUE(WaitUntil([&] { return watch.Connecting(); }, 5s));
  HandleEventsFor(200ms);
  EXPECT_EQ(attempts, 0) << "an attempt on a port that has not answered";
  EXPECT_TRUE(watch.Connecting());

  // Once the port answers, the attempt runs.
  watch.Stop();
  TListener up(true);
  watch.Start(up.Url());
  ASSERT_TRUE(WaitUntil([&] { return !watch.Waiting(); }, 5s));
  EXPECT_EQ(attempts, 1);
}

}  // namespace
}  // namespace formmain_test
