// Headers of new tables and new secondary indexes, and TableWriter::Create.
//
// A new table takes file version 9 (4.x), or 11 (5.x) when a field type needs
// it (logical, long, time, timestamp, autoincrement, BCD, bytes).
// What a new .DB header holds (little-endian; offsets as in header.cpp, bytes
// not listed are zero; counts and blocks are set when the file is written):
//   0x00 record size, 0x02 header size 0x800 (more when names need it),
//   0x04 file type (0 keyed, 2 not), 0x05 block size in KiB,
//   0x21 field count, 0x23 key field count, 0x26 and 0x28 0xFF,
//   0x29 sort order id, 0x2D change counter (1), 0x39 file version,
//   0x3E-0x3F 1F 0F, 0x51 bytes used by the header, 0x56 0x20;
//   extension (file version >= 5): 0x58 and 0x5A u16 0x0100 | version,
//   0x60 time of writing, 0x64 field count + 1, (entry files) 0x15 the first
//   indexed field, 0x55 bit 0 for a case-insensitive index, 0x2C 0xFF,
//   (.XGn) 0x68 = 0x66 + 4 * fields,
//   0x66 115 + 6 * fields + bytes of the NUL-terminated field names,
//   0x6A code page, 0x6C 01 01, 0x6E the value at 0x66 + 2 * fields;
//   0x78 (0x58 without extension) descriptors (type, size) per field, a u32,
//   a u32 per field, the table name area (261 bytes for 7.x, 79 before), the
//   field names, a u16 per field (its number), the sort order name.
// These relations hold on every sample table; the bytes whose meaning is
// unknown (pointers of the engine's memory among them) are left zero.
//
// A primary index (.PX) header: type 1, record size = key bytes + 6, one
// descriptor per key field at 0x58, a u32, the name area with "NAME.PX";
// 0x51 the end of the name area. A secondary index: its data part (.Xnn type 5,
// .XGn type 8) is laid out like a .DB whose fields are the index fields, the
// primary key fields and "Blk Num" (a short: the data block of the record);
// its tree (.Ynn type 4, .YGn type 7) like a .PX over the first two groups.
// A composite index keeps its name after the sort order name of its data part.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "paradox/commit.h"
#include "paradox/format/file_build.h"
#include "paradox/format/paradox_file.h"
#include "paradox/text/ascii.h"
#include "paradox/write/writer_impl.h"

namespace pdx {
namespace {

constexpr size_t kHeaderUnit = 0x800;

bool NeedsLevel5(FieldType t) {
  switch (t) {
    case FieldType::kLogical:
    case FieldType::kLong:
    case FieldType::kTime:
    case FieldType::kTimestamp:
    case FieldType::kAutoInc:
    case FieldType::kBcd:
    case FieldType::kBytes:
      return true;
    default:
      return false;
  }
}

struct HeaderFields {
  std::vector<FieldDesc> fields;
  std::vector<uint16_t> numbers;
};

// Writes descriptors, pointers, the name area and (when withNames) the field
// names, numbers and sort order name from pos; returns the end offset.
Status PutLayout(std::string* h, size_t pos, int version, const HeaderFields& hf, const std::string& tableName,
                 bool withNames, const std::string& sortOrder, const std::string& tail, const CodePage& cp,
                 size_t* end) {
  auto ensure = [&](size_t n) {
    if (n > h->size()) h->resize((n + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit, '\0');
  };
  ensure(pos + 2 * hf.fields.size() + 4 + 4 * hf.fields.size() + 261);
  for (const auto& f : hf.fields) {
    (*h)[pos++] = static_cast<char>(f.type);
    (*h)[pos++] = static_cast<char>(f.size);
  }
  pos += 4;
  if (withNames) pos += 4 * hf.fields.size();
  const size_t area = version >= 12 ? 261 : 79;
  std::string tn;
  PDX_RETURN_IF_ERROR(cp.Encode(tableName, &tn));
  std::memcpy(h->data() + pos, tn.data(), std::min(tn.size(), area - 1));
  pos += area;
  if (withNames) {
    std::string names;
    for (const auto& f : hf.fields) {
      std::string n;
      Status s = cp.Encode(f.name, &n);
      if (!s.ok()) return Status::InvalidArgument("field name \"" + f.name + "\": " + s.message());
      names += n;
      names.push_back('\0');
    }
    ensure(pos + names.size() + 2 * hf.fields.size() + sortOrder.size() + tail.size() + 2);
    std::memcpy(h->data() + pos, names.data(), names.size());
    pos += names.size();
    for (uint16_t n : hf.numbers) {
      PutLE16(h, pos, n);
      pos += 2;
    }
    std::memcpy(h->data() + pos, sortOrder.data(), sortOrder.size());
    pos += sortOrder.size() + 1;
    if (!tail.empty()) {
      std::memcpy(h->data() + pos, tail.data(), tail.size());
      pos += tail.size() + 1;
    }
  }
  *end = pos;
  return Status::OK();
}

// A data-like header (.DB, .Xnn, .XGn).
Status DataHeader(uint8_t type, const HeaderFields& hf, int keyFields, uint32_t recordSize, int blockKiB, int version,
                  int codePage, const std::string& sortOrder, uint8_t sortOrderId, const std::string& tableName,
                  const std::string& tail, const CodePage& cp, std::string* out) {
  std::string h(kHeaderUnit, '\0');
  PutLE16(&h, hdr::kRecordSize, static_cast<uint16_t>(recordSize));
  h[hdr::kFileType] = static_cast<char>(type);
  h[hdr::kBlockKiB] = static_cast<char>(blockKiB);
  PutLE16(&h, hdr::kFieldCount, static_cast<uint16_t>(hf.fields.size()));
  PutLE16(&h, hdr::kKeyFieldCount, static_cast<uint16_t>(keyFields));
  h[hdr::kFilled26] = static_cast<char>(0xFF);
  h[hdr::kFilled28] = static_cast<char>(0xFF);
  h[hdr::kSortOrder] = static_cast<char>(sortOrderId);
  h[hdr::kChangeCount] = 1;
  h[hdr::kFileVersion] = static_cast<char>(version);
  h[hdr::kFilled3E] = 0x1F;
  h[hdr::kFilled3F] = 0x0F;
  h[hdr::kFilled56] = 0x20;
  const bool extended = version >= 5;
  size_t end = 0;
  PDX_RETURN_IF_ERROR(
      PutLayout(&h, extended ? hdr::kExtendedEnd : hdr::kFixedEnd, version, hf, tableName, true, sortOrder, tail, cp, &end));
  PutLE16(&h, hdr::kHeaderSize, static_cast<uint16_t>(h.size()));
  PutLE16(&h, hdr::kInfoEnd, static_cast<uint16_t>(end));
  if (extended) {
    PutLE16(&h, hdr::kVersionId, static_cast<uint16_t>(0x0100 | version));
    PutLE16(&h, hdr::kVersionId2, static_cast<uint16_t>(0x0100 | version));
    PutLE16(&h, hdr::kHighFieldId, static_cast<uint16_t>(hf.fields.size() + 1));
    size_t nameBytes = 0;
    for (const auto& f : hf.fields) {
      std::string n;
      // A name the code page cannot hold is refused where the names are written.
      cp.Encode(f.name, &n).IgnoreError();
      nameBytes += n.size() + 1;
    }
    const uint16_t info = static_cast<uint16_t>(115 + 6 * hf.fields.size() + nameBytes);
    PutLE16(&h, hdr::kFieldInfo, info);
    PutLE16(&h, hdr::kCodePage, static_cast<uint16_t>(codePage));
    h[hdr::kFilled6C] = 1;
    h[hdr::kFilled6D] = 1;
    PutLE16(&h, hdr::kFieldInfoEnd, static_cast<uint16_t>(info + 2 * hf.fields.size()));
  }
  *out = std::move(h);
  return Status::OK();
}

// A tree header (.PX, .Ynn, .YGn) over keys made of fields.
Status TreeHeader(uint8_t type, const std::vector<FieldDesc>& keyFields, size_t keyBytes, int blockKiB, int version,
                  uint8_t sortOrderId, const std::string& name, const CodePage& cp, std::string* out) {
  std::string h(kHeaderUnit, '\0');
  PutLE16(&h, hdr::kRecordSize, static_cast<uint16_t>(keyBytes + 6));
  h[hdr::kFileType] = static_cast<char>(type);
  h[hdr::kBlockKiB] = static_cast<char>(blockKiB);
  PutLE16(&h, hdr::kFieldCount, static_cast<uint16_t>(keyFields.size()));
  h[hdr::kSortOrder] = static_cast<char>(sortOrderId);
  h[hdr::kFileVersion] = static_cast<char>(version);
  HeaderFields hf;
  hf.fields = keyFields;
  size_t end = 0;
  PDX_RETURN_IF_ERROR(PutLayout(&h, hdr::kFixedEnd, version, hf, name, false, "", "", cp, &end));
  PutLE16(&h, hdr::kHeaderSize, static_cast<uint16_t>(h.size()));
  PutLE16(&h, hdr::kInfoEnd, static_cast<uint16_t>(end));
  *out = std::move(h);
  return Status::OK();
}

std::string Hex2(int n) {
  const char* d = "0123456789ABCDEF";
  return std::string{d[(n >> 4) & 15], d[n & 15]};
}

// Header byte of the sort orders seen on the engine's tables.
uint8_t KnownSortOrderId(const std::string& name) {
  if (EqualsNoCase(name, "intl850")) return 0x54;
  if (EqualsNoCase(name, "ANSIINTL")) return 0x62;
  if (EqualsNoCase(name, "cyrr")) return 0xC0;
  return 0;
}

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace

TableDefinition DefinitionOf(const TableInfo& info) {
  TableDefinition def;
  def.fields = info.fields;
  def.keyFieldCount = info.keyFieldCount;
  def.blockSizeKiB = info.blockSize / 1024;
  def.codePage = info.codePage;
  def.sortOrder = info.sortOrder;
  def.fileVersion = info.fileVersion;
  for (const auto& ix : info.indexes) {
    if (ix.primary) continue;
    IndexDefinition d;
    bool single = ix.fields.size() == 1 && !ix.caseInsensitive && ix.file.size() >= 2 &&
                  AsciiUpper(ix.file[ix.file.size() - 2]) != 'G';
    d.name = single ? "" : ix.name;
    for (int f : ix.fields) d.fields.push_back(info.fields[static_cast<size_t>(f - 1)].name);
    d.unique = ix.unique;
    d.caseInsensitive = ix.caseInsensitive;
    d.descending = ix.descending;
    def.indexes.push_back(std::move(d));
  }
  return def;
}

int VersionFor(const std::vector<FieldDesc>& fields) {
  for (const auto& f : fields)
    if (NeedsLevel5(f.type)) return 11;
  return 9;
}

Status BuildDataHeader(uint8_t type, const std::vector<FieldDesc>& fields, const std::vector<uint16_t>& numbers,
                       int keyFields, int blockKiB, int version, int codePage, const std::string& sortOrder,
                       uint8_t sortOrderId, const std::string& tableName, const CodePage& cp, std::string* out) {
  HeaderFields hf;
  hf.fields = fields;
  hf.numbers = numbers;
  uint32_t recordSize = 0;
  for (const auto& f : fields) recordSize += StoredFieldSize(f);
  PDX_RETURN_IF_ERROR(DataHeader(type, hf, keyFields, recordSize, blockKiB, version, codePage, sortOrder, sortOrderId,
                                 tableName, "", cp, out));
  uint16_t hi = 0;
  for (uint16_t n : numbers) hi = std::max(hi, n);
  if (version >= 5) PutLE16(out, hdr::kHighFieldId, static_cast<uint16_t>(hi + 1));
  return Status::OK();
}

Status BuildNewTableHeaders(const std::string& tableName, const TableDefinition& def, int codePage,
                            const std::string& sortOrder, uint8_t sortOrderId, const CodePage& cp,
                            uint32_t updateTime, NewTableHeaders* out) {
  int version = def.fileVersion > 0 ? std::max(def.fileVersion, VersionFor(def.fields)) : VersionFor(def.fields);
  uint32_t recordSize = 0;
  HeaderFields hf;
  for (size_t i = 0; i < def.fields.size(); ++i) {
    recordSize += StoredFieldSize(def.fields[i]);
    hf.fields.push_back(def.fields[i]);
    hf.numbers.push_back(static_cast<uint16_t>(i + 1));
  }
  int kib = def.blockSizeKiB;
  if (kib == 0) {
    kib = 2;
    while (kib < 32 && recordSize + 6 > static_cast<uint32_t>(kib) * 1024) kib *= 2;
  }
  if (recordSize + 6 > static_cast<uint32_t>(kib) * 1024)
    return Status::InvalidArgument(tableName + ": records of " + std::to_string(recordSize) +
                                   " bytes do not fit blocks of " + std::to_string(kib) + " KiB");
  out->fileVersion = version;
  std::string upper = tableName;
  PDX_RETURN_IF_ERROR(DataHeader(def.keyFieldCount > 0 ? 0 : 2, hf, def.keyFieldCount, recordSize, kib, version,
                                 codePage, sortOrder, sortOrderId, tableName, "", cp, &out->db));
  if (version >= 5) PutLE32(&out->db, hdr::kUpdateTime, updateTime);
  if (def.keyFieldCount > 0) {
    std::vector<FieldDesc> keys(def.fields.begin(), def.fields.begin() + def.keyFieldCount);
    size_t keyBytes = 0;
    for (const auto& k : keys) keyBytes += StoredFieldSize(k);
    std::string base = tableName.substr(0, tableName.rfind('.'));
    PDX_RETURN_IF_ERROR(TreeHeader(1, keys, keyBytes, kib, version, sortOrderId, base + ".PX", cp, &out->px));
  }
  return Status::OK();
}

Status BuildPrimaryHeader(const FileHeader& db, const std::string& pxName, const CodePage& cp, std::string* out) {
  std::vector<FieldDesc> keys(db.fields.begin(), db.fields.begin() + db.keyFieldCount);
  size_t keyBytes = 0;
  for (const auto& k : keys) keyBytes += StoredFieldSize(k);
  PDX_RETURN_IF_ERROR(TreeHeader(1, keys, keyBytes, static_cast<int>(db.blockSize / 1024), db.fileVersion,
                                 static_cast<uint8_t>(db.raw[hdr::kSortOrder]), pxName, cp, out));
  return Status::OK();
}

Status BuildSecondaryHeaders(const FileHeader& db, const std::string& dbRaw, const CodePage& cp, WriterIndex* ix) {
  const bool composite = ix->desc.file.size() >= 3 && (ix->desc.file[ix->desc.file.size() - 2] == 'G' ||
                                                       ix->desc.file[ix->desc.file.size() - 2] == 'g');
  HeaderFields hf;
  std::vector<FieldDesc> keyFields;
  for (int f : ix->desc.fields) {
    hf.fields.push_back(db.fields[static_cast<size_t>(f - 1)]);
    hf.numbers.push_back(static_cast<uint16_t>(f));
  }
  // Field numbers: the table's for the secondary fields, then the positions
  // of the fields that follow them in the entry.
  for (int k = 0; k < db.keyFieldCount; ++k) {
    hf.fields.push_back(db.fields[static_cast<size_t>(k)]);
    hf.numbers.push_back(static_cast<uint16_t>(hf.fields.size()));
  }
  keyFields = hf.fields;
  FieldDesc blk;
  blk.name = "Blk Num";
  blk.type = FieldType::kShort;
  blk.size = 2;
  hf.fields.push_back(blk);
  hf.numbers.push_back(static_cast<uint16_t>(hf.fields.size()));
  size_t keyBytes = 0;
  for (const auto& k : keyFields) keyBytes += StoredFieldSize(k);
  const int kib = static_cast<int>(db.blockSize / 1024);
  const int version = db.fileVersion;
  std::string sortOrder = db.sortOrderName;
  PDX_RETURN_IF_ERROR(DataHeader(composite ? 8 : 5, hf, static_cast<int>(keyFields.size()),
                                 static_cast<uint32_t>(keyBytes + 2), kib, version, db.EffectiveCodePage(), sortOrder,
                                 static_cast<uint8_t>(dbRaw[hdr::kSortOrder]), ix->desc.file, composite ? ix->desc.name : "", cp,
                                 &ix->xHeader));
  // An index's structure dates from its table's.
  if (version >= 5 && dbRaw.size() >= hdr::kUpdateTime + 4)
    PutLE32(&ix->xHeader, hdr::kUpdateTime, GetLE32(dbRaw, hdr::kUpdateTime));
  ix->xHeader[hdr::kIndexField] = static_cast<char>(ix->desc.fields.front());
  ix->xHeader[hdr::kChangeCount] = 0;
  ix->xHeader[hdr::kCaseInsensitive] = ix->desc.caseInsensitive ? 1 : 0;
  ix->xHeader[hdr::kTreeChange] = static_cast<char>(0xFF);
  // Composite entry files also carry 0x68, 12 above 0x66 on both samples.
  if (composite) PutLE16(&ix->xHeader, hdr::kFieldInfo2, static_cast<uint16_t>(GetLE16(ix->xHeader, hdr::kFieldInfo) + 4 * hf.fields.size()));
  PDX_RETURN_IF_ERROR(TreeHeader(composite ? 7 : 4, keyFields, keyBytes, kib, version,
                                 static_cast<uint8_t>(dbRaw[hdr::kSortOrder]), ix->treeFile, cp, &ix->yHeader));
  ix->xBlockSize = ix->yBlockSize = db.blockSize;
  return Status::OK();
}

void SecondaryFileNames(const std::string& base, const IndexDefinition& def, const std::vector<int>& fields,
                        const std::vector<WriterIndex>& existing, std::string* x, std::string* y) {
  const bool single = fields.size() == 1 && !def.caseInsensitive && !def.descending && !def.unique && def.name.empty();
  if (single) {
    *x = base + ".X" + Hex2(fields[0]);
    *y = base + ".Y" + Hex2(fields[0]);
    return;
  }
  const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (const char* d = digits; *d; ++d) {
    std::string cx = base + ".XG" + std::string(1, *d);
    bool used = std::any_of(existing.begin(), existing.end(), [&](const WriterIndex& s) {
      return EqualsNoCase(s.desc.file, cx);
    });
    if (!used) {
      *x = cx;
      *y = base + ".YG" + std::string(1, *d);
      return;
    }
  }
  *x = base + ".XGZ";
  *y = base + ".YGZ";
}

Status TableWriter::Create(Env* env, const std::string& dir, const std::string& name, const TableDefinition& def,
                           const Options& options, std::unique_ptr<TableWriter>* out) {
  std::string file = name;
  if (file.find('.') == std::string::npos) file += ".DB";
  const std::string base = file.substr(0, file.rfind('.'));
  const std::string label = "table " + JoinPath(dir, file);
  if (def.fields.empty() || def.fields.size() > 255)
    return Status::InvalidArgument(label + ": a table has 1 to 255 fields");
  if (def.keyFieldCount < 0 || static_cast<size_t>(def.keyFieldCount) > def.fields.size())
    return Status::InvalidArgument(label + ": key field count out of range");
  for (size_t i = 0; i < def.fields.size(); ++i) {
    const FieldDesc& f = def.fields[i];
    if (f.name.empty() || Utf8Length(f.name) > 25) return Status::InvalidArgument(label + ": field " + std::to_string(i + 1) + " needs a name of 1 to 25 characters");
    for (size_t j = 0; j < i; ++j)
      if (EqualsNoCase(def.fields[j].name, f.name)) return Status::InvalidArgument(label + ": two fields named \"" + f.name + "\"");
    if (!IsKnownFieldType(static_cast<uint8_t>(f.type))) return Status::InvalidArgument(label + ": field \"" + f.name + "\" has an unknown type");
    bool sizeOk = true;
    switch (f.type) {
      case FieldType::kAlpha: sizeOk = f.size >= 1 && f.size <= 255; break;
      case FieldType::kBytes: sizeOk = f.size >= 1 && f.size <= 255; break;
      case FieldType::kBcd: sizeOk = f.size <= 32; break;
      case FieldType::kMemo: case FieldType::kFmtMemo: case FieldType::kBlob: case FieldType::kOle: case FieldType::kGraphic:
        sizeOk = f.size >= 10 && f.size <= 250; break;
      default: break;
    }
    if (!sizeOk) return Status::InvalidArgument(label + ": field \"" + f.name + "\" has a size its type does not allow");
    if (static_cast<int>(i) < def.keyFieldCount && IsBlobType(f.type))
      return Status::InvalidArgument(label + ": blob field \"" + f.name + "\" cannot be in the key");
  }
  if (!env->DirExists(dir.empty() ? "." : dir)) return Status::NotFound(label + ": no such directory");
  std::string existing;
  if (FindFileNoCase(env, dir, file, &existing).ok())
    return Status::InvalidArgument(label + ": the table exists already");

  std::unique_ptr<TableWriteLock> lock;
  PDX_RETURN_IF_ERROR(AcquireTableWriteLock(env, dir, base, options.lock, &lock));
  PDX_RETURN_IF_ERROR(RecoverTable(env, dir, base));

  // Code page and sort order of the tables already there.
  int codePage = 1252;
  std::string sortOrder = "ANSIINTL";
  uint8_t sortOrderId = 0x62;
  std::vector<std::string> names;
  if (env->GetChildren(dir.empty() ? "." : dir, &names).ok()) {
    std::sort(names.begin(), names.end());
    for (const auto& n : names) {
      if (n.size() < 4 || !EqualsNoCase(n.substr(n.size() - 3), ".db")) continue;
      std::unique_ptr<ParadoxFile> f;
      if (!ParadoxFile::Open(env, JoinPath(dir, n), &f).ok() || !f->header().IsDataFile()) continue;
      codePage = f->header().EffectiveCodePage();
      sortOrder = f->header().sortOrderName;
      sortOrderId = static_cast<uint8_t>(f->header().raw[hdr::kSortOrder]);
      break;
    }
  }
  if (def.codePage != 0) codePage = def.codePage;
  if (!def.sortOrder.empty()) {
    sortOrder = def.sortOrder;
    sortOrderId = def.sortOrderId >= 0 ? static_cast<uint8_t>(def.sortOrderId) : KnownSortOrderId(sortOrder);
  }
  const CodePage* cp = nullptr;
  PDX_RETURN_IF_ERROR(CodePage::Find(codePage, &cp));
  NewTableHeaders headers;
  Status s = BuildNewTableHeaders(file, def, codePage, sortOrder, sortOrderId, *cp,
                                  static_cast<uint32_t>(env->NowSeconds()), &headers);
  if (!s.ok()) return Status::InvalidArgument(label + ": " + s.message());

  // An empty table through the same commit as any change.
  {
    TableCommit commit(env, dir, base);
    WritableFile* f = nullptr;
    PDX_RETURN_IF_ERROR(commit.Stage(file, &f));
    DataFileLayout layout;
    layout.name = label;
    layout.header = headers.db;
    layout.blockSize = static_cast<uint32_t>(static_cast<uint8_t>(headers.db[hdr::kBlockKiB])) * 1024;
    layout.recordSize = GetLE16(headers.db, 0);
    std::vector<BlockSummary> blocks;
    PDX_RETURN_IF_ERROR(WriteDataFile(layout, {}, f, &blocks));
    if (!headers.px.empty()) {
      PDX_RETURN_IF_ERROR(commit.Stage(base + ".PX", &f));
      IndexFileLayout ilayout;
      ilayout.name = label;
      ilayout.header = headers.px;
      ilayout.blockSize = layout.blockSize;
      ilayout.keyBytes = GetLE16(headers.px, 0) - 6u;
      PDX_RETURN_IF_ERROR(WriteIndexFile(ilayout, blocks, f));
    }
    PDX_RETURN_IF_ERROR(commit.Commit());
  }
  std::unique_ptr<TableWriter> w;
  PDX_RETURN_IF_ERROR(OpenLockedWriter(env, dir, file, std::move(lock), options.lock, &w));
  for (const auto& ix : def.indexes) {
    s = w->AddIndex(ix);
    if (!s.ok()) return s;
  }
  if (!def.indexes.empty()) PDX_RETURN_IF_ERROR(w->Flush());
  *out = std::move(w);
  return Status::OK();
}

}  // namespace pdx
