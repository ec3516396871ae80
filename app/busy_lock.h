#pragma once
// The application-wide guard that makes every check request return at once: held around modal
// windows, deletions and the first-run steps, and for good once the program closes.
// Each holder releases only its own hold, so a window that closes cannot free another's.

namespace mobrelle {

class BusyLock {
 public:
  static bool IsSet() { return holds_ > 0 || closing_; }
  // Set for good by the shutdown; nothing clears it afterwards.
  static void SetForGood() { closing_ = true; }
  static bool Closing() { return closing_; }

  // One hold, released by the destructor.
  class Hold {
   public:
    Hold() { ++holds_; }
    ~Hold() { --holds_; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
  };

  static void ResetForTests() { holds_ = 0, closing_ = false; }

 private:
  static inline int holds_ = 0;
  static inline bool closing_ = false;
};

}  // namespace mobrelle
