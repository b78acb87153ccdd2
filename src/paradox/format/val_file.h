#pragma once
// The validity-check file (.VAL) of a table, as far as a restructure needs it:
// its copy of the table's field list. Layout in val_file.cpp.
//
// Contract: UpdateValFields rewrites that copy for the new fields (given with
// their identifiers, as the .DB header keeps them) and leaves every check as it
// is. A file whose field list cannot be found where its header says is
// Corruption; nothing is changed then.
#include <string>
#include <vector>

#include "paradox/codepage.h"
#include "paradox/env.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

Status ReadWholeFile(Env* env, const std::string& path, std::string* out);

// stamp: the .DB header's time of structure (u32 at 0x60), copied at 0x03.
Status UpdateValFields(std::string* val, const std::vector<FieldDesc>& fields, const std::vector<uint16_t>& ids,
                       uint32_t stamp, const CodePage& cp);

}  // namespace pdx
