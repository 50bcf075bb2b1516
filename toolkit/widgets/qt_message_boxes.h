#pragma once

#include <QMessageBox>
#include <memory>

#include "toolkit/core/message_box.h"

// Message boxes as real modal QMessageBox dialogs. Install it once at start-up
// with SetMessageBoxes (it must outlive every box).
class TQtMessageBoxes : public IMessageBoxes {
 public:
  int Show(const TMessageBoxRequest& request) override;

  // The dialog Show runs, not yet shown: icon by type; the detail, as plain
  // text, under the text (Qt's informative text); the buttons in order
  // with their captions ('&' marks the accelerator), each carrying its index
  // in the property "orvixButtonIndex"; the default button (none when
  // DefaultButton is -1); EscapeButton answers Escape and the frame's close.
  static std::unique_ptr<QMessageBox> CreateBox(const TMessageBoxRequest& request,
                                                QWidget* parent = nullptr);
};
