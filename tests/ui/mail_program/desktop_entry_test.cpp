// Reading desktop entries and mimeapps.list values: groups, escapes, Exec quoting, field codes.
#include "ui/mail_program/desktop_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mobrelle {
namespace {

using Args = std::vector<std::string>;

TEST(DesktopEntry, KeysOfTheDesktopEntryGroupOnly) {
  const std::string file =
      "# a comment\r\n"
      "[Desktop Action compose]\r\n"
      "Exec=wrong --compose\r\n"
      "[Desktop Entry]\r\n"
      "Name=Mail\r\n"
      "Icon[fr]=localised\r\n"
      "  Icon =  mail-client  \r\n"
      "Exec=mymail\\s-x %u\r\n"
      "Exec=second\r\n"
      "[Other]\r\n"
      "Icon=other\r\n";
  const DesktopEntry e = ParseDesktopEntry(file);
  EXPECT_TRUE(e.HasGroup);
  EXPECT_FALSE(e.Hidden);
  EXPECT_EQ(e.Exec, "mymail -x %u");
  EXPECT_EQ(e.Icon, "mail-client");
}

TEST(DesktopEntry, MissingGroupKeysAndHidden) {
  EXPECT_FALSE(ParseDesktopEntry("Exec=mymail\n").HasGroup);
  const DesktopEntry noKeys = ParseDesktopEntry("[Desktop Entry]\nName=x\n");
  EXPECT_TRUE(noKeys.HasGroup);
  EXPECT_FALSE(noKeys.Exec.has_value());
  EXPECT_FALSE(noKeys.Icon.has_value());
  EXPECT_TRUE(ParseDesktopEntry("[Desktop Entry]\nHidden=true\nExec=x\n").Hidden);
  // A key without a value is there, and empty.
  EXPECT_EQ(ParseDesktopEntry("[Desktop Entry]\nIcon=\n").Icon, "");
}

TEST(DesktopEntry, StringEscapes) {
  EXPECT_EQ(UnescapeValue("a\\sb\\tc\\nd\\re\\\\f"), "a b\tc\nd\re\\f");
  EXPECT_EQ(UnescapeValue("keep\\\"this\\"), "keep\\\"this\\");
}

TEST(DesktopEntry, ExecArguments) {
  struct Case {
    std::string exec;  // escapes of the value already undone
    Args expected;
  } cases[] = {
      {"thunderbird %u", {"thunderbird"}},
      {"  evolution   %U  ", {"evolution"}},
      {"\"/opt/My Mail/mm\" --compose=%u -x", {"/opt/My Mail/mm", "--compose=", "-x"}},
      {"mm \"a\\\"b\\\\c\\$d\\`e\"", {"mm", "a\"b\\c$d`e"}},
      {"mm \"%%d\" 100%%", {"mm", "%d", "100%"}},
      {"mm %i %c %k %f %F %d %D %n %N %v %m", {"mm"}},
      {"mm \"\" %z", {"mm", "", "%z"}},  // an empty argument stays; an unknown code is text
      {"flatpak run org.Mail @@u %u @@", {"flatpak", "run", "org.Mail", "@@u", "@@"}},
      {"mm \"unclosed", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(RemoveFieldCodes(SplitExec(c.exec)), c.expected) << c.exec;

  // In the file a backslash inside quotes is written four times: once for the value, once for Exec.
  const DesktopEntry e = ParseDesktopEntry("[Desktop Entry]\nExec=\"/opt/a\\\\\\\\b/mm\" %u\n");
  EXPECT_EQ(SplitExec(*e.Exec), (Args{"/opt/a\\b/mm", "%u"}));
}

TEST(DesktopEntry, BoundedArguments) {
  std::string many;
  for (size_t i = 0; i <= kMaxExecArguments; ++i) many += "a ";
  EXPECT_TRUE(SplitExec(many).empty());
}

TEST(DesktopEntry, MimeAppsLists) {
  std::string line;
  const std::string file =
      "[Added Associations]\nx-scheme-handler/mailto=added.desktop\n"
      "[Default Applications]\nx-scheme-handler/mailtox=no.desktop\n"
      "x-scheme-handler/mailto = a.desktop; ;b.desktop;\n";
  const auto v = KeyFileValue(file, "Default Applications", "x-scheme-handler/mailto", &line);
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(line, "x-scheme-handler/mailto = a.desktop; ;b.desktop;");
  EXPECT_EQ(SplitList(*v), (Args{"a.desktop", "b.desktop"}));
  EXPECT_FALSE(KeyFileValue(file, "Default Applications", "text/html").has_value());
}

}  // namespace
}  // namespace mobrelle
