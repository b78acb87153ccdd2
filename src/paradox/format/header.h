#pragma once
// The header shared by every Paradox file of the table family: data files (.DB)
// and index files (.PX, .Xnn, .Ynn, .XGn, .YGn). See header.cpp for the layout.
//
// Contract: ParseHeader reads only the bytes given (the first headerSize bytes of
// the file, or fewer when the file is shorter) and fails with Corruption naming
// the file and the faulty part when anything is out of bounds or inconsistent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

// Header byte 0x04.
enum class FileType : uint8_t {
  kKeyedData = 0,         // .DB with a primary key
  kPrimaryIndex = 1,      // .PX
  kUnkeyedData = 2,       // .DB without key
  kSecondaryData = 3,     // .Xnn (single field, non-incremental)
  kSecondaryTree = 4,     // .Ynn
  kSecondaryDataInc = 5,  // .Xnn (single field, incremental)
  kCompositeData = 6,     // .XGn (non-incremental)
  kCompositeTree = 7,     // .YGn
  kCompositeDataInc = 8,  // .XGn (incremental)
};

struct FileHeader {
  uint16_t recordSize = 0;
  uint16_t headerSize = 0;
  uint8_t fileType = 0;
  uint32_t blockSize = 0;  // bytes
  uint32_t recordCount = 0;
  uint16_t blocksInUse = 0;
  uint16_t fileBlocks = 0;
  uint16_t firstBlock = 0;
  uint16_t lastBlock = 0;
  uint16_t fieldCount = 0;
  uint16_t keyFieldCount = 0;
  uint8_t sortOrderId = 0;
  uint8_t fileVersion = 0;
  uint32_t autoIncrement = 0;
  uint16_t codePage = 0;  // as stored (0 when the header has none)
  bool extended = false;  // has the 4.x extension, descriptors at 0x78
  bool hasNames = false;  // field names, numbers and sort order name follow

  std::vector<FieldDesc> fields;       // names in UTF-8 (empty without names)
  std::vector<uint32_t> fieldOffsets;  // byte offset of each field in a record
  std::vector<uint16_t> fieldNumbers;  // as stored after the names
  std::string tableName;               // UTF-8
  std::string sortOrderName;           // e.g. "ascii", "intl850"
  // Offset in the header of the first byte after the sort order name's NUL (0
  // when there is none). Composite index files keep their index name there.
  size_t tailOffset = 0;
  std::string raw;  // the header bytes as read

  bool IsDataFile() const { return fileType == 0 || fileType == 2; }
  bool IsKeyed() const { return fileType == 0; }
  // Code page that applies to the file's text (0 reads as 437).
  int EffectiveCodePage() const { return codePage == 0 ? 437 : codePage; }
  // "3.0", "3.5", "4.x", "5.x", "7.x" or "?".
  std::string LevelText() const;
};

// Bytes a field takes in a record (BCD descriptors hold decimals, not size).
uint32_t StoredFieldSize(const FieldDesc& f);

// fileName only labels error messages. fileSize is the size of the whole file.
Status ParseHeader(const std::string& fileName, const char* data, size_t n, uint64_t fileSize, FileHeader* out);

// Reads a NUL-terminated string from the header area starting at *pos, bounded by
// the header's end; advances *pos past the NUL. Corruption when unterminated.
Status ReadHeaderString(const std::string& fileName, const std::string& raw, size_t limit, size_t* pos,
                        std::string* out, const char* what);

}  // namespace pdx
