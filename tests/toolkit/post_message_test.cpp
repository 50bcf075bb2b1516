#include "toolkit/core/post_message.h"

#include <QCoreApplication>
#include <QObject>

namespace {

class TReceiver : public QObject {
 public:
  struct TGot {
    unsigned msg;
    qintptr w, l;
  };
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

TEST(PostMessage, ArrivesLaterInOrderNeverDuringThePost) {
  TReceiver r;
  PostMessage(&r, WM_USER + 3001, 2, 85);
  PostMessage(&r, WM_USER + 3000, 4, 20);
  EXPECT_TRUE(r.got.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(r.got.size(), 2u);
  EXPECT_EQ(r.got[0].msg, 4025u);
  EXPECT_EQ(r.got[0].w, 2);
  EXPECT_EQ(r.got[0].l, 85);
  EXPECT_EQ(r.got[1].msg, 4024u);
}

TEST(PostMessage, AMessageForATargetDestroyedFirstIsDropped) {
  static int delivered = 0;
  class TCounting : public QObject {
   public:
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
