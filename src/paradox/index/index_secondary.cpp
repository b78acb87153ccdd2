// Secondary index entry files and how the index files of a table are found.
//
// File names: beside TABLE.DB (any case)
//   TABLE.PX           primary index tree (keyed tables)
//   TABLE.Xnn/.Ynn     single-field, case-sensitive secondary index on field nn
//                      (two hexadecimal digits); its name is the field's name
//   TABLE.XGn/.YGn     composite, named or case-insensitive secondary index n
//                      (one digit or letter); its name is stored in the header
//
// Entry files (.Xnn file type 3, or 5 when maintained; .XGn 6, or 8 when
// maintained) have the data-file header (header.cpp), with the table's code page
// and the sort order name of the table (e.g. "ascii", "intl850"). Their fields:
//   the secondary fields (descriptors equal to the table's fields),
//   then the table's primary key fields,
//   then "Blk Num", a short: the data block that held the record when the entry
//   was written (a hint: the engine does not rewrite it when records move).
// Header values particular to them:
//   0x15 u8   table field number of the first secondary field
//   0x23 u16  secondary fields + primary key fields (the entries' key fields)
//   0x55 u8   bit 0 set: case-insensitive index (set on both case-insensitive
//             samples, clear on both case-sensitive ones)
//   field numbers (one u16 per field, after the field names): for each secondary
//             field its table field number; then 2, 3, ... (the positions of the
//             following fields in the entry; seen [2, 2, 3] and [3, 2, 3] for
//             one secondary field over a one-field key)
//   after the sort order name (.XGn only): the NUL-terminated index name
// Constant in every sample entry file: 0x26, 0x28, 0x2C 0xFF; 0x3E 0x1F,
// 0x3F 0x0F; 0x52 0x01; 0x56 0x20; 0x58 and 0x5A the file version, 0x59 and
// 0x5B 0x01; 0x64 0x04; 0x6C, 0x6D 0x01; 0x68 non-zero only in .XGn files.
// No sample holds a unique or descending secondary index; where the engine
// stores those flags is not known: unique reads as false, and a descending
// index is recognised from its entries (its first key above its last one), so
// one with fewer than two distinct keys reads as ascending.
//
// Entries are records of the file's block chain, in index order: by the
// secondary fields (through the collation; the case-insensitive variant for a
// case-insensitive index, whose alpha values are stored uppercased), then by
// the primary key. The .Ynn/.YGn tree (index_tree.cpp) has one lowest-level
// entry per entry block: the block's first entry without its hint, the block
// number and its entry count.
#include "paradox/index/index_secondary.h"

#include <algorithm>
#include <cctype>

#include "paradox/codepage.h"
#include "paradox/index/index_tree.h"
#include "paradox/format/paradox_file.h"
#include "paradox/text/ascii.h"

namespace pdx {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiUpper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void SplitPath(const std::string& path, std::string* dir, std::string* base) {
  size_t slash = path.find_last_of('/');
  *dir = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  *base = dot == std::string::npos ? name : name.substr(0, dot);
}

bool SameDescriptor(const FieldDesc& a, const FieldDesc& b) { return a.type == b.type && a.size == b.size; }

// Checks that an entry file fits the table and fills the descriptor.
Status DescribeSecondary(const std::string& path, const std::string& fileName, bool composite, const FileHeader& x,
                         const FileHeader& db, IndexDesc* d) {
  auto bad = [&](const std::string& what) { return Status::Corruption(path + ": " + what); };
  bool typeOk = composite ? (x.fileType == 6 || x.fileType == 8) : (x.fileType == 3 || x.fileType == 5);
  if (!typeOk) return bad("file type " + std::to_string(x.fileType) + " is not that of a secondary index");
  const int pk = db.keyFieldCount;
  const int nsec = static_cast<int>(x.keyFieldCount) - pk;
  if (nsec < 1 || x.fieldCount != nsec + pk + 1) {
    return bad("field counts (" + std::to_string(x.fieldCount) + " fields, " + std::to_string(x.keyFieldCount) +
               " key fields) do not fit a table with a " + std::to_string(pk) + "-field key");
  }
  if (x.fieldNumbers.size() != x.fieldCount) return bad("no field numbers");
  d->fields.clear();
  for (int i = 0; i < nsec; ++i) {
    int f = x.fieldNumbers[i];
    if (f < 1 || f > db.fieldCount) return bad("index field " + std::to_string(f) + " is not a field of the table");
    if (!SameDescriptor(x.fields[i], db.fields[f - 1])) {
      return bad("index field \"" + db.fields[f - 1].name + "\" differs in type or size from the table's");
    }
    d->fields.push_back(f);
  }
  for (int i = 0; i < pk; ++i) {
    if (!SameDescriptor(x.fields[nsec + i], db.fields[i])) return bad("primary key fields differ from the table's");
  }
  if (x.fields.back().type != FieldType::kShort) return bad("last field is not the block number");
  d->file = fileName;
  d->primary = false;
  d->unique = false;
  d->descending = false;
  d->caseInsensitive = x.raw.size() > hdr::kCaseInsensitive && (static_cast<uint8_t>(x.raw[hdr::kCaseInsensitive]) & 0x01) != 0;
  if (composite) {
    size_t pos = x.tailOffset;
    std::string name;
    if (pos == 0) return bad("no index name");
    PDX_RETURN_IF_ERROR(ReadHeaderString(path, x.raw, x.raw.size(), &pos, &name, "index name"));
    const CodePage* cp = nullptr;
    PDX_RETURN_IF_ERROR(CodePage::Find(x.EffectiveCodePage(), &cp));
    d->name = cp->Decode(name);
    if (d->name.empty()) return bad("empty index name");
  } else {
    d->name = db.fields[d->fields[0] - 1].name;
  }
  return Status::OK();
}

// Where the engine keeps the descending flag is not known, but the entries
// show it: the first entry's key above the last one's. Only the chain's first
// and last blocks are read, so opening a table stays cheap; a file that cannot
// be read that far is left as ascending (reading its entries reports it).
void RecogniseDirection(const ParadoxFile& xf, const FileHeader& db, IndexDesc* d) {
  const FileHeader& x = xf.header();
  if (x.firstBlock == 0 || x.lastBlock == 0 || x.recordCount < 2) return;
  std::string first, last;
  BlockHeader bh;
  if (!xf.LoadBlock(x.firstBlock, &first, &bh).ok() || bh.records == 0) return;
  const std::string firstEntry(xf.RecordPtr(first, 0), x.recordSize);
  if (!xf.LoadBlock(x.lastBlock, &last, &bh).ok() || bh.records == 0) return;
  const char* lastEntry = xf.RecordPtr(last, bh.records - 1);
  Collation collation;
  if (!TableCollation(db, &collation).ok()) collation = Collation();
  KeyLayout key;
  key.collation = &collation;
  key.caseInsensitive = d->caseInsensitive;
  for (size_t i = 0; i < d->fields.size() && i < x.fields.size(); ++i)
    key.parts.push_back({x.fields[i].type, x.fieldOffsets[i], StoredFieldSize(x.fields[i])});
  if (key.Compare(firstEntry.data(), lastEntry) > 0) d->descending = true;
}

}  // namespace

Status TableCollation(const FileHeader& db, Collation* out) {
  const CodePage* cp = nullptr;
  PDX_RETURN_IF_ERROR(CodePage::Find(db.EffectiveCodePage(), &cp));
  CodePageMap map{};
  for (int b = 0; b < 256; ++b) map[b] = cp->CodePoint(static_cast<uint8_t>(b));
  return Collation::Make(db.sortOrderName.empty() ? "ascii" : db.sortOrderName, map, out);
}

Status DiscoverIndexes(Env* env, const std::string& dbPath, const FileHeader& db, IndexDiscovery* out) {
  *out = IndexDiscovery();
  std::string dir, base;
  SplitPath(dbPath, &dir, &base);
  std::vector<std::string> names;
  PDX_RETURN_IF_ERROR(env->GetChildren(dir, &names));
  std::sort(names.begin(), names.end());
  const std::string prefix = AsciiUpper(base) + ".";

  auto findSibling = [&](const std::string& ext) -> std::string {
    for (const std::string& n : names) {
      if (AsciiUpper(n) == prefix + ext) return n;
    }
    return "";
  };

  if (db.IsKeyed()) {
    IndexFiles p;
    p.desc.primary = true;
    p.desc.unique = true;
    for (int i = 1; i <= db.keyFieldCount; ++i) p.desc.fields.push_back(i);
    std::string px = findSibling("PX");
    p.desc.file = px;
    if (!px.empty()) p.entryPath = JoinPath(dir, px);
    out->indexes.push_back(p);
  }

  for (const std::string& n : names) {
    std::string u = AsciiUpper(n);
    if (u.size() <= prefix.size() || u.compare(0, prefix.size(), prefix) != 0) continue;
    std::string ext = u.substr(prefix.size());
    bool composite = false;
    if (ext.size() == 3 && ext[0] == 'X' && ext[1] == 'G' && HexDigit(ext[2]) >= 0) {
      composite = true;
    } else if (!(ext.size() == 3 && ext[0] == 'X' && HexDigit(ext[1]) >= 0 && HexDigit(ext[2]) >= 0)) {
      continue;
    }
    std::string path = JoinPath(dir, n);
    if (!db.IsKeyed()) {
      out->problems.push_back(Status::Corruption(path + ": secondary index of a table without a primary key"));
      continue;
    }
    std::unique_ptr<ParadoxFile> xf;
    Status s = ParadoxFile::Open(env, path, &xf);
    IndexFiles f;
    if (s.ok()) s = DescribeSecondary(path, n, composite, xf->header(), db, &f.desc);
    if (!s.ok()) {
      out->problems.push_back(s);
      continue;
    }
    RecogniseDirection(*xf, db, &f.desc);
    f.entryPath = path;
    std::string tree = findSibling("Y" + ext.substr(1));
    if (!tree.empty()) f.treePath = JoinPath(dir, tree);
    out->indexes.push_back(std::move(f));
  }
  return Status::OK();
}

Status SecondaryIndex::Open(Env* env, const IndexFiles& files, const FileHeader& db, const Collation* collation,
                            std::unique_ptr<SecondaryIndex>* out) {
  auto si = std::unique_ptr<SecondaryIndex>(new SecondaryIndex());
  si->files_ = files;
  si->collation_ = collation;
  std::unique_ptr<ParadoxFile> xf;
  PDX_RETURN_IF_ERROR(ParadoxFile::Open(env, files.entryPath, &xf));
  const FileHeader& x = xf->header();
  IndexDesc check;
  PDX_RETURN_IF_ERROR(DescribeSecondary(files.entryPath, files.desc.file, x.fileType >= 6, x, db, &check));
  si->header_ = x;
  const size_t nsec = files.desc.fields.size();
  for (KeyLayout* k : {&si->key_, &si->fullKey_}) {
    k->collation = collation;
    k->caseInsensitive = files.desc.caseInsensitive;
    k->descending = files.desc.descending;
  }
  for (size_t i = 0; i + 1 < x.fields.size(); ++i) {
    KeyPart part{x.fields[i].type, x.fieldOffsets[i], StoredFieldSize(x.fields[i])};
    if (i < nsec) si->key_.parts.push_back(part);
    si->fullKey_.parts.push_back(part);
  }
  si->pkOffset_ = nsec < x.fieldOffsets.size() ? x.fieldOffsets[nsec] : 0;
  si->hintOffset_ = x.fieldOffsets.back();
  si->pkSize_ = si->hintOffset_ - si->pkOffset_;

  PDX_RETURN_IF_ERROR(WalkRecords(xf.get(), [&](const char* rec, uint32_t block, uint32_t) {
    si->entries_.emplace_back(rec, x.recordSize);
    si->entryBlocks_.push_back(block);
  }));
  // Where the engine keeps the descending flag is not known, but the entries
  // show it: the first key above the last one.
  if (!si->key_.descending && si->entries_.size() > 1 &&
      si->key_.Compare(si->entries_.front().data(), si->entries_.back().data()) > 0) {
    si->key_.descending = si->fullKey_.descending = true;
    si->files_.desc.descending = true;
  }
  *out = std::move(si);
  return Status::OK();
}

uint32_t SecondaryIndex::HintBlock(const std::string& entry) const {
  if (entry.size() < hintOffset_ + 2) return 0;
  int32_t b = StoredShort(entry.data() + hintOffset_);
  return b > 0 ? static_cast<uint32_t>(b) : 0;
}

std::string SecondaryIndex::FoldedPrimaryKey(std::string_view pk, const FileHeader& db) const {
  std::string out(pk);
  for (int i = 0; i < db.keyFieldCount; ++i) {
    const FieldDesc& fd = db.fields[i];
    size_t at = db.fieldOffsets[i], n = StoredFieldSize(fd);
    if (fd.type == FieldType::kAlpha && at + n <= out.size()) collation_->Upcase(out.data() + at, n);
  }
  return out;
}

std::string SecondaryIndex::EntryKeyOf(const char* record, const FileHeader& db) const {
  std::string key;
  for (size_t i = 0; i < files_.desc.fields.size(); ++i) {
    int f = files_.desc.fields[i] - 1;
    const FieldDesc& fd = db.fields[f];
    std::string bytes(record + db.fieldOffsets[f], StoredFieldSize(fd));
    if (files_.desc.caseInsensitive && fd.type == FieldType::kAlpha) collation_->Upcase(bytes.data(), bytes.size());
    key += bytes;
  }
  return key;
}

}  // namespace pdx
