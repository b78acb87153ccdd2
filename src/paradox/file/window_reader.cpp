#include "paradox/file/window_reader.h"

#include <algorithm>

namespace pdx {

Status WindowReader::View(uint64_t offset, size_t n, const char** data) {
  const uint64_t size = file_->Size();
  if (offset > size || n > size - offset)
    return Status::Corruption(path_ + ": " + std::to_string(n) + " bytes at offset " + std::to_string(offset) +
                              " lie past the end of the file (" + std::to_string(size) + " bytes)");
  if (offset >= start_ && offset - start_ <= len_ && n <= len_ - (offset - start_)) {
    *data = buf_.get() + (offset - start_);
    return Status::OK();
  }
  // A scan going on forward (or starting) takes a whole window; a jump takes
  // only what it asks for and keeps the reads of a scattered file small.
  const bool ahead = len_ == 0 || (offset >= start_ && offset - start_ < len_ + windowBytes_);
  const uint64_t back = ahead ? std::min<uint64_t>(offset, behind_) : 0;
  const uint64_t from = offset - back;
  const size_t want = ahead ? static_cast<size_t>(std::min<uint64_t>(std::max(n + back, windowBytes_), size - from)) : n;
  if (cap_ < want) {
    buf_.reset();
    buf_ = std::make_unique_for_overwrite<char[]>(want);
    cap_ = want;
  }
  len_ = 0;
  size_t got = 0;
  ++reads_;
  Status s = file_->Read(from, want, buf_.get(), &got);
  if (!s.ok()) return s;
  if (got < n + back)
    return Status::Corruption(path_ + ": the file ends at offset " + std::to_string(from + got) + ", " +
                              std::to_string(n) + " bytes at offset " + std::to_string(offset) + " were expected");
  start_ = from;
  len_ = got;
  *data = buf_.get() + back;
  return Status::OK();
}

}  // namespace pdx
