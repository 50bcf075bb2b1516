#pragma once

// A cell grid with the in-place editor in a shown, active window. Column 1 is a combo column, 2 has a button,
// 3 both, 4 neither. The grid has the focus on cell (1, 1) without editing.

#include "grid/cell_grid.h"
#include "grid/cg_edit.h"
#include "grid/cg_hint_grid.h"
#include "tests/common/shown_window.h"

#include <QApplication>
#include <QFrame>

#include <memory>

struct TProbeEdit : TCgInplaceEdit {
  using TCgInplaceEdit::TCgInplaceEdit;
  using TCgInplaceEdit::ActiveList, TCgInplaceEdit::ArrowPressed, TCgInplaceEdit::ArrowRect;
  using TCgInplaceEdit::ArrowWidth, TCgInplaceEdit::ButtonPressed, TCgInplaceEdit::ButtonRect;
  using TCgInplaceEdit::ButtonWidth, TCgInplaceEdit::HasButton, TCgInplaceEdit::HasDropDown;
  using TCgInplaceEdit::ListVisible, TCgInplaceEdit::PickList, TCgInplaceEdit::SuggestionHint;
  using TCgInplaceEdit::TextRect, TCgInplaceEdit::Tracking;

  QPoint Center(const TRect& r) const { return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  // A point of the open list's row, in editor coordinates.
  QPoint OverListRow(int row) const {
    const QRect item = PickList->visualItemRect(PickList->item(row));
    return mapFromGlobal(PickList->viewport()->mapToGlobal(item.center()));
  }
};

struct TEditorGrid : TCellGrid {
  explicit TEditorGrid(QWidget* parent) : TCellGrid(parent) {
    setFrameShape(QFrame::NoFrame);
    SetScrollBars(TScrollStyle::ssNone);
    SetOptions(Options() + TGridOptions{TGridOption::goEditing});
  }
  TProbeEdit* Editor() const { return static_cast<TProbeEdit*>(InplaceEditor()); }
  using TCellGrid::HintCell;

  std::unique_ptr<TInplaceEdit> CreateEditor() override { return std::make_unique<TProbeEdit>(this); }
};

// A double click as Qt delivers it: press, release, double click, release.
inline void DoubleClick(QWidget* w, QPoint pos) {
  QTest::mousePress(w, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(w, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(w, Qt::LeftButton, {}, pos);
}

inline void Keys(QWidget* w, std::initializer_list<QKeyCombination> keys) {
  for (QKeyCombination k : keys) QTest::keyClick(w, k.key(), k.keyboardModifiers());
}

// Colours compared as the 8-bit pixels they paint.
inline QRgb Rgb(const QColor& c) { return c.rgb(); }

struct CgEditTest : orvix::test::ShownWindowTest {
  void SetUp() override {
    grid = new TEditorGrid(&window);
    grid->setGeometry(0, 0, 500, 200);
    grid->SetColCount(5);
    grid->SetRowCount(5);
    for (int c = 1; c < 5; ++c) grid->SetColWidths(c, 110);
    using enum TcgControlType;
    Column(1)->SetControlType(TcgControlTypes{cgctlComboBox});
    Column(1)->Items().SetList({"Apple", "ABC", "Banana"});
    Column(2)->SetControlType(TcgControlTypes{cgctlButton});
    Column(3)->SetControlType(TcgControlTypes{cgctlComboBox, cgctlButton});
    Column(3)->Items().SetList({"Red", "Green", "Blue"});
    ASSERT_NO_FATAL_FAILURE(ShowWindow({520, 300}, {0, 220, 120, 24}, grid));
  }

  TcgColumn* Column(int c) { return grid->ColumnAt(c); }

  // Starts editing cell (c, r) with F2, as a user does, and types `typed`.
  TProbeEdit* Edit(int c, int r, const QString& typed = {}) {
    if (grid->EditorMode()) QTest::keyClick(grid->Editor(), Qt::Key_Return);
    grid->SetCol(c);
    grid->SetRow(r);
    if (!grid->hasFocus()) grid->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(grid, Qt::Key_F2);
    TProbeEdit* e = grid->Editor();
    EXPECT_TRUE(e && e->isVisible() && e->hasFocus());
    if (!typed.isEmpty()) QTest::keyClicks(e, typed);
    return e;
  }

  TEditorGrid* grid = nullptr;
};
