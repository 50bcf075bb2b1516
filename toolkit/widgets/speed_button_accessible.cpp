#include "toolkit/widgets/speed_button_accessible.h"

#include "toolkit/widgets/speed_button.h"

#include <QAccessibleWidget>

#include <mutex>

namespace {

class TSpeedButtonAccessible : public QAccessibleWidget {
 public:
  explicit TSpeedButtonAccessible(TSpeedButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

  TSpeedButton* Button() const { return static_cast<TSpeedButton*>(widget()); }

  QString text(QAccessible::Text t) const override {
    // The buttons show pictures only, so the hint is their name; repeating it
    // as the description would make a screen reader say it twice.
    const QString hint = QString::fromStdString(Button()->Hint());
    if (t == QAccessible::Name && Button()->accessibleName().isEmpty()) return hint;
    if (t == QAccessible::Description && Button()->accessibleDescription().isEmpty()) return QString();
    return QAccessibleWidget::text(t);
  }

  // A two-state button is presented as Qt presents its own toggle buttons,
  // so a screen reader says whether it is down.
  QAccessible::Role role() const override {
    return Button()->GroupIndex() != 0 ? QAccessible::CheckBox : QAccessible::Button;
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (Button()->GroupIndex() != 0) {
      s.checkable = true;
      s.checked = Button()->Down();
    }
    return s;
  }

  QStringList actionNames() const override {
    if (!Button()->isEnabled()) return {};
    return {Button()->GroupIndex() != 0 ? toggleAction() : pressAction()};
  }

  void doAction(const QString& actionName) override {
    if (actionName == pressAction() || actionName == toggleAction()) Button()->Activate();
  }
};

QAccessibleInterface* SpeedButtonFactory(const QString&, QObject* object) {
  if (auto* button = qobject_cast<TSpeedButton*>(object)) return new TSpeedButtonAccessible(button);
  return nullptr;
}

}  // namespace

void InstallSpeedButtonAccessible() {
  static std::once_flag once;
  std::call_once(once, [] { QAccessible::installFactory(SpeedButtonFactory); });
}
