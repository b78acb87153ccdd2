#pragma once
// Decoding of one field of a record buffer to a pdx::Value (layouts in
// field_codec.cpp), and the calendar arithmetic of the day-number convention.
//
// Contract: the caller guarantees that p points at StoredFieldSize(f) readable
// bytes. Decoding never fails for scalar types (every bit pattern means some
// value); blob fields are only split into their in-record part and reference.
#include <cstdint>
#include <string>
#include <string_view>

#include "paradox/codepage.h"
#include "paradox/types.h"

namespace pdx {

// Days from 1 January 0001 (day 1) to 30 December 1899 (day number 0).
constexpr int64_t kDayNumberShift = 693594;

// Blob field, last 10 bytes of its record area.
struct BlobRef {
  uint32_t offset = 0;    // low byte: entry in a sub-allocated block (0xFF: whole block)
  uint32_t length = 0;    // bytes of the whole value (0: blank)
  uint16_t modifier = 0;
  std::string_view head;  // leading bytes kept in the record (size - 10)

  bool InRecord() const { return length <= head.size(); }
};

BlobRef ParseBlobRef(const char* p, uint32_t fieldSize);

// True when the field is blank (null) as the engine marks it.
bool FieldIsBlank(const FieldDesc& f, const char* p);

// Decodes a non-blob field. For blob fields it yields the value only when it is
// wholly kept in the record (*needsBlobFile false), else *needsBlobFile is true.
void DecodeField(const FieldDesc& f, const char* p, const CodePage& cp, Value* out, bool* needsBlobFile);

// Finishes a blob value from its bytes: text types are decoded from the code page.
void BlobValue(FieldType t, std::string_view bytes, const CodePage& cp, Value* out);

// Calendar (proleptic Gregorian) <-> days since 1970-01-01.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d);
void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d);

// Text forms used by dump and GetText: "YYYY-MM-DD", "HH:MM:SS.mmm",
// "YYYY-MM-DDTHH:MM:SS.mmm", and the shortest text that reads back to the double.
std::string FormatDate(double dayNumber);
std::string FormatTime(double dayFraction);
std::string FormatTimestamp(double dayNumber);
std::string FormatDouble(double v);

}  // namespace pdx
