#include "paradox/status.h"

namespace pdx {

std::string Status::ToString() const {
  const char* prefix = "";
  switch (code_) {
    case Code::kOk: return "OK";
    case Code::kNotFound: prefix = "not found: "; break;
    case Code::kCorruption: prefix = "corruption: "; break;
    case Code::kIOError: prefix = "I/O error: "; break;
    case Code::kInvalidArgument: prefix = "invalid argument: "; break;
    case Code::kBusy: prefix = "busy: "; break;
    case Code::kNotSupported: prefix = "not supported: "; break;
  }
  return prefix + msg_;
}

Status Status::WithContext(const std::string& context) const {
  if (ok()) return *this;
  return Status(code_, context + ": " + msg_);
}

}  // namespace pdx
