#pragma once
// The text rules of the mail-program commands: the program file named by a registered command line,
// the icon number of an icon value, the filter note cut off message fields, and the "mailto:"
// addresses of a reply and of the support report. Plain C++; texts in Windows-1252 unless said.

#include <string>
#include <string_view>

namespace mobrelle {

// Environment values longer than this count as unset in a command line.
inline constexpr size_t kMaxCommandVariable = 125;

// The existing file that command line `c` starts: the part inside leading double quotes, a leading
// %VAR% expanded, cut at the first ",", then shortened from its end until it names an existing
// regular file (empty when none does). Works on file-system bytes.
std::string ExecutableFromCommand(std::string_view c);

// The icon number after the first "," of an icon value ("file,-5" and "file,5" give 5); 0 without
// a comma or when the (at most two) characters there are not a number.
int IconNumber(std::string_view iconValue);

// The text before the first no-break space (0xA0) followed by "(": the note a check appends to a
// field that matched a filter.
std::string StripFilterNote(std::string_view text);

// Percent-encodes UTF-8 bytes, keeping only the unreserved characters and those in `keep`.
std::string PercentEncode(std::string_view utf8, std::string_view keep = {});

// "mailto:" address + "?subject=Re: " + subject, both Windows-1252 texts without their filter
// notes, converted to UTF-8 and percent-encoded so that no text can add a recipient, a header or a
// body. ASCII result.
std::string ReplyMailto(std::string_view sender, std::string_view subject);

inline constexpr char kSupportAddress[] = "support@mobrelle.invalid";
// The report the Ctrl+Alt diagnostic opens: subject and body of the support mail, encoded.
std::string SupportMailto();

// Text 1057 followed by the command in double quotes, Windows-1252.
std::string LaunchFailureText(std::string_view commandCp1252);

}  // namespace mobrelle
