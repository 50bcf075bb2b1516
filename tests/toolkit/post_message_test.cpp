#include "toolkit/core/post_message.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TReceiver : QObject {
  using TGot = std::tuple<unsigned, qintptr, qintptr>;
  std::vector<TGot> got;
  bool event(QEvent* e) override {
    if (e->type() == TMessageEvent::EventType()) {
      const auto* m = static_cast<TMessageEvent*>(e);
      got.push_back({m->Msg, m->WParam, m->LParam});
      return true;
    }
    return QObject::event(e);
  }
};

}  // namespace

TEST(PostMessage, ArrivesLaterInOrderNeverDuringThePostAndNotForATargetDestroyedFirst) {
  TReceiver r;
  PostMessage(&r, WM_USER + 3001, 2, 85);
  PostMessage(&r, WM_USER + 3000, 4, 20);
  EXPECT_TRUE(r.got.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(r.got, (std::vector<TReceiver::TGot>{{4025u, 2, 85}, {4024u, 4, 20}}));
  static int delivered = 0;
  struct TCounting : QObject {
    bool event(QEvent* e) override {
      if (e->type() == TMessageEvent::EventType()) ++delivered;
      return QObject::event(e);
    }
  };
  auto* gone = new TCounting;
  TCounting alive;
  PostMessage(gone, WM_USER, 0, 0);
  PostMessage(&alive, WM_USER, 0, 0);
  PostMessage(nullptr, WM_USER, 0, 0);
  delete gone;
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, 1);
}
