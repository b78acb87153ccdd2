// Tree files of indexes: .PX (primary index) and .Ynn / .YGn (tree over a
// secondary entry file). They share the generic header (see header.cpp), with
// no field names and no code page extension:
//
//   0x00 u16 record size = key bytes + 6     0x04 u8 file type: 1 .PX, 4 .Ynn, 7 .YGn
//   0x05 u8  block size in KiB (its own; country.px uses 4 KiB over 2 KiB data blocks)
//   0x06 u32 entries on all levels           0x0A/0x0C u16 blocks in use / in file
//   0x0E u16 first block, 0x10 u16 last block (1 and 1 on every one-level sample)
//   0x1E u16 root block                      0x20 u8  number of levels (1 = the root
//                                             block's entries point into the indexed file)
//   0x21 u16 key field count                  0x58 descriptors (type, size) of the key fields
//   then a u32 pointer and the table name area ("RESTTEMP.PX"), zero up to the header size.
//
// Blocks are those of every table-family file (u16 next, u16 previous, i16
// (entries - 1) * record size, entries from byte 6). An entry is
//
//   key fields     stored exactly as in a record of the indexed file: for .PX the
//                  table's primary key fields; for .Ynn/.YGn the secondary entry's
//                  fields without its trailing block hint (secondary fields, then
//                  the primary key)
//   short block    stored short (big-endian, sign bit flipped: 0x8001 = 1): on the
//                  lowest level a block of the indexed file (.DB for .PX, the
//                  .Xnn/.XGn for .Y files), above it a block of this file
//   short count    on the lowest level the number of records in that block
//   short spare    0
//
// The key of a lowest-level entry is the key of the first record of its block;
// the entries follow the indexed file's block chain, so they are in key order.
// Upper levels (files over more blocks than one tree block holds) have the same
// entry form; only the lowest level is needed to find a block. No sample has
// more than one level, so what an upper entry's count holds is not known.
//
// Other header bytes, as every sample tree has them (for byte-exact writing):
// 0x02 header size 0x0800; 0x12 the indexed file's 0x12 byte; 0x29 the table's
// sort order id (0 for "ascii"); 0x39 the table's file version; 0x3A 1;
// 0x49 varies (1..0x15); 0x51 0xAD for .PX, 0xAF for .Y files; 0x58.. the key
// descriptors; the u32 memory pointers at 0x2C..0x37 and after the
// descriptors vary and are not read.
#include "paradox/index/index_tree.h"

#include <cstring>

#include "paradox/format/header.h"

namespace pdx {

namespace {
constexpr int kMaxLevels = 8;

uint16_t U16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}
}  // namespace

int32_t StoredShort(const char* p) {
  uint16_t v = static_cast<uint16_t>((static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1]));
  return static_cast<int16_t>(v ^ 0x8000);
}

Status IndexTree::Read(Env* env, const std::string& path, std::unique_ptr<IndexTree>* out) {
  auto t = std::unique_ptr<IndexTree>(new IndexTree());
  PDX_RETURN_IF_ERROR(ParadoxFile::Open(env, path, &t->file_));
  const FileHeader& h = t->file_->header();
  if (h.fileType != 1 && h.fileType != 4 && h.fileType != 7) {
    return Status::Corruption(path + ": not an index tree file (file type " + std::to_string(h.fileType) + ")");
  }
  if (h.recordSize < 7) return Status::Corruption(path + ": index entries of " + std::to_string(h.recordSize) + " bytes");
  t->keySize_ = h.recordSize - 6u;
  if (h.raw.size() <= hdr::kTreeLevels) return Status::Corruption(path + ": header too short");
  t->root_ = U16(h.raw, hdr::kTreeRoot);
  t->levels_ = static_cast<uint8_t>(h.raw[hdr::kTreeLevels]);
  if (h.recordCount == 0 && t->root_ == 0) {
    *out = std::move(t);
    return Status::OK();
  }
  if (t->levels_ < 1 || t->levels_ > kMaxLevels) {
    return Status::Corruption(path + ": index with " + std::to_string(t->levels_) + " levels");
  }
  if (t->root_ < 1 || t->root_ > t->file_->BlocksInFile()) {
    return Status::Corruption(path + ": root block " + std::to_string(t->root_) + " outside the file (" +
                              std::to_string(t->file_->BlocksInFile()) + " blocks)");
  }
  std::vector<bool> seen(t->file_->BlocksInFile() + 1, false);
  PDX_RETURN_IF_ERROR(t->Walk(t->root_, 1, &seen));
  *out = std::move(t);
  return Status::OK();
}

Status IndexTree::Walk(uint32_t block, int level, std::vector<bool>* seen) {
  const std::string& p = path();
  if (block < 1 || block >= seen->size()) {
    return Status::Corruption(p + ": entry points to block " + std::to_string(block) + " outside the file");
  }
  if ((*seen)[block]) return Status::Corruption(p + ": block " + std::to_string(block) + " reached twice");
  (*seen)[block] = true;
  std::string buf;
  BlockHeader bh;
  PDX_RETURN_IF_ERROR(file_->LoadBlock(block, &buf, &bh));
  const bool lowest = level == levels_;
  for (uint32_t i = 0; i < bh.records; ++i) {
    const char* e = file_->RecordPtr(buf, i);
    TreeEntry te;
    te.key.assign(e, keySize_);
    int32_t b = StoredShort(e + keySize_);
    int32_t c = StoredShort(e + keySize_ + 2);
    te.spare = static_cast<int16_t>(StoredShort(e + keySize_ + 4));
    if (b < 1) {
      return Status::Corruption(p + ": block " + std::to_string(block) + " entry " + std::to_string(i + 1) +
                                " points to block " + std::to_string(b));
    }
    if (c < 0) {
      return Status::Corruption(p + ": block " + std::to_string(block) + " entry " + std::to_string(i + 1) +
                                " has a negative count");
    }
    te.block = static_cast<uint32_t>(b);
    te.count = static_cast<uint32_t>(c);
    ++total_;
    if (lowest) {
      leaves_.push_back(std::move(te));
    } else {
      PDX_RETURN_IF_ERROR(Walk(te.block, level + 1, seen));
    }
  }
  return Status::OK();
}

}  // namespace pdx
