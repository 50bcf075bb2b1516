#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>

// A flat tool button with a picture and an optional sticky down state.
//
// With GroupIndex 0 it is a plain push button and Down stays false. With a
// GroupIndex, a click puts it down (and, when AllowAllUp, a click on a down
// button puts it up) before OnClick runs; putting a button down puts up every
// other button of the same GroupIndex under the same parent.
//
// The keyboard reaches it by Tab only (a click leaves the focus where it
// was); Space then does what a click does, and a focus frame shows.
class TSpeedButton : public QWidget {
  Q_OBJECT
 public:
  explicit TSpeedButton(QWidget* parent = nullptr);

  // The picture, and optionally the one shown while disabled; without it the
  // disabled look is derived by greying the normal picture. Each is drawn
  // for the device pixel ratio it is shown at, in the size of the normal
  // icon's first available size (logical pixels).
  void SetGlyph(const QIcon& normal, const QIcon& disabled = QIcon());
  // The pictures for a device pixel ratio; null when not set.
  QPixmap Glyph(qreal devicePixelRatio = 1) const;
  QPixmap DisabledGlyph(qreal devicePixelRatio = 1) const;

  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool Down() const { return FDown; }
  // Ignored with GroupIndex 0; putting a down button up is refused unless
  // AllowAllUp (as a click would be).
  void SetDown(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }
  std::string Hint() const;
  void SetHint(const std::string& value);

  // Runs OnClick, as a click would after its toggle; exceptions escaping
  // OnClick from a mouse click go to the application's error handler.
  void Click();
  // What a user's click does, also when assistive technology presses the
  // button: a grouped button toggles, then Click. Nothing while disabled.
  void Activate();
  std::function<void(QObject* sender)> OnClick;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void PutOthersUp();
  void SyncAllowAllUp();
  void SetDownState(bool value);
  QSize GlyphSize() const;
  QPixmap CurrentGlyph(qreal devicePixelRatio) const;

  QIcon GlyphNormal;
  QIcon GlyphDisabled;  // as given, or null
  mutable QPixmap GreyedCache;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FDown = false;
  bool FFlat = false;
  bool Hovered = false;
  bool Pressing = false;   // mouse button held after a press on the button
  bool PressInside = false;
  bool SpaceHeld = false;  // Space pressed while focused, not yet released
};
