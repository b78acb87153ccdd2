#include "paradox/record_view.h"
#include "paradox/read/vector_plan.h"

namespace pdx {

Status ScanPlan::Make(const std::vector<FieldSlot>& layout, uint32_t recordSize, const std::vector<int>& ints,
                      const std::vector<int>& doubles, const std::vector<int>& texts, ScanPlan* out,
                      ScanPath path) {
  ScanPlan p;
  p.recordSize_ = recordSize;
  p.intCount_ = ints.size();
  p.doubleCount_ = doubles.size();
  size_t textBytes = 0;
  auto add = [&](int field, uint32_t index, const char* kind) -> Status {
    if (field < 1 || static_cast<size_t>(field) > layout.size())
      return Status::InvalidArgument("scan plan: no field " + std::to_string(field) + " (the table has " +
                                     std::to_string(layout.size()) + ")");
    const FieldSlot& s = layout[field - 1];
    if (static_cast<uint64_t>(s.offset) + s.size > recordSize)
      return Status::InvalidArgument("scan plan: field " + std::to_string(field) + " lies outside the record");
    const Item item{s.offset, index, s.size, s.type};
    const std::string k = kind;
    bool fits = false;
    if (k == "int") {
      fits = true;
      if (s.type == FieldType::kShort && s.size == 2)
        p.shorts_.push_back(item);
      else if ((s.type == FieldType::kLong || s.type == FieldType::kAutoInc) && s.size == 4)
        p.longs_.push_back(item);
      else
        fits = false;
    } else if (k == "double") {
      fits = true;
      if ((s.type == FieldType::kNumber || s.type == FieldType::kMoney) && s.size == 8)
        p.numbers_.push_back(item);
      else if ((s.type == FieldType::kDate || s.type == FieldType::kTime) && s.size == 4)
        p.dates_.push_back(item);
      else if (s.type == FieldType::kTimestamp && s.size == 8)
        p.dates_.push_back(item);
      else
        fits = false;
    } else if (s.type == FieldType::kAlpha) {
      fits = true;
      p.texts_.push_back(item);
      textBytes += s.size;
    }
    if (!fits)
      return Status::InvalidArgument("scan plan: field " + std::to_string(field) + " (type " +
                                     std::string(1, FieldTypeLetter(s.type)) + ") cannot be read as " + k);
    return Status::OK();
  };
  for (size_t i = 0; i < ints.size(); ++i) PDX_RETURN_IF_ERROR(add(ints[i], static_cast<uint32_t>(i), "int"));
  for (size_t i = 0; i < doubles.size(); ++i) PDX_RETURN_IF_ERROR(add(doubles[i], static_cast<uint32_t>(i), "double"));
  for (size_t i = 0; i < texts.size(); ++i) PDX_RETURN_IF_ERROR(add(texts[i], static_cast<uint32_t>(i), "text"));
  // A byte of any code page takes at most three bytes of UTF-8.
  p.textBytes_ = textBytes;
  p.converted_.reserve(3 * textBytes);
  std::vector<FieldSlot> shorts, numbers;
  std::vector<uint32_t> shortOut, numberOut;
  for (const Item& it : p.shorts_) {
    shorts.push_back(FieldSlot{it.offset, static_cast<uint16_t>(it.size), 0, it.type});
    shortOut.push_back(it.out);
  }
  for (const Item& it : p.numbers_) {
    numbers.push_back(FieldSlot{it.offset, static_cast<uint16_t>(it.size), 0, it.type});
    numberOut.push_back(it.out);
  }
  std::vector<FieldSlot> textSlots;
  std::vector<uint32_t> textOut;
  for (const Item& it : p.texts_) {
    textSlots.push_back(FieldSlot{it.offset, static_cast<uint16_t>(it.size), 0, it.type});
    textOut.push_back(it.out);
  }
  const ScanPath use = ResolveScanPath(path);
  if (use != ScanPath::kScalar)
    p.vector_ = MakeVectorPlan(shorts, shortOut, numbers, numberOut, textSlots, textOut, recordSize, p.intCount_,
                               p.doubleCount_, use);
  *out = std::move(p);
  return Status::OK();
}

ScanPath ScanPlan::path() const {
  if (!vector_) return ScanPath::kScalar;
  return vector_->avx2 ? ScanPath::kAvx2 : ScanPath::kAvx512;
}

bool ScanPlan::DecodeBlock(const RecordView* views, size_t n, int32_t* ints, double* doubles,
                           std::string_view* texts) {
  for (size_t r = 0; r < n; ++r)
    if (!Fits(views[r])) return false;
  converted_.clear();
  // Room for every text of the block converted, before any view points in.
  if (converted_.capacity() < 3 * textBytes_ * n) converted_.reserve(3 * textBytes_ * n);
  if (vector_) {
    slow_.resize(n);
    DecodeVectorizedBlock(*vector_, views, n, ints, intCount_, doubles, doubleCount_, texts, texts_.size(),
                          slow_.data());
  }
  const bool finish = !longs_.empty() || !dates_.empty() || !texts_.empty();
  for (size_t r = 0; r < n; ++r) {
    int32_t* ri = ints + r * intCount_;
    double* rd = doubles + r * doubleCount_;
    const uint64_t slow = vector_ ? slow_[r] : DecodeFixed(views[r].rec_, ri, rd);
    if (finish && (slow != 0 || !longs_.empty() || !dates_.empty()))
      Finish(views[r].rec_, views[r].cp_, slow, ri, rd, texts + r * texts_.size());
  }
  return true;
}

}  // namespace pdx
