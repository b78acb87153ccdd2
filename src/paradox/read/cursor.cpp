#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "paradox/read/cursor_impl.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/field_decode_inl.h"
#include "paradox/read/table_impl.h"

namespace pdx {

CursorImpl::CursorImpl(const TableImpl* table) : t_(table), chain_(&table->db()) {}

Status CursorImpl::SetOrderPrimary() { return UseIndex(nullptr); }

Status CursorImpl::SetOrderIndex(const std::string& indexName) {
  for (const IndexDesc& d : t_->info().indexes) {
    if (d.name == indexName || (!d.file.empty() && d.file == indexName)) return UseIndex(&d);
  }
  return Status::NotFound(t_->tableLabel() + ": no index named '" + indexName + "'");
}

Status CursorImpl::SetOrderFields(const std::vector<std::string>& fieldNames) {
  std::vector<int> wanted;
  for (const std::string& n : fieldNames) {
    int f = t_->FieldNumber(n);
    if (f == 0) return Status::InvalidArgument(t_->tableLabel() + ": no field '" + n + "'");
    wanted.push_back(f);
  }
  for (const IndexDesc& d : t_->info().indexes)
    if (d.fields == wanted) return UseIndex(d.primary ? nullptr : &d);
  std::string list;
  for (const std::string& n : fieldNames) list += (list.empty() ? "" : ", ") + n;
  return Status::NotFound(t_->tableLabel() + ": no index on (" + list + ")");
}

Status CursorImpl::UseIndex(const IndexDesc* index) {
  order_.reset();
  useOrder_ = false;
  index_ = index;
  atEnd_ = true;
  if (index) {
    PDX_RETURN_IF_ERROR(OpenIndexOrder(*t_, *index, &order_));
    useOrder_ = true;
    begin_ = 0;
    end_ = order_->records().size();
  }
  return Status::OK();
}

Status CursorImpl::EnsureOrder() {
  if (order_) return Status::OK();
  const std::vector<IndexDesc>& idx = t_->info().indexes;
  if (idx.empty() || !idx.front().primary)
    return Status::NotSupported(t_->tableLabel() + ": the table has no key to search by");
  PDX_RETURN_IF_ERROR(OpenIndexOrder(*t_, idx.front(), &order_));
  begin_ = 0;
  end_ = order_->records().size();
  return Status::OK();
}

Status CursorImpl::LoadFollowing(uint32_t block) {
  const ParadoxFile& db = t_->db();
  const uint32_t size = db.header().blockSize;
  if (block < spanFirst_ || block >= spanFirst_ + spanCount_) {
    spanCount_ = 0;
    const uint32_t last = order_->records()[end_ - 1].block;
    if (block == 0 || block > db.BlocksInFile() || last <= block) {
      BlockHeader bh;
      return db.LoadBlock(block, &buf_, &bh);
    }
    const size_t window = std::max<size_t>(256 * 1024, db.file()->PreferredReadBytes());
    uint32_t count = std::min(last - block + 1, db.BlocksInFile() - block + 1);
    count = std::max<uint32_t>(1, std::min<uint32_t>(count, static_cast<uint32_t>(window / size)));
    span_.resize(static_cast<size_t>(count) * size);
    size_t got = 0;
    const uint64_t at = db.header().headerSize + static_cast<uint64_t>(block - 1) * size;
    PDX_RETURN_IF_ERROR(db.file()->Read(at, span_.size(), span_.data(), &got));
    if (got != span_.size()) {  // cut short: the block alone says how
      BlockHeader bh;
      return db.LoadBlock(block, &buf_, &bh);
    }
    spanFirst_ = block;
    spanCount_ = count;
  }
  buf_.assign(span_.data() + static_cast<size_t>(block - spanFirst_) * size, size);
  return Status::OK();
}

Status CursorImpl::LoadAt(size_t pos) {
  // A step to the next row is a walk; anything else (a search, a first row)
  // reads its block alone.
  const bool walk = pos == pos_ + 1 && rec_ != nullptr;
  pos_ = pos;
  if (pos >= end_) {
    atEnd_ = true;
    rec_ = nullptr;
    return Status::OK();
  }
  const RecordRef& r = order_->records()[pos];
  const ParadoxFile& db = t_->db();
  if (r.block != bufBlock_) {
    bufBlock_ = 0;
    BlockHeader bh;
    if (walk) PDX_RETURN_IF_ERROR(LoadFollowing(r.block));
    else PDX_RETURN_IF_ERROR(db.LoadBlock(r.block, &buf_, &bh));
    bufBlock_ = r.block;
  }
  BlockHeader bh;
  PDX_RETURN_IF_ERROR(db.ParseBlockHeader(r.block, buf_, &bh));
  if (r.slot >= bh.records) {
    atEnd_ = true;
    return Status::Corruption(db.path() + ": index points to record " + std::to_string(r.slot) + " of block " +
                              std::to_string(r.block) + ", which holds " + std::to_string(bh.records));
  }
  rec_ = db.RecordPtr(buf_, r.slot);
  ref_ = r;
  atEnd_ = false;
  ordinal_ = pos - begin_ + 1;
  return Status::OK();
}

Status CursorImpl::First() {
  atEnd_ = true;
  rec_ = nullptr;
  if (useOrder_) return LoadAt(begin_);
  chain_.Reset();
  ordinal_ = 0;
  return Next();
}

Status CursorImpl::Next() {
  if (useOrder_) {
    if (atEnd_) return Status::OK();
    return LoadAt(pos_ + 1);
  }
  // Stored order: next slot, or the next non-empty block of the chain.
  if (!atEnd_ && slot_ + 1 < chain_.records()) {
    ++slot_;
  } else {
    atEnd_ = true;
    rec_ = nullptr;
    for (;;) {
      bool done = false;
      PDX_RETURN_IF_ERROR(chain_.Next(&done));
      if (done) return Status::OK();
      if (chain_.records() > 0) break;
    }
    slot_ = 0;
  }
  rec_ = chain_.record(slot_);
  ref_ = RecordRef{chain_.block(), slot_};
  atEnd_ = false;
  ++ordinal_;
  return Status::OK();
}

Status CursorImpl::Seek(const std::vector<Value>& leading, bool* found) {
  *found = false;
  PDX_RETURN_IF_ERROR(EnsureOrder());
  useOrder_ = true;
  size_t lo = 0, hi = 0;
  PDX_RETURN_IF_ERROR(order_->LowerBound(leading, &lo));
  PDX_RETURN_IF_ERROR(order_->UpperBound(leading, &hi));
  lo = std::max(lo, begin_);
  if (lo < hi && lo < end_) {
    *found = true;
    return LoadAt(lo);
  }
  atEnd_ = true;
  rec_ = nullptr;
  return Status::OK();
}

Status CursorImpl::SetRange(const std::vector<Value>& lo, const std::vector<Value>& hi) {
  PDX_RETURN_IF_ERROR(EnsureOrder());
  size_t a = 0, b = 0;
  PDX_RETURN_IF_ERROR(order_->LowerBound(lo, &a));
  PDX_RETURN_IF_ERROR(order_->UpperBound(hi, &b));
  useOrder_ = true;
  begin_ = a;
  end_ = std::max(a, b);
  return LoadAt(begin_);
}

void CursorImpl::ClearRange() {
  if (!order_) return;
  begin_ = 0;
  end_ = order_->records().size();
  // Stored order goes back to streaming along the chain.
  if (!index_) {
    useOrder_ = false;
    order_.reset();
  }
  atEnd_ = true;
  rec_ = nullptr;
}

std::string CursorImpl::RecordLabel() const {
  return "record " + std::to_string(ordinal_) + " (block " + std::to_string(ref_.block) + ", slot " +
         std::to_string(ref_.slot) + ")";
}

Status CursorImpl::CheckField(int field) const {
  if (atEnd_) return Status::InvalidArgument(t_->tableLabel() + ": the cursor is not on a record");
  if (field < 1 || field > static_cast<int>(t_->info().fields.size()))
    return Status::InvalidArgument(t_->tableLabel() + ": no field " + std::to_string(field));
  return Status::OK();
}

bool CursorImpl::IsBlank(int field) const {
  if (!CheckField(field).ok()) return true;
  const FileHeader& h = t_->db().header();
  return FieldIsBlank(h.fields[field - 1], rec_ + h.fieldOffsets[field - 1]);
}

Status CursorImpl::GetValue(int field, Value* v) const {
  PDX_RETURN_IF_ERROR(CheckField(field));
  const FileHeader& h = t_->db().header();
  const char* p = rec_ + h.fieldOffsets[field - 1];
  bool needsBlob = false;
  DecodeField(h.fields[field - 1], p, *t_->db().codePage(), v, &needsBlob);
  if (!needsBlob) return Status::OK();
  return t_->ReadBlobValue(field, p, RecordLabel(), v);
}

Status CursorImpl::GetValues(std::vector<Value>* values) const {
  if (atEnd_) return Status::InvalidArgument(t_->tableLabel() + ": the cursor is not on a record");
  const FileHeader& h = t_->db().header();
  const CodePage& cp = *t_->db().codePage();
  const TableImpl::DecodePlan& plan = t_->plan();
  values->resize(h.fields.size());
  Value* out = values->data();
  // A local copy: stores into the values could otherwise alias the member.
  const char* const rec = rec_;
  for (const auto& it : plan.shorts) {
    uint16_t raw = detail::BE16(rec + it.offset);
    Value& v = out[it.field];
    if (raw == 0) {
      detail::SetBlank(&v);
    } else {
      v.blank = false;
      v.i = static_cast<int16_t>(raw ^ 0x8000u);
    }
  }
  for (const auto& it : plan.longs) {
    uint32_t raw = detail::BE32(rec + it.offset);
    Value& v = out[it.field];
    if (raw == 0) {
      detail::SetBlank(&v);
    } else {
      v.blank = false;
      v.i = static_cast<int32_t>(raw ^ 0x80000000u);
    }
  }
  for (const auto& it : plan.doubles) {
    const char* p = rec + it.offset;
    Value& v = out[it.field];
    if (detail::AllZero(p, 8)) {
      detail::SetBlank(&v);
    } else {
      v.blank = false;
      v.d = detail::Double8(p);
    }
  }
  for (const auto& it : plan.alphas) {
    const char* p = rec + it.offset;
    Value& v = out[it.field];
    if (p[0] == 0) {
      detail::SetBlank(&v);
      continue;
    }
    v.blank = false;
    bool ascii = false;
    const uint32_t len = detail::TextLength(p, it.size, &ascii);
    if (ascii) {
      if (len <= v.text.size()) {
        // As long as the last record's value or shorter: shorten in place
        // (no call into the string's general replace).
        v.text.erase(len);
        detail::CopyText(v.text.data(), p, len);
      } else {
        v.text.assign(p, len);
      }
    } else {
      v.text.clear();
      cp.Decode(p, len, &v.text);
    }
  }
  bool needsBlob = false;
  Status first;
  for (const auto& it : plan.others) {
    const char* p = rec + it.offset;
    DecodeFieldInline(h.fields[it.field], p, cp, &out[it.field], &needsBlob);
    if (needsBlob) {
      Status s = t_->ReadBlobValue(static_cast<int>(it.field) + 1, p, RecordLabel(), &out[it.field]);
      if (!s.ok() && first.ok()) first = s;
    }
  }
  return first;
}

RecordView CursorImpl::ViewOf(const char* rec) const {
  const std::vector<FieldSlot>& slots = t_->slots();
  return RecordView(rec, static_cast<uint32_t>(t_->db().header().recordSize), slots.data(),
                    static_cast<uint32_t>(slots.size()), t_->db().codePage());
}

Status CursorImpl::GetRecordView(RecordView* view) const {
  if (atEnd_) return Status::InvalidArgument(t_->tableLabel() + ": the cursor is not on a record");
  *view = ViewOf(rec_);
  return Status::OK();
}

Status CursorImpl::GetRecordViews(std::vector<RecordView>* views) {
  views->clear();
  if (atEnd_) return Status::InvalidArgument(t_->tableLabel() + ": the cursor is not on a record");
  if (useOrder_) {
    views->push_back(ViewOf(rec_));
    return Status::OK();
  }
  const uint32_t last = chain_.records() - 1;
  for (uint32_t k = slot_; k <= last; ++k) views->push_back(ViewOf(chain_.record(k)));
  ordinal_ += last - slot_;
  slot_ = last;
  rec_ = chain_.record(slot_);
  ref_ = RecordRef{chain_.block(), slot_};
  return Status::OK();
}

Status CursorImpl::GetText(int field, std::string* s) const {
  Value v;
  PDX_RETURN_IF_ERROR(GetValue(field, &v));
  s->clear();
  if (v.blank) return Status::OK();
  switch (t_->info().fields[field - 1].type) {
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc:
      *s = std::to_string(v.i);
      break;
    case FieldType::kNumber:
    case FieldType::kMoney:
      *s = FormatDouble(v.d);
      break;
    case FieldType::kDate:
      *s = FormatDate(v.d);
      break;
    case FieldType::kTime:
      *s = FormatTime(v.d);
      break;
    case FieldType::kTimestamp:
      *s = FormatTimestamp(v.d);
      break;
    case FieldType::kLogical:
      *s = v.b ? "true" : "false";
      break;
    default:
      *s = v.text;
  }
  return Status::OK();
}

Status CursorImpl::GetInt(int field, int64_t* out) const {
  Value v;
  PDX_RETURN_IF_ERROR(GetValue(field, &v));
  *out = 0;
  if (v.blank) return Status::OK();
  const FieldDesc& f = t_->info().fields[field - 1];
  switch (f.type) {
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc:
      *out = v.i;
      return Status::OK();
    case FieldType::kLogical:
      *out = v.b ? 1 : 0;
      return Status::OK();
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kDate:
      if (std::trunc(v.d) == v.d && std::fabs(v.d) < 9.2e18) {
        *out = static_cast<int64_t>(v.d);
        return Status::OK();
      }
      break;
    case FieldType::kBcd: {
      char* end = nullptr;
      long long x = std::strtoll(v.text.c_str(), &end, 10);
      if (end && (*end == 0 || (*end == '.' && v.text.find_first_not_of('0', end - v.text.c_str() + 1) ==
                                                   std::string::npos))) {
        *out = x;
        return Status::OK();
      }
      break;
    }
    default:
      break;
  }
  return Status::InvalidArgument(t_->tableLabel() + ": field \"" + f.name + "\" does not hold an integer");
}

Status CursorImpl::GetDouble(int field, double* out) const {
  Value v;
  PDX_RETURN_IF_ERROR(GetValue(field, &v));
  *out = 0;
  if (v.blank) return Status::OK();
  const FieldDesc& f = t_->info().fields[field - 1];
  switch (f.type) {
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoInc:
      *out = static_cast<double>(v.i);
      return Status::OK();
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kDate:
    case FieldType::kTime:
    case FieldType::kTimestamp:
      *out = v.d;
      return Status::OK();
    case FieldType::kBcd:
      *out = std::strtod(v.text.c_str(), nullptr);
      return Status::OK();
    default:
      return Status::InvalidArgument(t_->tableLabel() + ": field \"" + f.name + "\" is not numeric");
  }
}

Status CursorImpl::GetDateTime(int field, double* dayNumber) const {
  Value v;
  PDX_RETURN_IF_ERROR(GetValue(field, &v));
  *dayNumber = 0;
  const FieldDesc& f = t_->info().fields[field - 1];
  if (f.type != FieldType::kDate && f.type != FieldType::kTime && f.type != FieldType::kTimestamp)
    return Status::InvalidArgument(t_->tableLabel() + ": field \"" + f.name + "\" is not a date or time");
  if (!v.blank) *dayNumber = v.d;
  return Status::OK();
}

Status CursorImpl::GetBytes(int field, std::string* bytes) const {
  Value v;
  PDX_RETURN_IF_ERROR(GetValue(field, &v));
  const FieldDesc& f = t_->info().fields[field - 1];
  if (f.type == FieldType::kAlpha || f.type == FieldType::kBytes || f.type == FieldType::kBcd || IsBlobType(f.type)) {
    *bytes = v.blank ? std::string() : v.text;
    return Status::OK();
  }
  return GetText(field, bytes);
}

}  // namespace pdx
