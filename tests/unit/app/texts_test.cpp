#include "app/core/texts.h"

#include <gtest/gtest.h>

#include "resources/text_table.h"

namespace mobrelle {
namespace {

TEST(Texts, TableIsSortedWithoutDuplicates) {
  auto all = AllTexts();
  ASSERT_FALSE(all.empty());
  for (size_t i = 1; i < all.size(); ++i) EXPECT_LT(all[i - 1].id, all[i].id);
}

TEST(Texts, LookupGivesWindows1252AndTheTranslatorReplacesIt) {
  EXPECT_EQ(Txt(1100), "Pr\xEAt");
  EXPECT_EQ(TxtUtf8(1100), "Prêt");
  EXPECT_EQ(Txt(1002).substr(0, 8), "Jan\r\nFeb");
  EXPECT_EQ(Txt(999999), "");
  SetTextTranslator([](int id, const char* fr) { return id == 1100 ? std::string("Ready") : std::string(fr); });
  EXPECT_EQ(Txt(1100), "Ready");
  EXPECT_EQ(Txt(1013), "Erreur");
  SetTextTranslator({});
  EXPECT_EQ(Txt(1100), "Pr\xEAt");
}

}  // namespace
}  // namespace mobrelle
