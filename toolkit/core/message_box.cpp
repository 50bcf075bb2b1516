#include "toolkit/core/message_box.h"

#include <atomic>
#include <cstdio>

namespace {

const char* TypeName(TMsgBoxType type) {
  switch (type) {
    case TMsgBoxType::mbtError: return "error";
    case TMsgBoxType::mbtWarning: return "warning";
    case TMsgBoxType::mbtInformation: return "information";
    case TMsgBoxType::mbtConfirmation: return "confirmation";
  }
  return "?";
}

// Until the application installs the real dialogs (and in tools and tests that
// never do) a box must neither block nor vanish: it is written to stderr and
// answered as if the user had pressed Escape.
class TStderrMessageBoxes : public IMessageBoxes {
 public:
  int Show(const TMessageBoxRequest& request) override {
    std::string buttons;
    for (const auto& b : request.Buttons) buttons += " [" + b + "]";
    const bool valid = request.EscapeButton >= 0 &&
                       request.EscapeButton < static_cast<int>(request.Buttons.size());
    const std::string detail = request.Detail.empty() ? "" : " (" + request.Detail + ")";
    std::fprintf(stderr, "message box (%s) \"%s\": %s%s%s -> %s\n", TypeName(request.Type),
                 request.Title.c_str(), request.Text.c_str(), detail.c_str(), buttons.c_str(),
                 valid ? request.Buttons[request.EscapeButton].c_str() : "(none)");
    return request.EscapeButton;
  }
};

TStderrMessageBoxes& DefaultBoxes() {
  static TStderrMessageBoxes boxes;
  return boxes;
}

std::atomic<IMessageBoxes*> Installed{nullptr};

}  // namespace

IMessageBoxes& MessageBoxes() {
  IMessageBoxes* boxes = Installed.load();
  return boxes ? *boxes : DefaultBoxes();
}

void SetMessageBoxes(IMessageBoxes* boxes) { Installed.store(boxes); }

int ShowMessageBox(TMsgBoxType type, const std::string& title, const std::string& text,
                   const std::vector<std::string>& buttons, int defaultButton, int escapeButton,
                   const std::string& detail) {
  TMessageBoxRequest request;
  request.Type = type;
  request.Title = title;
  request.Text = text;
  request.Detail = detail;
  request.Buttons = buttons;
  request.DefaultButton = defaultButton;
  request.EscapeButton = escapeButton;
  return MessageBoxes().Show(request);
}

void ShowErrorBox(const std::string& text, const std::string& detail) {
  ShowMessageBox(TMsgBoxType::mbtError, "Error", text, {"OK"}, 0, 0, detail);
}
