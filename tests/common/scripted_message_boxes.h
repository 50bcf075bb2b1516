#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "toolkit/core/message_box.h"

// A message box provider for tests: installs itself for its lifetime (the
// previous provider comes back on destruction), records every box shown and
// answers from a queue of scripted answers; with the queue empty it answers
// the box's escape button, as a user pressing Escape would.
class ScriptedMessageBoxes : public IMessageBoxes {
 public:
  ScriptedMessageBoxes();
  ~ScriptedMessageBoxes() override;
  ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
  ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

  // Queues the answer to a later box: the button with this caption, exactly
  // as given in the request (e.g. "&Ignore"), or the button index.
  void Answer(const std::string& caption);
  void Answer(int index);
  std::size_t PendingAnswers() const { return Queue.size(); }

  int Show(const TMessageBoxRequest& request) override;

  // Texts of the boxes shown so far, in order.
  std::vector<std::string> Texts() const;

  std::vector<TMessageBoxRequest> Requests;  // every box, in order
  std::vector<int> Answers;                  // the index answered to each
  // Scripted captions that were not a button of the box they were used on
  // (that box got its escape button instead). Tests should expect this empty.
  std::vector<std::string> Mismatches;
  // Runs while a box is "up", before it is answered (e.g. to act as the user).
  std::function<void(const TMessageBoxRequest&)> OnShow;

 private:
  std::deque<std::variant<std::string, int>> Queue;
  IMessageBoxes* Previous;
};
