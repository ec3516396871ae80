// Prints the time to judge one message against the sender, subject and recipient lists, each of
// 1,000 and then 10,000 entries of mixed kinds that do not match (the slowest case: every entry
// is tried), with the special rules and the mailbox's exclusive-recipient rule on.
#include <chrono>
#include <cstdio>
#include <string>

#include "filters/verdicts/judge_message.h"

using namespace mobrelle;

namespace {

FilterList MakeList(int n, bool recipient) {
  static const char* kinds[] = {"\xB6", "~", "\xA7", ""};
  FilterList list;
  for (int i = 0; i < n; ++i) {
    std::string text = kinds[i % 4];
    text += (i % 4 == 3) ? "*spammer" + std::to_string(i) + "*.com" : "offre num\xE9ro " + std::to_string(i);
    list.Entries.push_back({text, recipient ? "L" : "", "g", "N ", "", false});
  }
  return list;
}

}  // namespace

int main() {
  const auto settings = MakeMatchSettings("", "");
  const std::string sender = "jean.dupont@exemple.fr";
  const std::string subject = "r\xE9union de l'\xE9quipe demain matin, ordre du jour et documents";
  const std::string to = "Marie Martin <marie.martin@exemple.fr>, paul@exemple.fr";
  const std::string cc = "secretariat@exemple.fr";
  for (int n : {1000, 10000}) {
    FilterLists lists;
    lists.ListeAdr = MakeList(n, false);
    lists.ListeSuj = MakeList(n, false);
    lists.ListeDest = MakeList(n, true);
    MessageInputs msg;
    msg.Sender = sender;
    msg.Subject = subject;
    msg.To = to;
    msg.Cc = cc;
    const MailboxRule mailbox{"Bench", "exemple.fr,marie.martin,paul,secretariat", "g", 1 | 4};
    VerdictSettings verdicts;
    verdicts.SujetVide = verdicts.DestAVide = verdicts.DestPasArobase = 1;
    const int rounds = n == 1000 ? 500 : 50;
    int caught = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r)
      caught += JudgeMessage(msg, mailbox, lists, settings, verdicts, nullptr, {}).Verdict != ' ';
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / rounds;
    std::printf("three lists of %5d entries: %8.1f us per message (caught %d)\n", n, us, caught);
  }
  return 0;
}
