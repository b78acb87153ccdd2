#pragma once
// A record's fields decoded on demand, straight from the record's bytes: the
// cheapest way to read every field of a long scan (no Value is filled, no text
// copied when it is ASCII).
//
// Contract:
//  - A view is valid until its cursor's next move (GetRecordViews leaves the
//    cursor on the last view it gives) or until the cursor goes away; the
//    string_views it returns likewise.
//  - Field numbers start at 1. A number out of range, or an accessor that does
//    not fit the field's type, gives a blank result (0, empty text), never a read
//    outside the record.
//  - Blob fields (memo, formatted memo, binary, OLE, graphic) tell only whether
//    they are blank: their values may lie in the .MB file, which the cursor's
//    GetValue reads.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/codepage.h"
#include "paradox/format/field_decode_inl.h"
#include "paradox/scan_path.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

// Where one field lies in the record.
struct FieldSlot {
  uint32_t offset = 0;
  uint16_t size = 0;      // bytes in the record
  uint16_t decimals = 0;  // BCD only
  FieldType type = FieldType::kAlpha;
};

class ScanPlan;

class RecordView {
 public:
  RecordView() = default;
  RecordView(const char* record, uint32_t recordSize, const FieldSlot* slots, uint32_t count, const CodePage* cp)
      : rec_(record), recordSize_(recordSize), slots_(slots), count_(count), cp_(cp) {}

  bool valid() const { return rec_ != nullptr; }
  // The record's bytes (recordSize() of them).
  const char* raw() const { return rec_; }
  uint32_t recordSize() const { return recordSize_; }
  int fieldCount() const { return static_cast<int>(count_); }
  // Where field lies (the same for every record of the table); null when out
  // of range. Scans look their fields up once and decode through the slot.
  const FieldSlot* slot(int field) const {
    return static_cast<uint32_t>(field - 1) < count_ ? &slots_[field - 1] : nullptr;
  }
  FieldType type(int field) const { return slot(field) ? slot(field)->type : FieldType::kAlpha; }

  bool IsBlank(int field) const { return !slot(field) || IsBlank(*slot(field)); }
  // Short, long, autoincrement; logical as 1 or 0. 0 when blank.
  int64_t Int(int field) const { return slot(field) ? Int(*slot(field)) : 0; }
  // Number and money; date, time and timestamp as day numbers (see Value);
  // short, long and autoincrement widened. 0 when blank.
  double Double(int field) const { return slot(field) ? Double(*slot(field)) : 0; }
  // Alpha as UTF-8, BCD as exact decimal text, bytes as they are. A view of
  // the record itself when no conversion is needed; otherwise the text is built
  // in *scratch (required) and the view shows it.
  std::string_view Text(int field, std::string* scratch) const {
    return slot(field) ? Text(*slot(field), scratch) : std::string_view();
  }

  // The same through a slot of this table (a slot reaching past the record
  // reads as blank).
  inline bool IsBlank(const FieldSlot& s) const;
  inline int64_t Int(const FieldSlot& s) const;
  inline double Double(const FieldSlot& s) const;
  inline std::string_view Text(const FieldSlot& s, std::string* scratch) const;

 private:
  friend class ScanPlan;
  // The field's bytes, or null when the slot does not fit the record.
  const char* at(const FieldSlot& s) const {
    return static_cast<uint64_t>(s.offset) + s.size <= recordSize_ ? rec_ + s.offset : nullptr;
  }

  const char* rec_ = nullptr;
  uint32_t recordSize_ = 0;
  const FieldSlot* slots_ = nullptr;
  uint32_t count_ = 0;
  const CodePage* cp_ = nullptr;
};

inline bool RecordView::IsBlank(const FieldSlot& slot) const {
  const FieldSlot* s = &slot;
  const char* p = at(slot);
  if (!p) return true;
  switch (s->type) {
    case FieldType::kAlpha:
    case FieldType::kLogical:
      return p[0] == 0;
    case FieldType::kShort:
      return detail::BE16(p) == 0;
    case FieldType::kLong:
    case FieldType::kAutoInc:
    case FieldType::kTime:
      return detail::BE32(p) == 0;
    case FieldType::kDate: {
      const uint32_t raw = detail::BE32(p);
      return raw == 0 || raw == 0x80000000u;
    }
    case FieldType::kNumber:
    case FieldType::kMoney:
      return detail::AllZero(p, 8);
    case FieldType::kTimestamp:
      return detail::AllZero(p, 8) || detail::Double8(p) == 0;
    case FieldType::kBcd:
      return detail::BcdIsBlank(p);
    case FieldType::kBytes:
      return detail::AllZero(p, s->size);
    default:  // blobs: the length stored in the record
      return s->size < 10 || ParseBlobRef(p, s->size).length == 0;
  }
}

inline int64_t RecordView::Int(const FieldSlot& slot) const {
  const FieldSlot* s = &slot;
  const char* p = at(slot);
  if (!p) return 0;
  // The common type first, ahead of the switch.
  if (s->type == FieldType::kShort) {
    const uint16_t raw = detail::BE16(p);
    return raw == 0 ? 0 : static_cast<int16_t>(raw ^ 0x8000u);
  }
  switch (s->type) {
    case FieldType::kLong:
    case FieldType::kAutoInc: {
      const uint32_t raw = detail::BE32(p);
      return raw == 0 ? 0 : static_cast<int32_t>(raw ^ 0x80000000u);
    }
    case FieldType::kLogical:
      return p[0] != 0 && (static_cast<uint8_t>(p[0]) & 0x7F) != 0 ? 1 : 0;
    default:
      return 0;
  }
}

inline double RecordView::Double(const FieldSlot& slot) const {
  const FieldSlot* s = &slot;
  const char* p = at(slot);
  if (!p) return 0;
  if (s->type == FieldType::kNumber || s->type == FieldType::kMoney) return detail::AllZero(p, 8) ? 0 : detail::Double8(p);
  switch (s->type) {
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc:
      return static_cast<double>(Int(slot));
    case FieldType::kDate: {
      const uint32_t raw = detail::BE32(p);
      if (raw == 0 || raw == 0x80000000u) return 0;
      return static_cast<double>(static_cast<int64_t>(static_cast<int32_t>(raw ^ 0x80000000u)) - kDayNumberShift);
    }
    case FieldType::kTime: {
      const uint32_t raw = detail::BE32(p);
      return raw == 0 ? 0 : static_cast<double>(static_cast<int32_t>(raw ^ 0x80000000u)) / 86400000.0;
    }
    case FieldType::kTimestamp: {
      const double ms = detail::AllZero(p, 8) ? 0 : detail::Double8(p);
      if (ms == 0) return 0;
      const double days = std::floor(ms / 86400000.0);
      return (days - static_cast<double>(kDayNumberShift)) + (ms - days * 86400000.0) / 86400000.0;
    }
    default:
      return 0;
  }
}

inline std::string_view RecordView::Text(const FieldSlot& slot, std::string* scratch) const {
  const FieldSlot* s = &slot;
  const char* p = at(slot);
  if (!p) return {};
  if (s->type == FieldType::kAlpha) {
    if (p[0] == 0) return {};
    bool ascii = false;
    const uint32_t len = detail::TextLength(p, s->size, &ascii);
    if (ascii) return std::string_view(p, len);
    scratch->clear();
    cp_->Decode(p, len, scratch);
    return *scratch;
  }
  switch (s->type) {
    case FieldType::kBcd:
      if (detail::BcdIsBlank(p)) return {};
      *scratch = detail::BcdText(p, s->decimals);
      return *scratch;
    case FieldType::kBytes:
      if (detail::AllZero(p, s->size)) return {};
      return std::string_view(p, s->size);
    default:
      return {};
  }
}

// The fields a scan reads from every record, checked against the table's
// layout once and grouped by how they decode, so that each record costs one
// tight loop per kind with no type or bounds test per field.
//   ints:    short, long, autoincrement (32 bits hold them all; blank reads as 0)
//   doubles: number, money, date, time, timestamp (day numbers; blank reads as 0)
//   texts:   alpha, as UTF-8                   (blank reads as empty)
// A view's IsBlank tells a blank from a stored 0 where that matters.
class ScanPlan {
 public:
  ScanPlan() = default;
  // Fields by number (from 1), in the order their values come out. Fails
  // naming the field when a number is out of range or of another kind. path:
  // the instructions to decode with (scan_path.h; kAuto: the default).
  static Status Make(const std::vector<FieldSlot>& layout, uint32_t recordSize, const std::vector<int>& ints,
                     const std::vector<int>& doubles, const std::vector<int>& texts, ScanPlan* out,
                     ScanPath path = ScanPath::kAuto);

  size_t intCount() const { return intCount_; }
  size_t doubleCount() const { return doubleCount_; }
  size_t textCount() const { return texts_.size(); }

  // Decodes the view's record into ints[intCount()], doubles[doubleCount()]
  // and texts[textCount()]. Texts point into the record, or into the plan's
  // own buffer for text that needed converting: valid until the next Decode or
  // until the cursor moves. False (nothing written) when the view is not of a
  // record laid out as the plan's.
  inline bool Decode(const RecordView& view, int32_t* ints, double* doubles, std::string_view* texts);
  // The same for n records at once (a block's, from GetRecordViews), into
  // arrays laid record after record: record r's ints from ints + r *
  // intCount(), its doubles and texts likewise. Converted texts stay valid
  // until the next Decode or DecodeBlock. False (nothing written) when a view
  // is not of a record laid out as the plan's.
  bool DecodeBlock(const RecordView* views, size_t n, int32_t* ints, double* doubles, std::string_view* texts);
  // Whether Decode moves shorts and numbers with vector instructions (set by
  // Make where the processor has them; tests turn it off to compare).
  bool vectorized() const { return vector_ != nullptr; }
  void DisableVectors() { vector_.reset(); }
  // The path this plan decodes with (kScalar when no vector plan fits).
  ScanPath path() const;

  struct VectorPlan;  // internal to the engine (read/vector_plan.h)

 private:
  struct Item {
    uint32_t offset;
    uint32_t out;   // index in the output array
    uint32_t size;  // bytes in the record
    FieldType type;
  };
  bool Fits(const RecordView& v) const { return v.rec_ && v.recordSize_ == recordSize_; }
  // Shorts and numbers without vectors; every text is left to Finish.
  inline uint64_t DecodeFixed(const char* rec, int32_t* ints, double* doubles) const;
  // Longs, dates, and the texts of slow (bit k for the k-th text; all from 64).
  inline void Finish(const char* rec, const CodePage* cp, uint64_t slow, int32_t* ints, double* doubles,
                     std::string_view* texts);

  uint32_t recordSize_ = 0;
  size_t intCount_ = 0, doubleCount_ = 0, textBytes_ = 0;
  std::vector<Item> shorts_, longs_, numbers_, dates_, texts_;
  std::string converted_;  // reserved ahead: appending never moves it
  std::vector<uint64_t> slow_;  // per record of a block
  std::shared_ptr<const VectorPlan> vector_;  // null: the scalar loops do all
};

// The vector path (read/vector_plan.h). Returns the texts (bit k for the
// plan's k-th) left to the scalar loop.
uint64_t DecodeVectorized(const ScanPlan::VectorPlan& vp, const char* rec, int32_t* ints, double* doubles,
                          std::string_view* texts);

inline uint64_t ScanPlan::DecodeFixed(const char* rec, int32_t* ints, double* doubles) const {
  for (const Item& it : shorts_) {
    const uint16_t raw = detail::BE16(rec + it.offset);
    ints[it.out] = raw == 0 ? 0 : static_cast<int16_t>(raw ^ 0x8000u);
  }
  for (const Item& it : numbers_) {
    const char* p = rec + it.offset;
    doubles[it.out] = detail::AllZero(p, 8) ? 0 : detail::Double8(p);
  }
  return ~0ull;
}

inline void ScanPlan::Finish(const char* rec, const CodePage* cp, uint64_t slow, int32_t* ints, double* doubles,
                             std::string_view* texts) {
  for (const Item& it : longs_) {
    const uint32_t raw = detail::BE32(rec + it.offset);
    ints[it.out] = raw == 0 ? 0 : static_cast<int32_t>(raw ^ 0x80000000u);
  }
  if (!dates_.empty()) {
    const RecordView view(rec, recordSize_, nullptr, 0, cp);
    for (const Item& it : dates_) doubles[it.out] = view.Double(FieldSlot{it.offset, static_cast<uint16_t>(it.size), 0, it.type});
  }
  if (slow == 0) return;
  for (size_t k = 0; k < texts_.size(); ++k) {
    if (k < 64 && !(slow >> k & 1)) continue;
    const Item& it = texts_[k];
    const char* p = rec + it.offset;
    if (p[0] == 0) {
      texts[it.out] = {};
      continue;
    }
    bool ascii = false;
    const uint32_t len = detail::TextLength(p, it.size, &ascii);
    if (ascii) {
      texts[it.out] = std::string_view(p, len);
    } else {
      const size_t from = converted_.size();
      cp->Decode(p, len, &converted_);
      texts[it.out] = std::string_view(converted_.data() + from, converted_.size() - from);
    }
  }
}

inline bool ScanPlan::Decode(const RecordView& view, int32_t* ints, double* doubles, std::string_view* texts) {
  if (!Fits(view)) return false;
  converted_.clear();
  const uint64_t slow =
      vector_ ? DecodeVectorized(*vector_, view.rec_, ints, doubles, texts) : DecodeFixed(view.rec_, ints, doubles);
  Finish(view.rec_, view.cp_, slow, ints, doubles, texts);
  return true;
}

}  // namespace pdx
