#pragma once
// DNS messages of the MX lookup: the query we send and the decoding of the answer datagram.
// Plain C++ so that hostile datagrams can be fuzzed without a socket.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mobrelle {

inline constexpr size_t kDnsMaxAnswers = 50;
inline constexpr size_t kDnsMaxMx = 50;
inline constexpr size_t kDnsMaxA = 50;
inline constexpr size_t kDnsMaxPtr = 10;

struct DnsAnswer {
  std::string name;
  uint16_t type = 0;
  uint16_t cls = 0;
  uint32_t ttl = 0;
  int tag = -1;  // index in the MX, A or PTR table; -1 for other types or a full table
};

struct DnsMx {
  uint16_t preference = 0;
  std::string exchange;
};

struct DnsResponse {
  size_t length = 0;
  uint16_t id = 0;
  int opcode = 0, rcode = 0;
  bool aa = false, tc = false, ra = false;
  uint16_t qdcount = 0, ancount = 0, nscount = 0, arcount = 0;
  std::vector<DnsAnswer> answers;
  std::vector<DnsMx> mx;
  std::vector<uint32_t> a;  // IPv4 addresses, first byte in the high bits
  std::vector<std::string> ptr;
};

// The MX query for `domain` with id `id`: RD set, one question, class IN. Labels are not checked.
std::string EncodeMxQuery(uint16_t id, const std::string& domain);

// Decodes the name at `pos` of the message; `pos` moves past it (past the first pointer when the
// name is compressed). Never reads outside the message; a pointer out of range or to a place
// already visited ends the name.
std::string DecodeDnsName(const uint8_t* msg, size_t size, size_t& pos);

// Decodes a response datagram. False when it is to be ignored (shorter than a header, or not a
// response); a truncated or malformed body still gives true with what could be read.
bool DecodeDnsResponse(const uint8_t* msg, size_t size, DnsResponse& out);

}  // namespace mobrelle
