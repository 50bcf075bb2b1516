// The grid showcase: its scenes painted by the program, its window driven by keys and clicks.

#include "grid/cell_grid.h"
#include "grid/cg_edit.h"
#include "tests/common/shown_window.h"
#include "tools/grid-demo/demo_orders.h"
#include "tools/grid-demo/demo_window.h"

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// The showcase run offscreen for one scene; its picture, or a null image.
struct TDemoRun { int exitCode = -1; QString errors; QImage image; };

TDemoRun RunDemo(const QTemporaryDir& dir, const QString& scene) {
  QProcess demo;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_CONFIG_HOME", dir.path());  // its column widths stay here
  demo.setProcessEnvironment(env);
  const QString file = dir.filePath(scene + ".png");
  demo.start(ORVIX_GRID_DEMO, {"--screenshot", file, "--scene", scene});
  if (!demo.waitForFinished(60000)) { demo.kill(); demo.waitForFinished(); return {-1, "did not finish", {}}; }
  TDemoRun run;
  run.exitCode = demo.exitStatus() == QProcess::NormalExit ? demo.exitCode() : -1;
  run.errors = QString::fromLocal8Bit(demo.readAllStandardError());
  run.image.load(file);
  return run;
}

int Count(const QImage& image, QRgb color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) ++n;
  return n;
}

TEST(GridDemo, EveryScenePaintsWithoutAnErrorAndAnUnknownOneIsRefusedWithTheKnownOnes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::map<QString, QImage> shots;
  for (const QString scene : {"window", "list", "suggestion", "title"}) {
    const TDemoRun run = RunDemo(dir, scene);
    EXPECT_EQ(run.exitCode, 0) << scene.toStdString() << ": " << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains("message box")) << run.errors.toStdString();
    ASSERT_FALSE(run.image.isNull()) << scene.toStdString();
    EXPECT_GE(run.image.width(), 800);
    EXPECT_GE(run.image.height(), 300);
    shots[scene] = run.image;
  }
  // What each scene is about is on the picture: the open list's selected row
  // (the editor covers the highlighted current cell), the suggestion's
  // tooltip colours, the title drawn sunken.
  const QPalette palette;
  const QRgb highlight = palette.color(QPalette::Highlight).rgb();
  const QRgb tooltip = palette.color(QPalette::ToolTipBase).rgb();
  EXPECT_GT(Count(shots["window"], highlight), 200);
  EXPECT_GT(Count(shots["list"], highlight), 200);
  EXPECT_NE(shots["list"], shots["window"]);
  EXPECT_EQ(Count(shots["window"], tooltip), 0);
  EXPECT_GT(Count(shots["suggestion"], tooltip), 100);
  EXPECT_NE(shots["title"], shots["window"]);

  const TDemoRun run = RunDemo(dir, "nonsense");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.errors.contains("unknown scene \"nonsense\"")) << run.errors.toStdString();
  EXPECT_TRUE(run.errors.contains("suggestion")) << run.errors.toStdString();
  EXPECT_TRUE(run.image.isNull());
}

class GridDemoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());  // its column widths
    window = std::make_unique<TGridDemoWindow>();
    window->resize(1020, 420);
    ASSERT_TRUE(orvix::test::ShowActive(*window));
    grid = window->Grid();
  }
  QString Cell(const char* column, int row) const { return grid->Cells(window->GridColumn(column), row); }
  void Click(const char* column, int row) {
    const TRect r = grid->CellRect(window->GridColumn(column), row);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(r.Left + 8, r.Bottom - 6));
  }
  // A click on the cell, and one more on it, now current, to edit it.
  QWidget* Edit(const char* column, int row) {
    Click(column, row);
    Click(column, row);
    EXPECT_TRUE(grid->EditorMode());
    return grid->InplaceEditor();
  }
  TPopupListbox* List() const { return grid->InplaceEditor()->findChild<TPopupListbox*>(); }
  // Picks from the cell's list the entry `key` moves to from the current one.
  void Pick(const char* column, int row, Qt::Key key) {
    QWidget* editor = Edit(column, row);
    QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(List() && List()->isVisible());
    QTest::keyClick(editor, key);
    QTest::keyClick(editor, Qt::Key_Return);
  }

  QTemporaryDir store;
  std::unique_ptr<TGridDemoWindow> window;
  TCellGrid* grid = nullptr;
};

TEST_F(GridDemoWindow, AShippedOrderChangesOnlyItsStatus) {
  ASSERT_EQ(Cell("Status", 1), "Shipped");
  Pick("Fruit", 1, Qt::Key_Down);
  EXPECT_EQ(Cell("Fruit", 1), "Apple");
  Click("Quantity", 1);
  QTest::keyClick(grid, '9');
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(Cell("Quantity", 1), "120");

  Pick("Status", 1, Qt::Key_Up);
  EXPECT_EQ(Cell("Status", 1), "Packed");
  // No longer shipped: its fruit may change again.
  Pick("Fruit", 1, Qt::Key_Down);
  EXPECT_EQ(Cell("Fruit", 1), "Apricot");
}

TEST_F(GridDemoWindow, TheKeysTheWindowNamesDoWhatItSays) {
  // In the editor Alt+Down opens a list; on a cell not being edited it is an arrow key.
  Click("Fruit", 3);
  QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(grid->Row(), 4);
  QTest::keyClick(grid, Qt::Key_F2);
  QTest::keyClick(grid->InplaceEditor(), Qt::Key_Down, Qt::AltModifier);
  EXPECT_TRUE(List()->isVisible());
  QTest::keyClick(grid->InplaceEditor(), Qt::Key_Escape);

  // Shift+Enter presses the Country cell's button: its menu of countries opens.
  QWidget* editor = Edit("Country", 3);
  QString firstEntry;
  QTimer::singleShot(0, grid, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      firstEntry = menu->actions().value(0)->text();
      menu->close();
    }
  });
  QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(firstEntry, DemoCountries().first());

  // A click on a title sorts by it, a second one the other way round.
  const TRect title = grid->CellRect(window->GridColumn("Quantity"), 0);
  const QPoint caption((title.Left + title.Right) / 2, title.Bottom - 10);  // below the heading band
  auto quantities = [&] {
    std::vector<int> q;
    for (int r = 1; r < grid->RowCount(); ++r) q.push_back(Cell("Quantity", r).toInt());
    return q;
  };
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, caption);
  EXPECT_TRUE(std::ranges::is_sorted(quantities()));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, caption);
  EXPECT_TRUE(std::ranges::is_sorted(quantities(), std::greater{}));
}

}  // namespace
