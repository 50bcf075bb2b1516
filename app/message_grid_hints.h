#pragma once

// The message grid's two hints: the whole text of a cell that shows it cut
// (a receive time too long for its column) as the grid's cell hint, and the
// grid's own tooltip ("Click the message to select") everywhere else. They
// never show at once: over a cut cell the tooltip is held back and one still
// showing is hidden at once; a tooltip shown elsewhere hides the cell hint.

#include <QObject>
#include <QPoint>
#include <QString>

class TCellGrid;

// The grid's OnShowCellHint: the cell's whole text when, and only when, its
// text is cut, placed over the cell so it reads on from where the cell shows it.
void ShowCutCellHint(TCellGrid& Grid, int Col, int Row, QString& Hint, QPoint& TopLeft);

// Holds the grid's tooltip back over cut cells. A child of the grid,
// watching its viewport.
class TCutCellTooltips : public QObject {
 public:
  explicit TCutCellTooltips(TCellGrid* Grid);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  TCellGrid* grid_;
};

// Hides a shown tooltip now (QToolTip::hideText lets it linger a while).
void HideToolTipNow();
