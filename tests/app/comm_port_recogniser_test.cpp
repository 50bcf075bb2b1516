// The reply recogniser: which bytes end a wait with OK or ERROR, what stays in Response, what is dropped.

#include "tests/app/comm_port_fixture.h"

using namespace commport_test;

namespace {

enum class Ending { Ok, Error, TimeOut, Other };

Ending Wait(TCommPort& port, int timeOut) {
  try { port.WaitResponse(timeOut); }
  catch (const EResponseError&) { return Ending::Error; }
  catch (const EResponseTimeOut&) { return Ending::TimeOut; }
  catch (const ECommPort&) { return Ending::Other; }
  return Ending::Ok;
}

}  // namespace

TEST(CommPortRecogniser, OkSplitOverTwoReceiveEventsIsRecognised) {
  PtyChannel ch(PtyChannel::Manual);
  Steps steps({[&] { Feed(ch.pty, ch.port, "\r\n1\r\n\r\nO"); EXPECT_EQ(ch.port.RespState(), TRespState::rsGotO); },
               [&] { Feed(ch.pty, ch.port, "K\r\n"); }});
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Ok);
  EXPECT_TRUE(steps.Done());
  EXPECT_EQ(ch.port.Response(), "1");
  EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
}

// One chunk in a wait: how the wait ends, what stays in Response; every byte of the chunk is read.
TEST(CommPortRecogniser, OneChunk) {
  struct Case { const char* bytes; Ending ending; const char* response; } cases[] = {
      {"12,3\r\nO\r\nK", Ending::Ok, "12,3"},                                // line breaks inside OK
      {"\r\nX,ERR,Y\r\n\r\nER\r\nROR\r\n", Ending::Error, "X,ERR,Y"},  // only the final code goes
      // No lines: an OK in the text ends the reply there; what follows a result code in its chunk is dropped.
      {"AOKB\r\nOK\r\n", Ending::Ok, "A"}, {"7\r\nOK\r\nXYZ", Ending::Ok, "7"},
      {"5\r\nERROR\r\nOK", Ending::Error, "5"},
      // Near misses are no result codes.
      {"OOK", Ending::TimeOut, "OOK"},              // the second O starts over
      {"\r\nok\r\n", Ending::TimeOut, "ok"},   // upper case only
      {"O K", Ending::TimeOut, "O K"},              // a blank breaks the match
      {"EERROR", Ending::TimeOut, "EERROR"},        // so does a doubled E
      {"ERRROR", Ending::TimeOut, "ERRROR"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    PtyChannel ch(PtyChannel::Manual);
    Feeds feed(ch, {c.bytes});
    EXPECT_EQ(Wait(ch.port, c.ending == Ending::TimeOut ? 300 : 5000), c.ending);
    EXPECT_TRUE(feed.Done());
    EXPECT_EQ(ch.port.Response(), c.response);
    EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
    EXPECT_EQ(Queued(ch.pty), 0) << "the rest of the chunk must be read, not left queued";
  }
}

TEST(CommPortRecogniser, BytesOutsideAWaitAreReadAndDropped) {
  PtyChannel ch(PtyChannel::Manual);
  Feed(ch.pty, ch.port, "OK\r\nstale");
  EXPECT_EQ(Queued(ch.pty), 0);
  EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
  EXPECT_EQ(ch.port.Response(), "");

  Feeds feed(ch, {"5\r\nOK\r\n"});
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Ok);
  Feed(ch.pty, ch.port, "late ERROR");
  EXPECT_EQ(ch.port.Response(), "5") << "the reply of the finished wait must stay as it was";
  EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
}

TEST(CommPortRecogniser, ALaterByteBeforeTheNextCheckUndoesTheResultCode) {
  // OK, then another character in a later event before the wait looked again: back to scanning.
  PtyChannel ch(PtyChannel::Manual);
  Steps steps({[&] {
    Feed(ch.pty, ch.port, "OK");
    EXPECT_EQ(ch.port.RespState(), TRespState::rsOK);
    Feed(ch.pty, ch.port, "X");
    EXPECT_EQ(ch.port.RespState(), TRespState::rsScan);
  }});
  EXPECT_EQ(Wait(ch.port, 300), Ending::TimeOut);
  EXPECT_EQ(ch.port.Response(), "X");
}

TEST(CommPortRecogniser, LaterLineBreaksBeforeTheNextCheckKeepTheResultCode) {
  PtyChannel ch(PtyChannel::Manual);
  Steps steps({[&] { Feed(ch.pty, ch.port, "1\r\nOK"); Feed(ch.pty, ch.port, "\r\n"); }});
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Ok);
  EXPECT_EQ(ch.port.Response(), "1");
}

TEST(CommPortRecogniser, AFailedReadDropsTheEvent) {
  PtyChannel ch(PtyChannel::Manual);
  Steps steps({[&] {
    // A count larger than what is queued: the read takes what is there.
    ch.pty.WriteMaster("OK");
    EXPECT_TRUE(WaitQueued(ch.pty, 2));
    ch.port.HandleRxChar(&ch.port, 100);
  }});
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Ok);
  ch.port.Close();
  // Read on a closed port fails; the event is dropped without harm.
  ch.port.HandleRxChar(&ch.port, 10);
  EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
}

TEST(CommPortRecogniser, ResponseKeepsOnlyTheFirst4096Characters) {
  PtyChannel ch(PtyChannel::Manual);
  // The pty holds about 4 KiB, so the babble goes in pieces.
  std::vector<std::string> pieces;
  for (char c = 'a'; c < 'a' + 12; ++c) pieces.push_back(std::string(499, c) + "\n");
  std::string sent;
  for (const std::string& piece : pieces) sent += piece.substr(0, 499);
  Feeds babble(ch, pieces);
  EXPECT_EQ(Wait(ch.port, 300), Ending::TimeOut);
  ASSERT_EQ(ch.port.Response().size(), TCommPort::MaxResponseLength);
  EXPECT_EQ(ch.port.Response(), sent.substr(0, TCommPort::MaxResponseLength));

  // The result code still ends the wait when the text is cut.
  std::vector<std::string> zs(10, std::string(500, 'z'));
  zs.push_back("\r\nOK\r\n");
  Feeds more(ch, zs);
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Ok);
  EXPECT_EQ(ch.port.Response(), std::string(TCommPort::MaxResponseLength, 'z'));

  // A result code at the bound removes only its own characters: the O of OK is character 4096 and the K would
  // be 4097, so the kept text is exactly the 4095 characters before them.
  Feeds steps(ch, {std::string(2000, 'x'), std::string(2095, 'y'), "OK"});
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Ok);
  EXPECT_EQ(ch.port.Response(), std::string(2000, 'x') + std::string(2095, 'y'));

  Feeds error(ch, {std::string(2000, 'x'), std::string(2200, 'y'), "ERROR"});
  EXPECT_EQ(Wait(ch.port, 5000), Ending::Error);
  EXPECT_EQ(ch.port.Response(), std::string(2000, 'x') + std::string(2096, 'y'));
}

TEST(CommPortRecogniser, DeliveredEventsDriveTheRecogniserAndBetweenWaitsAreDropped) {
  PtyChannel ch(PtyChannel::Events);
  Steps steps({
      [&] { return ch.pty.WriteMaster("\r\n42,0\r\n\r\nO"); },
      // The K goes out only once the O has been handled in an event of its own.
      [&] { return ch.port.RespState() == TRespState::rsGotO; },
      [&] { return ch.pty.WriteMaster("K\r\n"); },
  });
  EXPECT_EQ(Wait(ch.port, 10000), Ending::Ok);
  EXPECT_TRUE(steps.Done());
  EXPECT_EQ(ch.port.Response(), "42,0");

  // Between waits bytes are read and dropped. Counted at the hand-over: the pty may still be passing them
  // on when its queue is first looked at, so an empty queue alone proves nothing.
  int delivered = 0;
  ch.port.OnRxChar = [&](TCustomComm* sender, int n) { delivered += n; ch.port.HandleRxChar(sender, n); };
  const std::string stray = "stray ERROR";
  ASSERT_TRUE(ch.pty.WriteMaster(stray));
  // Let the event thread hand the stray bytes over while no wait runs.
  WaitUntil([&] { return delivered >= static_cast<int>(stray.size()) && Queued(ch.pty) == 0; });
  EXPECT_GE(delivered, static_cast<int>(stray.size()));
  EXPECT_EQ(Queued(ch.pty), 0) << "stray bytes must be read even without a wait";
  EXPECT_EQ(ch.port.Response(), "42,0");
  EXPECT_EQ(ch.port.RespState(), TRespState::rsIdle);
}

TEST(CommPortRecogniser, DeliveredBabbleIsBounded) {
  PtyChannel ch(PtyChannel::Events);
  int pieces = 0;
  Steps steps({
      [&] {
        // One piece at a time, once the previous one has been taken.
        if (Queued(ch.pty) != 0) return false;
        ch.pty.WriteMaster(std::string(500, 'b'));
        return ++pieces == 12;
      },
      [&] { return Queued(ch.pty) == 0; },
      [&] { return ch.pty.WriteMaster("\r\nOK\r\n"); },
  });
  EXPECT_EQ(Wait(ch.port, 20000), Ending::Ok);
  EXPECT_EQ(ch.port.Response(), std::string(TCommPort::MaxResponseLength, 'b'));
}

TEST(CommPortRecogniser, OnlyAnExactEchoOfTheLineJustSentIsDropped) {
  // sent nullptr: a wait without a command line.
  struct Case { const char* sent; std::vector<std::string> chunks; const char* response; } cases[] = {
      {"AT+MCS?", {"AT+MCS?\r\r\n1\r\n\r\nOK\r\n"}, "1"},
      {"AT+MCS?", {"AT+M", "CS?\r\n", "\r\n1\r\n\r\nOK\r\n"}, "1"},    // echo over several chunks, with LF
      {"AT+MEM", {"AT+MEM\r\r\nERROR\r\n"}, ""},                          // also before ERROR
      {"AT+MCS?", {"at+mcs?\r\r\n1\r\n\r\nOK\r\n"}, "at+mcs?1"},        // not exact: kept
      {"AT+MCS?", {"AT+MCS\r\n1\r\n\r\nOK\r\n"}, "AT+MCS1"},             // a part is no echo
      {"AT+MSR=0", {"\r\n0,0,AT+MSR=0\r\n\r\nOK\r\n"}, "0,0,AT+MSR=0"},   // only at the start
      {nullptr, {"AT+MCS?\r\r\n1\r\n\r\nOK\r\n"}, "AT+MCS?1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sent ? c.sent : "(none)") + " / " + c.chunks[0]);
    PtyChannel ch(PtyChannel::Manual);
    if (c.sent) ch.port.SendCommand(c.sent);
    Feeds feed(ch, c.chunks);
    Wait(ch.port, 5000);
    EXPECT_TRUE(feed.Done());
    EXPECT_EQ(ch.port.Response(), c.response);
  }
}
