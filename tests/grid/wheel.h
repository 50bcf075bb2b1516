#pragma once

// Turns of the mouse wheel over a widget, as the window system delivers them: positive notches scroll down.

#include <QApplication>
#include <QWheelEvent>

inline void Wheel(QWidget* w, QPoint pos, int notches) {
  QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
}
