// TableWriter: opening a table for writing and changing its records in memory.
#include <algorithm>
#include <cstring>

#include "paradox/commit.h"
#include "paradox/format/field_codec.h"
#include "paradox/format/field_decode_inl.h"
#include "paradox/format/graphic_value.h"
#include "paradox/read/prefetch.h"
#include "paradox/read/table_impl.h"
#include "paradox/text/ascii.h"
#include "paradox/write/writer_impl.h"

namespace pdx {
namespace {

std::string StripExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

CodePageMap MapOf(const CodePage& cp) {
  CodePageMap m{};
  for (int b = 0; b < 256; ++b) m[static_cast<size_t>(b)] = static_cast<char32_t>(cp.CodePoint(static_cast<uint8_t>(b)));
  return m;
}

Status Relabel(const Status& s, const std::string& label) {
  if (s.IsBusy()) return s;  // already names the table
  return s.WithContext(label);
}

}  // namespace

Status TableWriterImpl::Init() {
  recordSize_ = 0;
  offsets_.clear();
  autoIncField_ = 0;
  blobFields_.clear();
  for (size_t i = 0; i < info_.fields.size(); ++i) {
    offsets_.push_back(recordSize_);
    recordSize_ += static_cast<uint32_t>(pdx::StoredFieldSize(info_.fields[i]));
    if (info_.fields[i].type == FieldType::kAutoInc && autoIncField_ == 0) autoIncField_ = static_cast<int>(i + 1);
    if (IsBlobType(info_.fields[i].type)) blobFields_.push_back(static_cast<int>(i + 1));
  }
  PDX_RETURN_IF_ERROR(CodePage::Find(info_.codePage, &cp_));
  asciiSame_ = true;
  for (uint8_t c = 1; c < 0x80; ++c) asciiSame_ = asciiSame_ && cp_->CodePoint(c) == c;
  plain_.clear();
  for (const FieldDesc& f : info_.fields) {
    uint8_t kind = kNotPlain;
    if (f.type == FieldType::kAlpha && asciiSame_) kind = kPlainAlpha;
    if (f.type == FieldType::kShort && f.size == 2) kind = kPlainShort;
    if (f.type == FieldType::kLong && f.size == 4) kind = kPlainLong;
    if ((f.type == FieldType::kNumber || f.type == FieldType::kMoney) && f.size == 8) kind = kPlainNumber;
    plain_.push_back(f.required ? uint8_t{kNotPlain} : kind);
  }
  Status s = Collation::Make(info_.sortOrder, MapOf(*cp_), &collation_);
  if (!s.ok()) return Relabel(s, label_);
  primary_ = KeyLayout{};
  primary_.collation = &collation_;
  for (int k = 0; k < info_.keyFieldCount; ++k)
    primary_.parts.push_back({info_.fields[static_cast<size_t>(k)].type, offsets_[static_cast<size_t>(k)],
                              pdx::StoredFieldSize(info_.fields[static_cast<size_t>(k)])});
  probe_.assign(recordSize_, '\0');
  encoder_ = [cp = cp_](std::string_view utf8, std::string* bytes) { return cp->Encode(utf8, bytes); };
  primaryKey_ = SortKeyMaker(primary_);
  key_.assign(primaryKey_.size(), '\0');
  oldKey_.assign(primaryKey_.size(), '\0');
  keyed_ = KeyOrder(primaryKey_.size());
  rows_ = RowStore(recordSize_);
  return Status::OK();
}

Status OpenLockedWriter(Env* env, const std::string& dir, const std::string& name, std::unique_ptr<TableWriteLock> lock,
                        const TableLockOptions& lockOptions, std::unique_ptr<TableWriter>* out, bool preview,
                        const Table* rowsOf) {
  std::string file = name;
  if (file.find('.') == std::string::npos) file += ".DB";
  std::string path;
  const auto* open = dynamic_cast<const TableImpl*>(rowsOf);
  if (rowsOf && (!preview || !open)) return Status::InvalidArgument(file + ": rows of an open table serve a preview only");
  Status s = open ? Status::OK() : FindFileNoCase(env, dir, file, &path);
  if (!s.ok()) return s;
  if (open) path = JoinPath(dir, FileNameOf(open->info().path));
  auto w = std::make_unique<TableWriterImpl>();
  w->env_ = env;
  w->dir_ = dir;
  w->dbName_ = FileNameOf(path);
  w->base_ = StripExtension(w->dbName_);
  w->label_ = "table " + JoinPath(dir, w->dbName_);
  w->preview_ = preview;
  // A lock taken here lists the directory just now: that listing serves the
  // recovery and the table's open too. One handed over may be older than its
  // holder's changes.
  const bool fresh = !preview && !lock;
  bool recovered = false;
  if (!preview) {
    if (lock) w->lock_ = std::move(lock);
    else PDX_RETURN_IF_ERROR(AcquireTableWriteLock(env, dir, w->base_, lockOptions, &w->lock_));
    s = RecoverTable(env, dir, w->base_, &recovered, fresh ? w->lock_->listing() : nullptr);
    if (!s.ok()) return s;
  }
  // A recovery renamed or removed files: the table's open lists them again.
  PDX_RETURN_IF_ERROR(w->LoadRows(env, fresh && !recovered ? w->lock_->listing() : nullptr, open));
  *out = std::move(w);
  return Status::OK();
}

Status TableWriter::Open(Env* env, const std::string& dir, const std::string& name, const Options& options,
                         std::unique_ptr<TableWriter>* out) {
  return OpenLockedWriter(env, dir, name, nullptr, options.lock, out, options.preview, options.rowsOf);
}

Status TableWriterImpl::LoadRows(Env* base, const std::vector<std::string>* listing, const TableImpl* open) {
  std::unique_ptr<TableImpl> own;
  if (!open) PDX_RETURN_IF_ERROR(TableImpl::OpenImpl(base, dir_, dbName_, &own, listing));
  const TableImpl* table = open ? open : own.get();
  // The index and blob files as the table's open holds them: the version the
  // rows come from, without looking for and opening each file again. One the
  // open could not hold is looked for as before, so that its error is the
  // same.
  Env* held = table->env();
  Env* env = held;
  auto find = [&](const std::string& name, std::string* path) {
    env = held;
    if (FindFileNoCase(held, dir_, name, path).ok()) return Status::OK();
    env = base;
    return FindFileNoCase(base, dir_, name, path);
  };
  info_ = table->info();
  const ParadoxFile& db = table->db();
  dbHeader_ = db.header().raw;
  blockSize_ = db.header().blockSize;
  autoInc_ = db.header().autoIncrement;
  PDX_RETURN_IF_ERROR(Init());
  if (recordSize_ != db.header().recordSize)
    return Status::Corruption(label_ + ": field sizes do not add up to the record size");

  // Index files: their headers are the templates of their rewritten versions.
  secondaries_.clear();
  pxHeader_.clear();
  for (const auto& ix : info_.indexes) {
    std::unique_ptr<ParadoxFile> f;
    std::string path;
    if (ix.primary) {
      if (!find(ix.file.empty() ? base_ + ".PX" : FileNameOf(ix.file), &path).ok()) continue;
      pxName_ = FileNameOf(path);
      Status ps = ParadoxFile::Open(env, path, &f);
      if (ps.IsCorruption() || ps.IsNotSupported()) continue;  // rewritten from scratch below
      PDX_RETURN_IF_ERROR(ps);
      pxHeader_ = f->header().raw;
      pxBlockSize_ = f->header().blockSize;
      continue;
    }
    WriterIndex sx;
    sx.desc = ix;
    PDX_RETURN_IF_ERROR(find(FileNameOf(ix.file), &path));
    PDX_RETURN_IF_ERROR(ParadoxFile::Open(env, path, &f));
    sx.desc.file = FileNameOf(path);
    sx.xHeader = f->header().raw;
    sx.xBlockSize = f->header().blockSize;
    std::string yname = sx.desc.file;
    size_t dot = yname.rfind('.');
    if (dot != std::string::npos && dot + 1 < yname.size())
      yname[dot + 1] = yname[dot + 1] == 'x' ? 'y' : 'Y';
    if (find(yname, &path).ok()) {
      PDX_RETURN_IF_ERROR(ParadoxFile::Open(env, path, &f));
      sx.treeFile = FileNameOf(path);
      sx.yHeader = f->header().raw;
      sx.yBlockSize = f->header().blockSize;
    } else {
      // The tree is gone: a new one, as for a new index.
      sx.treeFile = yname;
      WriterIndex fresh = sx;
      PDX_RETURN_IF_ERROR(BuildSecondaryHeaders(db.header(), dbHeader_, *cp_, &fresh));
      sx.yHeader = fresh.yHeader;
      sx.yBlockSize = fresh.yBlockSize;
    }
    secondaries_.push_back(std::move(sx));
  }
  if (Keyed() && pxHeader_.empty()) {
    // A keyed table whose .PX is gone, or whose header is damaged, gets a new one.
    if (pxName_.empty()) pxName_ = base_ + ".PX";
    PDX_RETURN_IF_ERROR(BuildPrimaryHeader(db.header(), pxName_, *cp_, &pxHeader_));
    pxBlockSize_ = blockSize_;
  }
  if (!Keyed() && !secondaries_.empty())
    return Status::NotSupported(label_ + ": secondary indexes of a table without a primary key");
  std::string mbPath;
  mb_.reset();
  if (!blobFields_.empty() && find(base_ + ".MB", &mbPath).ok()) {
    mbName_ = FileNameOf(mbPath);
    PDX_RETURN_IF_ERROR(BlobFile::Open(env, mbPath, &mb_));
  }
  if (mbName_.empty()) mbName_ = base_ + ".MB";

  // Records, in stored order, along the block chain.
  ClearRows(/*keepIds=*/false);
  // Room for the rows the header counts, within what the file can hold (a
  // damaged count must not make a huge allocation).
  const uint64_t fits = static_cast<uint64_t>(db.BlocksInFile()) * db.RecordsPerBlock();
  const size_t expected = static_cast<size_t>(std::min<uint64_t>(db.header().recordCount, fits));
  rows_.Reserve(expected);
  const size_t kb = primaryKey_.size();
  // Rows arriving in strictly ascending key order stay a flat list; the first
  // one out of order turns what came before into the key order.
  bool flat = Keyed();
  if (flat) {
    merged_.reserve(expected);
    mergedKeys_.reserve(expected * kb);
  }
  uint64_t n = 0;
  const char* prevRec = nullptr;  // the row loaded last (keyed tables)
  PDX_RETURN_IF_ERROR(WalkBlocks(&db, [&](const BlockChain& chain) -> Status {
    if (chain.records() > 0) {
      BlockSummary b;
      b.block = chain.block();
      b.records = chain.records();
      b.firstKey.assign(chain.record(0), primary_.ProbeSize(primary_.parts.size()));
      loadedBlocks_.push_back(std::move(b));
    }
    for (uint32_t i = 0; i < chain.records(); ++i, ++n) {
      const char* rec = chain.record(i);
      RowId id = rows_.Add(rec);
      for (int f : blobFields_) {
        const FieldDesc& fd = info_.fields[static_cast<size_t>(f - 1)];
        BlobRef r = ParseBlobRef(rec + offsets_[static_cast<size_t>(f - 1)], fd.size);
        if (r.length == 0) continue;
        BlobSlot slot;
        if (r.InRecord()) {
          slot.data.assign(r.head.substr(0, r.length));
        } else {
          if (!mb_) return Status::NotFound(label_ + ": record " + std::to_string(n + 1) + ", field \"" + fd.name +
                                            "\": the blob file " + mbName_ + " is missing");
          slot.lazy = true;
          slot.offset = r.offset;
          slot.length = r.length;
        }
        blobs_[BlobKey(id, f)] = std::move(slot);
      }
      if (Keyed()) {
        // The previous row's key (in oldKey_) spares work on shared first fields.
        int order = 1;  // against the previous row's key
        if (prevRec == nullptr) primaryKey_.Make(rec, key_.data());
        else order = primaryKey_.MakeAfter(rec, prevRec, oldKey_.data(), key_.data());
        const char* key = key_.data();
        if (flat && order > 0) {
          merged_.push_back(id);
          mergedKeys_.append(key, kb);
        } else {
          if (flat) {
            flat = false;
            keyedStale_ = mergedKeysMade_ = true;
            EnsureKeyed();
          }
          if (!keyed_.Append(id, key) && !keyed_.Insert(id, key))
            return Status::Corruption(label_ + ": duplicate primary key " + KeyText(rec));
        }
        key_.swap(oldKey_);
        prevRec = rows_.at(id);
      } else {
        order_.push_back(id);
      }
    }
    return Status::OK();
  }));
  if (flat) {
    keyedStale_ = true;
    mergedKeysMade_ = true;
  }
  live_ = rows_.size();
  dirty_ = false;
  return Status::OK();
}

Status TableWriterImpl::BlobBytes(const BlobSlot& slot, std::string* out) const {
  if (!slot.lazy) {
    *out = slot.data;
    return Status::OK();
  }
  if (!mb_) return Status::NotFound(label_ + ": the blob file " + mbName_ + " is missing");
  return mb_->Read(slot.offset, slot.length, out);
}

std::vector<RowId> TableWriterImpl::Rows() const {
  std::vector<RowId> out;
  out.reserve(live_);
  if (Keyed() && keyedStale_) {
    out = merged_;
  } else if (Keyed()) {
    keyed_.ForEach([&](RowId id) { out.push_back(id); });
  } else {
    for (RowId id : order_)
      if (Live(id)) out.push_back(id);
  }
  return out;
}

std::string TableWriterImpl::KeyText(const char* rec) const {
  std::string out = "(";
  for (int k = 0; k < info_.keyFieldCount; ++k) {
    Value v;
    bool needsBlob = false;
    DecodeField(info_.fields[static_cast<size_t>(k)], rec + offsets_[static_cast<size_t>(k)], *cp_, &v, &needsBlob);
    if (k) out += ", ";
    if (v.blank) out += "blank";
    else if (!v.text.empty()) out += v.text;
    else if (v.i != 0) out += std::to_string(v.i);
    else out += FormatDouble(v.d);
  }
  return out + ")";
}

Status TableWriterImpl::Get(RowId row, std::vector<Value>* values) const {
  if (!Live(row)) return Status::NotFound(label_ + ": no row " + std::to_string(row));
  values->assign(info_.fields.size(), Value{});
  const char* rec = rows_.at(row);
  for (size_t i = 0; i < info_.fields.size(); ++i) {
    const FieldDesc& f = info_.fields[i];
    if (IsBlobType(f.type)) {
      auto it = blobs_.find(BlobKey(row, static_cast<int>(i + 1)));
      if (it == blobs_.end()) continue;
      std::string bytes;
      Status s = BlobBytes(it->second, &bytes);
      if (!s.ok()) return Status::Corruption(label_ + ": field \"" + f.name + "\": " + s.message());
      BlobValue(f.type, bytes, *cp_, &(*values)[i]);
      continue;
    }
    bool needsBlob = false;
    DecodeField(f, rec + offsets_[i], *cp_, &(*values)[i], &needsBlob);
  }
  return Status::OK();
}

namespace {

// Stored forms of the common kinds (see field_codec.cpp for the layouts).
inline void StoreShort(int64_t i, char* dst) {
  const uint16_t x = static_cast<uint16_t>(i) ^ 0x8000u;
  dst[0] = static_cast<char>(x >> 8);
  dst[1] = static_cast<char>(x & 0xFF);
}
inline void StoreLong(int64_t i, char* dst) {
  const uint32_t x = static_cast<uint32_t>(i) ^ 0x80000000u;
  for (int k = 0; k < 4; ++k) dst[k] = static_cast<char>((x >> (8 * (3 - k))) & 0xFF);
}
inline void StoreNumber(const Value& v, char* dst) {
  double d = v.d != 0 ? v.d : static_cast<double>(v.i);
  if (d == 0) d = 0;  // -0 sorts with 0
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  bits = (bits & 0x8000000000000000ULL) ? ~bits : (bits | 0x8000000000000000ULL);
  for (int k = 0; k < 8; ++k) dst[k] = static_cast<char>((bits >> (8 * (7 - k))) & 0xFF);
}

// The stored bytes of the most common values written straight into the
// record (which is zeroed beforehand), as EncodeKeyValue makes them, without
// its temporary strings. False when the value needs EncodeKeyValue: another
// type, text outside ASCII, or a value EncodeKeyValue refuses (so that the
// message stays its own).
// asciiSame: the code page holds ASCII as ASCII (checked once per table).
bool EncodeCommon(const FieldDesc& f, const Value& v, const CodePage& cp, bool asciiSame, char* dst) {
  switch (f.type) {
    case FieldType::kAlpha: {
      const std::string& t = v.text;
      if (t.size() > f.size) return false;
      if (asciiSame) {
        if (!detail::IsAscii(t.data(), t.size())) return false;
      } else {
        for (unsigned char c : t)
          if (c >= 0x80 || cp.CodePoint(c) != c) return false;
      }
      std::memcpy(dst, t.data(), t.size());
      return true;
    }
    case FieldType::kShort: {
      if (f.size != 2 || v.i < -32767 || v.i > 32767) return false;
      StoreShort(v.i, dst);
      return true;
    }
    case FieldType::kLong:
    case FieldType::kAutoInc: {
      if (f.size != 4 || v.i < -2147483647LL || v.i > 2147483647LL) return false;
      StoreLong(v.i, dst);
      return true;
    }
    case FieldType::kNumber:
    case FieldType::kMoney: {
      if (f.size != 8 || (!v.text.empty() && v.d == 0 && v.i == 0)) return false;
      StoreNumber(v, dst);
      return true;
    }
    default:
      return false;
  }
}

// What EncodeCommon does for the kinds of TableWriterImpl::plain_, inline and
// without its checks of the field (made once in Init), for a code page that
// holds ASCII as ASCII. False: the general path decides.
inline bool EncodePlain(uint8_t kind, const Value& v, uint16_t size, char* dst) {
  switch (kind) {
    case TableWriterImpl::kPlainAlpha: {
      const size_t n = v.text.size();
      if (n > size) return false;
      if (!detail::IsAscii(v.text.data(), n)) return false;
      std::memcpy(dst, v.text.data(), n);
      return true;
    }
    case TableWriterImpl::kPlainShort: {
      if (v.i < -32767 || v.i > 32767) return false;
      StoreShort(v.i, dst);
      return true;
    }
    case TableWriterImpl::kPlainLong: {
      if (v.i < -2147483647LL || v.i > 2147483647LL) return false;
      StoreLong(v.i, dst);
      return true;
    }
    case TableWriterImpl::kPlainNumber: {
      if (!v.text.empty() && v.d == 0 && v.i == 0) return false;
      StoreNumber(v, dst);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

Status TableWriterImpl::EncodeRow(const std::vector<Value>& values, std::string* rec, std::map<int, std::string>* blobs,
                                  bool assignAutoInc, uint32_t* autoIncUsed) const {
  if (values.size() > info_.fields.size())
    return Status::InvalidArgument(label_ + ": " + std::to_string(values.size()) + " values for " +
                                   std::to_string(info_.fields.size()) + " fields");
  // The values are often far from cache (a batch prepared beforehand): ask
  // for all of them at once rather than waiting on each field in turn.
  {
    const char* v = reinterpret_cast<const char*>(values.data());
    const size_t bytes = values.size() * sizeof(Value);
    for (size_t at = 0; at < bytes; at += 64) Prefetch(v + at);
  }
  rec->assign(recordSize_, '\0');
  *autoIncUsed = 0;
  static const Value kBlank;
  Value next;  // an autoincrement value taken
  std::string bytes;
  for (size_t i = 0; i < info_.fields.size(); ++i) {
    const FieldDesc& f = info_.fields[i];
    const Value* pv = i < values.size() ? &values[i] : &kBlank;
    if (plain_[i] != kNotPlain && (pv->blank || EncodePlain(plain_[i], *pv, f.size, rec->data() + offsets_[i])))
      continue;
    if (f.type == FieldType::kAutoInc && pv->blank && assignAutoInc) {
      next = Value::Int(static_cast<int64_t>(autoInc_) + 1);
      pv = &next;
    }
    const Value& v = *pv;
    if (v.blank && !(f.type == FieldType::kAutoInc)) {
      if (f.required) return Status::InvalidArgument(label_ + ": field \"" + f.name + "\" is required");
      continue;
    }
    if (v.blank) continue;
    if (IsBlobType(f.type)) {
      bytes.clear();
      if (f.type == FieldType::kMemo || f.type == FieldType::kFmtMemo) {
        Status s = cp_->Encode(v.text, &bytes);
        if (!s.ok()) return Status::InvalidArgument(label_ + ": field \"" + f.name + "\": " + s.message());
      } else {
        bytes = v.text;
      }
      if (bytes.empty()) continue;
      if (f.type == FieldType::kGraphic && !IsGraphicValue(bytes))
        return Status::InvalidArgument(label_ + ": field \"" + f.name +
                                       "\": a graphic value starts with its 8-byte header (01 00 00 01, then the "
                                       "picture's length)");
      (*blobs)[static_cast<int>(i + 1)] = std::move(bytes);
      continue;
    }
    if (EncodeCommon(f, v, *cp_, asciiSame_, rec->data() + offsets_[i])) {
      if (f.type == FieldType::kAutoInc && v.i > 0) *autoIncUsed = static_cast<uint32_t>(v.i);
      continue;
    }
    bytes.clear();
    Status s = EncodeKeyValue(f, v, encoder_, nullptr, &bytes);
    if (!s.ok()) return Status::InvalidArgument(label_ + ": " + s.message());
    size_t size = pdx::StoredFieldSize(f);
    if (bytes.size() > size) return Status::InvalidArgument(label_ + ": value too long for field \"" + f.name + "\"");
    std::memcpy(rec->data() + offsets_[i], bytes.data(), bytes.size());
    if (f.type == FieldType::kAutoInc && v.i > 0) *autoIncUsed = static_cast<uint32_t>(v.i);
  }
  return Status::OK();
}

Status TableWriterImpl::EncodeKeyFields(const std::vector<Value>& key, char* rec) const {
  // Only the key fields are encoded: the comparison reads nothing else.
  std::string bytes;
  for (size_t i = 0; i < key.size() && i < info_.fields.size(); ++i) {
    const FieldDesc& f = info_.fields[i];
    char* dst = rec + offsets_[i];
    std::memset(dst, 0, pdx::StoredFieldSize(f));
    if (!key[i].blank && EncodeCommon(f, key[i], *cp_, asciiSame_, dst)) continue;
    PDX_RETURN_IF_ERROR(EncodeKeyValue(f, key[i], encoder_, nullptr, &bytes));
    std::memcpy(rec + offsets_[i], bytes.data(), std::min<size_t>(bytes.size(), pdx::StoredFieldSize(f)));
  }
  return Status::OK();
}

void TableWriterImpl::EnsureKeyed() const {
  if (!keyedStale_) return;
  const size_t kb = primaryKey_.size();
  KeyOrder order(kb);
  if (mergedKeysMade_) {
    for (size_t r = 0; r < merged_.size(); ++r) order.Append(merged_[r], mergedKeys_.data() + r * kb);
  } else {
    std::string key(kb, '\0');
    for (RowId id : merged_) {
      primaryKey_.Make(rows_.at(id), key.data());
      order.Append(id, key.data());
    }
  }
  keyed_ = std::move(order);
  merged_ = {};
  mergedKeys_ = {};
  mergedKeysMade_ = false;
  keyedStale_ = false;
}

void TableWriterImpl::EnsureFlat() const {
  const size_t kb = primaryKey_.size();
  if (!keyedStale_) {
    merged_.clear();
    mergedKeys_.clear();
    merged_.reserve(keyed_.size());
    mergedKeys_.reserve(keyed_.size() * kb);
    keyed_.ForEachEntry([&](RowId id, const char* key) {
      merged_.push_back(id);
      mergedKeys_.append(key, kb);
    });
    keyed_ = KeyOrder(kb);
    keyedStale_ = true;
    mergedKeysMade_ = true;
    return;
  }
  if (mergedKeysMade_) return;
  mergedKeys_.resize(merged_.size() * kb);
  for (size_t r = 0; r < merged_.size(); ++r) primaryKey_.Make(rows_.at(merged_[r]), mergedKeys_.data() + r * kb);
  mergedKeysMade_ = true;
}

Status TableWriterImpl::Find(const std::vector<Value>& key, RowId* row) const {
  if (!Keyed()) return Status::InvalidArgument(label_ + ": Find needs a keyed table");
  if (key.size() != static_cast<size_t>(info_.keyFieldCount))
    return Status::InvalidArgument(label_ + ": the key has " + std::to_string(info_.keyFieldCount) + " fields");
  PDX_RETURN_IF_ERROR(EncodeKeyFields(key, probe_.data()));
  EnsureKeyed();
  if (!keyed_.Find(SortKeyOf(probe_.data(), &key_), row))
    return Status::NotFound(label_ + ": no record with key " + KeyText(probe_.data()));
  return Status::OK();
}

Status TableWriterImpl::Insert(const std::vector<Value>& values, RowId* row) {
  std::map<int, std::string> blobs;
  uint32_t used = 0;
  PDX_RETURN_IF_ERROR(EncodeRow(values, &scratch_, &blobs, true, &used));
  if (rows_.size() >= kMaxRows) return Status::InvalidArgument(label_ + ": too many rows");
  EnsureKeyed();
  const RowId id = static_cast<RowId>(rows_.size());  // the id Add gives next
  if (Keyed() && !keyed_.Insert(id, SortKeyOf(scratch_.data(), &key_)))
    return Status::InvalidArgument(label_ + ": duplicate primary key " + KeyText(scratch_.data()));
  rows_.Add(scratch_.data());
  if (!Keyed()) order_.push_back(id);
  for (auto& [f, bytes] : blobs) blobs_[BlobKey(id, f)].data = std::move(bytes);
  if (used > autoInc_) autoInc_ = used;
  ++live_;
  dirty_ = true;
  if (row) *row = id;
  return Status::OK();
}

Status TableWriterImpl::Update(RowId row, const std::vector<Value>& values) {
  if (!Live(row)) return Status::NotFound(label_ + ": no row " + std::to_string(row));
  char* rec = rows_.at(row);
  // Its lines arrive while the values are encoded.
  for (uint32_t at = 0; at < recordSize_; at += 64) PrefetchForWrite(rec + at);
  std::map<int, std::string> blobs;
  uint32_t used = 0;
  PDX_RETURN_IF_ERROR(EncodeRow(values, &scratch_, &blobs, false, &used));
  if (Keyed()) {
    EnsureKeyed();
    const char* key = SortKeyOf(scratch_.data(), &key_);
    // The key the order holds for a row just found saves reading its record.
    const char* oldKey = keyed_.FoundKey(row);
    if (oldKey == nullptr) oldKey = SortKeyOf(rec, &oldKey_);
    if (std::memcmp(key, oldKey, key_.size()) != 0) {
      // Our own copy: the order's copy goes with the erase.
      if (oldKey != oldKey_.data()) oldKey = static_cast<const char*>(std::memcpy(oldKey_.data(), oldKey, key_.size()));
      RowId other = 0;
      if (keyed_.Find(key, &other))
        return Status::InvalidArgument(label_ + ": duplicate primary key " + KeyText(scratch_.data()));
      keyed_.Erase(row, oldKey);
      keyed_.Insert(row, key);
    }
  }
  std::memcpy(rec, scratch_.data(), recordSize_);
  for (int f : blobFields_) blobs_.erase(BlobKey(row, f));
  for (auto& [f, bytes] : blobs) blobs_[BlobKey(row, f)].data = std::move(bytes);
  if (used > autoInc_) autoInc_ = used;
  dirty_ = true;
  return Status::OK();
}

Status TableWriterImpl::Delete(RowId row) {
  if (!Live(row)) return Status::NotFound(label_ + ": no row " + std::to_string(row));
  EnsureKeyed();
  if (Keyed() && !keyed_.Erase(row, nullptr)) keyed_.Erase(row, SortKeyOf(rows_.at(row), &key_));
  for (int f : blobFields_) blobs_.erase(BlobKey(row, f));
  rows_.Kill(row);
  --live_;
  dirty_ = true;
  return Status::OK();
}

void TableWriterImpl::ClearRows(bool keepIds) {
  rows_.Clear(keepIds);
  blobs_.clear();
  keyed_.clear();
  merged_.clear();
  mergedKeys_.clear();
  mergedKeysMade_ = false;
  keyedStale_ = false;
  order_.clear();
  // The loaded blocks no longer describe the rows.
  loadedBlocks_.clear();
  live_ = 0;
}

Status TableWriterImpl::Empty() {
  ClearRows(/*keepIds=*/true);
  dirty_ = true;
  return Status::OK();
}

Status TableWriterImpl::ResolveIndexFields(const IndexDefinition& def, std::vector<int>* fields) const {
  fields->clear();
  if (def.fields.empty()) return Status::InvalidArgument(label_ + ": an index needs at least one field");
  for (const auto& name : def.fields) {
    int found = 0;
    for (size_t i = 0; i < info_.fields.size(); ++i)
      if (EqualsNoCase(info_.fields[i].name, name)) found = static_cast<int>(i + 1);
    if (!found) return Status::InvalidArgument(label_ + ": no field \"" + name + "\" to index");
    if (IsBlobType(info_.fields[static_cast<size_t>(found - 1)].type))
      return Status::InvalidArgument(label_ + ": field \"" + name + "\" is a blob and cannot be indexed");
    fields->push_back(found);
  }
  return Status::OK();
}

Status TableWriterImpl::AddIndex(const IndexDefinition& def) {
  if (!Keyed()) return Status::NotSupported(label_ + ": secondary indexes need a primary key");
  std::vector<int> fields;
  PDX_RETURN_IF_ERROR(ResolveIndexFields(def, &fields));
  std::string name = def.name.empty() ? info_.fields[static_cast<size_t>(fields[0] - 1)].name : def.name;
  for (const auto& s : secondaries_)
    if (EqualsNoCase(s.desc.name, name)) return Status::InvalidArgument(label_ + ": an index \"" + name + "\" exists");
  WriterIndex ix;
  ix.desc.name = name;
  ix.desc.fields = fields;
  ix.desc.unique = def.unique;
  ix.desc.caseInsensitive = def.caseInsensitive;
  ix.desc.descending = def.descending;
  // A single-field index named after its field is the engine's plain .Xnn.
  IndexDefinition named = def;
  if (fields.size() == 1 && EqualsNoCase(def.name, info_.fields[static_cast<size_t>(fields[0] - 1)].name)) {
    named.name.clear();
    ix.desc.name = info_.fields[static_cast<size_t>(fields[0] - 1)].name;
  }
  SecondaryFileNames(base_, named, fields, secondaries_, &ix.desc.file, &ix.treeFile);
  std::unique_ptr<ParadoxFile> unused;
  FileHeader h;
  PDX_RETURN_IF_ERROR(ParseHeader(dbName_, dbHeader_.data(), dbHeader_.size(), dbHeader_.size() + blockSize_, &h));
  PDX_RETURN_IF_ERROR(BuildSecondaryHeaders(h, dbHeader_, *cp_, &ix));
  for (auto it = droppedFiles_.begin(); it != droppedFiles_.end();)
    it = (EqualsNoCase(*it, ix.desc.file) || EqualsNoCase(*it, ix.treeFile)) ? droppedFiles_.erase(it) : it + 1;
  secondaries_.push_back(std::move(ix));
  info_.indexes.push_back(secondaries_.back().desc);
  dirty_ = true;
  return Status::OK();
}

Status TableWriterImpl::DeleteIndex(const std::string& name) {
  for (auto it = secondaries_.begin(); it != secondaries_.end(); ++it) {
    if (!EqualsNoCase(it->desc.name, name)) continue;
    droppedFiles_.push_back(it->desc.file);
    droppedFiles_.push_back(it->treeFile);
    secondaries_.erase(it);
    info_.indexes.erase(std::remove_if(info_.indexes.begin(), info_.indexes.end(),
                                       [&](const IndexDesc& d) { return !d.primary && EqualsNoCase(d.name, name); }),
                        info_.indexes.end());
    dirty_ = true;
    return Status::OK();
  }
  return Status::NotFound(label_ + ": no index \"" + name + "\"");
}

Status TableWriterImpl::Flush() {
  // Closed: the table's lock went with the pending commit.
  if (closed_) return Status::InvalidArgument(label_ + ": writer already closed");
  if (!dirty_) return Status::OK();
  if (preview_) return Status::NotSupported(label_ + ": a preview writes nothing");
  return WriteFiles();
}

Status TableWriterImpl::Rewrite() {
  if (closed_) return Status::InvalidArgument(label_ + ": writer already closed");
  if (preview_) return Status::NotSupported(label_ + ": a preview writes nothing");
  return WriteFiles();
}

Status RebuildIndexes(Env* env, const std::string& dir, const std::string& name, const TableWriter::Options& options) {
  std::unique_ptr<TableWriter> w;
  PDX_RETURN_IF_ERROR(TableWriter::Open(env, dir, name, options, &w));
  auto* impl = static_cast<TableWriterImpl*>(w.get());
  if (!impl->Keyed() && impl->secondaries_.empty()) return Status::OK();
  return impl->WriteFiles(/*keepData=*/true);
}

Status TableWriterImpl::Close() {
  if (preview_ || closed_) return Status::OK();  // nothing of a preview is written
  Status s = Flush();
  if (s.ok()) lock_.reset();
  return s;
}

namespace {

class PendingCloseImpl final : public PendingClose {
 public:
  PendingCloseImpl(std::unique_ptr<TableCommit> commit, std::unique_ptr<TableWriteLock> lock)
      : commit_(std::move(commit)), lock_(std::move(lock)) {}
  Status Commit() override {
    // The commit object stays until this one goes: the files it replaced
    // are closed then.
    Status s = commit_ ? commit_->Commit() : Status::OK();
    lock_.reset();
    return s;
  }

 private:
  std::unique_ptr<TableCommit> commit_;  // null: nothing to write
  std::unique_ptr<TableWriteLock> lock_;
};

}  // namespace

Status TableWriterImpl::CloseStaged(std::unique_ptr<PendingClose>* out) {
  if (closed_) return Status::InvalidArgument(label_ + ": writer already closed");
  std::unique_ptr<TableCommit> commit;
  if (!preview_ && dirty_) PDX_RETURN_IF_ERROR(WriteFiles(/*keepData=*/false, &commit));
  closed_ = true;
  *out = std::make_unique<PendingCloseImpl>(std::move(commit), std::move(lock_));
  return Status::OK();
}

}  // namespace pdx
