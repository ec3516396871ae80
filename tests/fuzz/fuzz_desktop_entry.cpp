// Desktop entries and mimeapps.list files are read from folders anyone with the account may fill;
// the reply address is built from message fields anyone may send. The address must stay one
// recipient and one subject whatever the text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/mail_program/command_line.h"
#include "ui/mail_program/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const mobrelle::DesktopEntry e = mobrelle::ParseDesktopEntry(in);
  if (e.Exec) {
    const auto args = mobrelle::SplitExec(*e.Exec);
    if (args.size() > mobrelle::kMaxExecArguments) std::abort();
    mobrelle::RemoveFieldCodes(args);
  }
  if (e.Icon) mobrelle::IconNumber(*e.Icon);
  if (auto v = mobrelle::KeyFileValue(in, "Default Applications", "x-scheme-handler/mailto")) mobrelle::SplitList(*v);

  const size_t half = size / 2;
  const std::string url = mobrelle::ReplyMailto(in.substr(0, half), in.substr(half));
  size_t questions = 0;
  for (char c : url) {
    if (c == '?') ++questions;
    if (c == '&' || c == '#' || static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F)
      std::abort();
  }
  if (questions != 1) std::abort();
  return 0;
}
