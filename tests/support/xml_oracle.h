#pragma once
// Loads a dataset export (DATAPACKET XML) of a sample table as the expected
// contents of that table: the fields, and per row the value of each field in
// the canonical text form our cursor's GetText gives (nullopt when blank).
//
// Canonical forms: text as is; dateTime "YYYY-MM-DDTHH:MM:SS.mmm"; date
// "YYYY-MM-DD"; time "HH:MM:SS.mmm"; boolean "true"/"false"; numbers as the
// export writes them (compare them as doubles); graphics and binary blobs as the
// raw bytes (base64-decoded).
#include <optional>
#include <string>
#include <vector>

namespace testutil {

struct XmlField {
  std::string name;     // the table's field name
  std::string attr;     // attribute name in ROW elements
  std::string type;     // "string", "r8", "i4", "dateTime", "bin.hex", ...
  std::string subtype;  // "Money", "Text", "Graphics", ...
  bool IsNumber() const { return type == "r8" || type == "r4" || type == "i4" || type == "i2" || type == "i8"; }
};

struct XmlTable {
  std::vector<XmlField> fields;
  std::vector<std::vector<std::optional<std::string>>> rows;  // [row][field]
};

// Returns "" on success, else what went wrong.
std::string LoadXmlExport(const std::string& path, XmlTable* out);

std::string Base64Decode(const std::string& s);

}  // namespace testutil
