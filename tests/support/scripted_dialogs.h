#pragma once
// A Dialogs that answers from a script and records every box and prompt, in
// order, so tests can check what the operator was asked and told.
#include <deque>
#include <string>
#include <variant>
#include <vector>

#include "common/dialogs.h"

namespace tw::testing {

class ScriptedDialogs final : public Dialogs {
 public:
  struct Call {
    bool is_prompt = false;
    Text title;
    Text text;  // the box's text or the prompt's message
    BoxIcon icon = BoxIcon::kInformation;
    BoxButtons buttons = BoxButtons::kOk;
    bool default_no = false;
    Text initial;  // prompts only
    bool password = false;
  };

  // Every unused answer is a test failure: the code asked less than the
  // test expected.
  ~ScriptedDialogs() override;

  // Answers in the order they will be needed. Boxes with an OK button only
  // are answered without a script entry.
  ScriptedDialogs& Type(Text text);
  ScriptedDialogs& Press(BoxAnswer answer);

  BoxAnswer ShowBox(const Text& title, const Text& text, BoxIcon icon, BoxButtons buttons,
                    bool default_no) override;
  Text Prompt(const Text& title, const Text& message, const Text& initial,
              bool password) override;

  const std::vector<Call>& calls() const { return calls_; }
  // The recorded calls in a form that reads well in a failed expectation:
  // "prompt <title>: <message>" and "box <title>: <text>", in UTF-8.
  std::vector<std::string> Transcript() const;
  // The boxes only.
  std::vector<Call> Boxes() const;
  size_t UnusedAnswers() const { return script_.size(); }

 private:
  std::deque<std::variant<Text, BoxAnswer>> script_;
  std::vector<Call> calls_;
};

}  // namespace tw::testing
