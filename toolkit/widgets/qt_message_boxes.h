#pragma once

#include <QMessageBox>
#include <memory>

#include "toolkit/core/message_box.h"

// Message boxes as real modal QMessageBox dialogs. Install it once at start-up
// with SetMessageBoxes (it must outlive every box).
class TQtMessageBoxes : public IMessageBoxes {
 public:
  int Show(const TMessageBoxRequest& request) override;

  // The dialog Show runs, not yet shown: icon by type, the buttons in order
  // with their captions ('&' marks the accelerator), the default button (none
  // when DefaultButton is -1) and EscapeButton answering Escape and the close
  // button of the frame.
  static std::unique_ptr<QMessageBox> CreateBox(const TMessageBoxRequest& request,
                                                QWidget* parent = nullptr);
};
