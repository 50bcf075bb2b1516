#pragma once

// A string grid that records the hooks it is called through.

#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/string_grid.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <functional>
#include <string>
#include <vector>

struct TProbeEdit : TInplaceEdit {
  using TInplaceEdit::TInplaceEdit;
  void LoadCell() override { ++loads; TInplaceEdit::LoadCell(); }
  void UpdateLayout() override { ++layouts; lastLayoutGeometry = geometry(); }
  int loads = 0;
  int layouts = 0;
  QRect lastLayoutGeometry;
};

struct TDrawCall { int col, row; TRect rect; TGridDrawState state; };

struct TProbeGrid : TStringGrid {
  TProbeGrid() { setFrameShape(QFrame::NoFrame); }  // client area = widget area in these tests

  void ShowClient(int w, int h) {
    SetScrollBars(TScrollStyle::ssNone);
    resize(w, h);
    show();
    QApplication::processEvents();
  }

  // Cell (c, r) reads "c:r" in every cell.
  void FillTexts() {
    for (int c = 0; c < ColCount(); ++c)
      for (int r = 0; r < RowCount(); ++r) SetCells(c, r, QString("%1:%2").arg(c).arg(r));
  }

  std::vector<std::string> log;  // hook calls in order
  std::function<bool(int, int)> allowSelect = [](int, int) { return true; };
  std::vector<TDrawCall> draws;
  std::function<void(QPainter&, int, int, const TRect&, TGridDrawState)> paintCell;
  int editorsCreated = 0;
  TProbeEdit* probeEditor = nullptr;
  std::vector<std::pair<int, int>> sizeChanges;
  std::vector<std::pair<int, int>> columnMoves, rowMoves;
  std::vector<std::string> paintFailures;

  using TStringGrid::KeyDown;
  static std::string XY(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  bool SelectCell(int c, int r) override {
    log.push_back("select " + XY(c, r));
    return allowSelect(c, r) && TStringGrid::SelectCell(c, r);
  }
  void Click() override { log.push_back("click"); TStringGrid::Click(); }
  void DrawCell(int c, int r, const TRect& rect, TGridDrawState state) override {
    draws.push_back({c, r, rect, state});
    if (paintCell) paintCell(*Canvas(), c, r, rect, state);
    TStringGrid::DrawCell(c, r, rect, state);
  }
  void SizeChanged(int oldCols, int oldRows) override { sizeChanges.emplace_back(oldCols, oldRows); }
  void ColumnMoved(int f, int t) override { columnMoves.emplace_back(f, t); TStringGrid::ColumnMoved(f, t); }
  void RowMoved(int f, int t) override { rowMoves.emplace_back(f, t); TStringGrid::RowMoved(f, t); }
  std::unique_ptr<TInplaceEdit> CreateEditor() override {
    ++editorsCreated;
    auto e = std::make_unique<TProbeEdit>(this);
    probeEditor = e.get();
    return e;
  }
  void MouseDown(Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) override {
    log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + XY(x, y) +
                  (s.testFlag(Qt::ShiftModifier) ? " shift" : ""));
    TStringGrid::MouseDown(b, s, x, y);
  }
  void MouseUp(Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) override {
    log.push_back("up " + std::to_string(static_cast<int>(b)) + " " + XY(x, y));
    TStringGrid::MouseUp(b, s, x, y);
  }
  void MouseMove(Qt::KeyboardModifiers s, int x, int y) override {
    log.push_back("move " + XY(x, y));
    TStringGrid::MouseMove(s, x, y);
  }
  void MouseEnter() override { log.push_back("enter"); }
  void MouseLeave() override { log.push_back("leave"); }
  void DoEnter() override { log.push_back("focus in"); TStringGrid::DoEnter(); }
  void DoExit() override { log.push_back("focus out"); TStringGrid::DoExit(); }
  void EditorTextChanged() override { log.push_back("editor changed"); }
  void CellPaintFailed(int c, int r, const QString& message) override {
    paintFailures.push_back(XY(c, r) + " " + message.toStdString());
  }
};

// The main window's message grid: 4 x 6, one title row, no fixed column, drawn by its owner.
inline void SetMessageGridLayout(TStringGrid& grid) {
  grid.SetColCount(4);
  grid.SetRowCount(6);
  grid.SetFixedCols(0);
  grid.SetFixedRows(1);
  grid.SetDefaultRowHeight(20);
  using enum TGridOption;
  grid.SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected, goRowSelect,
                   goThumbTracking});
  grid.SetDefaultDrawing(false);
  const int widths[] = {45, 80, 80, 159};
  for (int c = 0; c < 4; ++c) grid.SetColWidths(c, widths[c]);
}

// A move with the left button held, as during a drag.
inline void DragTo(QWidget* w, int x, int y) {
  QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(w, &move);
}

// Removes hook entries of one kind (e.g. "move") to keep expectations short.
inline std::vector<std::string> Without(const std::vector<std::string>& log, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& s : log) if (s.rfind(prefix, 0) != 0) out.push_back(s);
  return out;
}
