#include "tests/common/scripted_message_boxes.h"

#include <algorithm>

ScriptedMessageBoxes::ScriptedMessageBoxes() : Previous(&MessageBoxes()) { SetMessageBoxes(this); }

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
  // Only undo our own installation; a provider installed after us stays.
  if (&MessageBoxes() == this) SetMessageBoxes(Previous);
}

void ScriptedMessageBoxes::Answer(const std::string& caption) { Queue.emplace_back(caption); }

void ScriptedMessageBoxes::Answer(int index) { Queue.emplace_back(index); }

int ScriptedMessageBoxes::Show(const TMessageBoxRequest& request) {
  Requests.push_back(request);
  if (OnShow) OnShow(request);
  int answer = request.EscapeButton;
  if (!Queue.empty()) {
    auto next = std::move(Queue.front());
    Queue.pop_front();
    if (const int* index = std::get_if<int>(&next)) {
      if (*index >= 0 && *index < static_cast<int>(request.Buttons.size())) answer = *index;
      else Mismatches.push_back("#" + std::to_string(*index) + " for \"" + request.Text + "\"");
    } else {
      const auto& caption = std::get<std::string>(next);
      auto it = std::find(request.Buttons.begin(), request.Buttons.end(), caption);
      if (it != request.Buttons.end()) answer = static_cast<int>(it - request.Buttons.begin());
      else Mismatches.push_back(caption + " for \"" + request.Text + "\"");
    }
  }
  Answers.push_back(answer);
  return answer;
}

std::vector<std::string> ScriptedMessageBoxes::Texts() const {
  std::vector<std::string> texts;
  for (const auto& r : Requests) texts.push_back(r.Text);
  return texts;
}
