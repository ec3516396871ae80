#pragma once
// Reading POP3 server replies: status, the numbers and the unique id they carry, the greeting's APOP
// timestamp and the dot rules of multi-line replies. Plain C++ so it can be fuzzed; every function
// works on one received line (without its CR LF) and never reads past it.

#include <cstdint>
#include <string>
#include <string_view>

namespace mobrelle {

// A reply is positive when it starts with '+' ("+OK ..."); anything else counts as a refusal.
bool IsPositiveReply(std::string_view line);

// The two numbers of a STAT or LIST n reply ("+OK 2 320"). Both are 0 when the line holds no digit or
// nothing after the first number; the second is 0 when what follows does not start with a digit.
// Numbers too large for 64 bits stop at the largest value instead of wrapping.
struct Pop3Numbers {
  int64_t first = 0;
  int64_t second = 0;
};
Pop3Numbers ExtractNumbers(std::string_view line);

// The message number and unique id of a UIDL n reply ("+OK 3 abc"): the id is the run of printable
// characters (0x21 to 0x7E) after the number and its spaces. Number 0 and empty id when there is no digit.
struct Pop3Uid {
  int64_t number = 0;
  std::string uid;
};
Pop3Uid ExtractUid(std::string_view line);

// The APOP timestamp of a greeting: from the first '<' through the first '>' after it. Empty when the
// greeting has none.
std::string ApopTimestamp(std::string_view greeting);

// One line of a TOP or RETR reply. `End` is the lone "." that closes the reply; otherwise the line is
// returned as the message holds it (a leading doubled dot loses one dot): `line` is a view of the
// reply's line and is left viewing the unstuffed text.
enum class MultiLineKind { Line, End };
MultiLineKind UnstuffLine(std::string_view& line);

// A command as the trace may show it: the password of PASS and the digest of APOP are masked.
std::string TraceOfCommand(std::string_view command);

// Clamps a 64-bit count into an int for the properties that are ints.
int ClampToInt(int64_t value);

}  // namespace mobrelle
