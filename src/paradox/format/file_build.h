#pragma once
// Writing the block structure of table-family files: data files (.DB, and the
// secondary index data files .Xnn/.XGn, which share its layout) and index trees
// (.PX over a .DB, .Ynn/.YGn over an .Xnn/.XGn). Layouts in file_build.cpp.
//
// Contract:
//  - Builders take the finished header bytes of the file (parsed by the reader's
//    ParseHeader elsewhere) and patch only the counts and pointers named in
//    file_build.cpp; every other header byte is kept as given, so a rewritten
//    file keeps what the original engine put there.
//  - Records are given in stored order, recordSize bytes each; nothing is read
//    past them. Output goes straight to a WritableFile, block by block, so a
//    large table is never held twice in memory.
//  - A file that would need more blocks than the format counts (65535) is
//    refused with InvalidArgument naming the file.
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"

namespace pdx {

// Little-endian integers in headers and block headers.
void PutLE16(std::string* s, size_t at, uint16_t v);
void PutLE32(std::string* s, size_t at, uint32_t v);
uint16_t GetLE16(const std::string& s, size_t at);
uint32_t GetLE32(const std::string& s, size_t at);
// Integers of index entries: big-endian with the sign bit flipped, like a short field.
void AppendIndexShort(std::string* out, uint32_t v);

// One block as written: its number, how many records it holds, and a copy of
// its first record's leading keyBytes (what the index level above needs).
struct BlockSummary {
  uint32_t block = 0;
  uint32_t records = 0;
  std::string firstKey;
};

struct DataFileLayout {
  std::string name;         // labels errors
  std::string header;       // header bytes (headerSize long)
  uint32_t blockSize = 0;   // bytes
  uint32_t recordSize = 0;
  uint32_t perBlock = 0;    // records put in each block (0: as many as fit)
  size_t keyBytes = 0;      // leading bytes of a record copied into BlockSummary
};

// Writes header + data blocks chained 1 -> 2 -> ... -> n. An empty table has no
// block. The header's record count, block counts, first/last block and free
// block pointer are set.
Status WriteDataFile(const DataFileLayout& layout, const std::vector<const char*>& records, WritableFile* out,
                     std::vector<BlockSummary>* blocks);

struct IndexFileLayout {
  std::string name;
  std::string header;
  uint32_t blockSize = 0;
  size_t keyBytes = 0;  // key part of an entry; an entry is keyBytes + 6
};

// Writes an index tree over the blocks of a data file: one entry per block
// (first key, block number, record count), grouped into index blocks; when
// they do not fit one block, further levels index the level below until one
// root block remains. Sets the header's entry count, block counts, root and
// number of levels.
Status WriteIndexFile(const IndexFileLayout& layout, const std::vector<BlockSummary>& dataBlocks, WritableFile* out);

}  // namespace pdx
