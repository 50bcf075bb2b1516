#pragma once

#include <QFrame>

// A panel with a lowered one-pixel outer bevel.
class TPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TPanel(QWidget* parent = nullptr);
};
