#include "inspect/mime/mime_decode.h"

#include <cstring>
#include <fstream>
#include <istream>

#include "inspect/mime/header_values.h"
#include "inspect/mime/transfer_decoding.h"

namespace mobrelle {

using mime::AsciiLower;
using mime::AsciiLowerCase;
using mime::HeaderName;
using mime::ReadParameters;
using mime::ReadToken;
using mime::StartsWithNoCase;
using mime::WithoutAngleBrackets;

namespace {

constexpr size_t kBlockSize = 64 * 1024;

// The text after the colon and the blanks that follow it.
std::string_view RawValue(std::string_view line, size_t colon) {
  size_t i = colon + 1;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return line.substr(i);
}

bool Contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

// A "begin" line that is really a "-- cut here --" marker line of some mail programs.
bool IsCutHereLine(std::string_view line) { return Contains(line, "--") && Contains(AsciiLowerCase(line), "cut here"); }

}  // namespace

void TMimeDecode::DecodeStream(std::istream& stream) {
  Start();
  std::string block(kBlockSize, '\0');
  while (stream) {
    stream.read(block.data(), static_cast<std::streamsize>(block.size()));
    const auto got = static_cast<size_t>(stream.gcount());
    if (got == 0) break;
    Feed(block.data(), got);
  }
  Finish();
}

void TMimeDecode::DecodeBytes(std::string_view message) {
  Start();
  Feed(message.data(), message.size());
  Finish();
}

bool TMimeDecode::DecodeFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  DecodeStream(in);
  return true;
}

void TMimeDecode::Start() {
  for (std::string* s : {&hdrFrom_, &hdrTo_, &hdrSubject_, &hdrDate_, &hdrReturnPath_, &hdrMimeVersion_, &hdrEncoding_,
                         &hdrContentType_, &hdrCharset_, &hdrName_, &hdrDisposition_, &hdrFileName_, &boundary_,
                         &partContentType_, &partName_, &partCharset_, &partEncoding_, &partDisposition_,
                         &partFileName_, &partContentId_, &carry_, &pending_})
    s->clear();
  headerLines_.clear();
  nestedBoundaries_.clear();
  partNumber_ = 0;
  endOfMime_ = false;
  handler_ = Handler::MessageHeader;
  unfolding_ = true;
  headerBegun_ = partHeaderBegun_ = partBodyBegun_ = false;
  inUuFile_ = inInlineFile_ = false;
  hasPending_ = pendingCr_ = false;
}

void TMimeDecode::Feed(const char* data, size_t size) {
  const char* p = data;
  const char* const end = data + size;
  while (p < end) {
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!lf) {
      carry_.append(p, static_cast<size_t>(end - p));
      return;
    }
    const char* line = p;
    size_t n = static_cast<size_t>(lf - p);
    if (!carry_.empty()) {
      carry_.append(p, n);
      line = carry_.data();
      n = carry_.size();
    }
    const bool hadCr = n > 0 && line[n - 1] == '\r';
    TakeLine(line, hadCr ? n - 1 : n, hadCr);
    carry_.clear();
    p = lf + 1;
  }
}

void TMimeDecode::Finish() {
  if (!carry_.empty()) {
    std::string last;
    last.swap(carry_);
    TakeLine(last.data(), last.size(), false);
  }
  if (hasPending_) {
    hasPending_ = false;
    HandleLine(pending_);
  }
  if (boundary_.empty() || partBodyBegun_) {
    if (OnPartEnd) OnPartEnd();
  }
  if (OnMessageEnd) OnMessageEnd();
}

// Header lines are held back one line, so that a following line that starts with a blank can be
// joined to them: its CR, LF and first blank each become a space.
void TMimeDecode::TakeLine(const char* data, size_t size, bool hadCr) {
  if (hasPending_) {
    if (size > 0 && (data[0] == ' ' || data[0] == '\t')) {
      pending_.append(pendingCr_ ? 3 : 2, ' ');
      pending_.append(data + 1, size - 1);
      pendingCr_ = hadCr;
      return;
    }
    hasPending_ = false;
    HandleLine(pending_);
  }
  if (unfolding_ && size > 0) {
    pending_.assign(data, size);
    pendingCr_ = hadCr;
    hasPending_ = true;
    return;
  }
  HandleLine(std::string_view(data, size));
}

void TMimeDecode::HandleLine(std::string_view line) {
  // Lines are text: a NUL ends them.
  if (const void* nul = std::memchr(line.data(), '\0', line.size()))
    line = line.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - line.data()));
  switch (handler_) {
    case Handler::MessageHeader: ProcessHeaderLine(line); break;
    case Handler::SingleBody: ProcessMessageLine(line); break;
    case Handler::WaitBoundary: ProcessWaitBoundary(line); break;
    case Handler::PartHeader: ProcessPartHeaderLine(line); break;
    case Handler::PartBody: ProcessPartLine(line); break;
  }
}

void TMimeDecode::ProcessHeaderLine(std::string_view line) {
  if (line.empty()) {
    unfolding_ = false;
    if (OnHeaderEnd) OnHeaderEnd();
    if (!boundary_.empty()) {
      BeginPartBody();  // the preamble is part 0
      handler_ = Handler::WaitBoundary;
    } else {
      handler_ = Handler::SingleBody;
    }
    return;
  }
  if (!headerBegun_) {
    headerBegun_ = true;
    if (OnHeaderBegin) OnHeaderBegin();
  }
  size_t end = 0;
  const std::string name = HeaderName(line, end);
  if (end < line.size() && line[end] == ':') {
    const std::string_view value = RawValue(line, end);
    if (name == "from") {
      hdrFrom_ = value;
    } else if (name == "to") {
      hdrTo_ = value;
    } else if (name == "subject") {
      hdrSubject_ = value;
    } else if (name == "date") {
      hdrDate_ = value;
    } else if (name == "return-path") {
      hdrReturnPath_ = WithoutAngleBrackets(value);
    } else if (name == "mime-version") {
      hdrMimeVersion_ = value;
    } else if (name == "content-transfer-encoding") {
      size_t pos = 0;
      hdrEncoding_ = ReadToken(value, pos);
    } else if (name == "content-type") {
      size_t pos = 0;
      hdrContentType_ = ReadToken(value, pos);
      ReadParameters(value, pos, false, [this](const std::string& param, std::string& v) {
        if (param == "charset") {
          hdrCharset_ = std::move(v);
        } else if (param == "name") {
          hdrName_ = std::move(v);
        } else if (param == "boundary") {
          boundary_ = "--" + AsciiLowerCase(v);
        }
        return true;
      });
    } else if (name == "content-disposition") {
      size_t pos = 0;
      hdrDisposition_ = ReadToken(value, pos);
      ReadParameters(value, pos, false, [this](const std::string& param, std::string& v) {
        if (param == "filename") hdrFileName_ = std::move(v);
        return true;
      });
    }
  }
  headerLines_.emplace_back(line);
  if (OnHeaderLine) OnHeaderLine(line);
}

void TMimeDecode::BeginPartBody() {
  partBodyBegun_ = true;
  if (OnPartBegin) OnPartBegin();
}

void TMimeDecode::ProcessMessageLine(std::string_view line) {
  if (!partBodyBegun_) BeginPartBody();
  DecodeBodyLine(line, hdrEncoding_);
}

// Tells whether the line is the message's boundary or a nested one (closing forms only when
// `alsoClosing`); `closing` is set for the message's own closing boundary.
bool TMimeDecode::IsBoundaryLine(std::string_view line, bool alsoClosing, bool& closing) {
  closing = false;
  if (line.size() < 2 || line[0] != '-' || line[1] != '-') return false;  // every boundary starts so
  lowerScratch_.assign(line);
  for (char& c : lowerScratch_) c = AsciiLower(c);
  const std::string_view l = lowerScratch_;
  auto matches = [&](const std::string& b, bool& isClosing) {
    if (l.size() == b.size()) return l == b;
    if (alsoClosing && l.size() == b.size() + 2 && l.substr(0, b.size()) == b && l.substr(b.size()) == "--") {
      isClosing = true;
      return true;
    }
    return false;
  };
  bool own = false;
  if (matches(boundary_, own)) {
    closing = own;
    return true;
  }
  for (const std::string& nested : nestedBoundaries_) {
    bool ignored = false;
    if (matches(nested, ignored)) return true;
  }
  return false;
}

void TMimeDecode::ProcessWaitBoundary(std::string_view line) {
  bool closing = false;
  if (IsBoundaryLine(line, false, closing)) {
    PreparePart();
    return;
  }
  ProcessDecodedLine(line);  // preamble of part 0, without its line end
}

void TMimeDecode::PreparePart() {
  if (OnPartEnd) OnPartEnd();
  for (std::string* s : {&partContentType_, &partName_, &partEncoding_, &partDisposition_, &partFileName_, &partContentId_})
    s->clear();
  partHeaderBegun_ = false;
  partBodyBegun_ = false;
  inUuFile_ = inInlineFile_ = false;
  unfolding_ = true;
  handler_ = Handler::PartHeader;
}

void TMimeDecode::ProcessPartHeaderLine(std::string_view line) {
  if (line.empty()) {
    if (!partHeaderBegun_) {
      ++partNumber_;
      if (OnPartHeaderBegin) OnPartHeaderBegin();
    }
    if (OnPartHeaderEnd) OnPartHeaderEnd();
    unfolding_ = false;
    handler_ = Handler::PartBody;
    return;
  }
  if (!partHeaderBegun_) {
    partHeaderBegun_ = true;
    ++partNumber_;
    if (OnPartHeaderBegin) OnPartHeaderBegin();
    if (line[0] == ' ' || line[0] == '\t') {  // no header at all: this is already body
      if (OnPartHeaderEnd) OnPartHeaderEnd();
      unfolding_ = false;
      handler_ = Handler::PartBody;
      ProcessPartLine(line);
      return;
    }
  }
  size_t end = 0;
  const std::string name = HeaderName(line, end);
  if (end < line.size() && line[end] == ':') {
    const std::string_view value = RawValue(line, end);
    if (name == "content-type") {
      size_t pos = 0;
      partContentType_ = ReadToken(value, pos);
      ReadParameters(value, pos, false, [this](const std::string& param, std::string& v) {
        if (param == "name") {
          partName_ = std::move(v);
        } else if (param == "charset") {
          partCharset_ = std::move(v);
        } else if (param == "boundary") {
          nestedBoundaries_.push_back("--" + AsciiLowerCase(v));
        }
        return true;
      });
    } else if (name == "content-transfer-encoding") {
      size_t pos = 0;
      partEncoding_ = ReadToken(value, pos);
    } else if (name == "content-disposition") {
      size_t pos = 0;
      partDisposition_ = ReadToken(value, pos);
      ReadParameters(value, pos, true, [this](const std::string& param, std::string& v) {
        if (param == "filename") partFileName_ = std::move(v);
        return true;
      });
    } else if (name == "content-description") {
      size_t pos = 0;
      (void)ReadToken(value, pos);
      ReadParameters(value, pos, true, [this](const std::string& param, std::string& v) {
        if (param == "filename" && partFileName_.empty()) partFileName_ = std::move(v);
        return true;
      });
    } else if (name == "content-id") {
      partContentId_ = WithoutAngleBrackets(value);
    }
  }
  if (OnPartHeaderLine) OnPartHeaderLine(line);
}

void TMimeDecode::ProcessPartLine(std::string_view line) {
  bool closing = false;
  if (!line.empty() && IsBoundaryLine(line, true, closing)) {
    if (closing) endOfMime_ = true;
    PreparePart();
    return;
  }
  if (!partBodyBegun_) BeginPartBody();
  DecodeBodyLine(line, partEncoding_);
}

void TMimeDecode::DecodeBodyLine(std::string_view line, const std::string& encoding) {
  if (encoding == "base64") {
    decodeScratch_.clear();
    mime::AppendBase64Line(line, decodeScratch_);
    ProcessDecodedLine(decodeScratch_);
  } else if (encoding == "quoted-printable") {
    decodeScratch_.clear();
    mime::AppendQuotedPrintableLine(line, decodeScratch_);
    ProcessDecodedLine(decodeScratch_);
  } else if (encoding == "x-uuencode") {
    if (!inUuFile_) {
      if (StartsWithNoCase(line, "begin ") && !IsCutHereLine(line)) inUuFile_ = true;
    } else if (line.substr(0, 3) == "end") {
      inUuFile_ = false;
    } else {
      decodeScratch_.clear();
      mime::AppendUudecodedLine(line, decodeScratch_);
      ProcessDecodedLine(decodeScratch_);
    }
  } else {
    ProcessDecodedLine(line);
    ProcessDecodedLine("\r\n");
  }
}

void TMimeDecode::ProcessDecodedLine(std::string_view piece) {
  if (!piece.empty() && partContentType_.empty() && InlineUudecode(piece)) return;
  Deliver(piece);
}

// A uuencoded file written straight into a text body ("begin 644 name" ... "end") is withheld from
// the text; its lines go to the inline notifications instead.
bool TMimeDecode::InlineUudecode(std::string_view piece) {
  if (!inInlineFile_) {
    if (!StartsWithNoCase(piece, "begin ")) return false;
    size_t i = 6;
    while (i < piece.size() && piece[i] >= '0' && piece[i] <= '9') ++i;
    if (i - 6 < 2 || i >= piece.size() || piece[i] != ' ' || i + 1 >= piece.size()) return false;
    if (IsCutHereLine(piece)) return false;
    inInlineFile_ = true;
    std::string_view name = piece.substr(i + 1);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.remove_suffix(1);
    if (OnInlineDecodeBegin) OnInlineDecodeBegin(name);
    return true;
  }
  if (piece.substr(0, 3) == "end") {
    inInlineFile_ = false;
    if (OnInlineDecodeEnd) OnInlineDecodeEnd();
    return true;
  }
  if (piece == "\r\n") return true;  // the line end of a plain line of the file
  if (OnInlineDecodeLine) {
    std::string bytes;
    mime::AppendUudecodedLine(piece, bytes);
    OnInlineDecodeLine(bytes.c_str(), bytes.size());
  }
  return true;
}

void TMimeDecode::Deliver(std::string_view piece) {
  if (OnPartLine) {
    pieceScratch_.assign(piece);  // NUL-terminated for the receiver
    OnPartLine(pieceScratch_.c_str(), pieceScratch_.size());
  }
  if (DecodedSink && !piece.empty()) DecodedSink->append(piece);
}

}  // namespace mobrelle
