#pragma once
// Whether the machine has a network connection that can reach the internet.

namespace mobrelle {

class StatusLog;

// True at once when the check is switched off ("TestInternet"). Otherwise logs the wait and answers
// whether a network interface other than loopback is up with an address.
bool InternetAvailable(bool testInternet, StatusLog& log);

// The test itself, without the setting and the log.
bool HasNetworkConnection();

}  // namespace mobrelle
