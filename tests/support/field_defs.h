#pragma once
// Field descriptors for the tests' table definitions.
#include <cstdint>
#include <string>

#include "paradox/types.h"

namespace testutil {

// A field of type t: short, long, autoincrement, date, time, number, money,
// timestamp and logical take their fixed size; the other types take size.
pdx::FieldDesc Field(const std::string& name, pdx::FieldType t, uint16_t size = 0, bool required = false);

}  // namespace testutil
