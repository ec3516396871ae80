#include "filters/verdicts/exclusive_recipients.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

struct Case {
  const char* name;
  const char* to;
  const char* cc;
  const char* destUnique;
  int flags;
  bool passed;
  int result;
};

const Case kCases[] = {
    {"mine only passes", "Jean <jean@d.fr>", "", "d.fr,jean", kExclOtherAddress, true, 0},
    {"another address of my domain fails", "jean@d.fr, paul@d.fr", "", "d.fr,jean", kExclOtherAddress, false, 1},
    {"the other one in copy fails too", "jean@d.fr", "paul@d.fr", "d.fr,jean", kExclOtherAddress, false, 1},
    {"other domains are not collected", "a@x.org; b@y.org", "", "d.fr,jean", kExclOtherAddress, true, 0},
    {"any domain: other domains are collected", "a@x.org", "", "d.fr,jean", kExclOtherAddress | kExclNoneOfMine,
     false, 1},
    {"none of mine (blind copy)", "a@x.org", "", "d.fr,jean", kExclNoneOfMine, false, 2},
    {"one of mine among others", "a@x.org, jean@d.fr", "", "d.fr,jean", kExclNoneOfMine, true, 0},
    {"my local part at another domain only counts with any domain", "jean@x.org", "", "d.fr,jean",
     kExclNoneOfMine, false, 2},
    {"... and does with it", "jean@x.org", "", "d.fr,jean", kExclNoneOfMine | kExclOtherAnyDomain | kExclNoneAnyDomain,
     true, 0},
    {"several local parts, last one without a comma after it", "marie@d.fr, jean@d.fr", "", "d.fr,jean,marie",
     kExclOtherAddress, true, 0},
    {"typed in capitals", "jean@d.fr", "", "D.FR,Jean", kExclOtherAddress | kExclNoneOfMine, true, 0},
    {"no address at all", "Undisclosed recipients", "", "d.fr,jean", kExclOtherAddress, true, 0},
    {"no address, none of mine", "", "", "d.fr,jean", kExclNoneOfMine, false, 2},
    {"quoted local part is not collected", "\"paul\"@d.fr", "", "d.fr,jean", kExclOtherAddress, true, 0},
    // Texts on which a cut does not shorten anything: the check must end.
    {"a lone at sign", "@x", "", "d.fr,jean", kExclOtherAddress, true, 0},
    {"at signs and separators", "@,@;@ @", "@", "d.fr,jean", kExclNoneOfMine, false, 2},
    {"trailing separators", "paul@d.fr ,;  ", "", "d.fr,jean", kExclOtherAddress, false, 1},
};

TEST(CheckExclusiveRecipients, Cases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const ExclusiveCheck r = CheckExclusiveRecipients(c.to, c.cc, c.destUnique, c.flags);
    EXPECT_EQ(r.Passed, c.passed);
    EXPECT_EQ(r.Result, c.result);
  }
}

}  // namespace
}  // namespace mobrelle
