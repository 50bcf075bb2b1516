#include "toolkit/widgets/speed_button.h"

#include <QTest>
#include <QWidget>

#include <vector>

#include "tests/common/accessibility_bridge.h"

namespace {

struct AccessibleSpeedButton : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(AccessibilityBridgeActive()); panel.resize(120, 40); }
  TSpeedButton* Add(int group) {
    auto* b = new TSpeedButton(&panel);  // owned by the panel
    b->setGeometry(static_cast<int>(panel.children().size() - 1) * 40, 0, 39, 39);
    b->SetGroupIndex(group);
    b->SetAllowAllUp(true);
    b->OnClick = [this, b](QObject*) { clicks.push_back(b->Down()); };
    return b;
  }
  void Show() { panel.show(); ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel)); }
  static QAccessibleInterface* Of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

  QWidget panel;
  std::vector<bool> clicks;  // Down() seen by each OnClick
};

}  // namespace

TEST_F(AccessibleSpeedButton, APictureButtonIsNamedByItsHintAndPressingAnyDoesWhatAClickDoes) {
  TSpeedButton* connect = Add(1);
  TSpeedButton* plain = Add(0);
  plain->SetHint("Delete all messages");
  Show();
  QAccessibleInterface* named = Of(plain);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(named->role(), QAccessible::Button);
  EXPECT_EQ(named->text(QAccessible::Name), "Delete all messages");
  EXPECT_EQ(named->text(QAccessible::Description), "");  // said once, not twice
  EXPECT_FALSE(named->state().checkable);
  plain->setAccessibleName("Erase");
  EXPECT_EQ(named->text(QAccessible::Name), "Erase");
  plain->setAccessibleName("");
  plain->SetHint("Erase the store");
  EXPECT_EQ(named->text(QAccessible::Name), "Erase the store");
  QAccessibleInterface* iface = Of(connect);
  ASSERT_NE(iface->actionInterface(), nullptr);
  EXPECT_EQ(iface->role(), QAccessible::CheckBox);  // a two-state button is a toggle, as Qt shows its own
  EXPECT_EQ(iface->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
  EXPECT_EQ(std::tuple(iface->state().checkable, iface->state().checked), std::tuple(true, false));

  iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(std::tuple(connect->Down(), iface->state().checked), std::tuple(true, true));
  iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_FALSE(connect->Down());
  Of(plain)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_FALSE(plain->Down());
  EXPECT_EQ(clicks, (std::vector<bool>{true, false, false}));  // Down() in OnClick: toggled first, as by mouse

  // A disabled button offers nothing and cannot be pressed.
  connect->SetEnabled(false);
  EXPECT_TRUE(iface->actionInterface()->actionNames().isEmpty());
  EXPECT_TRUE(iface->state().disabled);
  iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(std::tuple(clicks.size(), connect->Down()), std::tuple(3u, false));
}

// Whatever put the button down or up: a click, a key, or another button of its group.
TEST_F(AccessibleSpeedButton, AChangeOfTheDownStateIsAnnounced) {
  TSpeedButton* a = Add(1);
  TSpeedButton* b = Add(1);
  Show();
  static std::vector<std::pair<QObject*, bool>>* seen = nullptr;
  std::vector<std::pair<QObject*, bool>> events;
  seen = &events;
  const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
    if (seen && e->type() == QAccessible::StateChanged)
      seen->push_back({e->object(), static_cast<QAccessibleStateChangeEvent*>(e)->changedStates().checked});
  });
  a->SetDown(true);
  b->SetDown(true);  // puts a up
  QAccessible::installUpdateHandler(previous);
  seen = nullptr;
  EXPECT_EQ(events, (std::vector<std::pair<QObject*, bool>>{{a, true}, {b, true}, {a, true}}));
}
