// Writing a table's files from the writer's rows, all in one TableCommit.
//
// Blob file (.MB), as written here: blocks of 4096 bytes.
//   block 0: the file header (kept from the table's previous .MB when there is
//            one, else the engine's usual header bytes, kMbHeader below), with
//            u16 LE at 0x03 counting rewrites;
//   then, for each value that does not fit its record, either (up to 2048
//   bytes) an entry of a shared type-3 block (see MbWriter::AddSmall), or a
//   type-2 run: u8 2, u16 LE blocks in the run, u32 LE length, u16 LE
//   modifier, the value from byte 9, zero up to the end of the run.
//   No free blocks remain: space of deleted or replaced values is released.
// A blob field in a record: its first (size - 10) bytes hold the leading bytes
// of the value (of a graphic's picture, past its 8-byte header), then u32 LE offset (run offset | 0xFF; 0 when the value fits in
// the record), u32 LE length, u16 LE modifier (1 for values in the .MB).
//
// Change counters, so that the engine takes every index as current:
//   .DB 0x2D is bumped at every write; .PX 0x2C and .Xnn 0x2F repeat it;
//   .Xnn 0x2E repeats .DB 0x2E; .Xnn 0x2D is the index's own counter, bumped at
//   every write, and .Ynn 0x2C repeats it. The time at 0x60 of extended
//   headers is that of the structure (creation, restructure), which the .VAL
//   repeats: a change of records leaves it.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "paradox/commit.h"
#include "paradox/format/file_build.h"
#include "paradox/format/graphic_value.h"
#include "paradox/write/writer_impl.h"

namespace pdx {
namespace {

constexpr uint32_t kMbBlock = 4096;

// The header block's leading bytes as the original engine writes them; the
// rest of the block is zero.
constexpr unsigned char kMbHeader[] = {0x00, 0x01, 0x00, 0x01, 0x00, 0x82, 0x73, 0x02, 0x00, 0x29, 0x00, 0x00,
                                       0x10, 0x00, 0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08, 0x00};
constexpr size_t kMbHeaderTailAt = 0x29;
constexpr unsigned char kMbHeaderTail[] = {0xA1, 0x02};

class MbWriter {
 public:
  explicit MbWriter(WritableFile* f) : f_(f) {}
  Status Start(const std::string& headerBlock) {
    std::string h = headerBlock;
    h.resize(kMbBlock, '\0');
    offset_ = kMbBlock;
    return f_->Append(h.data(), h.size());
  }
  // Appends a value; *ref receives its reference (run offset | 0xFF, or
  // sub-allocated block offset | entry).
  Status Add(const std::string& value, uint32_t* ref) {
    if (value.size() <= kSmallMax) return AddSmall(value, ref);
    const uint64_t blocks = (9 + value.size() + kMbBlock - 1) / kMbBlock;
    if (blocks > 0xFFFF || offset_ + blocks * kMbBlock > 0xFFFFFF00ull)
      return Status::InvalidArgument("blob of " + std::to_string(value.size()) + " bytes does not fit the blob file");
    std::string run(static_cast<size_t>(blocks * kMbBlock), '\0');
    run[0] = 2;
    PutLE16(&run, 1, static_cast<uint16_t>(blocks));
    PutLE32(&run, 3, static_cast<uint32_t>(value.size()));
    PutLE16(&run, 7, 1);
    std::memcpy(run.data() + 9, value.data(), value.size());
    *ref = static_cast<uint32_t>(offset_) | 0xFFu;
    offset_ += run.size();
    return f_->Append(run.data(), run.size());
  }
  // Writes the sub-allocated block being filled.
  Status Finish() {
    if (subAt_ == 0) return Status::OK();
    Status s = f_->WriteAt(subAt_, sub_.data(), sub_.size());
    subAt_ = 0;
    return s;
  }

 private:
  // Small values share type-3 blocks: u8 3, u16 1 block, 9 zero bytes, then
  // 64 entries of 5 bytes (u8 offset / 16, u8 16-byte chunks, u16 modifier,
  // u8 length % 16), filled from the last; values from byte 336 in chunks.
  static constexpr size_t kSmallMax = 2048;
  static constexpr uint32_t kFirstChunk = 336 / 16;
  Status AddSmall(const std::string& value, uint32_t* ref) {
    const uint32_t chunks = static_cast<uint32_t>((value.size() + 15) / 16);
    if (subAt_ == 0 || nextEntry_ < 0 || nextChunk_ + chunks > kMbBlock / 16) {
      PDX_RETURN_IF_ERROR(Finish());
      if (offset_ + kMbBlock > 0xFFFFFF00ull) return Status::InvalidArgument("the blob file is full");
      sub_.assign(kMbBlock, '\0');
      sub_[0] = 3;
      PutLE16(&sub_, 1, 1);
      subAt_ = offset_;
      offset_ += kMbBlock;
      PDX_RETURN_IF_ERROR(f_->Append(sub_.data(), sub_.size()));  // its place; filled at Finish
      nextEntry_ = 63;
      nextChunk_ = kFirstChunk;
    }
    const size_t e = 12 + static_cast<size_t>(nextEntry_) * 5;
    sub_[e] = static_cast<char>(nextChunk_);
    sub_[e + 1] = static_cast<char>(chunks);
    PutLE16(&sub_, e + 2, 1);
    sub_[e + 4] = static_cast<char>(value.size() % 16);
    std::memcpy(sub_.data() + static_cast<size_t>(nextChunk_) * 16, value.data(), value.size());
    *ref = static_cast<uint32_t>(subAt_) | static_cast<uint32_t>(nextEntry_);
    --nextEntry_;
    nextChunk_ += chunks;
    return Status::OK();
  }

  WritableFile* f_;
  uint64_t offset_ = 0;
  std::string sub_;
  uint64_t subAt_ = 0;
  int nextEntry_ = -1;
  uint32_t nextChunk_ = 0;
};

}  // namespace

Status TableWriterImpl::WriteFiles(bool keepData, std::unique_ptr<TableCommit>* staged) {
  auto owned = std::make_unique<TableCommit>(env_, dir_, base_);
  TableCommit& commit = *owned;
  // Stored order, and each row's final record bytes.
  std::vector<RowId> order = Rows();
  std::vector<const char*> records;
  records.reserve(order.size());

  // Blob values: refreshed in-record parts, whole values in a new .MB. Where
  // each value went, applied to the slots once the commit is through.
  struct Moved {
    uint64_t key;
    uint32_t offset;
    uint32_t length;
  };
  std::vector<Moved> moved;
  if (!blobFields_.empty() && !keepData) {
    WritableFile* mb = nullptr;
    PDX_RETURN_IF_ERROR(commit.Stage(mbName_, &mb));
    MbWriter w(mb);
    std::string header;
    std::string mbPath;
    if (FindFileNoCase(env_, dir_, mbName_, &mbPath).ok()) {
      std::unique_ptr<RandomAccessFile> old;
      if (env_->NewRandomAccessFile(mbPath, &old).ok()) {
        header.resize(kMbBlock);
        size_t got = 0;
        if (!old->Read(0, kMbBlock, header.data(), &got).ok() || got < 0x30 || header[0] != 0) header.clear();
      }
    }
    if (header.empty()) {
      header.assign(kMbBlock, '\0');
      std::memcpy(header.data(), kMbHeader, sizeof kMbHeader);
      std::memcpy(header.data() + kMbHeaderTailAt, kMbHeaderTail, sizeof kMbHeaderTail);
    } else {
      PutLE16(&header, 3, static_cast<uint16_t>(GetLE16(header, 3) + 1));
    }
    Status s = w.Start(header);
    if (!s.ok()) return s.WithContext(label_ + ": writing the blob file");
    for (RowId id : order) {
      char* rec = rows_.at(id);
      for (int f : blobFields_) {
        const FieldDesc& fd = info_.fields[static_cast<size_t>(f - 1)];
        char* p = rec + offsets_[static_cast<size_t>(f - 1)];
        const size_t head = fd.size - 10u;
        std::memset(p, 0, fd.size);
        auto it = blobs_.find(BlobKey(id, f));
        if (it == blobs_.end()) continue;
        std::string v;
        s = BlobBytes(it->second, &v);
        if (!s.ok()) return Status::Corruption(label_ + ": field \"" + fd.name + "\": " + s.message());
        if (v.empty()) continue;
        // A value kept whole in the record is copied as it is; otherwise the
        // record keeps the leading bytes the engine copies there.
        const std::string_view lead = v.size() > head ? RecordHeadSource(fd.type, v) : std::string_view(v);
        std::memcpy(p, lead.data(), std::min(head, lead.size()));
        std::string tail(10, '\0');
        uint32_t ref = 0;
        uint16_t modifier = 0;
        if (v.size() > head) {
          s = w.Add(v, &ref);
          if (s.IsIOError()) return Status::IOError(label_ + ": writing the blob file: " + s.message());
          if (!s.ok()) return Status::InvalidArgument(label_ + ": field \"" + fd.name + "\": " + s.message());
          modifier = 1;
          moved.push_back({it->first, ref, static_cast<uint32_t>(v.size())});
        }
        PutLE32(&tail, 0, ref);
        PutLE32(&tail, 4, static_cast<uint32_t>(v.size()));
        PutLE16(&tail, 8, modifier);
        std::memcpy(p + head, tail.data(), 10);
      }
    }
    s = w.Finish();
    if (!s.ok()) return s.WithContext(label_ + ": writing the blob file");
  }
  for (RowId id : order) records.push_back(rows_.at(id));

  // The data file.
  std::string dbHeader = dbHeader_;
  DataFileLayout layout;
  layout.keyBytes = Keyed() ? primary_.ProbeSize(primary_.parts.size()) : 0;
  std::vector<BlockSummary> blocks;
  std::vector<uint32_t> blockOf;
  Status s;
  if (keepData) {
    if (dirty_) return Status::InvalidArgument(label_ + ": indexes can only be rebuilt over unchanged data");
    size_t loaded = 0;
    for (const auto& b : loadedBlocks_) loaded += b.records;
    if (loaded != rows_.size())
      return Status::InvalidArgument(label_ + ": indexes can only be rebuilt over the data as loaded");
    blocks = loadedBlocks_;
    // Unchanged since loading: row ids follow the loaded blocks' records.
    std::vector<uint32_t> loadedBlockOf;
    loadedBlockOf.reserve(rows_.size());
    for (const auto& b : loadedBlocks_) loadedBlockOf.insert(loadedBlockOf.end(), b.records, b.block);
    for (RowId id : order) blockOf.push_back(loadedBlockOf[id]);
  } else {
    dbHeader[hdr::kChangeCount] = static_cast<char>(static_cast<uint8_t>(dbHeader[hdr::kChangeCount]) + 1);
    PutLE32(&dbHeader, hdr::kAutoIncrement, autoInc_);
    WritableFile* dbf = nullptr;
    PDX_RETURN_IF_ERROR(commit.Stage(dbName_, &dbf));
    layout.name = label_;
    layout.header = dbHeader;
    layout.blockSize = blockSize_;
    layout.recordSize = recordSize_;
    s = WriteDataFile(layout, records, dbf, &blocks);
    if (!s.ok()) return s.WithContext(label_);
    for (const auto& b : blocks)
      for (uint32_t i = 0; i < b.records; ++i) blockOf.push_back(b.block);
  }

  std::string pxHeader = pxHeader_;
  std::vector<std::string> xHeaders, yHeaders;
  if (Keyed()) {
    pxHeader[hdr::kTreeChange] = dbHeader[hdr::kChangeCount];
    WritableFile* px = nullptr;
    PDX_RETURN_IF_ERROR(commit.Stage(pxName_, &px));
    IndexFileLayout ilayout;
    ilayout.name = label_ + " primary index";
    ilayout.header = pxHeader;
    ilayout.blockSize = pxBlockSize_;
    ilayout.keyBytes = layout.keyBytes;
    s = WriteIndexFile(ilayout, blocks, px);
    if (!s.ok()) return s.WithContext(label_);

    for (auto& ix : secondaries_) {
      ix.xHeader[hdr::kChangeCount] = static_cast<char>(static_cast<uint8_t>(ix.xHeader[hdr::kChangeCount]) + 1);
      ix.xHeader[hdr::kChangeCount2] = dbHeader[hdr::kChangeCount2];
      ix.xHeader[hdr::kDataChange] = dbHeader[hdr::kChangeCount];
      if (!ix.yHeader.empty()) ix.yHeader[hdr::kTreeChange] = ix.xHeader[hdr::kChangeCount];
      PDX_RETURN_IF_ERROR(BuildSecondary(ix, records, blockOf, &commit));
    }
  }
  for (const auto& [name, bytes] : extraFiles_) {
    WritableFile* f = nullptr;
    PDX_RETURN_IF_ERROR(commit.Stage(name, &f));
    s = f->Append(bytes.data(), bytes.size());
    if (!s.ok()) return s.WithContext(label_);
  }
  for (const auto& f : droppedFiles_) {
    std::string path;
    if (FindFileNoCase(env_, dir_, f, &path).ok()) PDX_RETURN_IF_ERROR(commit.StageRemoval(path.substr(path.rfind('/') + 1)));
  }
  if (staged) {
    *staged = std::move(owned);
    return Status::OK();
  }
  PDX_RETURN_IF_ERROR(commit.Commit());
  if (!blobFields_.empty() && !keepData) {
    // Values now in the new .MB are read from there when needed.
    for (const auto& m : moved) {
      BlobSlot& slot = blobs_[m.key];
      slot.data.clear();
      slot.data.shrink_to_fit();
      slot.lazy = true;
      slot.offset = m.offset;
      slot.length = m.length;
    }
    mb_.reset();
    Status s2 = BlobFile::Open(env_, JoinPath(dir_, mbName_), &mb_);
    if (!s2.ok()) return s2.WithContext(label_ + ": cannot reopen its blob file");
  }
  info_.recordCount = static_cast<uint32_t>(live_);
  info_.autoIncrement = autoInc_;
  dbHeader_ = dbHeader;
  pxHeader_ = pxHeader;
  droppedFiles_.clear();
  extraFiles_.clear();
  dirty_ = false;
  return Status::OK();
}

Status TableWriterImpl::BuildSecondary(const WriterIndex& ix, const std::vector<const char*>& records,
                                       const std::vector<uint32_t>& blockOf, TableCommit* commit) const {
  // An entry: the index's fields, the primary key, the row's data block.
  size_t secBytes = 0;
  KeyLayout layout;
  layout.collation = &collation_;
  layout.caseInsensitive = ix.desc.caseInsensitive;
  layout.descending = ix.desc.descending;
  for (int f : ix.desc.fields) {
    const FieldDesc& fd = info_.fields[static_cast<size_t>(f - 1)];
    size_t sz = pdx::StoredFieldSize(fd);
    layout.parts.push_back({fd.type, secBytes, sz});
    secBytes += sz;
  }
  const size_t pkBytes = primary_.ProbeSize(primary_.parts.size());
  const size_t entry = secBytes + pkBytes + 2;
  std::string all(records.size() * entry, '\0');
  for (size_t r = 0; r < records.size(); ++r) {
    char* e = all.data() + r * entry;
    size_t at = 0;
    for (size_t k = 0; k < ix.desc.fields.size(); ++k) {
      int f = ix.desc.fields[k];
      const FieldDesc& fd = info_.fields[static_cast<size_t>(f - 1)];
      std::memcpy(e + at, records[r] + offsets_[static_cast<size_t>(f - 1)], layout.parts[k].size);
      if (ix.desc.caseInsensitive && fd.type == FieldType::kAlpha) collation_.Upcase(e + at, layout.parts[k].size);
      at += layout.parts[k].size;
    }
    std::memcpy(e + at, records[r], pkBytes);
    std::string hint;
    AppendIndexShort(&hint, blockOf[r]);
    std::memcpy(e + at + pkBytes, hint.data(), 2);
  }
  std::vector<const char*> entries(records.size());
  for (size_t r = 0; r < records.size(); ++r) entries[r] = all.data() + r * entry;
  // Equal index keys keep primary-key order (the stored order): a stable sort.
  std::stable_sort(entries.begin(), entries.end(),
                   [&](const char* a, const char* b) { return layout.Compare(a, b) < 0; });
  if (ix.desc.unique) {
    for (size_t r = 1; r < entries.size(); ++r)
      if (layout.Compare(entries[r - 1], entries[r]) == 0)
        return Status::InvalidArgument(label_ + ": unique index \"" + ix.desc.name + "\" would hold a key twice");
  }
  WritableFile* xf = nullptr;
  PDX_RETURN_IF_ERROR(commit->Stage(ix.desc.file, &xf));
  DataFileLayout xlayout;
  xlayout.name = label_ + " index " + ix.desc.name;
  xlayout.header = ix.xHeader;
  xlayout.blockSize = ix.xBlockSize;
  xlayout.recordSize = static_cast<uint32_t>(entry);
  xlayout.keyBytes = secBytes + pkBytes;
  std::vector<BlockSummary> blocks;
  Status s = WriteDataFile(xlayout, entries, xf, &blocks);
  if (!s.ok()) return s.WithContext(label_);
  if (ix.yHeader.empty()) return Status::OK();
  WritableFile* yf = nullptr;
  PDX_RETURN_IF_ERROR(commit->Stage(ix.treeFile, &yf));
  IndexFileLayout ilayout;
  ilayout.name = xlayout.name;
  ilayout.header = ix.yHeader;
  ilayout.blockSize = ix.yBlockSize;
  ilayout.keyBytes = secBytes + pkBytes;
  s = WriteIndexFile(ilayout, blocks, yf);
  if (!s.ok()) return s.WithContext(label_);
  return Status::OK();
}

}  // namespace pdx
