// "mobrelle --check" run as a user's script would: the program against a real Dovecot.
#include <gtest/gtest.h>

#include <QProcess>

#include "app/core/ini_file.h"
#include "app/mailbox_list_model.h"
#include "app/single_instance.h"
#include "tests/support/servers/dovecot_server.h"
#include "tests/support/temp_dir.h"

namespace mobrelle::test {
namespace {

struct CheckRun {
  int code = -1;
  std::string out, err;
};

CheckRun RunCheck(const std::string& home) {
  QProcess p;
  p.start(MOBRELLE_BIN_DIR "/mobrelle", {"--home", QString::fromStdString(home), "--check"});
  CheckRun r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

class HeadlessCheckTest : public ::testing::Test {
 protected:
  void AddMailbox(const std::string& label, const std::string& user, uint16_t port) {
    IniFile ini(home.File("Mobrelle.ini"));
    MailboxListModel boxes(ini);
    boxes.LoadAll({});
    MailboxFields f;
    f.Label = label;
    f.UserName = user;
    f.Host = "127.0.0.1";
    f.Password = "pw";
    f.IntervalText = "300";
    ASSERT_TRUE(boxes.Create(f));
    ini.WriteInteger(label, "Pop3Port", port);
  }

  TempDir home;
};

TEST_F(HeadlessCheckTest, ListsKeptMessagesRejectsSpamAndSavesTheLists) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddMessage("jean", "Return-Path: <promo@spam.test>\r\nFrom: promo@spam.test\r\nTo: jean@maison.test\r\n"
                            "Subject: Gagnez\r\n\r\nx\r\n");
  server.AddMessage("jean", "From: Marie <marie@amis.test>\r\nTo: jean@maison.test\r\nSubject: =?utf-8?Q?Caf=C3=A9?= "
                            "dimanche\r\nDate: Thu, 10 Dec 2026 08:00:00 +0100\r\n\r\nx\r\n");
  server.AddMessage("jean", "From: news@liste.test\r\nTo: jean@maison.test\r\nSubject: offre du jour\r\n\r\nx\r\n");
  ASSERT_TRUE(server.Start());
  AddMailbox("Maison", "jean", server.Port());
  // Reject at once, and ask then delete: the countdown settles it.
  WriteFileBytes(home.File("Mobrelle.rej"), "\xB6promo,R,N ,,R\r\n");
  WriteFileBytes(home.File("Mobrelle.rjs"), "\xB6offre,d,N ,4,R\r\n");

  const CheckRun r = RunCheck(home.Path());
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("\tpromo@"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1\tmarie <marie@amis.test>\tCaf\xC3\xA9 dimanche\t10/12/2026 08:00:00\t"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\tMaison\t"), std::string::npos);
  EXPECT_NE(r.out.find("== Maison: 1 listed, 2 rejected\n"), std::string::npos) << r.out;
  EXPECT_EQ(server.MessageCount("jean"), 1u);
  const std::string history = ReadFileBytes(home.File("Mobrelle.his"));
  EXPECT_NE(history.find("promo@spam.test"), std::string::npos) << history;
  EXPECT_NE(history.find("offre du jour"), std::string::npos) << history;
  EXPECT_NE(ReadFileBytes(home.File("Mobrelle.rjs")).find(",5,"), std::string::npos);
  // A script run does not count as a first start of the window.
  EXPECT_EQ(IniFile(home.File("Mobrelle.ini")).ReadString("Mobrelle", "Version", ""), "");

  // Again: the kept message is listed again, nothing more is rejected.
  const CheckRun again = RunCheck(home.Path());
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_NE(again.out.find("== Maison: 1 listed, 0 rejected\n"), std::string::npos) << again.out;
}

TEST_F(HeadlessCheckTest, UnreachableMailboxAndRunningWindow) {
  AddMailbox("Partie", "jean", 1);  // nothing listens on port 1 of loopback
  CheckRun r = RunCheck(home.Path());
  EXPECT_EQ(r.code, 1) << r.out << r.err;
  EXPECT_NE(r.out.find("== Partie: not reached: "), std::string::npos) << r.out;

  SingleInstance window(QString::fromStdString(home.Path()));
  ASSERT_TRUE(window.Acquire());
  r = RunCheck(home.Path());
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("Mobrelle is running"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace mobrelle::test
