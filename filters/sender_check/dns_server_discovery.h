#pragma once
// Finding the DNS server the system uses, for a user who left the server field empty.

#include <string>
#include <string_view>

namespace mobrelle {

// The first "nameserver" line of a resolv.conf text that holds a dotted IPv4 address; empty when
// there is none. IPv6 servers are passed over: the MX lookup speaks IPv4 only.
std::string FirstIpv4Nameserver(std::string_view resolvConf);

// The same, read from the file (at most its first 64 KiB); empty when it cannot be read.
std::string DiscoverDnsServer(const std::string& path = "/etc/resolv.conf");

}  // namespace mobrelle
