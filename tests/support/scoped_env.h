#pragma once
// Sets an environment variable for the life of the object and puts back the
// old value (or its absence) afterwards.
#include <optional>
#include <string>

#include "common/text.h"

namespace tw::testing {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const Text& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<Text> old_;
};

}  // namespace tw::testing
