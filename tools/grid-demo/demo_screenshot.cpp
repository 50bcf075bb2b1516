#include "tools/grid-demo/demo_screenshot.h"

#include "grid/cell_grid.h"
#include "grid/cg_edit.h"
#include "toolkit/core/message_box.h"
#include "tools/grid-demo/demo_window.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Message boxes are answered at once and remembered: nothing may block, and
// any box during a scene is a failure.
class TRecordedBoxes : public IMessageBoxes {
 public:
  TRecordedBoxes() { SetMessageBoxes(this); }
  ~TRecordedBoxes() override { SetMessageBoxes(nullptr); }
  int Show(const TMessageBoxRequest& request) override {
    texts.push_back(request.Text);
    return request.EscapeButton;
  }
  std::vector<std::string> texts;
};

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
}

void Key(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
  QWidget* target = QApplication::focusWidget();
  if (!target) return;
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(target, &release);
  Settle();
}

void Type(const QString& text) {
  for (QChar c : text) Key(c.toUpper().unicode(), {}, QString(c));
}

// Edits the cell of the named column in row `row` the way F2 does.
void EditCell(TGridDemoWindow& w, const QString& column, int row) {
  TCellGrid* grid = w.Grid();
  grid->setFocus(Qt::MouseFocusReason);
  grid->SetCol(w.GridColumn(column));
  grid->SetRow(row);
  Settle();
  Key(Qt::Key_F2);
}

bool SetUp(TGridDemoWindow& w, const QString& scene) {
  TCellGrid* grid = w.Grid();
  if (scene == QStringLiteral("window")) return true;
  if (scene == QStringLiteral("list")) {
    EditCell(w, QStringLiteral("Fruit"), 3);
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    return true;
  }
  if (scene == QStringLiteral("suggestion")) {
    EditCell(w, QStringLiteral("Country"), 5);
    grid->InplaceEditor()->selectAll();
    Type(QStringLiteral("ne"));
    return true;
  }
  if (scene == QStringLiteral("title")) {
    const TRect title = grid->CellRect(w.GridColumn(QStringLiteral("Quantity")), 0);
    const QPoint at((title.Left + title.Right) / 2, title.Bottom - 8);  // below the heading band
    QMouseEvent press(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(grid->viewport(), &press);
    Settle();
    return true;
  }
  return false;
}

// The window with its open popups (lists, hints) where they are on the screen.
QImage Compose(QWidget& window) {
  std::vector<QWidget*> popups;
  QRect area = window.geometry();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == &window || !w->isVisible()) continue;
    popups.push_back(w);
    area |= w->geometry();
  }
  QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.drawPixmap(window.geometry().topLeft() - area.topLeft(), window.grab());
  for (QWidget* w : popups) p.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
  return image;
}

}  // namespace

QStringList DemoScenes() {
  return {QStringLiteral("window"), QStringLiteral("list"), QStringLiteral("suggestion"), QStringLiteral("title")};
}

int TakeScreenshot(TGridDemoWindow& Window, const QString& Scene, const QString& File) {
  TRecordedBoxes boxes;
  Window.show();
  Window.activateWindow();
  Settle();
  if (!SetUp(Window, Scene)) {
    std::fprintf(stderr, "orvix-grid-demo: unknown scene \"%s\" (one of: %s)\n", qPrintable(Scene),
                 qPrintable(DemoScenes().join(", ")));
    return 1;
  }
  Window.repaint();
  Settle();
  const QImage image = Compose(Window);
  if (!boxes.texts.empty()) {
    for (const std::string& t : boxes.texts) std::fprintf(stderr, "orvix-grid-demo: message box: %s\n", t.c_str());
    return 1;
  }
  if (!image.save(File, "PNG")) {
    std::fprintf(stderr, "orvix-grid-demo: cannot write %s\n", qPrintable(File));
    return 1;
  }
  return 0;
}
