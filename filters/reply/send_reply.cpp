#include "filters/reply/send_reply.h"

#include "app/core/status_log.h"
#include "filters/smtp/smtp_client.h"

namespace mobrelle {

namespace {

constexpr int kStepSeconds = 15;

void Prepare(SmtpClient& client, const ReplyMail& mail, const std::string& server, const std::string& id,
             const std::string& port) {
  client.Host = server;
  client.Port = port;
  client.Username = id;
  client.Timeout = kStepSeconds;
  client.FromAddr = mail.from;
  client.Message.from = mail.from;
  client.Message.subject = mail.subject;
  client.Message.lines = mail.lines;
  client.RcptName = {mail.recipient};
}

}  // namespace

void SendReply(const std::string& code, const ReplyMessage& message, const ReplySettings& current, const IniFile& ini,
               StatusLog& log, const ShowMessageFn& showMessage, const std::string& port) {
  // Only codes that ask for a reply; the caller filters them too.
  if (code.empty() || code[0] == 'N') return;
  try {
    const ReplyMail mail = ComposeReply(code, message, current.SpamTexte, current.SMTPExped);
    SmtpClient client;
    Prepare(client, mail, SavedSmtpServer(ini), SavedSmtpId(ini), port);
    log.ShowStatus(0, kTextSendingReply + message.sender);
    // A refused step simply leaves the reply undelivered; the server's last word tells why.
    if (client.Open()) client.Mail();
    if (!client.LastResponse().empty()) log.ShowStatus(1, client.LastResponse());
    client.Quit();
  } catch (...) {
    if (showMessage) showMessage(kTextSmtpError);
  }
}

std::string TestSmtpSettings(const ReplySettings& typed, const SmtpTestUi& ui, const std::string& port) {
  static bool running = false;  // the button's handler can run again inside the wait
  if (running) return {};
  std::string label;
  auto setLabel = [&](const std::string& text) {
    label = text;
    if (ui.SetResponseLabel) ui.SetResponseLabel(label);
  };
  setLabel("");
  const std::string recipient = ui.AskAddress ? ui.AskAddress(kTextTestCaption, kTextTestPrompt) : std::string();
  if (recipient.empty()) return label;
  struct Running {
    Running() { running = true; }
    ~Running() { running = false; }
  } guard;
  if (ui.SetBusyCursor) ui.SetBusyCursor(true);
  try {
    SmtpClient client;
    Prepare(client, ComposeTestMail(recipient, typed.SMTPExped), typed.SMTPServeur, typed.SMTPId, port);
    client.Open();
    setLabel(client.LastResponse());
    client.Mail();
    setLabel(label + "\r\n" + client.LastResponse());
    client.Quit();
    if (ui.ShowMessage) ui.ShowMessage(kTextTestSent);
  } catch (...) {
    if (ui.ShowMessage) ui.ShowMessage(kTextSmtpError);
  }
  if (ui.SetBusyCursor) ui.SetBusyCursor(false);
  return label;
}

}  // namespace mobrelle
