#pragma once
// Keys of an index: which bytes of a record (or of an index entry) make the key,
// how two keys compare, and the stored form of a value looked for.
//
// Contract:
//  - A KeyLayout lists the key fields in index order, each with its type, size
//    and offset inside the buffer it is applied to (a .DB record, a .Xnn entry or
//    a .PX entry each put the key fields at their own offsets).
//  - Compare orders the first `parts` key fields as the engine does: the
//    collation for alpha fields (the case-insensitive variant for such an
//    index), the stored value for the others, blank first; a descending index
//    reverses the result.
//  - EncodeKeyValue turns a caller's Value into the field's stored bytes, so that
//    a looked-for key compares with stored keys. A value of the wrong kind for
//    the field, or text the code page cannot hold, is InvalidArgument.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/text/collation.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

struct KeyPart {
  FieldType type = FieldType::kAlpha;
  size_t offset = 0;  // in the buffer the layout applies to
  size_t size = 0;
};

struct KeyLayout {
  std::vector<KeyPart> parts;
  const Collation* collation = nullptr;  // must outlive the layout's users
  bool caseInsensitive = false;
  bool descending = false;

  // Compares the first `count` parts of a and b (all parts when count exceeds
  // them). Buffers must hold every part's bytes.
  int Compare(const char* a, const char* b, size_t count = SIZE_MAX) const;
  // Compares a buffer's key with a looked-for key given as the concatenated
  // stored bytes of its first parts (as EncodeKeyValue makes them).
  int CompareWithProbe(const char* record, const std::string& probe, size_t count) const;
  // Total size of the first `count` parts.
  size_t ProbeSize(size_t count) const;
};

// Turns UTF-8 text into code page bytes (the table's code page).
using TextEncoder = std::function<Status(std::string_view utf8, std::string* bytes)>;

// Stored form of v for a key field of descriptor f (exactly f.size bytes, or 8
// for a timestamp/number, etc.). Blank values encode as all NUL. For a
// case-insensitive index pass a collation to uppercase alpha text with.
Status EncodeKeyValue(const FieldDesc& f, const Value& v, const TextEncoder& encoder,
                      const Collation* upcaseWith, std::string* out);

}  // namespace pdx
