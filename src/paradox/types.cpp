#include "paradox/types.h"

namespace pdx {

char FieldTypeLetter(FieldType t) {
  switch (t) {
    case FieldType::kAlpha: return 'A';
    case FieldType::kDate: return 'D';
    case FieldType::kShort: return 'S';
    case FieldType::kLong: return 'I';
    case FieldType::kMoney: return '$';
    case FieldType::kNumber: return 'N';
    case FieldType::kLogical: return 'L';
    case FieldType::kMemo: return 'M';
    case FieldType::kBlob: return 'B';
    case FieldType::kFmtMemo: return 'F';
    case FieldType::kOle: return 'O';
    case FieldType::kGraphic: return 'G';
    case FieldType::kTime: return 'T';
    case FieldType::kTimestamp: return '@';
    case FieldType::kAutoInc: return '+';
    case FieldType::kBcd: return '#';
    case FieldType::kBytes: return 'Y';
  }
  return '?';
}

bool IsKnownFieldType(uint8_t code) { return FieldTypeLetter(static_cast<FieldType>(code)) != '?'; }

bool IsBlobType(FieldType t) {
  return t == FieldType::kMemo || t == FieldType::kFmtMemo || t == FieldType::kBlob || t == FieldType::kOle ||
         t == FieldType::kGraphic;
}

}  // namespace pdx
