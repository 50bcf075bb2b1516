#include "grid/cg_edit.h"

#include "grid/cell_grid.h"
#include "grid/cg_hint_grid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

// --- creation ---------------------------------------------------------------------

TCgInplaceEdit::TCgInplaceEdit(TCellGrid* Grid) : TInplaceEdit(Grid) {
  ButtonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  ArrowWidth = ButtonWidth;
  SuggestionHint = new TcgHintWindow(this);
}

TCgInplaceEdit::~TCgInplaceEdit() = default;

TCellGrid* TCgInplaceEdit::CellGrid() const { return static_cast<TCellGrid*>(Grid()); }

TcgColumn* TCgInplaceEdit::CurrentColumn() const { return CellGrid()->ColumnAt(CellGrid()->Col()); }

// --- contents and layout -------------------------------------------------------------

void TCgInplaceEdit::LoadCell() {
  const TcgColumn* column = CurrentColumn();
  const TcgControlTypes aids = column->ControlType();
  SetAids(false, false);
  if (aids.Contains(TcgControlType::cgctlButton)) SetAids(true, false);
  if (aids.Contains(TcgControlType::cgctlComboBox)) SetAids(HasButton, true);
  TInplaceEdit::LoadCell();
}

void TCgInplaceEdit::SetAids(bool AHasButton, bool AHasDropDown) {
  if (AHasButton == HasButton && AHasDropDown == HasDropDown) return;
  HasButton = AHasButton;
  HasDropDown = AHasDropDown;
  if (HasDropDown) {
    if (!PickList) {
      PickList = new TPopupListbox(this);
      PickList->OnMouseUp = [this](QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                                   int Y) { ListMouseUp(Sender, Button, Shift, X, Y); };
    }
    // Every cell with a drop-down gets the list, not only the first one.
    ActiveList = PickList;
  } else {
    ActiveList = nullptr;
  }
  Invalidate();
}

void TCgInplaceEdit::UpdateLayout() {
  TCellGrid* grid = CellGrid();
  const int col = grid->Col(), row = grid->Row();
  TcgColumn* column = CurrentColumn();

  TextRect = TRect{2, 2, width() - 2, height()};
  ClientArea = TRect{0, 0, width(), height()};

  TCgDrawInfo info;
  TColor color = clWindow;
  TPanelBevel outer = TPanelBevel::bvNone, inner = TPanelBevel::bvNone;
  TcgCellStates states;
  grid->GetCellAttributes(col, row, TGridDrawState{}, column, EditorFont, info, color, outer, inner, states);
  // System colours are the grid's: the palettes of the editor and its list
  // hold the colours of the cell edited last.
  const QPalette& system = grid->palette();
  EditorFont.SetColor(ColorFromQColor(ResolveColor(EditorFont.Color(), system)));
  ApplyFont(*this, EditorFont);
  grid->PlaceCellImage(col, row, -1, TextRect, false, PaintCanvas);
  SetColor(ResolveColor(color, system));

  const TPicture& picture = column->ButtonPicture();
  ButtonWidth = column->ButtonStyle() == TcgButtonStyle::cgbstCustom && !picture.Empty() ? picture.Width() + 4
                                                                                        : ArrowWidth;
  if (HasButton)
    ButtonRect = TRect{TextRect.Right + 2 - ButtonWidth, TextRect.Top - 2, TextRect.Right + 2, TextRect.Bottom};
  if (HasDropDown) {
    const int right = HasButton ? ButtonRect.Left : TextRect.Right + 2;
    ArrowRect = TRect{right - ArrowWidth, TextRect.Top - 2, right, TextRect.Bottom};
  }

  TRect formatting = TextRect;
  if (HasButton) formatting.Right -= ButtonWidth;
  if (HasDropDown) formatting.Right -= ArrowWidth;
  SetFormattingRect(formatting);
  ScrollCaret();

  bool readOnly = column->ReadOnly();
  if (grid->OnGetReadOnly) grid->OnGetReadOnly(grid, col, row, readOnly);
  SetReadOnly(readOnly || !CanModify());

  SetMaxLength(column->MaxTextLength());

  // A suggestion raised while the cell loaded was placed over the cell
  // edited before: the editor is over this one only now.
  if (SuggestionVisible()) SuggestionHint->ActivateHint(SuggestionPlace(), SuggestionHint->Caption());
}

// --- keys -------------------------------------------------------------------------

void TCgInplaceEdit::HandleListKeys(int& Key, Qt::KeyboardModifiers Shift) {
  const bool alt = Shift.testFlag(Qt::AltModifier);
  if ((Key == Qt::Key_Up || Key == Qt::Key_Down) && alt) {
    if (ListVisible)
      CloseList(true);
    else
      ShowList();
    Key = 0;
  } else if ((Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_Escape) && ListVisible && !alt) {
    CloseList(Key != Qt::Key_Escape);
    Key = 0;
  }
}

void TCgInplaceEdit::keyPressEvent(QKeyEvent* event) {
  if (HasDropDown) {
    int key = event->key();
    HandleListKeys(key, event->modifiers());
    if (key == 0) {
      event->accept();
      return;
    }
    if (ListVisible && ActiveList) {
      // Arrows, paging and typed characters act on the open list.
      QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                     event->count());
      QCoreApplication::sendEvent(ActiveList, &copy);
      event->accept();
      return;
    }
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (enter && !mods.testFlag(Qt::ControlModifier) && SuggestionVisible()) {
    AcceptSuggestion();
    SuggestionHint->HideHint();
  }
  if (HasButton && enter && mods == Qt::ShiftModifier) {
    // The button's key: no line break and no end of editing.
    TCellGrid* grid = CellGrid();
    if (grid->OnButtonClick) grid->OnButtonClick(grid, grid->Col(), grid->Row());
    event->accept();
    return;
  }
  TInplaceEdit::keyPressEvent(event);
}

// --- mouse ------------------------------------------------------------------------

bool TCgInplaceEdit::OnAid(int X, int Y) const {
  return (HasButton && ButtonRect.Contains(X, Y)) || (HasDropDown && ArrowRect.Contains(X, Y));
}

void TCgInplaceEdit::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  if (Button == Qt::LeftButton) {
    const bool onButton = HasButton && ButtonRect.Contains(X, Y);
    const bool onArrow = !onButton && HasDropDown && ArrowRect.Contains(X, Y);
    if (onButton || onArrow) {
      if (ListVisible) {
        CloseList(false);
      } else {
        // Qt keeps the moves and the release with the widget pressed.
        Tracking = true;
        TrackPress(X, Y);
        if (onArrow && ActiveList) ShowList();
      }
    }
  }
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TCgInplaceEdit::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
  const QPoint global = mapToGlobal(QPoint(X, Y));
  if (listHasPress_ && ActiveList) {
    ActiveList->PassMouse(QEvent::MouseMove, global, Qt::NoButton, Qt::LeftButton, Shift);
    return;
  }
  if (Tracking) {
    TrackPress(X, Y);
    if (ListVisible && ActiveList) {
      const QPoint p = ActiveList->viewport()->mapFromGlobal(global);
      if (ActiveList->ClientRect().Contains(p.x(), p.y())) {
        StopTracking();
        listHasPress_ = true;
        ActiveList->TakeOverPress(global, Shift);
        return;
      }
    }
  }
  TInplaceEdit::MouseMove(Shift, X, Y);
  TCellGrid* grid = CellGrid();
  if (grid->HintFollowsMouse()) grid->SetHintCell(TGridCoord{grid->Col(), grid->Row()});
}

void TCgInplaceEdit::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
  if (listHasPress_ && Button == Qt::LeftButton) {
    listHasPress_ = false;
    if (ActiveList) ActiveList->PassMouse(QEvent::MouseButtonRelease, mapToGlobal(QPoint(X, Y)), Button, {}, Shift);
    return;
  }
  const bool wasPressed = ButtonPressed;
  StopTracking();
  if (Button == Qt::LeftButton && HasButton && wasPressed) {
    TCellGrid* grid = CellGrid();
    if (grid->OnButtonClick) grid->OnButtonClick(grid, grid->Col(), grid->Row());
  }
  TInplaceEdit::MouseUp(Button, Shift, X, Y);
}

void TCgInplaceEdit::MouseDblClick(Qt::KeyboardModifiers Shift, int X, int Y) {
  // A quick second click on an aid is not a second press of it.
  if (OnAid(X, Y)) return;
  TInplaceEdit::MouseDblClick(Shift, X, Y);
}

void TCgInplaceEdit::TrackPress(int X, int Y) {
  if (HasButton) {
    const bool pressed = ButtonRect.Contains(X, Y);
    if (pressed != ButtonPressed) {
      ButtonPressed = pressed;
      update(ButtonRect.ToQRect());
    }
  }
  if (HasDropDown) {
    const bool pressed = ArrowRect.Contains(X, Y);
    if (pressed != ArrowPressed) {
      ArrowPressed = pressed;
      update(ArrowRect.ToQRect());
    }
  }
}

void TCgInplaceEdit::StopTracking() {
  if (!Tracking) return;
  TrackPress(-1, -1);
  Tracking = false;
}

// --- cancel mode and focus ------------------------------------------------------------

void TCgInplaceEdit::CancelMode(QObject* Sender) {
  auto* w = qobject_cast<QWidget*>(Sender);
  const bool fromList = ActiveList && w && (w == ActiveList || ActiveList->isAncestorOf(w));
  if (Sender == this || fromList) return;
  AcceptSuggestion();
  CloseList(false);
}

void TCgInplaceEdit::SystemCancelMode() {
  StopTracking();
  TInplaceEdit::SystemCancelMode();
}

void TCgInplaceEdit::focusOutEvent(QFocusEvent* event) {
  TInplaceEdit::focusOutEvent(event);
  CloseList(false);
}

void TCgInplaceEdit::hideEvent(QHideEvent* event) {
  // A hidden editor leaves no list or suggestion behind on the screen.
  StopTracking();
  CloseList(false);
  TInplaceEdit::hideEvent(event);
}
