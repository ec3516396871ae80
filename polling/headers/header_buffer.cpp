#include "polling/headers/header_buffer.h"

namespace mobrelle {

void HeaderBuffer::AppendLine(std::string_view line) {
  bytes_.resize(position_);
  bytes_ += line;
  bytes_ += "\r\n";
  position_ = bytes_.size();
}

}  // namespace mobrelle
