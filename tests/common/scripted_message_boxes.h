#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "toolkit/core/message_box.h"

// Message boxes for a test, installed for the object's lifetime: records every box and answers from a queue;
// with the queue empty it answers the escape button, as a user pressing Escape would.
class ScriptedMessageBoxes : public IMessageBoxes {
 public:
  ScriptedMessageBoxes();
  ~ScriptedMessageBoxes() override;
  ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
  ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

  // Queues the answer to a later box: the button's caption as in the request (e.g. "&Ignore"), or its index.
  void Answer(const std::string& caption);
  void Answer(int index);
  std::size_t PendingAnswers() const { return Queue.size(); }

  int Show(const TMessageBoxRequest& request) override;

  // Texts of the boxes shown so far, in order.
  std::vector<std::string> Texts() const;

  std::vector<TMessageBoxRequest> Requests;  // every box, in order
  std::vector<int> Answers;                  // the index answered to each
  // Scripted answers that were no button of their box (which got its escape button): expect it empty.
  std::vector<std::string> Mismatches;
  // Runs while a box is "up", before it is answered (e.g. to act as the user).
  std::function<void(const TMessageBoxRequest&)> OnShow;

 private:
  std::deque<std::variant<std::string, int>> Queue;
  IMessageBoxes* Previous;
};
