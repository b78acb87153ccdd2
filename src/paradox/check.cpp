#include "paradox/check.h"

#include "paradox/commit.h"
#include "paradox/table_lock.h"

#include <set>

#include "paradox/format/field_codec.h"
#include "paradox/format/graphic_value.h"
#include "paradox/index/index_check.h"
#include "paradox/read/table_impl.h"

namespace pdx {
namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether a record's leading part copies the blob as the engine would (graphic
// fields copy the picture after the value's header; a picture shorter than
// that part is compared as far as it goes).
bool HeadMatches(FieldType type, std::string_view blob, std::string_view head) {
  const std::string_view want = RecordHeadSource(type, blob).substr(0, head.size());
  return head.substr(0, want.size()) == want;
}

class Checker {
 public:
  Checker(const TableImpl& t, std::vector<CheckFinding>* out) : t_(t), db_(t.db()), out_(out) {}

  void Run() {
    CheckSizes();
    WalkChain();
    std::vector<std::string> lines;
    Status s = CheckIndexes(t_, &lines);
    if (!s.ok()) AddDb(s.message());
    for (const std::string& line : lines) {
      size_t colon = line.find(": ");
      if (colon == std::string::npos)
        Add(BaseName(db_.path()), line);
      else
        Add(line.substr(0, colon), line.substr(colon + 2));
    }
  }

 private:
  void Add(const std::string& file, const std::string& what) { out_->push_back({file, what}); }
  void AddDb(const std::string& what) { Add(BaseName(db_.path()), what); }

  void CheckSizes() {
    const FileHeader& h = db_.header();
    uint64_t expected = h.headerSize + static_cast<uint64_t>(h.fileBlocks) * h.blockSize;
    if (db_.fileSize() < expected)
      AddDb("the header counts " + std::to_string(h.fileBlocks) + " blocks, the file holds " +
            std::to_string(db_.BlocksInFile()));
    else if (db_.fileSize() > expected)
      AddDb("the file holds " + std::to_string(db_.fileSize() - expected) + " bytes beyond its " +
            std::to_string(h.fileBlocks) + " blocks");
    if (h.blocksInUse > h.fileBlocks)
      AddDb("the header counts " + std::to_string(h.blocksInUse) + " blocks in use of " +
            std::to_string(h.fileBlocks));
  }

  void WalkChain() {
    const FileHeader& h = db_.header();
    std::set<uint32_t> seen;
    uint32_t prev = 0, n = h.firstBlock, blocks = 0;
    uint64_t records = 0;
    std::string buf;
    if (n == 0 && h.recordCount != 0) AddDb("no first data block, yet the header counts records");
    while (n != 0) {
      if (n > db_.BlocksInFile()) {
        AddDb("block " + std::to_string(prev) + " points to block " + std::to_string(n) + ", outside the file");
        break;
      }
      if (!seen.insert(n).second) {
        AddDb("block chain loops back to block " + std::to_string(n));
        break;
      }
      BlockHeader bh;
      Status s = db_.LoadBlock(n, &buf, &bh);
      if (!s.ok()) {
        AddDb(s.message().substr(s.message().find(": ") + 2));
        break;
      }
      if (bh.prev != prev)
        AddDb("block " + std::to_string(n) + " names block " + std::to_string(bh.prev) +
              " as previous, the chain came from block " + std::to_string(prev));
      for (uint32_t slot = 0; slot < bh.records; ++slot) CheckRecord(db_.RecordPtr(buf, slot), records + slot + 1, n, slot);
      records += bh.records;
      ++blocks;
      prev = n;
      n = bh.next;
    }
    if (prev != 0 && prev != h.lastBlock)
      AddDb("the chain ends at block " + std::to_string(prev) + ", the header names block " +
            std::to_string(h.lastBlock) + " as last");
    if (records != h.recordCount)
      AddDb("the header counts " + std::to_string(h.recordCount) + " records, the data blocks hold " +
            std::to_string(records));
    if (blocks != h.blocksInUse)
      AddDb("the header counts " + std::to_string(h.blocksInUse) + " blocks in use, the chain links " +
            std::to_string(blocks));
    if (maxAutoInc_ > h.autoIncrement)
      AddDb("autoincrement value " + std::to_string(maxAutoInc_) + " above the header's last value " +
            std::to_string(h.autoIncrement));
  }

  void CheckRecord(const char* rec, uint64_t ordinal, uint32_t block, uint32_t slot) {
    const FileHeader& h = db_.header();
    for (size_t f = 0; f < h.fields.size(); ++f) {
      const FieldDesc& fd = h.fields[f];
      const char* p = rec + h.fieldOffsets[f];
      if (fd.type == FieldType::kAutoInc && !FieldIsBlank(fd, p)) {
        Value v;
        bool needs;
        DecodeField(fd, p, *db_.codePage(), &v, &needs);
        if (v.i > maxAutoInc_) maxAutoInc_ = v.i;
      }
      if (!IsBlobType(fd.type) || FieldIsBlank(fd, p)) continue;
      BlobRef r = ParseBlobRef(p, fd.size);
      if (r.InRecord()) continue;
      std::string where = "field \"" + fd.name + "\" of record " + std::to_string(ordinal) + " (block " +
                          std::to_string(block) + ", slot " + std::to_string(slot) + ")";
      const BlobFile* mb = t_.blobFile();
      if (!mb) {
        if (!missingMbReported_) AddDb(where + " needs the blob file, which cannot be opened");
        missingMbReported_ = true;
        continue;
      }
      std::string bytes;
      Status s = mb->Read(r.offset, r.length, &bytes);
      if (!s.ok()) {
        Add(BaseName(mb->path()), where + ": " + s.message().substr(s.message().find(": ") + 2));
      } else if (!HeadMatches(fd.type, bytes, r.head)) {
        Add(BaseName(mb->path()), where + ": the blob's leading bytes differ from the copy in the record");
      }
    }
  }

  const TableImpl& t_;
  const ParadoxFile& db_;
  std::vector<CheckFinding>* out_;
  int64_t maxAutoInc_ = 0;
  bool missingMbReported_ = false;
};

}  // namespace

Status CheckTable(Env* env, const std::string& dir, const std::string& name, std::vector<CheckFinding>* findings) {
  std::unique_ptr<TableImpl> t;
  PDX_RETURN_IF_ERROR(TableImpl::OpenImpl(env, dir, name, &t));
  Checker(*t, findings).Run();
  // A change cut short (a crash) leaves a journal or staged files beside the
  // table until a writer opens it.
  std::string file = BaseName(t->db().path());
  std::string base = file.substr(0, file.rfind('.'));
  if (NeedsRecovery(env, dir, base))
    findings->push_back({file, "an interrupted change waits to be completed or undone (a journal in " +
                                   WriteLockFileName(base) + ", or staged files); opening the table for writing settles it"});
  return Status::OK();
}

}  // namespace pdx
