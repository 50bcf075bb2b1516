#include "grid/cg_hint_grid.h"

#include "toolkit/widgets/inplace_edit.h"
#include "toolkit/widgets/text_layout.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QJsonObject>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

// Hint text is measured and drawn by one layout (DrawTextEx): wrapped at
// blanks, '&' shown as it is, line breaks kept, so the measured size is what
// is drawn.
constexpr unsigned kHintTextFormat = DT_NOPREFIX | DT_WORDBREAK;

// The extent of the text laid out from Bounds' top-left within its width.
TRect HintTextExtent(const QFont& font, const QString& text, const TRect& Bounds) {
  TCanvas canvas;
  canvas.Font().AssignQFont(font);
  TRect r = Bounds;
  DrawTextEx(canvas, text, r, kHintTextFormat | DT_CALCRECT);
  return r;
}

void DrawHintText(QPainter& painter, const QPalette& palette, const QString& text, const TRect& Bounds) {
  TCanvas canvas(&painter, palette);
  canvas.Font().AssignQFont(painter.font());
  canvas.Font().SetColor(clInfoText);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  TRect r = Bounds;
  DrawTextEx(canvas, text, r, kHintTextFormat);
}

int TextWidth(const QFont& font, const QString& text) { return QFontMetrics(font).horizontalAdvance(text); }

// Blanks and control characters at both ends, as the classic Trim removes them.
bool IsBlank(const QString& s) {
  return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() <= u' '; });
}

// The screen under the point, or the nearest one when the point is on none.
QScreen* ScreenFor(QPoint p) {
  if (QScreen* s = QGuiApplication::screenAt(p)) return s;
  QScreen* best = nullptr;
  long long bestDistance = std::numeric_limits<long long>::max();
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect g = s->geometry();
    const long long dx = std::max({g.left() - p.x(), 0, p.x() - g.right()});
    const long long dy = std::max({g.top() - p.y(), 0, p.y() - g.bottom()});
    if (dx * dx + dy * dy < bestDistance) {
      bestDistance = dx * dx + dy * dy;
      best = s;
    }
  }
  return best;
}

TRect TextArea(const TRect& client) { return TRect{client.Left + 2, client.Top + 2, client.Right, client.Bottom}; }

}  // namespace

// --- TcgHintWindow ---------------------------------------------------------------

TcgHintWindow::TcgHintWindow(QWidget* Owner) : THintWindow(Owner) {
  // The palette role, not a fixed colour: a dark or high-contrast theme follows.
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);
}

void TcgHintWindow::TextChanged() {
  THintWindow::TextChanged();
  resize(TextWidth(font(), Caption()) + 8, height());
  resize(width(), HintTextExtent(font(), Caption(), TextArea(ClientRect())).Height() + 6);
  // Shown (again) without taking the focus; no hide first, which would only
  // flicker. ActivateHint shows it itself once it is in place.
  if (!activating_) show();
}

void TcgHintWindow::ActivateHint(TRect Rect, const QString& Text) {
  activating_ = true;
  SetCaption(Text);
  activating_ = false;
  Rect.Right = Rect.Left + TextWidth(font(), Text) + 8;
  const TRect extent = HintTextExtent(font(), Caption(), TextArea(ClientRect()));
  Rect.Bottom = Rect.Top + extent.Height() + 6;
  // A word wider than the whole text would allow gets its room.
  if (extent.Width() > Rect.Width()) Rect.Right = Rect.Left + extent.Width() + 1;
  setGeometry(Rect.ToQRect());

  if (const QScreen* screen = ScreenFor(QPoint(Rect.Left, Rect.Top))) {
    const QRect g = screen->geometry();
    if (Rect.Top + height() > g.bottom() + 1) Rect.Top = g.bottom() + 1 - height();
    if (Rect.Left + width() > g.right() + 1) Rect.Left = g.right() + 1 - width();
    if (Rect.Left < g.left()) Rect.Left = g.left();
    if (Rect.Top < g.top()) Rect.Top = g.top();
  }
  move(Rect.Left, Rect.Top);
  show();  // on top of all (a tooltip window), without activation
}

void TcgHintWindow::HideHint() {
  if (isVisible()) hide();
}

void TcgHintWindow::Paint() {
  DrawHintText(*Canvas(), palette(), Caption(), TextArea(ClientRect()));
}

// --- TCgHintGrid -----------------------------------------------------------------

TCgHintGrid::TCgHintGrid(QWidget* parent) : TStringGrid(parent) {
  HintTimer = new QTimer(this);
  HintTimer->setInterval(HintTickInterval);
  // Never early, so 60 ticks are at least 600 ms.
  HintTimer->setTimerType(Qt::PreciseTimer);
  connect(HintTimer, &QTimer::timeout, this, &TCgHintGrid::HintTimerTick);
  if (Running()) {
    AppHooked = true;
    HintWindow = new TcgHintWindow(this);
    hookId_ = HookMainWindow([this](TAppMessage Message) { return AppHook(Message); });
  }
}

TCgHintGrid::~TCgHintGrid() {
  MarkDestroying();
  HintTimer->stop();
  if (AppHooked) UnhookMainWindow(hookId_);
}

bool TCgHintGrid::AppHook(TAppMessage Message) {
  UpdateCellHint(Message == TAppMessage::amActivate);
  return false;  // the application handles it as usual
}

TGridCoord TCgHintGrid::MouseCell(int X, int Y) const {
  if (X < 0 || Y < 0) return TGridCoord{-1, -1};
  return MouseToCell(X, Y);
}

void TCgHintGrid::SetHintCell(TGridCoord ACell) {
  if (ACell == HintCell) return;
  HintCell = ACell;
  RestartCellHint();
}

void TCgHintGrid::RestartCellHint() {
  UpdateCellHint(false);
  UpdateCellHint(true);
}

bool TCgHintGrid::CanShowCellHint() const {
  if (!parentWidget() || !window()->isActiveWindow()) return false;
  if (HintCell.X < 0 || HintCell.X >= ColCount() || HintCell.Y < 0 || HintCell.Y >= RowCount()) return false;
  if (!Running()) return false;
  if (HintFollowsMouse()) return MouseInside;
  return hasFocus() || (InplaceEditor() && InplaceEditor()->hasFocus());
}

void TCgHintGrid::UpdateCellHint(bool Show) {
  if (!Running()) return;
  if (Show && CanShowCellHint()) {
    HintCountdown = HintTicks;
    if (!HintTimer->isActive()) HintTimer->start();
  } else {
    if (HintWindow) HintWindow->HideHint();
    HintShowing = false;
    HintTimer->stop();
  }
}

void TCgHintGrid::HintTimerTick() {
  if (!Running()) return;
  if (--HintCountdown != 0) return;
  // The countdown has run out whatever follows: stop ticking until the next
  // arming instead of counting on below zero.
  HintTimer->stop();
  const TRect r = CellRect(HintCell.X, HintCell.Y);
  // A cell out of view has no place to show a hint at.
  if (r.IsEmpty()) return;
  QPoint topLeft = viewport()->mapToGlobal(QPoint(r.Right, r.Top - (r.Bottom - r.Top + 1)));
  if (!OnShowCellHint) return;
  topLeft.ry() += 4;
  QString hint;
  const QPointer<TCgHintGrid> alive(this);
  OnShowCellHint(this, HintCell.X, HintCell.Y, hint, topLeft);
  if (!alive || !Running() || IsBlank(hint) || !HintWindow) return;
  HintWindow->ActivateHint(TRect{topLeft.x(), topLeft.y(), 0, 0}, hint);
  HintShowing = true;
  HintTimer->stop();
}

// --- events -------------------------------------------------------------------------

void TCgHintGrid::MouseEnter() {
  TStringGrid::MouseEnter();
  MouseInside = true;
  UpdateCellHint(true);
}

void TCgHintGrid::MouseLeave() {
  TStringGrid::MouseLeave();
  // A leave towards something lying over the client area (the popup, the
  // editor) is not leaving the grid.
  MouseInside = viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos()));
  if (!MouseInside && HintFollowsMouse()) UpdateCellHint(false);
}

void TCgHintGrid::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
  TStringGrid::MouseMove(Shift, X, Y);
  if (HintFollowsMouse()) SetHintCell(MouseCell(X, Y));
}

void TCgHintGrid::DoEnter() {
  TStringGrid::DoEnter();
  if (!HintFollowsMouse()) UpdateCellHint(true);
}

void TCgHintGrid::CancelMode(QObject* Sender) {
  TStringGrid::CancelMode(Sender);
  if (Sender != this && Sender != InplaceEditor() && !HintFollowsMouse() && HintShowing) UpdateCellHint(false);
}

void TCgHintGrid::TopLeftChanged() {
  TStringGrid::TopLeftChanged();
  if (!Running()) return;
  UpdateCellHint(false);
  if (HintFollowsMouse()) {
    const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
    HintCell = MouseCell(p.x(), p.y());
  }
  UpdateCellHint(true);
}

// --- saved definition ---------------------------------------------------------------

void TCgHintGrid::WriteProperties(QJsonObject& properties) const {
  TStringGrid::WriteProperties(properties);
  properties.insert("HintFollowsMouse", hintFollowsMouse_);
}

void TCgHintGrid::ReadProperties(const QJsonObject& properties) {
  TStringGrid::ReadProperties(properties);
  if (!properties.contains("HintFollowsMouse")) return;
  const QJsonValue v = properties.value("HintFollowsMouse");
  if (!v.isBool()) throw EInvalidGridDefinition("Grid definition: HintFollowsMouse must be true or false");
  SetHintFollowsMouse(v.toBool());
}
