#include "toolkit/widgets/string_grid.h"

#include "toolkit/widgets/device_pixels.h"
#include "toolkit/widgets/inplace_edit.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QtDebug>

#include <algorithm>
#include <vector>

// --- painting -------------------------------------------------------------------

void TStringGrid::InvalidateRect(const TRect& rect) {
  if (!rect.IsEmpty()) viewport()->update(rect.ToQRect());
}

void TStringGrid::InvalidateCell(int ACol, int ARow) {
  const TRect r = CellRect(ACol, ARow);
  // The focus rectangle and a subclass's drawing may touch the lines too.
  if (!r.IsEmpty()) InvalidateRect(TRect{r.Left, r.Top, r.Right + LineV(), r.Bottom + LineH()});
}

void TStringGrid::Invalidate() { viewport()->update(); }

void TStringGrid::DefaultCellBackground(QPainter& p, const TRect& rect, TGridDrawState state) {
  using enum TGridDrawStateFlag;
  QColor bg = color_;
  QColor fg = palette().color(QPalette::Text);
  if (state.Contains(gdFixed)) {
    bg = fixedColor_;
    fg = palette().color(QPalette::ButtonText);
  } else if (state.Contains(gdSelected) &&
             (!state.Contains(gdFocused) || options_.Contains(TGridOption::goDrawFocusSelected) ||
              options_.Contains(TGridOption::goRowSelect))) {
    bg = palette().color(QPalette::Highlight);
    fg = palette().color(QPalette::HighlightedText);
  }
  p.fillRect(rect.ToQRect(), bg);
  p.setPen(fg);
}

// At fractional scales a line keeps its device thickness everywhere by
// reaching back into its own cell by up to a device pixel: it is drawn after
// that cell, ends where the next cell starts, and the vertical line, drawn
// last, keeps the crossing.
void TStringGrid::DrawLines(QPainter& p, int ACol, int ARow, const TRect& cell) {
  using enum TGridOption;
  const bool fixed = IsFixed(ACol, ARow);
  const int lv = LineV(), lh = LineH();
  if (lh > 0) {
    const bool drawn = options_.Contains(fixed ? goFixedHorzLine : goHorzLine);
    FillLine(p, QRect(cell.Left, cell.Bottom, cell.Width(), lh),
             drawn ? (fixed ? fixedLineColor_ : gridLineColor_) : color_, TLineAnchor::laEnd);
  }
  if (lv > 0) {
    const bool drawn = options_.Contains(fixed ? goFixedVertLine : goVertLine);
    FillLine(p, QRect(cell.Right, cell.Top, lv, cell.Height() + lh),
             drawn ? (fixed ? fixedLineColor_ : gridLineColor_) : color_, TLineAnchor::laEnd);
  }
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (defaultDrawing_ && canvas_)
    canvas_->drawText(ARect.ToQRect().adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      Cells(ACol, ARow));
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TStringGrid::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  canvas_ = &p;
  struct TCanvasReset {
    QPainter*& canvas;
    ~TCanvasReset() { canvas = nullptr; }
  } reset{canvas_};

  const QRect clip = event->rect();
  const int cw = ClientWidth(), ch = ClientHeight();
  const int lv = LineV(), lh = LineH();
  const bool focus = FocusInside();
  const TGridRect sel = Selection();
  struct TFailure {
    int col, row;
    QString message;
  };
  std::vector<TFailure> failures;

  // Walks fixed indexes, then scrollable ones from `first`, while in view.
  auto forEachInView = [](const std::vector<int>& sizes, int fixed, int first, int line, int extent, auto&& fn) {
    int pos = 0;
    const int n = static_cast<int>(sizes.size());
    for (int i = 0; i < fixed && i < n && pos < extent; ++i) {
      fn(i, pos);
      pos += sizes[i] + line;
    }
    for (int i = first; i < n && pos < extent; ++i) {
      fn(i, pos);
      pos += sizes[i] + line;
    }
    return std::min(pos, extent);
  };

  int gridRight = 0;
  const int gridBottom = forEachInView(rowHeights_, fixedRows_, topRow_, lh, ch, [&](int r, int y) {
    gridRight = forEachInView(colWidths_, fixedCols_, leftCol_, lv, cw, [&](int c, int x) {
      const TRect cell{x, y, x + colWidths_[c], y + rowHeights_[r]};
      const QRect withLines(x, y, cell.Width() + lv, cell.Height() + lh);
      // The lines' device pixels may lie a fraction of a logical pixel past
      // their place; a repaint just beyond them paints them again.
      if (!clip.intersects(withLines.adjusted(0, 0, 1, 1))) return;
      if (cell.IsEmpty() || !clip.intersects(withLines)) {
        DrawLines(p, c, r, cell);
        return;
      }
      using enum TGridDrawStateFlag;
      TGridDrawState state;
      if (IsFixed(c, r)) {
        state.Include(gdFixed);
      } else {
        if (sel.Contains(c, r)) state.Include(gdSelected);
        if (focus && c == col_ && r == row_) state.Include(gdFocused);
      }
      p.save();
      p.setFont(font());
      p.setPen(palette().color(QPalette::Text));
      if (defaultDrawing_) DefaultCellBackground(p, cell, state);
      QString failure;
      try {
        DrawCell(c, r, cell, state);
        if (!reportedFailures_.empty()) reportedFailures_.erase({c, r});
      } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
      } catch (...) {
        failure = QStringLiteral("unknown error");
      }
      if (!failure.isNull()) {
        auto [known, fresh] = reportedFailures_.try_emplace({c, r}, failure);
        if (fresh || known->second != failure) {
          known->second = failure;
          failures.push_back({c, r, failure});
        }
      }
      p.restore();
      if (defaultDrawing_ && state.Contains(gdFocused) && !(editorMode_ && editor_ && editor_->isVisible())) {
        p.save();
        QPen pen(palette().color(QPalette::Text), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell.ToQRect().adjusted(0, 0, -1, -1));
        p.restore();
      }
      DrawLines(p, c, r, cell);
    });
  });

  if (gridRight < cw) p.fillRect(gridRight, 0, cw - gridRight, ch, color_);
  if (gridBottom < ch) p.fillRect(0, gridBottom, gridRight, ch - gridBottom, color_);

  if (!failures.empty()) {
    PostCall([this, failures = std::move(failures)] {
      // A report may run events (a box): the grid can be gone after one.
      const QPointer<TStringGrid> alive(this);
      for (const auto& f : failures) {
        if (!alive || Destroying()) return;
        CellPaintFailed(f.col, f.row, f.message);
      }
    });
  }
}

void TStringGrid::CellPaintFailed(int ACol, int ARow, const QString& message) {
  qWarning("Painting cell (%d, %d) failed: %s", ACol, ARow, qPrintable(message));
}
