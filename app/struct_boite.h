#pragma once
// The record of one mailbox account, attached to its row of the mailbox list.

#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "polling/pop3/sync_pop3_cli.h"

namespace mobrelle {

struct structBoite {
  std::unique_ptr<TSyncPop3Cli> Client;  // host, port, user name, clear password, reply timeout
  std::unique_ptr<QTimer> Timer;         // polling timer; its "tag" property holds Client
  std::string Pop3Mdp;                   // the password in clear text
  bool Pop3Demar = true;                 // checked by the start-up census
  bool Pop3APOP = false;                 // APOP login
  int32_t IntervalSeconds = 300;         // the timer's interval; 0 or less: it never fires

  // Keys the program never sets itself but keeps when the user wrote them, through every rewrite
  // of the section: the reply timeout and a port other than the POP3 service.
  std::optional<int32_t> TimeOutKey;
  std::optional<int32_t> Pop3PortKey;
};

// What the mailbox editor hands over to create or modify an account (Windows-1252 texts).
struct MailboxFields {
  std::string Label;
  std::string UserName;
  std::string Host;
  std::string Password;
  std::string IntervalText;             // as typed; the editor checked it is numeric
  std::string Domain;                   // exclusive recipients: empty means the rule is off
  std::vector<std::string> LocalParts;  // authorised local parts, in list order
  int TypeRejet = 2;                    // 0..2: "Rejeter d'office", "Détruire...", "Garder..."
  bool Rule1 = false, Rule1AnyDomain = false, Rule2 = false, Rule2AnyDomain = false;
  bool Pop3Demar = true;
  bool Pop3APOP = false;
};

}  // namespace mobrelle
