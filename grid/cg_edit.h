#pragma once

// Unit CgEdit: the in-place editor of TCellGrid and its drop-down list.
//
// TCgInplaceEdit is the grid's editor with what the current cell's column
// asks for: a drop-down arrow opening a list of the column's Items, a cell
// button raising the grid's OnButtonClick, typing suggestions shown in a
// small hint above the cell and taken with Enter, the cell's colour, font
// and image, a per-cell read-only state and a length limit.
//
// Layout, in editor coordinates (rectangles right and bottom exclusive;
// widths measured inclusively, as RectWidth does):
//   TextRect  = (2, 2, width - 2, height), less the cell image's room;
//   ButtonRect at the editor's right edge, ButtonWidth wide, full height;
//   ArrowRect just left of the button (or at the right edge without one);
//   the text is laid out in TextRect less the aids (the formatting rectangle).
//
// The list (TPopupListbox) is a window of its own above everything, which
// never takes the keyboard focus: keys typed while it is open reach it
// through the editor. A press on the arrow that is dragged into the open list
// and released there selects the item under the pointer.
//
// Cancel mode: another widget of the window taking over accepts a shown
// suggestion and closes the list; a popup or modal window opening stops a
// press being followed. Losing the focus or the editor being hidden closes
// the list and hides the suggestion.

#include "grid/cg_column.h"
#include "grid/cg_global.h"
#include "toolkit/widgets/canvas.h"
#include "toolkit/widgets/font.h"
#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/list_box.h"

#include <QString>

#include <cstdint>
#include <functional>

class TCellGrid;
class TCgInplaceEdit;
class TcgHintWindow;

class TPopupListbox : public TListBox {
  Q_OBJECT

 public:
  static constexpr std::uint32_t SearchPause = 2000;  // ms; a longer pause starts a new search
  static constexpr int SearchLength = 32;

  explicit TPopupListbox(TCgInplaceEdit* Owner);
  ~TPopupListbox() override;

  TCgInplaceEdit* Owner() const { return owner_; }

  // Takes over a press the editor was following: the list gets a left press
  // at Global (screen coordinates). The editor, which the pointer stays
  // with until the release, passes on the moves and the release after it.
  void TakeOverPress(QPoint Global, Qt::KeyboardModifiers Shift);
  void PassMouse(QEvent::Type Type, QPoint Global, Qt::MouseButton Button, Qt::MouseButtons Buttons,
                 Qt::KeyboardModifiers Shift);

  QString SearchText;          // the prefix typed so far
  std::uint32_t SearchTime = 0;  // tick count of the last search character
  // The clock of the typed search.
  std::function<std::uint32_t()> TickCount;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;

 private:
  TCgInplaceEdit* owner_;
};

class TCgInplaceEdit : public TInplaceEdit {
  Q_OBJECT
  friend class TPopupListbox;

 public:
  explicit TCgInplaceEdit(TCellGrid* Grid);
  ~TCgInplaceEdit() override;

  TCellGrid* CellGrid() const;

  void LoadCell() override;
  void UpdateLayout() override;
  // Equal to the current pair: nothing. The list is made the first time a
  // cell with a drop-down is loaded, then kept.
  void SetAids(bool AHasButton, bool AHasDropDown);

  void ShowList();
  void CloseList(bool Accept);
  // Alt+Up/Down, and Enter/Escape while the list is open. Key becomes 0 when
  // it was used.
  void HandleListKeys(int& Key, Qt::KeyboardModifiers Shift);
  void ListMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

  void TrackPress(int X, int Y);
  void StopTracking();

  // Run by the grid on every change of the editor's text.
  void UpdateSuggestion();
  void ShowSuggestion(const QString& Text);
  // Takes a shown suggestion into the text and the cell (not in a read-only
  // cell). The hint stays: the text change hides it when it came from Items.
  void AcceptSuggestion();
  bool SuggestionVisible() const;

 protected:
  int ButtonWidth = 0;
  int ArrowWidth = 0;
  TPopupListbox* PickList = nullptr;   // owned (a window of its own, deleted with the editor)
  TPopupListbox* ActiveList = nullptr;  // PickList while the cell has a drop-down
  bool HasButton = false;
  bool HasDropDown = false;
  bool ListVisible = false;
  bool Tracking = false;
  TcgHintWindow* SuggestionHint = nullptr;  // owned (a window of its own)
  bool ButtonPressed = false;
  bool ArrowPressed = false;
  TRect TextRect;
  TRect ButtonRect;
  TRect ArrowRect;
  TRect ClientArea;
  TCanvas PaintCanvas;
  // The editor's font, set from the cell's by each layout.
  TFont EditorFont;

  void PaintEditor(QPainter& DC) override;
  void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
  void MouseDblClick(Qt::KeyboardModifiers Shift, int X, int Y) override;
  void CancelMode(QObject* Sender) override;
  void SystemCancelMode() override;

  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  TcgColumn* CurrentColumn() const;
  bool OnAid(int X, int Y) const;
  void DrawButton(const TcgColumn& Column);
  void DrawRaisedFace(TRect R, bool Flat);
  void DrawComboArrow(const TRect& R, bool Pushed, bool Inactive);
  int ListWidth(const TcgColumn& Column) const;
  // Where the suggestion shows (screen): just above the text area.
  TRect SuggestionPlace() const;

  bool listHasPress_ = false;  // the list took over the press being followed
};
