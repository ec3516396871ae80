#pragma once
// A mailbox that only receives mail for its own addresses: which of a message's recipients are
// the mailbox's, and whether the mailbox's rule rejects the message.

#include <string_view>

namespace mobrelle {

// Bits of the mailbox's "NatureRejet".
inline constexpr int kExclOtherAddress = 1;     // fail when an address other than mine is found
inline constexpr int kExclOtherAnyDomain = 2;   // ... whatever its domain
inline constexpr int kExclNoneOfMine = 4;       // fail when none of my addresses is found
inline constexpr int kExclNoneAnyDomain = 8;    // ... whatever its domain

struct ExclusiveCheck {
  bool Passed = true;
  int Result = 0;  // 0 passed, 1 another address was found, 2 none of mine was found
};

// `destUnique` is the mailbox's domain followed by its own local parts, joined by ','. Domains and
// local parts are compared without regard to case: addresses are extracted lower-cased, and a
// mailbox typed in capitals must not reject its own mail.
ExclusiveCheck CheckExclusiveRecipients(std::string_view to, std::string_view cc,
                                        std::string_view destUnique, int flags);

}  // namespace mobrelle
