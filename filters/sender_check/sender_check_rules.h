#pragma once
// What the nonexistent-sender check decides from a DNS answer and a result, and the texts it shows.
// Texts are Windows-1252.

#include <string>

#include "filters/dns/dns_message.h"

namespace mobrelle {

// Values of the check's result.
inline constexpr int kSenderExists = 1;
inline constexpr int kSenderNotVerified = 0;
inline constexpr int kSenderUnknown = -1;       // the mail exchanger refused the address
inline constexpr int kSenderNoExchanger = -2;   // the domain has no usable mail exchanger

// Whether `result` rejects under `conditions` (0 unknown address, 1 no exchanger, 2 both).
bool SenderCheckRejects(int result, int conditions);

// What an MX answer leads to. Only an answer that says the domain does not exist, or that it has no
// exchanger of preference below 100, condemns the domain; an answer that failed or was cut proves
// nothing about it.
struct MxChoice {
  enum class Kind { Probe, NoExchanger, NotVerified };
  Kind kind = Kind::NotVerified;
  std::string host;  // for Probe: the exchanger of lowest preference, the first among equals
};
MxChoice ChooseMailExchanger(const DnsResponse& response);

// The status bar texts and the alert's frame text.
inline constexpr char kTextTesting[] = "Teste l'existence de ";
inline constexpr char kTextAddressOk[] = "Adresse OK";
inline constexpr char kTextAddressWrong[] = "Adresse FAUSSE";
inline constexpr char kTextAddressNotVerified[] = "Adresse non v\xE9rifi\xE9" "e";
inline constexpr char kTextNonexistentSenderFrame[] =
    "Interception d'un message dont l'exp\xE9" "diteur est inexistant";

// Status text for a result.
const char* SenderCheckStatusText(int result);

// What the "Tester" button of the DNS server group shows, given whether the internet connection
// test passed and the server discovered (only looked at when it did).
std::string DnsTestText(bool internetOk, const std::string& discovered);

}  // namespace mobrelle
