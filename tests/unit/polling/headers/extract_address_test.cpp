#include "polling/headers/extract_address.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

TEST(ExtractAddress, LastAddressInLowerCase) {
  struct Case {
    std::string text;
    const char* address;
  };
  const Case cases[] = {
      {"\"John Doe\" <John.Doe@Example.COM>", "john.doe@example.com"},
      {"a-b.c_1@x-y.z_9.fr", "a-b.c_1@x-y.z_9.fr"},
      {"<first+tag@x.com>", "first+tag@x.com"},
      {"bounce-1=user=example.org@lists.x.com", "bounce-1=user=example.org@lists.x.com"},
      {"\"quoted\"@x.com", "\"quoted\"@x.com"},
      {"a@b.com, C@D.org", "c@d.org"},
      {"Jos\xC9 <jos\xC9@x.fr>", "@x.fr"},  // bytes above 0x7F end the local part
      {"<a@b.c>" + std::string(300, 'x'), "a@b.c"},
      {"no address", ""},
      {"@x.com", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractAddress(c.text), c.address) << c.text;
}

}  // namespace
}  // namespace mobrelle
