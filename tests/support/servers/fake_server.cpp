#include "tests/support/servers/fake_server.h"

#include <filesystem>

namespace mobrelle::test {

FakeServer::FakeServer(Mode mode) : LoopbackServer("fake server"), mode_(mode) { log_ = dir_.File("server.out"); }

void FakeServer::SetReply(const std::string& bytes, bool keepOpen, bool afterFirstLine) {
  WriteFileBytes(dir_.File("reply.bin"), bytes);
  keepOpen_ = keepOpen;
  afterFirstLine_ = afterFirstLine;
}

bool FakeServer::Start() {
  if (!Need("/usr/bin/python3", "python3") || !ChoosePort()) return false;
  static const char* const kModes[] = {"silent",       "greet-silent", "garbage",   "drop-mid-top",
                                       "long-line",    "quit-open",    "reply-file"};
  std::vector<std::string> args = {ServerScriptsDir() + "/fake/fake_server.py",
                                   "--address", host_, "--port", std::to_string(port_),
                                   "--mode", kModes[static_cast<int>(mode_)],
                                   "--log", dir_.File("received.log"),
                                   "--greeting", greeting_,
                                   "--line-bytes", std::to_string(longLine_)};
  if (mode_ == Mode::kReplyFile) {
    if (!std::filesystem::exists(dir_.File("reply.bin"))) WriteFileBytes(dir_.File("reply.bin"), "");
    args.insert(args.end(), {"--reply-file", dir_.File("reply.bin")});
    if (keepOpen_) args.push_back("--keep-open");
    if (afterFirstLine_) args.push_back("--first-line");
  }
  if (!StartDetached("/usr/bin/python3", args)) return false;
  return WaitListening({{port_, Transport::kTcp}});
}

}  // namespace mobrelle::test
