// MIME decoding throughput: our decoder and GMime 3 parse the same messages and decode every part's
// content into memory. Usage: bench_mime [FILE_OR_FOLDER...] (default: the test messages plus
// generated ones: text, quoted-printable, base64 attachments, nested multiparts), repeated to about
// 50 MB. Ours and the peer run in turn in the same process; the best round of each counts.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inspect/mime/mime_decode.h"

#ifdef MOBRELLE_HAVE_GMIME
#include <gmime/gmime.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void AddPath(const std::filesystem::path& path, std::vector<std::string>& out) {
  if (std::filesystem::is_directory(path)) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(path))
      if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) out.push_back(ReadFile(f));
  } else {
    out.push_back(ReadFile(path));
  }
}

std::string CrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 40);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

struct Random {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state >> 32);
  }
};

std::string Base64Lines(size_t bytes, Random& r) {
  static const char* a = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < bytes; i += 3) {
    const uint32_t v = r.Next();
    for (int k = 0; k < 4; ++k) out += a[(v >> (6 * k)) & 63];
    column += 4;
    if (column == 76) {
      out += "\r\n";
      column = 0;
    }
  }
  return out + "\r\n";
}

std::string Words(size_t bytes, Random& r, bool qp) {
  static const char* words[] = {"le", "courrier", "arrive", "demain", "caf=E9", "cr=E8me", "message", "pour", "vous",
                                "Mobrelle", "serveur", "the", "report", "attached", "=3D", "regards"};
  std::string out, line;
  while (out.size() < bytes) {
    std::string w = words[r.Next() % 16];
    if (!qp && w.find('=') != std::string::npos) w = "mot";
    if (line.size() + w.size() + 1 > 72) {
      out += line + (qp && r.Next() % 2 ? "=\r\n" : "\r\n");
      line.clear();
    }
    line += w + " ";
  }
  return out + line + "\r\n";
}

std::vector<std::string> GeneratedMessages() {
  Random r;
  std::vector<std::string> out;
  const std::string header =
      "Return-Path: <sender@example.org>\r\nReceived: from mx.example.org by pop.example.net; Tue, 15 Nov 1994 "
      "08:12:31 -0800\r\nFrom: =?ISO-8859-1?Q?Ren=E9?= <sender@example.org>\r\nTo: someone@example.net\r\n"
      "Subject: =?UTF-8?B?w4l0w6k=?= report\r\nDate: Tue, 15 Nov 1994 08:12:31 -0800\r\nMIME-Version: 1.0\r\n";
  for (int i = 0; i < 40; ++i) {
    // Plain text mails.
    out.push_back(header + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + Words(2000 + r.Next() % 8000, r, false));
    // Text and HTML alternatives in quoted-printable.
    out.push_back(header + "Content-Type: multipart/alternative; boundary=\"=_alt\"\r\n\r\nThis is MIME.\r\n--=_alt\r\n"
                  "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
                  Words(3000 + r.Next() % 5000, r, true) +
                  "--=_alt\r\nContent-Type: text/html; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n<p>" +
                  Words(6000 + r.Next() % 8000, r, true) + "</p>\r\n--=_alt--\r\n");
    // Mixed: text, nested alternative, base64 attachment.
    out.push_back(header + "Content-Type: multipart/mixed;\r\n\tboundary=\"----=_Part_1\"\r\n\r\n------=_Part_1\r\n"
                  "Content-Type: multipart/alternative; boundary=\"----=_Part_2\"\r\n\r\n------=_Part_2\r\n"
                  "Content-Type: text/plain; charset=utf-8\r\n\r\n" + Words(1500, r, false) +
                  "------=_Part_2--\r\n\r\n------=_Part_1\r\nContent-Type: application/pdf; name=\"Report.pdf\"\r\n"
                  "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"Report.pdf\"\r\n\r\n" +
                  Base64Lines(20000 + r.Next() % 200000, r) + "------=_Part_1--\r\n");
  }
  return out;
}

struct Result {
  double seconds = 1e30;
  uint64_t decoded = 0;
  uint64_t parts = 0;
};

Result RunOurs(const std::vector<std::string>& corpus) {
  Result res;
  mobrelle::TMimeDecode d;
  std::string sink;
  d.DecodedSink = &sink;
  d.OnPartEnd = [&] {
    res.decoded += sink.size();
    ++res.parts;
    sink.clear();
  };
  const auto t0 = Clock::now();
  for (const std::string& m : corpus) d.DecodeBytes(m);
  res.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  return res;
}

#ifdef MOBRELLE_HAVE_GMIME
void DecodePart(GMimeObject*, GMimeObject* part, gpointer data) {
  auto* res = static_cast<Result*>(data);
  if (!GMIME_IS_PART(part)) return;
  GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
  ++res->parts;
  if (!content) return;
  GMimeStream* out = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(content, out);
  res->decoded += g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out))->len;
  g_object_unref(out);
}

Result RunGmime(const std::vector<std::string>& corpus) {
  Result res;
  const auto t0 = Clock::now();
  for (const std::string& m : corpus) {
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(m.data(), m.size());
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    if (message) {
      (void)g_mime_message_get_subject(message);
      g_mime_message_foreach(message, DecodePart, &res);
      g_object_unref(message);
    }
    g_object_unref(parser);
    g_object_unref(stream);
  }
  res.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  return res;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> messages;
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) AddPath(argv[i], messages);
  } else {
    AddPath(std::filesystem::path(MOBRELLE_SOURCE_DIR) / "tests/fixtures/mail", messages);
    for (auto& m : GeneratedMessages()) messages.push_back(std::move(m));
  }
  for (auto& m : messages) m = CrLf(m);  // as a POP3 server sends them
  uint64_t one = 0;
  for (const auto& m : messages) one += m.size();
  if (one == 0) {
    std::fprintf(stderr, "no messages\n");
    return 1;
  }
  std::vector<std::string> corpus;
  uint64_t bytes = 0;
  while (bytes < 50'000'000) {
    for (const auto& m : messages) corpus.push_back(m);
    bytes += one;
  }
  std::printf("corpus: %zu messages, %.1f MB\n", corpus.size(), bytes / 1e6);

#ifdef MOBRELLE_HAVE_GMIME
  g_mime_init();
#endif
  Result ours, peer;
  for (int round = 0; round < 5; ++round) {
    Result o = RunOurs(corpus);
    if (o.seconds < ours.seconds) ours = o;
#ifdef MOBRELLE_HAVE_GMIME
    Result g = RunGmime(corpus);
    if (g.seconds < peer.seconds) peer = g;
#endif
  }
  auto show = [&](const char* name, const Result& r) {
    std::printf("%-8s %8.1f MB/s %9.0f messages/s  (%llu parts, %.1f MB decoded)\n", name, bytes / r.seconds / 1e6,
                corpus.size() / r.seconds, static_cast<unsigned long long>(r.parts), r.decoded / 1e6);
  };
  show("ours", ours);
#ifdef MOBRELLE_HAVE_GMIME
  show("GMime", peer);
  std::printf("ratio ours/GMime: %.2f\n", peer.seconds / ours.seconds);
  g_mime_shutdown();
#else
  std::printf("GMime not built in: no ratio\n");
#endif
  return 0;
}
