#pragma once

// Every modal box of the program goes through here, so tests can read the
// texts and give the answers (ScriptedMessageBoxes) while the program shows
// real dialogs (the Qt implementation in toolkit/widgets).

#include <string>
#include <vector>

enum class TMsgBoxType { mbtError, mbtWarning, mbtInformation, mbtConfirmation };

struct TMessageBoxRequest {
  TMsgBoxType Type = TMsgBoxType::mbtError;
  std::string Title;
  std::string Text;
  std::string Detail;                // why, under the text; empty for none
  std::vector<std::string> Buttons;  // captions in order, '&' marks the accelerator
  int DefaultButton = 0;             // index, or -1 for none
  int EscapeButton = 0;              // index answered by Escape / closing the box
};

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // Shows the box modally; returns the index of the button chosen.
  virtual int Show(const TMessageBoxRequest& request) = 0;
};

// The program-wide provider; the application installs the Qt one at start-up.
IMessageBoxes& MessageBoxes();
// Installs a provider (not owned); nullptr restores the default.
void SetMessageBoxes(IMessageBoxes* boxes);

// The program's common boxes.
int ShowMessageBox(TMsgBoxType type, const std::string& title, const std::string& text,
                   const std::vector<std::string>& buttons, int defaultButton, int escapeButton,
                   const std::string& detail = {});
// An error box (title "Error", stop icon) with the one button "OK".
void ShowErrorBox(const std::string& text, const std::string& detail = {});
