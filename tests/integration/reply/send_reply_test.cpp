#include "filters/reply/send_reply.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "app/core/cp1252.h"
#include "app/core/ini_file.h"
#include "app/core/status_log.h"
#include "tests/support/servers/postfix_server.h"
#include "tests/support/servers/scripted_smtp_server.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

// Delivery follows the end of the data closely but not at once. The mailbox keeps the lines with
// LF alone; they come back here with CR LF, as they were sent.
std::vector<std::string> AwaitDelivered(const test::PostfixServer& server, const std::string& address) {
  QElapsedTimer t;
  t.start();
  std::vector<std::string> got = server.Delivered(address);
  while (got.empty() && t.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    got = server.Delivered(address);
  }
  for (std::string& m : got) {
    std::string crlf;
    for (char c : m) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    m = crlf;
  }
  return got;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Sent {
  StatusLog log;
  std::vector<std::string> boxes;  // message boxes shown
  void Send(const std::string& code, const ReplyMessage& m, const ReplySettings& s, const IniFile& ini,
            uint16_t port) {
    SendReply(code, m, s, ini, log, [this](const std::string& t) { boxes.push_back(t); }, std::to_string(port));
  }
};

const ReplyMessage kSpam{"Vendeur <spammer@example.test>", "=?iso-8859-1?Q?caf=E9?=",
                         "Alice <alice@one.test>, Bob <bob@two.test>", "carol@three.test"};

TEST(SendReply, ReachesTheSenderThroughPostfix) {
  test::PostfixServer server;
  server.AddMailbox("spammer@example.test");
  server.AddMailbox("me@example.test");
  ASSERT_TRUE(server.Start());
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Mobrelle", "SMTPServeur", server.Host());
  ReplySettings typed;
  typed.Load(ini);
  typed.SMTPServeur = "typed.but.not.saved.invalid";  // the reply uses the saved server
  typed.SpamTexte = "Refus\xE9.\r\n.ligne point\r\nfin";

  Sent s;
  s.Send("oa", kSpam, typed, ini, server.Port());
  EXPECT_TRUE(s.boxes.empty());
  ASSERT_FALSE(s.log.Events().empty());
  EXPECT_EQ(Cp1252ToUtf8(s.log.Events().front()), " Envoi réponse à Vendeur <spammer@example.test>");
  EXPECT_EQ(s.log.Panel(1).substr(0, 5), " 250 ") << s.log.Panel(1);
  const auto got = AwaitDelivered(server, "spammer@example.test");
  ASSERT_EQ(got.size(), 1u);
  const std::string& m = got[0];
  EXPECT_TRUE(Has(m, "Return-Path: <Postmaster@two.test>")) << m;
  EXPECT_TRUE(Has(m, "\r\nFrom: Postmaster@two.test\r\n")) << m;
  EXPECT_TRUE(Has(m, "\r\nSubject: Re:caf\xE9\r\n")) << m;
  EXPECT_TRUE(Has(m, "\r\n\r\nRefus\xE9.\r\n.ligne point\r\nfin\r\n"
                     "Destinataire(s) de votre message: Alice <alice@one.test>, Bob <bob@two.test>\r\n"))
      << m;
  EXPECT_FALSE(Has(m, "Destinataire(s) en copie")) << m;

  // The test message, with the settings as typed and without a reply address: it comes from the
  // address it goes to.
  typed.SMTPServeur = server.Host();
  int asked = 0;
  std::vector<std::string> labels, boxes;
  SmtpTestUi ui;
  ui.AskAddress = [&](const std::string& caption, const std::string& prompt) {
    ++asked;
    EXPECT_EQ(Cp1252ToUtf8(caption), "Destinataire du message de test");
    EXPECT_EQ(Cp1252ToUtf8(prompt), "Votre adresse à laquelle recevoir le test :");
    return std::string("me@example.test");
  };
  ui.SetResponseLabel = [&](const std::string& t) { labels.push_back(t); };
  ui.ShowMessage = [&](const std::string& t) { boxes.push_back(t); };
  // A second press of the button while the first waits on the server is ignored.
  QTimer::singleShot(0, [&] { EXPECT_EQ(TestSmtpSettings(typed, ui, std::to_string(server.Port())), ""); });
  const std::string label = TestSmtpSettings(typed, ui, std::to_string(server.Port()));
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0], "");
  EXPECT_EQ(labels[1].substr(0, 4), "250 ") << labels[1];
  EXPECT_EQ(label, labels[2]);
  EXPECT_EQ(label.substr(0, labels[1].size() + 7), labels[1] + "\r\n250 2") << label;
  EXPECT_EQ(boxes, (std::vector<std::string>{kTextTestSent}));
  const auto test = AwaitDelivered(server, "me@example.test");
  ASSERT_EQ(test.size(), 1u);
  EXPECT_TRUE(Has(test[0], "\r\nFrom: me@example.test\r\nSubject: Test envoi SMTP Mobrelle\r\n")) << test[0];
  EXPECT_TRUE(Has(test[0], std::string("\r\n\r\n") + kTextTestBody + "\r\n")) << test[0];
}

TEST(SendReply, RefusalsAndUnreachableServersOnlyShowTheLastReply) {
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Mobrelle", "SMTPServeur", "127.0.0.1");
  ReplySettings typed;
  typed.Load(ini);

  test::ScriptedSmtpServer refusing;
  refusing.SetReply("RCPT", {"550 5.7.1 we do not take replies"});
  ASSERT_TRUE(refusing.Start());
  Sent s;
  s.Send("vx", kSpam, typed, ini, refusing.Port());
  EXPECT_EQ(s.log.Panel(1), " 550 5.7.1 we do not take replies");
  EXPECT_TRUE(s.boxes.empty());
  const auto lines = refusing.ReceivedLines();
  ASSERT_EQ(lines.size(), 4u) << testing::PrintToString(lines);
  EXPECT_EQ(lines[1], "MAIL FROM:<bob@two.test>");
  EXPECT_EQ(lines[2], "RCPT TO:<spammer@example.test>");
  EXPECT_EQ(lines[3], "QUIT");

  test::ScriptedSmtpServer closing;
  closing.SetGreeting({"421 4.3.2 closing down"});
  ASSERT_TRUE(closing.Start());
  s.Send("oa", kSpam, typed, ini, closing.Port());
  EXPECT_EQ(s.log.Panel(1), " 421 4.3.2 closing down");
  EXPECT_TRUE(closing.ReceivedLines().empty());

  const uint16_t port = closing.Port();
  closing.Stop();
  s.Send("oa", kSpam, typed, ini, port);
  EXPECT_EQ(s.log.Panel(1), " 500 Connection refused (Winsock error #10061)");
  EXPECT_TRUE(s.boxes.empty());
  EXPECT_EQ(s.log.Events().size(), 3u);

  // A code that asks for no reply sends nothing.
  s.Send("N ", kSpam, typed, ini, refusing.Port());
  s.Send("", kSpam, typed, ini, refusing.Port());
  EXPECT_EQ(refusing.ReceivedLines().size(), 4u);
  EXPECT_EQ(s.log.Events().size(), 3u);
}

TEST(SendReply, SpecificAddressLeftEmptyAndBodyExactlyTheMemo) {
  test::ScriptedSmtpServer server;
  ASSERT_TRUE(server.Start());
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Mobrelle", "SMTPServeur", server.Host());
  ReplySettings typed;
  typed.Load(ini);
  Sent s;
  s.Send("s ", kSpam, typed, ini, server.Port());
  const auto lines = server.ReceivedLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 5), "HELO ");
  EXPECT_EQ(lines[1], "MAIL FROM:<>");
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  const std::string& m = messages[0];
  EXPECT_FALSE(Has(m, "From:")) << m;
  const size_t body = m.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(m.substr(body + 4), std::string(kDefaultSpamText) + "\r\n") << m;
}

TEST(TestSmtpSettings, CancelledAndRefused) {
  test::ScriptedSmtpServer closing;
  closing.SetGreeting({"421 4.3.2 closing down"});
  ASSERT_TRUE(closing.Start());
  ReplySettings typed;
  typed.SMTPServeur = closing.Host();
  typed.SMTPExped = "reply@me.test";
  std::vector<std::string> labels, boxes;
  std::string answer;
  SmtpTestUi ui;
  ui.AskAddress = [&](const std::string&, const std::string&) { return answer; };
  ui.SetResponseLabel = [&](const std::string& t) { labels.push_back(t); };
  ui.ShowMessage = [&](const std::string& t) { boxes.push_back(t); };
  int busy = 0;
  ui.SetBusyCursor = [&](bool on) { busy += on ? 1 : -1; };

  EXPECT_EQ(TestSmtpSettings(typed, ui, std::to_string(closing.Port())), "");
  EXPECT_EQ(labels, (std::vector<std::string>{""}));
  EXPECT_TRUE(boxes.empty());

  answer = "me@home.test";
  labels.clear();
  const std::string label = TestSmtpSettings(typed, ui, std::to_string(closing.Port()));
  EXPECT_EQ(label.rfind("421 4.3.2 closing down\r\n", 0), 0u) << label;
  EXPECT_EQ(boxes, (std::vector<std::string>{kTextTestSent}));
  EXPECT_EQ(busy, 0);
  EXPECT_TRUE(closing.ReceivedLines().empty());
}

}  // namespace
}  // namespace mobrelle
