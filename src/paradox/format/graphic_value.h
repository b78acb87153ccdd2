#pragma once
// Graphic field values as the engine keeps them.
//
// The value (what a cursor reads and a writer takes) is the whole of what the
// blob file holds: an 8-byte header, bytes 01 00 00 01 then the picture's
// length (u32 LE), then the picture itself. The leading part that the record
// keeps (field size - 10 bytes) copies the picture's first bytes, the ones
// after that header, not the value's: in a field of size 11 it holds the "B"
// of a bitmap's "BM".
#include <cstdint>
#include <string>
#include <string_view>

#include "paradox/types.h"

namespace pdx {

constexpr size_t kGraphicHeaderSize = 8;

// Whether the value starts with a graphic header whose length is that of the
// picture that follows.
inline bool IsGraphicValue(std::string_view v) {
  if (v.size() < kGraphicHeaderSize || v[0] != 1 || v[1] != 0 || v[2] != 0 || v[3] != 1) return false;
  uint32_t len = 0;
  for (int i = 3; i >= 0; --i) len = (len << 8) | static_cast<uint8_t>(v[4 + static_cast<size_t>(i)]);
  return len == v.size() - kGraphicHeaderSize;
}

// The value of a picture's bytes (a bitmap file's, say), header added.
inline std::string GraphicValueOf(std::string_view picture) {
  std::string v("\x01\x00\x00\x01", 4);
  const auto len = static_cast<uint32_t>(picture.size());
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<char>((len >> (8 * i)) & 0xFF));
  v.append(picture);
  return v;
}

// The bytes of a blob value that the record's leading part copies: the
// picture for graphic fields, the value itself for the other blobs.
inline std::string_view RecordHeadSource(FieldType type, std::string_view value) {
  if (type == FieldType::kGraphic) return value.size() >= kGraphicHeaderSize ? value.substr(kGraphicHeaderSize) : "";
  return value;
}

}  // namespace pdx
