#pragma once
// The short descriptions of Windows Sockets error codes, which the program shows in its socket error
// texts ("Connection refused (Winsock error #10061)") whatever system it runs on: users and their
// providers' help pages know these numbers.

#include <string>

namespace mobrelle {

inline constexpr int kWsaNoError = 0;
inline constexpr int kWsaAccessDenied = 10013;
inline constexpr int kWsaNotSupported = 10045;
inline constexpr int kWsaAddressInUse = 10048;
inline constexpr int kWsaNetworkDown = 10050;
inline constexpr int kWsaNetworkUnreachable = 10051;
inline constexpr int kWsaConnectionAborted = 10053;
inline constexpr int kWsaConnectionReset = 10054;
inline constexpr int kWsaNoBufferSpace = 10055;
inline constexpr int kWsaTimedOut = 10060;
inline constexpr int kWsaConnectionRefused = 10061;
inline constexpr int kWsaHostUnreachable = 10065;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;

// "Connection refused" for 10061, "No Error" for 0, "Not a WinSock error" for codes it does not know.
std::string WinsockErrorText(int code);

}  // namespace mobrelle
