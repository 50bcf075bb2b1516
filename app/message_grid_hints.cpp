#include "app/message_grid_hints.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "grid/cell_grid.h"

void HideToolTipNow() {
  if (!QToolTip::isVisible()) return;
  QToolTip::hideText();
  // Qt fades a hidden tooltip out after a while; its label goes at once.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("qtooltip_label") && w->isVisible()) w->hide();
}

void ShowCutCellHint(TCellGrid& Grid, int Col, int Row, QString& Hint, QPoint& TopLeft) {
  QString text;
  if (!Grid.CellTextCut(Col, Row, text)) return;
  Hint = text;
  const TRect cell = Grid.CellRect(Col, Row);
  TopLeft = Grid.viewport()->mapToGlobal(QPoint(cell.Left, cell.Top));
  HideToolTipNow();
}

TCutCellTooltips::TCutCellTooltips(TCellGrid* Grid) : QObject(Grid), grid_(Grid) {
  grid_->viewport()->installEventFilter(this);
}

bool TCutCellTooltips::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() != QEvent::ToolTip || Watched != grid_->viewport()) return false;
  const QPoint at = static_cast<QHelpEvent*>(Event)->pos();
  const TGridCoord cell = grid_->MouseCell(at.x(), at.y());
  QString text;
  if (cell.X >= 0 && grid_->CellTextCut(cell.X, cell.Y, text)) {
    // The cell hint shows here, or is about to.
    HideToolTipNow();
    return true;
  }
  grid_->UpdateCellHint(false);
  return false;
}
