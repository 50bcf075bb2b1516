#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "toolkit/core/exception.h"
#include "tests/common/scripted_message_boxes.h"
#include "toolkit/widgets/speed_button.h"

namespace {

struct Bar {
  QWidget Panel;
  TSpeedButton* Add(int group, bool allowAllUp = false) {
    auto* b = new TSpeedButton(&Panel);  // owned by the panel
    b->setGeometry(static_cast<int>(Buttons.size()) * 40, 0, 39, 39);
    b->SetGroupIndex(group);
    b->SetAllowAllUp(allowAllUp);
    b->SetFlat(true);
    Buttons.push_back(b);
    return b;
  }
  Bar() { Panel.resize(200, 40); }
  void Show() { Panel.show(); EXPECT_TRUE(QTest::qWaitForWindowExposed(&Panel)); }
  std::vector<TSpeedButton*> Buttons;
};

QPixmap Solid(QColor c) { QPixmap p(32, 32); p.fill(c); return p; }

QColor CentreOf(QWidget* w) { return w->grab().toImage().pixelColor(w->width() / 2, w->height() / 2); }

}  // namespace

TEST(SpeedButton, GroupIsMutuallyExclusive) {
  Bar bar;
  TSpeedButton* a = bar.Add(2);
  TSpeedButton* b = bar.Add(2);
  TSpeedButton* other = bar.Add(3, true);
  bar.Show();
  int clicks = 0;
  b->OnClick = [&](QObject*) { ++clicks; };
  other->SetDown(true);
  QTest::mouseClick(a, Qt::LeftButton);
  EXPECT_TRUE(a->Down());
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(std::tuple(b->Down(), a->Down()), std::tuple(true, false));
  EXPECT_TRUE(other->Down());  // another group
  // Without AllowAllUp a click on the down button leaves it down, but clicks.
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(std::tuple(b->Down(), clicks), std::tuple(true, 2));
  b->SetDown(false);
  EXPECT_TRUE(b->Down());
  a->SetDown(true);
  EXPECT_EQ(std::tuple(a->Down(), b->Down()), std::tuple(true, false));
}

TEST(SpeedButton, GroupsAreKeptPerParentAllowAllUpIsSharedByTheGroupAndTheHintIsTheToolTip) {
  Bar one, two;
  TSpeedButton* a = one.Add(1, true);
  TSpeedButton* b = two.Add(1, true);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_TRUE(a->Down() && b->Down());
  TSpeedButton* c = one.Add(4);
  TSpeedButton* d = one.Add(4);
  c->SetAllowAllUp(true);
  EXPECT_TRUE(d->AllowAllUp());
  d->SetDown(true);
  d->SetDown(false);
  EXPECT_FALSE(d->Down());
  a->SetHint("Play selected message");
  EXPECT_EQ(a->toolTip(), "Play selected message");
  EXPECT_EQ(a->Hint(), "Play selected message");
}

TEST(SpeedButton, WithoutGroupItNeverStaysDownDisabledOrReleasedOutsideItDoesNothingItsFailuresAreShown) {
  Bar bar;
  TSpeedButton* single = bar.Add(0);
  TSpeedButton* b = bar.Add(1, true);
  bar.Show();
  int clicks = 0;
  single->OnClick = [&](QObject*) { ++clicks; };
  single->SetDown(true);
  EXPECT_FALSE(single->Down());
  QTest::mouseClick(single, Qt::LeftButton);
  EXPECT_EQ(std::tuple(single->Down(), clicks), std::tuple(false, 1));
  single->Click();
  EXPECT_EQ(clicks, 2);
  clicks = 0;
  b->OnClick = [&](QObject*) { ++clicks; };
  b->SetEnabled(false);
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(std::tuple(clicks, b->Down()), std::tuple(0, false));
  b->SetEnabled(true);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(b, QPoint(100, 100));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(std::tuple(clicks, b->Down()), std::tuple(0, false));
  QTest::mouseClick(b, Qt::RightButton);
  EXPECT_EQ(clicks, 0);
  // A failing OnClick is shown, not propagated.
  ScriptedMessageBoxes boxes;
  single->OnClick = [](QObject*) { throw Exception("'x' is not a valid integer value"); };
  QTest::mouseClick(single, Qt::LeftButton);
  ASSERT_EQ(boxes.Requests.size(), 1u);
  EXPECT_EQ(std::tuple(boxes.Requests[0].Type, boxes.Requests[0].Text, boxes.Requests[0].Buttons),
            std::tuple(TMsgBoxType::mbtError, "'x' is not a valid integer value", std::vector<std::string>{"OK"}));
}

TEST(SpeedButton, AStickyFlatButtonPaintsGlyphAndFrameForItsStateAndTogglesBeforeOnClick) {
  Bar bar;
  TSpeedButton* b = bar.Add(1, true);
  b->SetGlyph(Solid(Qt::blue), Solid(Qt::red));
  bar.Show();
  EXPECT_EQ(CentreOf(b), QColor(Qt::blue));
  b->SetEnabled(false);
  EXPECT_EQ(CentreOf(b), QColor(Qt::red));

  b->SetGlyph(Solid(Qt::blue));  // one picture: the disabled look is a grey of it
  const QColor grey = CentreOf(b);
  EXPECT_EQ(std::pair(grey.red(), grey.green()), std::pair(grey.green(), grey.blue()));
  b->SetEnabled(true);
  EXPECT_EQ(CentreOf(b), QColor(Qt::blue));
  auto corner = [&] { return b->grab().toImage().pixelColor(0, 0); };
  const QColor up = corner();
  b->SetDown(true);
  EXPECT_NE(corner(), up);  // the sunken frame's shadow
  b->SetDown(false);
  EXPECT_EQ(corner(), up);
  std::vector<bool> downInClick;
  b->OnClick = [&](QObject* sender) { EXPECT_EQ(sender, b); downInClick.push_back(b->Down()); };
  for (int i = 0; i < 3; ++i) QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(downInClick, (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(b->Down());
}
