#pragma once
// Generic access to a Paradox table-family file (.DB, .PX, .Xnn, .Ynn, .XGn,
// .YGn): the parsed header, blocks by number, and the walk along the chain of
// data blocks. Used by the table reader and by the index readers.
//
// Block n (from 1) starts at headerSize + (n - 1) * blockSize and begins with
//   u16 next block (0 = last), u16 previous block, i16 "add data size" =
//   (records in the block - 1) * record size; negative when the block is empty.
// Records follow from byte 6, back to back.
//
// Contract:
//  - Open reads only the header. Every later read is bounds-checked against the
//    file's real size; a damaged file gives Corruption naming the file and the
//    block, never a read past a buffer or an endless walk.
//  - A ParadoxFile is immutable after Open; ReadBlock may be called from
//    several cursors at once (each with its own buffer).
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "paradox/codepage.h"
#include "paradox/env.h"
#include "paradox/file/window_reader.h"
#include "paradox/format/header.h"
#include "paradox/status.h"

namespace pdx {

// Position of a record: data block number (from 1) and slot in it (from 0).
struct RecordRef {
  uint32_t block = 0;
  uint32_t slot = 0;
  bool operator==(const RecordRef&) const = default;
};

struct BlockHeader {
  uint16_t next = 0;
  uint16_t prev = 0;
  uint32_t records = 0;  // records the block holds
};

class ParadoxFile {
 public:
  static Status Open(Env* env, const std::string& path, std::unique_ptr<ParadoxFile>* out);

  const std::string& path() const { return path_; }
  const FileHeader& header() const { return header_; }
  const CodePage* codePage() const { return codePage_; }
  uint64_t fileSize() const { return fileSize_; }
  // Blocks that lie wholly inside the file (the header may claim more).
  uint32_t BlocksInFile() const;
  // Most records one block can hold.
  uint32_t RecordsPerBlock() const { return (header_.blockSize - 6) / header_.recordSize; }

  // Reads block n (1..BlocksInFile()) into *buf (resized to blockSize).
  Status ReadBlock(uint32_t n, std::string* buf) const;
  // Parses and checks the 6-byte header of block n held in buf.
  Status ParseBlockHeader(uint32_t n, const std::string& buf, BlockHeader* bh) const {
    return ParseBlockHeader(n, buf.data(), bh);
  }
  Status ParseBlockHeader(uint32_t n, const char* block, BlockHeader* bh) const;
  // Reads block n and checks its header.
  Status LoadBlock(uint32_t n, std::string* buf, BlockHeader* bh) const;
  // Start of record slot in a block buffer (slot < records of that block).
  const char* RecordPtr(const std::string& buf, uint32_t slot) const { return RecordPtr(buf.data(), slot); }
  const char* RecordPtr(const char* block, uint32_t slot) const {
    return block + 6 + static_cast<size_t>(slot) * header_.recordSize;
  }
  // Reads block ref.block into *buf and checks ref.slot lies among its records.
  Status ReadRecord(const RecordRef& ref, std::string* buf, const char** rec) const;
  // The open file (scans read it through their own WindowReader).
  const RandomAccessFile* file() const { return file_.get(); }

 private:
  ParadoxFile() = default;
  std::string path_;
  std::unique_ptr<RandomAccessFile> file_;
  uint64_t fileSize_ = 0;
  FileHeader header_;
  const CodePage* codePage_ = nullptr;
};

// Walks the data blocks from the header's first block along the next pointers.
// Detects loops, pointers out of range, broken back pointers, and (at the end)
// a record or block count different from the header's. Reads the blocks
// through a WindowReader (file/window_reader.h): chains mostly run in file
// order, so one read brings many blocks; a block out of order is read alone.
class BlockChain {
 public:
  explicit BlockChain(const ParadoxFile* file);

  // Back to the first block (nothing loaded until Next).
  void Reset();
  // Loads the next block of the chain into the internal buffer. *done becomes
  // true after the last block, once the counts have been cross-checked.
  Status Next(bool* done);

  uint32_t block() const { return block_; }
  uint32_t records() const { return bh_.records; }
  const char* record(uint32_t slot) const { return file_->RecordPtr(block_data_, slot); }
  uint64_t recordsSeen() const { return recordsSeen_; }
  uint32_t blocksSeen() const { return blocksSeen_; }

 private:
  const ParadoxFile* file_;
  WindowReader reader_;
  const char* block_data_ = nullptr;
  BlockHeader bh_;
  uint32_t block_ = 0;     // block loaded, 0 before the first
  uint32_t nextBlock_ = 0;
  bool finished_ = false;
  uint64_t recordsSeen_ = 0;
  uint32_t blocksSeen_ = 0;
  std::vector<bool> visited_;
};

// One walk of a file's records in block-chain order (the order they are
// stored in): onBlock(chain) once per block, after it is loaded (chain.block(),
// chain.records(), chain.record(i)). onBlock returns void or a Status; a
// Status not OK ends the walk and is returned, as is an error of the chain.
template <typename OnBlock>
Status WalkBlocks(const ParadoxFile* file, OnBlock onBlock) {
  BlockChain chain(file);
  for (;;) {
    bool done = false;
    PDX_RETURN_IF_ERROR(chain.Next(&done));
    if (done) return Status::OK();
    if constexpr (std::is_void_v<decltype(onBlock(chain))>) onBlock(chain);
    else PDX_RETURN_IF_ERROR(onBlock(chain));
  }
}

// The same record by record: onRecord(rec, block, slot).
template <typename OnRecord>
Status WalkRecords(const ParadoxFile* file, OnRecord onRecord) {
  return WalkBlocks(file, [&](const BlockChain& chain) -> Status {
    for (uint32_t i = 0; i < chain.records(); ++i) {
      if constexpr (std::is_void_v<decltype(onRecord(chain.record(i), chain.block(), i))>)
        onRecord(chain.record(i), chain.block(), i);
      else PDX_RETURN_IF_ERROR(onRecord(chain.record(i), chain.block(), i));
    }
    return Status::OK();
  });
}

}  // namespace pdx
