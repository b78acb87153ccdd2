#pragma once
// Field types, field and index descriptors, and the value type that crosses the
// engine's interface. Text is UTF-8 here; the table's code page applies only at
// the file boundary.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pdx {

// Field type codes as stored in the table header.
enum class FieldType : uint8_t {
  kAlpha = 0x01,          // A
  kDate = 0x02,           // D
  kShort = 0x03,          // S
  kLong = 0x04,           // I
  kMoney = 0x05,          // $
  kNumber = 0x06,         // N
  kLogical = 0x09,        // L
  kMemo = 0x0C,           // M
  kBlob = 0x0D,           // B (binary)
  kFmtMemo = 0x0E,        // F
  kOle = 0x0F,            // O
  kGraphic = 0x10,        // G
  kTime = 0x14,           // T
  kTimestamp = 0x15,      // @
  kAutoInc = 0x16,        // +
  kBcd = 0x17,            // #
  kBytes = 0x18,          // Y
};

// The letter used by Paradox for a type ('A', 'N', '$', ...); '?' if unknown.
char FieldTypeLetter(FieldType t);
// True for a known type code.
bool IsKnownFieldType(uint8_t code);
// Memo, formatted memo, binary, OLE and graphic: part in the record, rest in .MB.
bool IsBlobType(FieldType t);

struct FieldDesc {
  std::string name;  // UTF-8
  FieldType type = FieldType::kAlpha;
  uint16_t size = 0;  // bytes in the record (for BCD: the number of decimals)
  bool required = false;
};

struct IndexDesc {
  std::string name;               // "" for the primary index
  std::string file;               // file name as found on disk (".PX", ".X02", ".XG0", ...)
  std::vector<int> fields;        // field numbers, from 1
  bool primary = false;
  bool unique = false;
  bool caseInsensitive = false;
  bool descending = false;
};

// A field value. `blank` marks a null field; otherwise the member for the field's
// type holds the value:
//   alpha, memo, formatted memo       -> text (UTF-8)
//   short, long, autoincrement        -> i
//   number, money                     -> d
//   BCD                               -> text (exact decimal, e.g. "-12.3400")
//   date, time, timestamp             -> d (day number, see below)
//   logical                           -> b
//   binary, OLE, graphic, bytes       -> text (raw bytes)
// Day numbers follow the program's convention: whole part = days since
// 30 December 1899, fraction = time of day. A time alone is the fraction only.
struct Value {
  bool blank = true;
  int64_t i = 0;
  double d = 0;
  bool b = false;
  std::string text;

  static Value Blank() { return {}; }
  static Value Int(int64_t v) { Value x; x.blank = false; x.i = v; return x; }
  static Value Double(double v) { Value x; x.blank = false; x.d = v; return x; }
  static Value Bool(bool v) { Value x; x.blank = false; x.b = v; return x; }
  static Value Text(std::string v) { Value x; x.blank = false; x.text = std::move(v); return x; }
};

}  // namespace pdx
