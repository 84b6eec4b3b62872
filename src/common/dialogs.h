#pragma once
// The modal message box and text prompt, as the subsystems ask for them.
// The toolkit shows real Windows boxes; tests answer from a script.
#include "common/text.h"

namespace tw {

enum class BoxIcon { kError, kWarning, kQuestion, kInformation };
enum class BoxButtons { kOk, kYesNo, kYesNoCancel };
enum class BoxAnswer { kOk, kYes, kNo, kCancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Blocks until the box is closed. default_no makes No the default button.
  virtual BoxAnswer ShowBox(const Text& title, const Text& text, BoxIcon icon,
                            BoxButtons buttons = BoxButtons::kOk, bool default_no = false) = 0;
  // OK or Enter returns the typed text; Escape or closing returns empty.
  virtual Text Prompt(const Text& title, const Text& message, const Text& initial,
                      bool password = false) = 0;
};

}  // namespace tw
