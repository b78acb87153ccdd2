#pragma once
// Result of an engine operation. Keeps "not found", "corrupt file", "I/O error",
// "bad argument" and "busy" apart so callers can react to each differently.
// The message always names the file (or table) and what went wrong. A result
// cannot be dropped silently: check it, pass it on, or IgnoreError() it.
#include <string>
#include <utility>

namespace pdx {

class [[nodiscard]] Status {
 public:
  enum class Code { kOk, kNotFound, kCorruption, kIOError, kInvalidArgument, kBusy, kNotSupported };

  Status() = default;
  static Status OK() { return {}; }
  static Status NotFound(std::string msg) { return {Code::kNotFound, std::move(msg)}; }
  static Status Corruption(std::string msg) { return {Code::kCorruption, std::move(msg)}; }
  static Status IOError(std::string msg) { return {Code::kIOError, std::move(msg)}; }
  static Status InvalidArgument(std::string msg) { return {Code::kInvalidArgument, std::move(msg)}; }
  static Status Busy(std::string msg) { return {Code::kBusy, std::move(msg)}; }
  static Status NotSupported(std::string msg) { return {Code::kNotSupported, std::move(msg)}; }

  bool ok() const { return code_ == Code::kOk; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  bool IsCorruption() const { return code_ == Code::kCorruption; }
  bool IsIOError() const { return code_ == Code::kIOError; }
  bool IsInvalidArgument() const { return code_ == Code::kInvalidArgument; }
  bool IsBusy() const { return code_ == Code::kBusy; }
  bool IsNotSupported() const { return code_ == Code::kNotSupported; }
  Code code() const { return code_; }
  const std::string& message() const { return msg_; }
  std::string ToString() const;

  // The same error with context in front of its message ("opening X of
  // agency Y: <message>"); the kind is kept, so callers can still tell "in
  // use", "not found", "damaged" and "I/O error" apart. OK stays OK.
  Status WithContext(const std::string& context) const;
  // Marks a result deliberately left unchecked (best effort); each caller
  // says why in a comment.
  void IgnoreError() const {}

 private:
  Status(Code c, std::string m) : code_(c), msg_(std::move(m)) {}
  Code code_ = Code::kOk;
  std::string msg_;
};

}  // namespace pdx

#define PDX_RETURN_IF_ERROR(expr)            \
  do {                                       \
    ::pdx::Status _pdx_s = (expr);           \
    if (!_pdx_s.ok()) return _pdx_s;         \
  } while (0)
