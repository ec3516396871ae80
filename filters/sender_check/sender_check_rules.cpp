#include "filters/sender_check/sender_check_rules.h"

namespace mobrelle {

namespace {
constexpr int kRcodeNoError = 0;
constexpr int kRcodeNameError = 3;
constexpr uint16_t kTypeMx = 15;
constexpr uint16_t kUnusablePreference = 100;  // exchangers from here on are never used
}  // namespace

bool SenderCheckRejects(int result, int conditions) {
  if (result == kSenderUnknown) return conditions == 0 || conditions == 2;
  if (result == kSenderNoExchanger) return conditions == 1 || conditions == 2;
  return false;
}

MxChoice ChooseMailExchanger(const DnsResponse& r) {
  MxChoice choice;
  if (r.tc) return choice;  // a cut answer may have lost the exchangers
  if (r.rcode == kRcodeNameError) {
    choice.kind = MxChoice::Kind::NoExchanger;
    return choice;
  }
  if (r.rcode != kRcodeNoError) return choice;
  uint16_t best = kUnusablePreference;
  bool found = false;
  for (const DnsAnswer& a : r.answers) {
    // The tag indexes the table of the answer's own type: only MX answers point into the MX table.
    if (a.type != kTypeMx || a.tag < 0 || static_cast<size_t>(a.tag) >= r.mx.size()) continue;
    const DnsMx& mx = r.mx[static_cast<size_t>(a.tag)];
    if (mx.preference < best) {
      best = mx.preference;
      choice.host = mx.exchange;
      found = true;
    }
  }
  // An exchanger named "." (RFC 7505) says the domain takes no mail.
  choice.kind = found && !choice.host.empty() ? MxChoice::Kind::Probe : MxChoice::Kind::NoExchanger;
  if (choice.kind != MxChoice::Kind::Probe) choice.host.clear();
  return choice;
}

const char* SenderCheckStatusText(int result) {
  if (result == kSenderExists) return kTextAddressOk;
  if (result == kSenderUnknown) return kTextAddressWrong;
  return kTextAddressNotVerified;
}

std::string DnsTestText(bool internetOk, const std::string& discovered) {
  if (!internetOk) return "Test impossible :\r\nPas de connexion Internet active";
  if (!discovered.empty())
    return "Un DNS a \xE9t\xE9 trouv\xE9 automatiquement : " + discovered + "\r\nLa zone doit donc rester vide";
  return "Aucun DNS trouv\xE9. Il faut remplir la zone requise";
}

}  // namespace mobrelle
