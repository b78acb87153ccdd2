// Block structure of table-family files, as written.
//
// Header fields this file sets (little-endian; the rest is kept as given):
//   0x06 u32 records (data file) / entries at every level (index file)
//   0x0A u16 blocks in use        0x0C u16 blocks in the file
//   0x0E u16 first block          0x10 u16 last block
//   0x1E u16 root block (index)   0x20 u8  levels (index)
//   0x3A u16 blocks in the file, again
//   0x4D u16 first free block (data files): 0, nothing is left free
//
// Data file (.DB, .Xnn, .XGn): block n (from 1) at headerSize + (n-1)*blockSize:
//   u16 next (0 = last), u16 previous (0 = first),
//   i16 (records - 1) * recordSize (-recordSize for an empty block),
//   the records back to back, the rest of the block zero.
// Blocks are written in key order and chained in file order.
//
// Index file (.PX, .Ynn, .YGn): blocks of the same header; each entry is
//   key bytes (the first record's leading key fields, as stored),
//   index short: block number below, index short: records in that block (for
//   a level above the lowest: entries in the block below), index short: 0,
// where an index short is a u16 big-endian with its top bit set (0x8000 + v).
// The lowest level comes first (blocks 1..k), each level follows the one it
// indexes; the root is the last block, and the only one when everything fits
// one block, which is how every sample table's index is built.
#include "paradox/format/file_build.h"

#include <algorithm>
#include <cstring>

#include "paradox/format/header.h"

namespace pdx {
namespace {

constexpr uint32_t kMaxBlocks = 65535;
constexpr size_t kBatchBlocks = 64;

void PutBlockHeader(char* b, uint16_t next, uint16_t prev, int32_t records, uint32_t recordSize) {
  int32_t add = (records - 1) * static_cast<int32_t>(recordSize);
  uint16_t addU = static_cast<uint16_t>(static_cast<int16_t>(add));
  b[0] = static_cast<char>(next & 0xFF);
  b[1] = static_cast<char>(next >> 8);
  b[2] = static_cast<char>(prev & 0xFF);
  b[3] = static_cast<char>(prev >> 8);
  b[4] = static_cast<char>(addU & 0xFF);
  b[5] = static_cast<char>(addU >> 8);
}

}  // namespace

void PutLE16(std::string* s, size_t at, uint16_t v) {
  (*s)[at] = static_cast<char>(v & 0xFF);
  (*s)[at + 1] = static_cast<char>(v >> 8);
}
void PutLE32(std::string* s, size_t at, uint32_t v) {
  PutLE16(s, at, static_cast<uint16_t>(v & 0xFFFF));
  PutLE16(s, at + 2, static_cast<uint16_t>(v >> 16));
}
uint16_t GetLE16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}
uint32_t GetLE32(const std::string& s, size_t at) {
  return GetLE16(s, at) | (static_cast<uint32_t>(GetLE16(s, at + 2)) << 16);
}
void AppendIndexShort(std::string* out, uint32_t v) {
  uint16_t x = static_cast<uint16_t>(v) ^ 0x8000u;
  out->push_back(static_cast<char>(x >> 8));
  out->push_back(static_cast<char>(x & 0xFF));
}

Status WriteDataFile(const DataFileLayout& layout, const std::vector<const char*>& records, WritableFile* out,
                     std::vector<BlockSummary>* blocks) {
  blocks->clear();
  if (layout.recordSize == 0 || layout.recordSize + 6 > layout.blockSize || layout.header.size() < 0x58)
    return Status::InvalidArgument(layout.name + ": record size " + std::to_string(layout.recordSize) +
                                   " does not fit blocks of " + std::to_string(layout.blockSize) + " bytes");
  const uint32_t cap = (layout.blockSize - 6) / layout.recordSize;
  const uint32_t per = layout.perBlock == 0 || layout.perBlock > cap ? cap : layout.perBlock;
  const uint64_t nblocks = (records.size() + per - 1) / per;
  if (nblocks > kMaxBlocks)
    return Status::InvalidArgument(layout.name + ": " + std::to_string(records.size()) +
                                   " records need more blocks than the format counts");
  std::string header = layout.header;
  const uint16_t n = static_cast<uint16_t>(nblocks);
  PutLE32(&header, hdr::kRecordCount, static_cast<uint32_t>(records.size()));
  PutLE16(&header, hdr::kBlocksInUse, n);
  PutLE16(&header, hdr::kFileBlocks, n);
  PutLE16(&header, hdr::kFirstBlock, n ? 1 : 0);
  PutLE16(&header, hdr::kLastBlock, n);
  PutLE16(&header, hdr::kMaxBlocks, n);
  PutLE16(&header, hdr::kFirstFreeBlock, 0);
  PDX_RETURN_IF_ERROR(out->Append(header.data(), header.size()));

  blocks->reserve(nblocks);
  std::string buf;
  size_t r = 0;
  const size_t rs = layout.recordSize;
  for (uint32_t b = 1; b <= n;) {
    const uint32_t batch = static_cast<uint32_t>(std::min<uint64_t>(kBatchBlocks, n - b + 1));
    buf.resize(static_cast<size_t>(batch) * layout.blockSize);  // every byte is written below
    for (uint32_t k = 0; k < batch; ++k, ++b) {
      char* blk = buf.data() + static_cast<size_t>(k) * layout.blockSize;
      const uint32_t cnt = static_cast<uint32_t>(std::min<size_t>(per, records.size() - r));
      PutBlockHeader(blk, static_cast<uint16_t>(b == n ? 0 : b + 1), static_cast<uint16_t>(b - 1),
                     static_cast<int32_t>(cnt), layout.recordSize);
      BlockSummary sum;
      sum.block = b;
      sum.records = cnt;
      sum.firstKey.assign(records[r], std::min<size_t>(layout.keyBytes, layout.recordSize));
      blocks->push_back(std::move(sum));
      // Records that lie side by side in memory (rows loaded together) are
      // copied as one run.
      char* at = blk + 6;
      for (uint32_t i = 0; i < cnt;) {
        uint32_t run = 1;
        while (i + run < cnt && records[r + run] == records[r + run - 1] + rs) ++run;
        std::memcpy(at, records[r], run * rs);
        at += run * rs;
        i += run;
        r += run;
      }
      std::memset(at, 0, static_cast<size_t>(blk + layout.blockSize - at));
    }
    PDX_RETURN_IF_ERROR(out->Append(buf.data(), buf.size()));
  }
  return Status::OK();
}

Status WriteIndexFile(const IndexFileLayout& layout, const std::vector<BlockSummary>& dataBlocks, WritableFile* out) {
  const size_t entrySize = layout.keyBytes + 6;
  if (entrySize + 6 > layout.blockSize || layout.header.size() < 0x58)
    return Status::InvalidArgument(layout.name + ": index entries of " + std::to_string(entrySize) +
                                   " bytes do not fit blocks of " + std::to_string(layout.blockSize) + " bytes");
  const size_t cap = (layout.blockSize - 6) / entrySize;
  // Levels from the lowest up; each is a list of blocks, each block its entries.
  struct Entry {
    std::string key;
    uint32_t child;
    uint32_t count;
  };
  std::vector<std::vector<std::vector<Entry>>> levels;
  std::vector<Entry> current;
  for (const auto& b : dataBlocks) current.push_back({b.firstKey, b.block, b.records});
  uint32_t nextBlock = 1;
  uint64_t entries = 0;
  for (;;) {
    std::vector<std::vector<Entry>> level;
    for (size_t i = 0; i < current.size(); i += cap)
      level.emplace_back(current.begin() + static_cast<long>(i),
                         current.begin() + static_cast<long>(std::min(current.size(), i + cap)));
    if (level.empty()) level.emplace_back();  // an empty table keeps one empty root block
    entries += current.size();
    std::vector<Entry> up;
    for (auto& blk : level) {
      if (!blk.empty()) up.push_back({blk.front().key, nextBlock, static_cast<uint32_t>(blk.size())});
      ++nextBlock;
    }
    levels.push_back(std::move(level));
    if (levels.back().size() <= 1) break;
    current = std::move(up);
  }
  const uint32_t total = nextBlock - 1;
  if (total > kMaxBlocks) return Status::InvalidArgument(layout.name + ": the index needs more blocks than the format counts");
  std::string header = layout.header;
  PutLE32(&header, hdr::kRecordCount, static_cast<uint32_t>(entries));
  PutLE16(&header, hdr::kBlocksInUse, static_cast<uint16_t>(total));
  PutLE16(&header, hdr::kFileBlocks, static_cast<uint16_t>(total));
  PutLE16(&header, hdr::kFirstBlock, 1);
  PutLE16(&header, hdr::kLastBlock, static_cast<uint16_t>(total));
  PutLE16(&header, hdr::kTreeRoot, static_cast<uint16_t>(total));
  PutLE16(&header, hdr::kMaxBlocks, static_cast<uint16_t>(total));
  header[hdr::kTreeLevels] = static_cast<char>(levels.size());
  PDX_RETURN_IF_ERROR(out->Append(header.data(), header.size()));
  std::string blk;
  for (const auto& level : levels) {
    for (const auto& entriesOfBlock : level) {
      blk.assign(layout.blockSize, '\0');
      PutBlockHeader(blk.data(), 0, 0, static_cast<int32_t>(entriesOfBlock.size()), static_cast<uint32_t>(entrySize));
      std::string body;
      for (const auto& e : entriesOfBlock) {
        body += e.key;
        body.resize(body.size() + (layout.keyBytes - std::min(layout.keyBytes, e.key.size())), '\0');
        AppendIndexShort(&body, e.child);
        AppendIndexShort(&body, e.count);
        AppendIndexShort(&body, 0);
      }
      std::copy(body.begin(), body.end(), blk.begin() + 6);
      PDX_RETURN_IF_ERROR(out->Append(blk.data(), blk.size()));
    }
  }
  return Status::OK();
}

}  // namespace pdx
