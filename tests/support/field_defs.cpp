#include "support/field_defs.h"

namespace testutil {

pdx::FieldDesc Field(const std::string& name, pdx::FieldType t, uint16_t size, bool required) {
  using pdx::FieldType;
  pdx::FieldDesc f;
  f.name = name;
  f.type = t;
  f.required = required;
  switch (t) {
    case FieldType::kShort: f.size = 2; break;
    case FieldType::kLong: case FieldType::kAutoInc: case FieldType::kDate: case FieldType::kTime: f.size = 4; break;
    case FieldType::kNumber: case FieldType::kMoney: case FieldType::kTimestamp: f.size = 8; break;
    case FieldType::kLogical: f.size = 1; break;
    default: f.size = size;
  }
  return f;
}

}  // namespace testutil
