// Line events: the event thread, the hand-over, dispatch order, closing during a delivery, a vanished device.

#include <unistd.h>

#include <QEventLoop>
#include <QTimer>

#include "serial/comm_event_thread.h"
#include "tests/serial/serial_test_support.h"
#include "tests/common/scripted_message_boxes.h"
#include "toolkit/core/thread.h"

namespace {

// Ends at once; its end wakes everything waiting on hand-overs.
struct TQuickThread : TThread {
  ~TQuickThread() override { Terminate(); WaitFor(); }
  void Execute() override {}
};

using CommEvents = PtyComm;

}  // namespace

TEST_F(CommEvents, RxCharOnTheWindowThreadWithTheQueuedCount) {
  std::vector<int> counts;
  std::vector<std::thread::id> threads;
  std::string received;
  TCustomComm* sender = nullptr;
  comm.OnRxChar = [&](TCustomComm* s, int count) {
    sender = s;
    counts.push_back(count);
    threads.push_back(std::this_thread::get_id());
    ReadInto(received)(s, count);
  };
  comm.Open();
  // Two chunks before the window thread looks: one delivery sees both.
  Arrive("OK");
  Arrive("\r\n");
  ASSERT_TRUE(WaitUntil([&] { return received.size() >= 4; }));
  EXPECT_EQ(received, "OK\r\n");
  ASSERT_FALSE(counts.empty());
  EXPECT_EQ(counts.front(), 4);
  EXPECT_EQ(sender, &comm);
  for (auto id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(comm.Record.Stat.cbInQue, 4u);
}

TEST_F(CommEvents, UnreadBytesAreNotDeliveredAgain) {
  int deliveries = 0, lastCount = 0;
  comm.OnRxChar = [&](TCustomComm*, int count) { ++deliveries, lastCount = count; };
  comm.Open();
  Arrive("12345");
  ASSERT_TRUE(WaitUntil([&] { return deliveries == 1; }));
  EXPECT_EQ(lastCount, 5);
  HandleEventsFor(300ms);  // nothing new on the line: no further delivery
  EXPECT_EQ(deliveries, 1);
  Arrive("6");
  ASSERT_TRUE(WaitUntil([&] { return deliveries == 2; }));
  EXPECT_EQ(lastCount, 6);
}

TEST_F(CommEvents, BytesArrivingAfterTheHandlerReadAreDelivered) {
  std::string received;
  bool injected = false;
  comm.OnRxChar = [&](TCustomComm* s, int count) {
    ReadInto(received)(s, count);
    if (!injected) {
      injected = true;
      ArriveOn(pty, "OK\r\n");  // after the read, before the next wait starts
    }
  };
  comm.Open();
  Arrive("AT\r\n");
  ASSERT_TRUE(WaitUntil([&] { return received.size() >= 8; }));
  EXPECT_EQ(received, "AT\r\nOK\r\n");
}

// Bytes arriving while another event is handed over are counted by its error clearing, never announced:
// they still need their own OnRxChar, or a reply sits unread until the command times out.
TEST_F(CommEvents, BytesArrivingDuringAnotherDeliveryAreAnnounced) {
  comm.SetMonitorEvents({TCommEventState::evRxChar, TCommEventState::evTxEmpty});
  std::vector<int> rxCounts, queuedAtTxEmpty;
  comm.OnRxChar = [&](TCustomComm*, int count) { rxCounts.push_back(count); };  // leaves the bytes unread
  comm.OnTxEmpty = [&](TCustomComm*) { queuedAtTxEmpty.push_back(static_cast<int>(comm.Record.Stat.cbInQue)); };
  comm.Open();
  Arrive("x");
  ASSERT_TRUE(WaitUntil([&] { return rxCounts.size() == 1; }));
  EXPECT_EQ(rxCounts.front(), 1);

  ASSERT_EQ(comm.Write("A", 1), 1);
  // The window thread is busy while the transmit-empty event waits for it and the reply comes in.
  ASSERT_TRUE(WaitUntil([] { return PendingHandOvers() > 0; }, TEvents::Left));
  Arrive("OK\r\n");
  ASSERT_TRUE(WaitUntil([&] { return !queuedAtTxEmpty.empty(); }));
  EXPECT_EQ(queuedAtTxEmpty.front(), 5);
  ASSERT_TRUE(WaitUntil([&] { return rxCounts.size() == 2; }, 3s)) << "the reply was never announced";
  EXPECT_EQ(rxCounts.back(), 5);
  EXPECT_EQ(pty.ReadMaster(1), "A");
}

// One wait with EV_ERR and EV_RXCHAR: OnError first, both after the clearing; one event calls its one handler.
// A handler that closes or reopens the port ends that wait's dispatch: the rest belongs to the old device.
TEST_F(CommEvents, DispatchOrderOneHandlerPerEventAndNoDispatchAfterAHandlerClosedOrReopened) {
  std::vector<std::string> calls;
  comm.SetMonitorEvents({TCommEventState::evBreak});  // nothing of this arrives on a pty
  auto record = [&](const char* what) { return [&calls, what](TCustomComm*) { calls.push_back(what); }; };
  comm.OnRxChar = [&](TCustomComm*, int count) { calls.push_back("rx " + std::to_string(count)); };
  comm.OnError = [&](TCustomComm*, int errors) { calls.push_back("error " + std::to_string(errors)); };
  comm.OnTxEmpty = record("txempty");
  comm.OnBreak = record("break");
  comm.Open();
  Arrive("xyz");
  comm.HandleCommEvent(nullptr, EV_RXCHAR | EV_TXEMPTY | EV_ERR | EV_BREAK);
  EXPECT_EQ(calls, (std::vector<std::string>{"break", "error 0", "rx 3", "txempty"}));
  calls.clear();
  comm.HandleCommEvent(nullptr, 0x8000);  // no such event: nothing called
  EXPECT_TRUE(calls.empty());
  comm.OnError = nullptr;
  comm.HandleCommEvent(nullptr, EV_ERR | EV_RXCHAR);
  EXPECT_EQ(calls, (std::vector<std::string>{"rx 3"}));

  calls.clear();
  comm.OnCTS = record("cts");
  comm.OnDSR = record("dsr");
  comm.OnRing = record("ring");
  comm.OnRLSD = record("rlsd");
  comm.OnRxFlag = record("rxflag");
  comm.OnRxChar = nullptr;
  for (uint32_t bit : {EV_RING, EV_CTS, EV_RXFLAG, EV_DSR, EV_RLSD, EV_RXCHAR}) comm.DispatchEvent(bit);
  EXPECT_EQ(calls, (std::vector<std::string>{"ring", "cts", "rxflag", "dsr", "rlsd"}));

  calls.clear();  // "xyz" is still unread
  bool reopen = false;
  comm.OnError = [&](TCustomComm* s, int) {
    calls.push_back(reopen ? "error, reopen" : "error, close");
    reopen ? s->Open() : s->Close();
  };
  comm.OnRxChar = [&](TCustomComm*, int count) { calls.push_back("rx " + std::to_string(count)); };
  comm.OnTxEmpty = [&](TCustomComm*) { calls.push_back("txempty"); };
  comm.HandleCommEvent(nullptr, EV_ERR | EV_RXCHAR | EV_TXEMPTY);
  EXPECT_EQ(calls, (std::vector<std::string>{"error, close"}));
  EXPECT_FALSE(comm.Enabled());

  calls.clear();
  reopen = true;
  comm.Open();
  comm.HandleCommEvent(nullptr, EV_ERR | EV_RXCHAR | EV_TXEMPTY);
  EXPECT_EQ(calls, (std::vector<std::string>{"error, reopen"}));
  EXPECT_TRUE(comm.Enabled());
  comm.OnError = nullptr;
  Arrive("abc");
  comm.HandleCommEvent(nullptr, EV_ERR | EV_RXCHAR);  // an undisturbed wait goes on
  EXPECT_EQ(calls.back(), "rx 3");
}

// The event thread handed a wait over and blocks; Close must run that delivery while it waits for the
// thread, then the thread purges the input.
TEST_F(CommEvents, CloseWhileADeliveryIsPending) {
  int deliveries = 0, count = 0;
  bool closing = false, duringClose = false;
  comm.OnRxChar = [&](TCustomComm*, int n) { ++deliveries, count = n, duringClose = closing; };
  comm.Open();
  Arrive("pending");
  ASSERT_TRUE(WaitUntil([] { return PendingHandOvers() > 0; }, TEvents::Left));
  closing = true;
  comm.Close();
  EXPECT_EQ(deliveries, 1);
  EXPECT_EQ(count, 7);
  EXPECT_TRUE(duringClose);
  EXPECT_FALSE(comm.Enabled());
  EXPECT_EQ(QueuedOn(pty.Slave()), 0);  // purged by the ending thread
  EXPECT_EQ(PendingHandOvers(), 0u);
}

// While Close runs the pending delivery, anything waking the event thread (here another thread ending)
// must not let it slip out of the hand-over and purge the input under the handler's feet.
TEST_F(CommEvents, PendingDeliveryDuringCloseKeepsTheEventThreadWaiting) {
  std::string received;
  bool endedDuringHandler = false;
  comm.OnRxChar = [&](TCustomComm* s, int count) {
    TQuickThread().Start();  // ends at once, and its end is waited for
    endedDuringHandler = WaitUntil([&] { return s->EventThread()->Finished(); }, 500ms, TEvents::Left);
    ReadInto(received)(s, count);
  };
  comm.Open();
  Arrive("pending");
  ASSERT_TRUE(WaitUntil([] { return PendingHandOvers() > 0; }, TEvents::Left));
  comm.Close();
  EXPECT_FALSE(endedDuringHandler);
  EXPECT_EQ(received, "pending");
  EXPECT_EQ(QueuedOn(pty.Slave()), 0);
}

TEST_F(CommEvents, CloseOrReopenFromInsideAHandler) {
  int deliveries = 0;
  comm.OnRxChar = [&](TCustomComm* s, int) { ++deliveries, s->Close(); };
  comm.Open();
  Arrive("bye");
  ASSERT_TRUE(WaitUntil([&] { return !comm.Enabled(); }));
  EXPECT_EQ(deliveries, 1);
  EXPECT_EQ(comm.EventThread(), nullptr);

  // Usable again, and reopened by the next handler: the events go on.
  comm.OnRxChar = [&](TCustomComm* s, int) { if (++deliveries == 2) s->Open(); };
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  Arrive("again");
  ASSERT_TRUE(WaitUntil([&] { return deliveries >= 2; }));
  EXPECT_TRUE(comm.Enabled());
  EXPECT_NE(comm.EventThread(), nullptr);
  Arrive("!");
  ASSERT_TRUE(WaitUntil([&] { return deliveries >= 3; }));
}

// A handler's failure cannot reach any caller: it is shown as any failed handler's, and the line goes on.
TEST_F(CommEvents, HandlerExceptionIsShownAndDoesNotEndTheEvents) {
  ScriptedMessageBoxes boxes;
  int deliveries = 0;
  std::string received;
  comm.OnRxChar = [&](TCustomComm* s, int count) {
    ReadInto(received)(s, count);
    if (++deliveries == 1) RaiseCommError("handler failed", 7);
  };
  comm.Open();
  Arrive("one");
  ASSERT_TRUE(WaitUntil([&] { return deliveries == 1; }));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"handler failed (Error: 7) "});
  ASSERT_EQ(boxes.Requests.size(), 1u);
  EXPECT_EQ(boxes.Requests[0].Type, TMsgBoxType::mbtError);
  Arrive("two");
  ASSERT_TRUE(WaitUntil([&] { return deliveries == 2; }));
  EXPECT_EQ(boxes.Requests.size(), 1u);
}

TEST_F(CommEvents, DeliveriesReachANestedEventLoop) {
  std::string received;
  comm.OnRxChar = ReadInto(received);
  comm.Open();
  QEventLoop outer;
  QTimer::singleShot(0, [&] {
    // Inside a handler of the outer loop, as the command channel's wait is.
    QEventLoop inner;
    QTimer::singleShot(5000, &inner, &QEventLoop::quit);  // gives up
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] { if (received == "OK\r\n") inner.quit(); });
    ASSERT_TRUE(pty.WriteMaster("OK\r\n"));
    check.start(5);
    inner.exec();
    outer.quit();
  });
  outer.exec();
  EXPECT_EQ(received, "OK\r\n");
}

TEST_F(CommEvents, UnassignedHandlersStillClearErrorsAndSeeTheDeviceVanish) {
  comm.Open();
  Arrive("abc");
  ASSERT_TRUE(WaitUntil([&] { return comm.Record.Stat.cbInQue == 3; }));
  EXPECT_EQ(comm.Record.Errors, 0u);
  pty.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return comm.DeviceGone(); }));
  EXPECT_TRUE(comm.Record.Errors & CE_DEVICEGONE);
}
