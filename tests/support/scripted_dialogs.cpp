#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace tw::testing {

ScriptedDialogs::~ScriptedDialogs() {
  if (!script_.empty()) ADD_FAILURE() << script_.size() << " scripted answer(s) never asked for";
}

ScriptedDialogs& ScriptedDialogs::Type(Text text) {
  script_.emplace_back(std::move(text));
  return *this;
}

ScriptedDialogs& ScriptedDialogs::Press(BoxAnswer answer) {
  script_.emplace_back(answer);
  return *this;
}

BoxAnswer ScriptedDialogs::ShowBox(const Text& title, const Text& text, BoxIcon icon,
                                   BoxButtons buttons, bool default_no) {
  calls_.push_back({false, title, text, icon, buttons, default_no, {}, false});
  if (buttons == BoxButtons::kOk) return BoxAnswer::kOk;
  if (script_.empty() || !std::holds_alternative<BoxAnswer>(script_.front())) {
    ADD_FAILURE() << "box \"" << TextToUtf8(text) << "\" has no scripted answer";
    // Whatever ends the exchange soonest, so a broken test cannot loop.
    return buttons == BoxButtons::kYesNo ? BoxAnswer::kNo : BoxAnswer::kCancel;
  }
  const BoxAnswer answer = std::get<BoxAnswer>(script_.front());
  script_.pop_front();
  return answer;
}

Text ScriptedDialogs::Prompt(const Text& title, const Text& message, const Text& initial,
                             bool password) {
  calls_.push_back({true, title, message, BoxIcon::kInformation, BoxButtons::kOk, false, initial,
                    password});
  if (script_.empty() || !std::holds_alternative<Text>(script_.front())) {
    ADD_FAILURE() << "prompt \"" << TextToUtf8(message) << "\" has no scripted answer";
    return {};  // as if cancelled
  }
  Text answer = std::get<Text>(script_.front());
  script_.pop_front();
  return answer;
}

std::vector<std::string> ScriptedDialogs::Transcript() const {
  std::vector<std::string> out;
  for (const Call& c : calls_)
    out.push_back((c.is_prompt ? "prompt " : "box ") + TextToUtf8(c.title) + ": " +
                  TextToUtf8(c.text));
  return out;
}

std::vector<ScriptedDialogs::Call> ScriptedDialogs::Boxes() const {
  std::vector<Call> out;
  for (const Call& c : calls_)
    if (!c.is_prompt) out.push_back(c);
  return out;
}

}  // namespace tw::testing
