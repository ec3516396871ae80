#include "tests/support/servers/scripted_smtp_server.h"

#include <cstdio>
#include <filesystem>

namespace mobrelle::test {
namespace {

std::string JsonReply(const std::optional<ScriptedSmtpServer::Reply>& reply) {
  if (!reply) return "null";
  std::string out = "[";
  for (size_t i = 0; i < reply->size(); ++i) out += (i ? ", " : "") + JsonString((*reply)[i]);
  return out + "]";
}

}  // namespace

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

ScriptedSmtpServer::ScriptedSmtpServer() : LoopbackServer("scripted SMTP server") { log_ = dir_.File("server.out"); }

bool ScriptedSmtpServer::Start() {
  if (!Need("/usr/bin/python3", "python3") || !ChoosePort()) return false;
  std::string script = "{\n  \"greeting\": " + JsonReply(greeting_) + ",\n  \"data_end\": " + JsonReply(dataEnd_) +
                       ",\n  \"replies\": {";
  bool first = true;
  for (const auto& [key, reply] : replies_) {
    script += (first ? "\n    " : ",\n    ") + JsonString(key) + ": " + JsonReply(reply);
    first = false;
  }
  script += "\n  }\n}\n";
  WriteFileBytes(dir_.File("script.json"), script);
  std::filesystem::create_directories(dir_.File("record"));
  if (!StartDetached("/usr/bin/python3", {ServerScriptsDir() + "/smtp/scripted_smtp.py", "--address", host_, "--port",
                                          std::to_string(port_), "--script", dir_.File("script.json"), "--record",
                                          dir_.File("record")}))
    return false;
  return WaitListening({{port_, Transport::kTcp}});
}

std::vector<std::string> ScriptedSmtpServer::Messages() const {
  std::vector<std::string> messages;
  for (int n = 1; n < 100000; ++n) {
    const std::string path = dir_.File("record/message-" + std::to_string(n) + ".txt");
    if (!std::filesystem::exists(path)) break;
    messages.push_back(ReadFileBytes(path));
  }
  return messages;
}

}  // namespace mobrelle::test
