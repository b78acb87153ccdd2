// Restructuring: the rows of the current layout are decoded, converted and
// re-encoded into a writer of the new layout, which then writes every file of
// the table (and its .VAL) in one commit.
#include "paradox/restructure.h"

#include <cmath>
#include <cstdlib>

#include "paradox/format/field_codec.h"
#include "paradox/format/val_file.h"
#include "paradox/text/ascii.h"
#include "paradox/write/writer_impl.h"

namespace pdx {
namespace {

bool IsText(FieldType t) { return t == FieldType::kAlpha || t == FieldType::kMemo || t == FieldType::kFmtMemo; }
bool IsInteger(FieldType t) { return t == FieldType::kShort || t == FieldType::kLong || t == FieldType::kAutoInc; }
bool IsFloat(FieldType t) { return t == FieldType::kNumber || t == FieldType::kMoney; }

bool Compatible(FieldType from, FieldType to) {
  if (from == to) return true;
  if (IsText(from) && IsText(to)) return true;
  if (from == FieldType::kShort && (to == FieldType::kLong || IsFloat(to) || to == FieldType::kBcd)) return true;
  if (from == FieldType::kLong && (IsFloat(to) || to == FieldType::kBcd)) return true;
  if (IsFloat(from) && (IsFloat(to) || to == FieldType::kBcd)) return true;
  if (from == FieldType::kBcd && IsFloat(to)) return true;
  if (from == FieldType::kDate && to == FieldType::kTimestamp) return true;
  return false;
}

bool SameDescriptor(const FieldDesc& a, const FieldDesc& b) { return a.type == b.type && a.size == b.size; }

// Converts a value of field `from` for field `to`; *tooLong when an alpha
// value does not fit and truncation was not asked for.
Status Convert(const FieldDesc& from, const FieldDesc& to, const Value& in, bool truncate, const CodePage& cp,
               Value* out, bool* tooLong) {
  *tooLong = false;
  *out = in;
  if (in.blank) return Status::OK();
  if (IsText(from.type) && to.type == FieldType::kAlpha) {
    std::string bytes;
    PDX_RETURN_IF_ERROR(cp.Encode(in.text, &bytes));
    if (bytes.size() > to.size) {
      if (!truncate) {
        *tooLong = true;
        return Status::OK();
      }
      bytes.resize(to.size);
      *out = Value::Text(cp.Decode(bytes));
    }
    return Status::OK();
  }
  if (IsInteger(from.type) && (IsFloat(to.type))) *out = Value::Double(static_cast<double>(in.i));
  else if (IsInteger(from.type) && to.type == FieldType::kBcd) *out = Value::Text(std::to_string(in.i));
  else if (IsFloat(from.type) && to.type == FieldType::kBcd) *out = Value::Text(FormatDouble(in.d));
  else if (from.type == FieldType::kBcd && IsFloat(to.type)) *out = Value::Double(std::strtod(in.text.c_str(), nullptr));
  return Status::OK();
}

}  // namespace

Status TableFields(Env* env, const std::string& dir, const std::string& name, std::vector<FieldDesc>* fields) {
  std::unique_ptr<Table> t;
  PDX_RETURN_IF_ERROR(Table::Open(env, dir, name, &t));
  *fields = t->info().fields;
  return Status::OK();
}

Status RestructureTable(Env* env, const std::string& dir, const std::string& name, const std::vector<FieldDesc>& fields,
                        const RestructureOptions& options) {
  std::unique_ptr<TableWriter> w;
  PDX_RETURN_IF_ERROR(TableWriter::Open(env, dir, name, options.writer, &w));
  auto* src = static_cast<TableWriterImpl*>(w.get());
  const std::string& label = src->label_;
  const std::vector<FieldDesc>& old = src->info_.fields;
  if (fields.size() < old.size())
    return Status::InvalidArgument(label + ": a restructure keeps every field (" + std::to_string(old.size()) +
                                   "), " + std::to_string(fields.size()) + " given");
  if (fields.size() > 255) return Status::InvalidArgument(label + ": a table has at most 255 fields");
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldDesc& f = fields[i];
    const std::string what = label + ": field " + std::to_string(i + 1) + " \"" + f.name + "\"";
    size_t chars = 0;
    for (unsigned char c : f.name) chars += (c & 0xC0) != 0x80;
    if (f.name.empty() || chars > 25) return Status::InvalidArgument(what + ": a name has 1 to 25 characters");
    for (size_t j = 0; j < i; ++j)
      if (fields[j].name == f.name) return Status::InvalidArgument(what + ": two fields have this name");
    if (i < old.size()) {
      if (!Compatible(old[i].type, f.type))
        return Status::InvalidArgument(what + ": cannot change type " + FieldTypeLetter(old[i].type) + " to " +
                                       FieldTypeLetter(f.type));
      if (f.required && !old[i].required) return Status::InvalidArgument(what + ": \"required\" can only be cleared");
      if (static_cast<int>(i) < src->info_.keyFieldCount && IsBlobType(f.type))
        return Status::InvalidArgument(what + ": a key field cannot become a blob");
    } else {
      if (f.required && src->RecordCount() > 0)
        return Status::InvalidArgument(what + ": an appended field cannot be required in a table with records");
      if (f.type == FieldType::kAutoInc)
        return Status::InvalidArgument(what + ": an autoincrement field cannot be appended");
    }
  }

  // The writer of the new layout.
  auto dst = std::make_unique<TableWriterImpl>();
  dst->env_ = env;
  dst->dir_ = src->dir_;
  dst->base_ = src->base_;
  dst->dbName_ = src->dbName_;
  dst->label_ = label;
  dst->info_ = src->info_;
  dst->info_.fields = fields;
  dst->blockSize_ = src->blockSize_;
  dst->autoInc_ = src->autoInc_;
  dst->pxName_ = src->pxName_;
  dst->mbName_ = src->mbName_;
  PDX_RETURN_IF_ERROR(dst->Init());
  while (dst->recordSize_ + 6 > dst->blockSize_ && dst->blockSize_ < 32 * 1024) dst->blockSize_ *= 2;
  if (dst->recordSize_ + 6 > dst->blockSize_) return Status::InvalidArgument(label + ": the new records are too large");
  dst->info_.blockSize = static_cast<int>(dst->blockSize_);

  FileHeader oldHeader;
  PDX_RETURN_IF_ERROR(ParseHeader(src->dbName_, src->dbHeader_.data(), src->dbHeader_.size(),
                                  src->dbHeader_.size() + src->blockSize_, &oldHeader));
  std::vector<uint16_t> ids = oldHeader.fieldNumbers;
  if (ids.size() != old.size()) {
    ids.clear();
    for (size_t i = 0; i < old.size(); ++i) ids.push_back(static_cast<uint16_t>(i + 1));
  }
  uint16_t next = 0;
  for (uint16_t id : ids) next = std::max<uint16_t>(next, static_cast<uint16_t>(id + 1));
  if (oldHeader.extended) next = std::max<uint16_t>(next, GetLE16(src->dbHeader_, 0x64));
  while (ids.size() < fields.size()) ids.push_back(next++);
  const int version = std::max<int>(oldHeader.fileVersion, VersionFor(fields));
  PDX_RETURN_IF_ERROR(BuildDataHeader(src->Keyed() ? 0 : 2, fields, ids, src->info_.keyFieldCount,
                                      static_cast<int>(dst->blockSize_ / 1024), version, src->info_.codePage,
                                      src->info_.sortOrder, static_cast<uint8_t>(src->dbHeader_[0x29]),
                                      oldHeader.tableName, *src->cp_, &dst->dbHeader_));
  if (version >= 5) PutLE32(&dst->dbHeader_, hdr::kUpdateTime, static_cast<uint32_t>(env->NowSeconds()));
  for (size_t at : {0x12, 0x13, 0x2D, 0x2E, 0x55}) dst->dbHeader_[at] = src->dbHeader_[at];
  FileHeader newHeader;
  PDX_RETURN_IF_ERROR(ParseHeader(dst->dbName_, dst->dbHeader_.data(), dst->dbHeader_.size(),
                                  dst->dbHeader_.size() + dst->blockSize_, &newHeader));
  dst->info_.fileVersion = version;

  bool keyChanged = false;
  for (int k = 0; k < src->info_.keyFieldCount; ++k)
    keyChanged = keyChanged || !SameDescriptor(old[static_cast<size_t>(k)], fields[static_cast<size_t>(k)]);
  if (src->Keyed()) {
    if (keyChanged || src->blockSize_ != dst->blockSize_) {
      PDX_RETURN_IF_ERROR(BuildPrimaryHeader(newHeader, dst->pxName_, *src->cp_, &dst->pxHeader_));
      dst->pxBlockSize_ = dst->blockSize_;
    } else {
      dst->pxHeader_ = src->pxHeader_;
      dst->pxBlockSize_ = src->pxBlockSize_;
    }
  }
  for (const auto& sx : src->secondaries_) {
    WriterIndex ix = sx;
    bool changed = keyChanged || src->blockSize_ != dst->blockSize_;
    for (int f : ix.desc.fields)
      changed = changed || !SameDescriptor(old[static_cast<size_t>(f - 1)], fields[static_cast<size_t>(f - 1)]) ||
                old[static_cast<size_t>(f - 1)].name != fields[static_cast<size_t>(f - 1)].name;
    if (changed) {
      char counter = ix.xHeader[0x2D];
      PDX_RETURN_IF_ERROR(BuildSecondaryHeaders(newHeader, dst->dbHeader_, *src->cp_, &ix));
      ix.xHeader[0x2D] = counter;
      // A single-field index is named after its field.
      bool single = ix.desc.file.size() >= 2 && AsciiUpper(ix.desc.file[ix.desc.file.size() - 2]) != 'G';
      if (single) ix.desc.name = fields[static_cast<size_t>(ix.desc.fields[0] - 1)].name;
    }
    dst->secondaries_.push_back(std::move(ix));
  }
  dst->info_.indexes.clear();
  for (const auto& ix : src->info_.indexes)
    if (ix.primary) dst->info_.indexes.push_back(ix);
  for (const auto& ix : dst->secondaries_) dst->info_.indexes.push_back(ix.desc);

  // Rows, converted one by one.
  std::vector<Value> in, out(fields.size());
  uint64_t n = 0;
  for (RowId id : src->Rows()) {
    ++n;
    PDX_RETURN_IF_ERROR(src->Get(id, &in));
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i >= old.size()) {
        out[i] = Value::Blank();
        continue;
      }
      bool tooLong = false;
      Status s = Convert(old[i], fields[i], in[i], options.truncate, *src->cp_, &out[i], &tooLong);
      if (!s.ok()) return Status::InvalidArgument(label + ": field \"" + old[i].name + "\", record " + std::to_string(n) + ": " + s.message());
      if (tooLong)
        return Status::InvalidArgument(label + ": field \"" + old[i].name + "\" of record " + std::to_string(n) +
                                       " holds a value longer than " + std::to_string(fields[i].size) +
                                       " characters; narrowing it needs truncation");
    }
    if (options.transformRow) options.transformRow(out);
    Status s = dst->Insert(out, nullptr);
    if (!s.ok()) return Status::InvalidArgument(label + ": record " + std::to_string(n) + ": " + s.message());
    // Rows do not change their autoincrement values in a restructure.
  }
  dst->autoInc_ = std::max(dst->autoInc_, src->autoInc_);
  // The validity checks follow the fields.
  std::string valPath;
  if (FindFileNoCase(env, dst->dir_, dst->base_ + ".VAL", &valPath).ok()) {
    std::string val;
    Status s = ReadWholeFile(env, valPath, &val);
    if (!s.ok()) return s.WithContext(label + ": cannot read its validity checks");
    s = UpdateValFields(&val, fields, ids, GetLE32(dst->dbHeader_, 0x60), *src->cp_);
    if (!s.ok()) return Status::Corruption(label + ": " + valPath + ": " + s.message());
    dst->extraFiles_.push_back({valPath.substr(valPath.rfind('/') + 1), std::move(val)});
  }
  // The new writer takes over the lock, then writes everything at once.
  dst->lock_ = std::move(src->lock_);
  w.reset();
  return dst->WriteFiles();
}

}  // namespace pdx
