// pdx dump: every record as JSON lines or CSV, in stored or index order.
#include <cstdio>

#include "paradox/format/field_codec.h"
#include "paradox/table.h"
#include "pdx.h"

namespace pdxtool {
namespace {

// JSON form of a value; *isText tells CSV whether it came from a string.
std::string JsonValue(const pdx::FieldDesc& f, const pdx::Value& v) {
  if (v.blank) return "null";
  switch (f.type) {
    case pdx::FieldType::kAlpha:
    case pdx::FieldType::kMemo:
    case pdx::FieldType::kFmtMemo:
    case pdx::FieldType::kBcd:
      return JsonString(v.text);
    case pdx::FieldType::kShort:
    case pdx::FieldType::kLong:
    case pdx::FieldType::kAutoInc:
      return std::to_string(v.i);
    case pdx::FieldType::kNumber:
    case pdx::FieldType::kMoney: {
      std::string s = pdx::FormatDouble(v.d);
      // JSON has no NaN or infinities.
      return (s[0] == 'N' || s[0] == 'I' || s[1] == 'I') ? "null" : s;
    }
    case pdx::FieldType::kDate:
      return JsonString(pdx::FormatDate(v.d));
    case pdx::FieldType::kTime:
      return JsonString(pdx::FormatTime(v.d));
    case pdx::FieldType::kTimestamp:
      return JsonString(pdx::FormatTimestamp(v.d));
    case pdx::FieldType::kLogical:
      return v.b ? "true" : "false";
    default:
      return "{\"base64\": \"" + Base64(v.text) + "\"}";
  }
}

std::string CsvValue(const pdx::FieldDesc& f, const pdx::Value& v) {
  if (v.blank) return "";
  std::string s;
  switch (f.type) {
    case pdx::FieldType::kAlpha:
    case pdx::FieldType::kMemo:
    case pdx::FieldType::kFmtMemo:
    case pdx::FieldType::kBcd:
      s = v.text;
      break;
    case pdx::FieldType::kBlob:
    case pdx::FieldType::kOle:
    case pdx::FieldType::kGraphic:
    case pdx::FieldType::kBytes:
      s = Base64(v.text);
      break;
    default:
      s = JsonValue(f, v);
      if (!s.empty() && s.front() == '"') s = s.substr(1, s.size() - 2);
  }
  if (s.find_first_of(";\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

}  // namespace

int Dump(const std::string& file, const std::string& index, const std::string& format) {
  std::string dir, name;
  SplitPath(file, &dir, &name);
  std::unique_ptr<pdx::Table> table;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, name, &table);
  if (!s.ok()) {
    PrintError(file, s.message());
    return 2;
  }
  const pdx::TableInfo& info = table->info();
  auto cur = table->NewCursor();
  if (!index.empty()) {
    s = cur->SetOrderIndex(index);
    if (!s.ok()) {
      PrintError(file, s.message());
      return 2;
    }
  }
  const bool csv = format == "csv";
  std::string line;
  if (csv) {
    for (size_t f = 0; f < info.fields.size(); ++f) {
      if (f) line += ';';
      line += CsvValue(pdx::FieldDesc{}, pdx::Value::Text(info.fields[f].name));
    }
    std::printf("%s\n", line.c_str());
  }
  int rc = 0;
  pdx::Value v;
  for (s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next()) {
    line.clear();
    if (!csv) line += '{';
    for (size_t f = 0; f < info.fields.size(); ++f) {
      pdx::Status fs = cur->GetValue(static_cast<int>(f) + 1, &v);
      if (!fs.ok()) {
        // One damaged value does not hide the rest of the record.
        PrintError(file, fs.message());
        v = pdx::Value::Blank();
        rc = 1;
      }
      if (f) line += csv ? ";" : ", ";
      if (csv) {
        line += CsvValue(info.fields[f], v);
      } else {
        line += JsonString(info.fields[f].name);
        line += ": ";
        line += JsonValue(info.fields[f], v);
      }
    }
    if (!csv) line += '}';
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  if (!s.ok()) {
    PrintError(file, s.message());
    return 2;
  }
  return rc;
}

}  // namespace pdxtool
