#include <algorithm>

#include "inspect/zip/zip_codec.h"

namespace mobrelle::zip::detail {

LzWindow::LzWindow(MemberOutput& out, size_t history, size_t maxMatch, bool allowDirect, bool zeroHistory)
    : out_(out), history_(history), maxMatch_(maxMatch) {
  capLeft_ = out.Remaining();
  uint8_t* direct = allowDirect && !zeroHistory ? out.ReserveAll() : nullptr;
  direct_ = direct != nullptr;
  if (direct_) {
    buf_ = direct;
    capacity_ = static_cast<size_t>(capLeft_);
    pos_ = start_ = 0;
  } else {
    // Room for the history, a run of output between slides, and one longest match.
    const size_t run = std::max<size_t>(history * 2, size_t{1} << 18);
    capacity_ = history + run + maxMatch + 16;
    own_.reset(new uint8_t[capacity_ + 16]);
    buf_ = own_.get();
    pos_ = start_ = zeroHistory ? history : 0;
    std::memset(buf_, 0, pos_);
  }
}

LzWindow::~LzWindow() {
  if (finished_) return;
  try {
    Finish();  // an error stopped the decoder: the bytes made so far still reach the output
  } catch (...) {
  }
}

void LzWindow::Slide() {
  const size_t pending = pos_ - start_;
  out_.Write(buf_ + start_, pending);
  capLeft_ -= pending;
  const size_t keep = std::min(history_, pos_);
  std::memmove(buf_, buf_ + pos_ - keep, keep);
  pos_ = start_ = keep;
}

void LzWindow::Finish() {
  finished_ = true;
  const size_t pending = pos_ - start_;
  if (direct_) {
    out_.CommitDirect(buf_, pending);
  } else {
    out_.Write(buf_ + start_, pending);
  }
  capLeft_ -= pending;
  start_ = pos_;
}

}  // namespace mobrelle::zip::detail
