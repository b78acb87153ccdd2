#pragma once
// Helpers for tests of written tables: read a table back through the reader,
// and list what the index check finds.
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace testutil {

// Every record of dir/name in stored order, each value as text ("<blank>" for
// a blank); a read error is one row holding "ERROR: ...".
std::vector<std::vector<std::string>> ReadRows(pdx::Env* env, const std::string& dir, const std::string& name);
// What `pdx check` finds (empty when clean); an unreadable table is one finding.
std::vector<std::string> IndexFindings(pdx::Env* env, const std::string& dir, const std::string& name);
// The same as one text, a line per finding ("" when clean).
std::string FindingsText(pdx::Env* env, const std::string& dir, const std::string& name);
// Re-writes srcDir/srcName record by record through the writer into a new
// table dstDir/dstName of the same definitions.
pdx::Status CopyThroughWriter(pdx::Env* env, const std::string& srcDir, const std::string& srcName,
                              const std::string& dstDir, const std::string& dstName);
// Text of a value as ReadRows gives it.
std::string ValueText(const pdx::Value& v, pdx::FieldType t);

}  // namespace testutil
