#pragma once
// Environment variables set for one test and put back as they were afterwards.

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace mobrelle::test {

class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (const auto& [name, old] : saved_) {
      if (old) ::setenv(name.c_str(), old->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
    else ::unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace mobrelle::test
