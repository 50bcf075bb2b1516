#include "toolkit/widgets/inplace_edit.h"

#include "toolkit/widgets/string_grid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace {

// The line break a text is written back with: the one it came with.
QString LineBreakOf(const QString& text) {
  if (text.contains(QStringLiteral("\r\n"))) return QStringLiteral("\r\n");
  if (text.contains(QLatin1Char('\r'))) return QStringLiteral("\r");
  return QStringLiteral("\n");
}

}  // namespace

TInplaceEdit::TInplaceEdit(TStringGrid* grid)
    : QPlainTextEdit(grid ? grid->viewport() : nullptr),
      grid_(grid),
      cancelModeWatch_(this, [this](QObject* Sender) {
        auto* w = qobject_cast<QWidget*>(Sender);
        if (w && w->isWindow())
          SystemCancelMode();
        else
          CancelMode(Sender);
      }) {
  setFrameShape(QFrame::NoFrame);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setWordWrapMode(QTextOption::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(0);
  setContextMenuPolicy(Qt::NoContextMenu);
  // Outside the text area the pointer is a plain arrow; over the text the
  // edit control's I-beam.
  setCursor(Qt::ArrowCursor);
  viewport()->setCursor(Qt::IBeamCursor);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  color_ = palette().color(QPalette::Base);
  connect(this, &QPlainTextEdit::textChanged, this, &TInplaceEdit::TextEdited);
  hide();
}

TInplaceEdit::~TInplaceEdit() = default;

// --- text -------------------------------------------------------------------------

QString TInplaceEdit::EditText() const {
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, lineBreak_);
  return text;
}

void TInplaceEdit::SetEditText(const QString& value) {
  lineBreak_ = LineBreakOf(value);
  setPlainText(value);
  // The caret goes to the end, where a typed character continues the text.
  moveCursor(QTextCursor::End);
}

void TInplaceEdit::TextEdited() {
  // The document also reports changes of layout and format alone.
  QString text = EditText();
  if (text == lastText_) return;
  lastText_ = std::move(text);
  emit Changed(lastText_);
}

void TInplaceEdit::SetReadOnly(bool value) {
  setReadOnly(value);
  // As in the classic edit control, a read-only text keeps its caret.
  if (value) setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  viewport()->setCursor(Qt::IBeamCursor);
}

bool TInplaceEdit::CanModify() const { return grid_ && grid_->CanEditModify(); }

int TInplaceEdit::Room(int wanted) const {
  if (maxLength_ <= 0) return wanted;
  const QTextCursor c = textCursor();
  const int length = document()->characterCount() - 1;
  const int kept = length - (c.selectionEnd() - c.selectionStart());
  return std::clamp(maxLength_ - kept, 0, wanted);
}

void TInplaceEdit::InsertLimited(const QString& text) {
  const int room = Room(static_cast<int>(text.size()));
  if (room > 0) insertPlainText(text.left(room));
  ensureCursorVisible();
}

void TInplaceEdit::insertFromMimeData(const QMimeData* source) {
  if (maxLength_ > 0 && source && source->hasText())
    InsertLimited(source->text());
  else
    QPlainTextEdit::insertFromMimeData(source);
}

void TInplaceEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  const int room = Room(static_cast<int>(commit.size()));
  if (room >= commit.size()) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent limited(event->preeditString(), event->attributes());
  limited.setCommitString(commit.left(room), event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&limited);
}

// --- caret ------------------------------------------------------------------------

int TInplaceEdit::cursorPosition() const {
  const QTextCursor c = textCursor();
  return c.position() + c.blockNumber() * static_cast<int>(lineBreak_.size() - 1);
}

void TInplaceEdit::setCursorPosition(int position) {
  const int breakLength = static_cast<int>(lineBreak_.size());
  int rest = std::max(position, 0);
  QTextBlock block = document()->firstBlock();
  while (block.isValid()) {
    const int length = block.length() - 1;
    if (rest <= length || !block.next().isValid()) {
      QTextCursor c(document());
      c.setPosition(block.position() + std::min(rest, length));
      setTextCursor(c);
      return;
    }
    rest -= length + breakLength;
    if (rest < 0) rest = 0;  // inside a CR LF: after it
    block = block.next();
  }
}

bool TInplaceEdit::hasSelectedText() const { return textCursor().hasSelection(); }

// --- look -------------------------------------------------------------------------

void TInplaceEdit::SetColor(const QColor& value) {
  if (value == color_) return;
  color_ = value;
  QPalette pal = palette();
  pal.setColor(QPalette::Base, value);  // every colour group
  setPalette(pal);
  update();
}

TRect TInplaceEdit::FormattingRect() const {
  return formattingSet_ ? formatting_ : TRect{0, 0, width(), height()};
}

void TInplaceEdit::SetFormattingRect(const TRect& rect) {
  formatting_ = rect;
  formattingSet_ = true;
  ApplyFormattingRect();
}

void TInplaceEdit::ApplyFormattingRect() {
  if (!formattingSet_) return;
  // The text area is the viewport: margins are what lies around it.
  const int left = std::clamp(formatting_.Left, 0, width());
  const int top = std::clamp(formatting_.Top, 0, height());
  const int right = std::clamp(width() - formatting_.Right, 0, width() - left);
  const int bottom = std::clamp(height() - formatting_.Bottom, 0, height() - top);
  setViewportMargins(left, top, right, bottom);
}

void TInplaceEdit::resizeEvent(QResizeEvent* event) {
  ApplyFormattingRect();
  QPlainTextEdit::resizeEvent(event);
}

void TInplaceEdit::Invalidate() {
  update();
  viewport()->update();
  if (grid_) grid_->InvalidateRect(TRect::FromQRect(geometry()));
}

void TInplaceEdit::PaintEditor(QPainter& DC) { DC.fillRect(rect(), color_); }

// --- hooks ------------------------------------------------------------------------

void TInplaceEdit::LoadCell() {
  if (!grid_) return;
  SetMaxLength(grid_->GetEditLimit());
  SetEditText(grid_->GetEditText(grid_->Col(), grid_->Row()));
  SetReadOnly(!CanModify());
  document()->setModified(false);
}

void TInplaceEdit::UpdateLayout() {}

void TInplaceEdit::CancelMode(QObject*) {}

void TInplaceEdit::SystemCancelMode() {}

// --- events -----------------------------------------------------------------------

bool TInplaceEdit::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Paint: {
      // The editor around the text area; the text area paints itself.
      QPainter painter(this);
      PaintEditor(painter);
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      // The scroll area would leave them to the grid under the editor.
      DispatchMouse(static_cast<QMouseEvent*>(event), false);
      return true;
    default:
      return QPlainTextEdit::event(event);
  }
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
  auto toGrid = [&] {
    return grid_ && grid_->KeyDown(event->key(), event->modifiers(), event->text());
  };
  const QTextCursor caret = textCursor();
  const bool atStart = caret.atStart() && !caret.hasSelection();
  const bool atEnd = caret.atEnd() && !caret.hasSelection();
  const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
  bool used = false;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Taken here in every case, so no dialog's default button sees it.
      if (ctrl) {
        if (!isReadOnly()) InsertLimited(QStringLiteral("\n"));
      } else {
        toGrid();
      }
      event->accept();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
      used = toGrid();
      break;
    case Qt::Key_Left:
    case Qt::Key_Home:
      if (atStart) used = toGrid();
      break;
    case Qt::Key_Right:
    case Qt::Key_End:
      if (atEnd) used = toGrid();
      break;
    default: {
      const QString text = event->text();
      if (maxLength_ > 0 && !ctrl && !isReadOnly() && !text.isEmpty() && text.at(0).isPrint() &&
          Room(static_cast<int>(text.size())) < text.size()) {
        InsertLimited(text);
        used = true;
      }
      break;
    }
  }
  if (used)
    event->accept();
  else
    QPlainTextEdit::keyPressEvent(event);
}

bool TInplaceEdit::focusNextPrevChild(bool next) {
  // Tab belongs to the grid (and its goTabs), not to the text.
  return QWidget::focusNextPrevChild(next);
}

void TInplaceEdit::focusInEvent(QFocusEvent* event) {
  QPlainTextEdit::focusInEvent(event);
  if (grid_) grid_->FocusEnteredEditor(event->reason());
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
  // Qt moves the focus before anyone sees the press that moved it; the
  // widget pressed takes over first, as it would have without the focus.
  if (event->reason() == Qt::MouseFocusReason) {
    QWidget* now = QApplication::focusWidget();
    if (now && now != this && now->window() == window()) CancelMode(now);
  }
  QPlainTextEdit::focusOutEvent(event);
  if (grid_) grid_->FocusLeft(event->reason());
}

// --- mouse ------------------------------------------------------------------------

void TInplaceEdit::mousePressEvent(QMouseEvent* event) { DispatchMouse(event, true); }
void TInplaceEdit::mouseMoveEvent(QMouseEvent* event) { DispatchMouse(event, true); }
void TInplaceEdit::mouseReleaseEvent(QMouseEvent* event) { DispatchMouse(event, true); }
void TInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) { DispatchMouse(event, true); }

void TInplaceEdit::DispatchMouse(QMouseEvent* event, bool overText) {
  QMouseEvent* const outerEvent = std::exchange(mouseEvent_, event);
  const bool outerOverText = std::exchange(mouseOverText_, overText);
  QPoint p = event->position().toPoint();
  if (overText) p += viewport()->pos();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      MouseDown(event->button(), event->modifiers(), p.x(), p.y());
      break;
    case QEvent::MouseButtonDblClick:
      if (event->button() == Qt::LeftButton)
        MouseDblClick(event->modifiers(), p.x(), p.y());
      else
        MouseDown(event->button(), event->modifiers(), p.x(), p.y());
      break;
    case QEvent::MouseMove:
      MouseMove(event->modifiers(), p.x(), p.y());
      break;
    case QEvent::MouseButtonRelease:
      MouseUp(event->button(), event->modifiers(), p.x(), p.y());
      break;
    default:
      break;
  }
  event->accept();
  mouseEvent_ = outerEvent;
  mouseOverText_ = outerOverText;
}

void TInplaceEdit::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  if (!mouseEvent_) return;
  if (!mouseOverText_) {
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    return;
  }
  if (mouseEvent_->type() == QEvent::MouseButtonDblClick)
    QPlainTextEdit::mouseDoubleClickEvent(mouseEvent_);
  else if (mouseEvent_->type() == QEvent::MouseButtonPress)
    QPlainTextEdit::mousePressEvent(mouseEvent_);
}

void TInplaceEdit::MouseMove(Qt::KeyboardModifiers, int, int) {
  if (mouseEvent_ && mouseOverText_ && mouseEvent_->type() == QEvent::MouseMove)
    QPlainTextEdit::mouseMoveEvent(mouseEvent_);
}

void TInplaceEdit::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  if (mouseEvent_ && mouseOverText_ && mouseEvent_->type() == QEvent::MouseButtonRelease)
    QPlainTextEdit::mouseReleaseEvent(mouseEvent_);
}

void TInplaceEdit::MouseDblClick(Qt::KeyboardModifiers Shift, int X, int Y) {
  MouseDown(Qt::LeftButton, Shift, X, Y);
}
