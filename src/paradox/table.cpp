// Table::Open and TableImpl: header, field descriptors, blob file.
#include <algorithm>
#include <cctype>

#include "paradox/read/cursor_impl.h"
#include "paradox/format/field_codec.h"
#include "paradox/read/index_hooks.h"
#include "paradox/read/table_impl.h"
#include "paradox/text/ascii.h"

namespace pdx {
namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Status Table::Open(Env* env, const std::string& dir, const std::string& name, std::unique_ptr<Table>* out,
                   const std::vector<std::string>* listing) {
  std::unique_ptr<TableImpl> t;
  PDX_RETURN_IF_ERROR(TableImpl::OpenImpl(env, dir, name, &t, listing));
  *out = std::move(t);
  return Status::OK();
}

Status TableImpl::OpenImpl(Env* env, const std::string& dir, const std::string& name,
                           std::unique_ptr<TableImpl>* out, const std::vector<std::string>* listing) {
  std::string fileName = EndsWithNoCase(name, ".db") ? name : name + ".DB";
  std::unique_ptr<TableImpl> t(new TableImpl);
  t->dir_ = dir;
  // Every file is opened now, so that the reader keeps this version of the
  // table whatever a writer commits later; the directory's one listing finds
  // the .DB's name too, whatever its case.
  t->files_ = std::make_unique<TableFiles>(env, dir);
  std::string dbName;
  PDX_RETURN_IF_ERROR(t->files_->Pin(fileName, &dbName, listing));
  const std::string path = JoinPath(dir, dbName);
  env = t->files_.get();
  PDX_RETURN_IF_ERROR(ParadoxFile::Open(env, path, &t->db_));
  const FileHeader& h = t->db_->header();
  if (!h.IsDataFile())
    return Status::InvalidArgument(path + ": not a data file (file type " + std::to_string(h.fileType) + ")");

  TableInfo& info = t->info_;
  info.path = path;
  info.fileVersion = h.fileVersion;
  info.levelText = h.LevelText();
  info.codePage = h.EffectiveCodePage();
  info.sortOrder = h.sortOrderName;
  info.blockSize = static_cast<int>(h.blockSize);
  info.recordCount = h.recordCount;
  info.recordSize = h.recordSize;
  info.keyFieldCount = h.keyFieldCount;
  info.autoIncrement = h.autoIncrement;
  info.fields = h.fields;

  if (h.IsKeyed() && h.keyFieldCount > 0) {
    IndexDesc px;
    px.primary = true;
    px.unique = true;
    for (int i = 1; i <= h.keyFieldCount; ++i) px.fields.push_back(i);
    std::string stem = BaseName(path).substr(0, BaseName(path).size() - 3);
    std::string pxPath;
    if (FindFileNoCase(env, dir, stem + ".PX", &pxPath).ok()) px.file = BaseName(pxPath);
    info.indexes.push_back(std::move(px));
  }
  PDX_RETURN_IF_ERROR(DiscoverSecondaryIndexes(env, dir, *t->db_, &info.indexes));

  for (size_t i = 0; i < h.fields.size(); ++i) {
    DecodePlan::Item item{static_cast<uint32_t>(i), h.fieldOffsets[i], StoredFieldSize(h.fields[i])};
    FieldSlot slot;
    slot.offset = item.offset;
    slot.size = static_cast<uint16_t>(item.size);
    slot.decimals = h.fields[i].type == FieldType::kBcd ? h.fields[i].size : 0;
    slot.type = h.fields[i].type;
    t->info_.slots.push_back(slot);
    switch (h.fields[i].type) {
      case FieldType::kShort: t->plan_.shorts.push_back(item); break;
      case FieldType::kLong:
      case FieldType::kAutoInc: t->plan_.longs.push_back(item); break;
      case FieldType::kNumber:
      case FieldType::kMoney: t->plan_.doubles.push_back(item); break;
      case FieldType::kAlpha: t->plan_.alphas.push_back(item); break;
      default: t->plan_.others.push_back(item);
    }
  }

  bool hasBlobs = std::any_of(h.fields.begin(), h.fields.end(), [](const FieldDesc& f) { return IsBlobType(f.type); });
  if (hasBlobs) {
    std::string stem = BaseName(path).substr(0, BaseName(path).size() - 3);
    std::string mbPath;
    Status s = FindFileNoCase(env, dir, stem + ".MB", &mbPath);
    if (s.ok()) s = BlobFile::Open(env, mbPath, &t->blob_);
    // A table whose blobs all fit in the records needs no .MB: failures are
    // reported per value, when a value needs the file.
    if (!s.ok()) t->blobStatus_ = s;
  }
  *out = std::move(t);
  return Status::OK();
}

std::string TableImpl::tableLabel() const { return BaseName(info_.path); }

int TableImpl::FieldNumber(const std::string& name) const {
  for (size_t i = 0; i < info_.fields.size(); ++i)
    if (EqualsNoCase(info_.fields[i].name, name)) return static_cast<int>(i) + 1;
  return 0;
}

std::unique_ptr<Cursor> TableImpl::NewCursor() { return std::make_unique<CursorImpl>(this); }

Status TableImpl::DecodeValue(const char* rec, int field, const std::string& recordLabel, Value* v) const {
  if (field < 1 || field > static_cast<int>(info_.fields.size()))
    return Status::InvalidArgument(tableLabel() + ": no field " + std::to_string(field));
  const FileHeader& h = db_->header();
  const FieldDesc& f = h.fields[field - 1];
  const char* p = rec + h.fieldOffsets[field - 1];
  bool needsBlob = false;
  DecodeField(f, p, *db_->codePage(), v, &needsBlob);
  if (!needsBlob) return Status::OK();
  return ReadBlobValue(field, p, recordLabel, v);
}

Status TableImpl::DecodeStored(int field, const char* stored, Value* v) const {
  if (field < 1 || field > static_cast<int>(info_.fields.size()))
    return Status::InvalidArgument(tableLabel() + ": no field " + std::to_string(field));
  const FieldDesc& f = db_->header().fields[field - 1];
  bool needsBlob = false;
  DecodeField(f, stored, *db_->codePage(), v, &needsBlob);
  if (!needsBlob) return Status::OK();
  return ReadBlobValue(field, stored, "a stored value", v);
}

Status TableImpl::BlobFailure(int field, const std::string& recordLabel, const Status& s) const {
  const FieldDesc& f = db_->header().fields[field - 1];
  std::string msg = tableLabel() + ": field \"" + f.name + "\" of " + recordLabel + ": " + s.message();
  if (s.IsNotFound()) return Status::NotFound(msg);
  if (s.IsIOError()) return Status::IOError(msg);
  return Status::Corruption(msg);
}

Status TableImpl::ReadBlobValue(int field, const char* p, const std::string& recordLabel, Value* v) const {
  const FieldDesc& f = db_->header().fields[field - 1];
  auto fail = [&](const Status& s) {
    *v = Value::Blank();
    return BlobFailure(field, recordLabel, s);
  };
  if (!blob_) return fail(blobStatus_.ok() ? Status::NotFound("no blob file") : blobStatus_);
  BlobRef r = ParseBlobRef(p, f.size);
  std::string bytes;
  Status s = blob_->Read(r.offset, r.length, &bytes);
  if (!s.ok()) return fail(s);
  BlobValue(f.type, bytes, *db_->codePage(), v);
  return Status::OK();
}

namespace {

class BlobReaderImpl final : public BlobReader {
 public:
  explicit BlobReaderImpl(const TableImpl* t)
      : t_(t), window_(t->blobFile() ? t->blobFile()->NewWindow() : WindowReader(nullptr, "")) {}

  Status Bytes(int field, const char* stored, std::string_view* bytes) override {
    *bytes = {};
    const std::vector<FieldDesc>& fields = t_->info().fields;
    if (field < 1 || field > static_cast<int>(fields.size()) || !IsBlobType(fields[field - 1].type))
      return Status::InvalidArgument(t_->tableLabel() + ": field " + std::to_string(field) + " is not a blob field");
    const BlobRef r = ParseBlobRef(stored, fields[field - 1].size);
    if (r.length == 0) return Status::OK();
    if (r.InRecord()) {
      *bytes = r.head.substr(0, r.length);
      return Status::OK();
    }
    const BlobFile* blob = t_->blobFile();
    if (!blob)
      return t_->BlobFailure(field, kLabel,
                             t_->blobStatus().ok() ? Status::NotFound("no blob file") : t_->blobStatus());
    Status s = blob->View(r.offset, r.length, &window_, bytes);
    if (!s.ok()) {
      *bytes = {};
      return t_->BlobFailure(field, kLabel, s);
    }
    return Status::OK();
  }

  Status Decode(int field, const char* stored, Value* v) override {
    std::string_view bytes;
    Status s = Bytes(field, stored, &bytes);
    if (!s.ok()) {
      *v = Value::Blank();
      return s;
    }
    if (bytes.empty()) {
      *v = Value::Blank();
      return Status::OK();
    }
    BlobValue(t_->info().fields[field - 1].type, bytes, *t_->db().codePage(), v);
    return Status::OK();
  }

 private:
  static constexpr const char* kLabel = "a stored value";
  const TableImpl* t_;
  WindowReader window_;
};

}  // namespace

std::unique_ptr<BlobReader> TableImpl::NewBlobReader() const { return std::make_unique<BlobReaderImpl>(this); }

}  // namespace pdx
