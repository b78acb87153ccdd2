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

// Byte offsets in the header (layout in header.cpp). Bytes whose meaning is
// not known are named after what the writer puts there, as the original
// engine does.
namespace hdr {
inline constexpr size_t kRecordSize = 0x00;      // u16 (entry size in index files)
inline constexpr size_t kHeaderSize = 0x02;      // u16
inline constexpr size_t kFileType = 0x04;        // u8, FileType
inline constexpr size_t kBlockKiB = 0x05;        // u8
inline constexpr size_t kRecordCount = 0x06;     // u32
inline constexpr size_t kBlocksInUse = 0x0A;     // u16
inline constexpr size_t kFileBlocks = 0x0C;      // u16
inline constexpr size_t kFirstBlock = 0x0E;      // u16
inline constexpr size_t kLastBlock = 0x10;       // u16
inline constexpr size_t kIndexField = 0x15;      // u8, .Xnn: the field indexed
inline constexpr size_t kTreeRoot = 0x1E;        // u16, trees: root block
inline constexpr size_t kTreeLevels = 0x20;      // u8, trees: levels
inline constexpr size_t kFieldCount = 0x21;      // u16
inline constexpr size_t kKeyFieldCount = 0x23;   // u16
inline constexpr size_t kFilled26 = 0x26;        // u8, 0xFF
inline constexpr size_t kFilled28 = 0x28;        // u8, 0xFF
inline constexpr size_t kSortOrder = 0x29;       // u8, sort order id
inline constexpr size_t kTreeChange = 0x2C;      // u8, .PX: the .DB's change count; .Ynn: its .Xnn's
inline constexpr size_t kChangeCount = 0x2D;     // u8, bumped at every write
inline constexpr size_t kChangeCount2 = 0x2E;    // u8, .Xnn: repeats the .DB's
inline constexpr size_t kDataChange = 0x2F;      // u8, .Xnn: the .DB's change count
inline constexpr size_t kFileVersion = 0x39;     // u8
inline constexpr size_t kMaxBlocks = 0x3A;       // u16, blocks the file holds
inline constexpr size_t kFilled3E = 0x3E;        // u8, 0x1F
inline constexpr size_t kFilled3F = 0x3F;        // u8, 0x0F
inline constexpr size_t kAutoIncrement = 0x49;   // u32
inline constexpr size_t kFirstFreeBlock = 0x4D;  // u16
inline constexpr size_t kInfoEnd = 0x51;         // u16, end of the names and tail
inline constexpr size_t kCaseInsensitive = 0x55; // u8, .Xnn: bit 0
inline constexpr size_t kFilled56 = 0x56;        // u8, 0x20
inline constexpr size_t kFixedEnd = 0x58;        // descriptors of a file without extension
// The extension of version >= 5 files.
inline constexpr size_t kVersionId = 0x58;       // u16, 0x0100 | version
inline constexpr size_t kVersionId2 = 0x5A;      // u16, the same
inline constexpr size_t kUpdateTime = 0x60;      // u32, time of the structure
inline constexpr size_t kHighFieldId = 0x64;     // u16, fields + 1
inline constexpr size_t kFieldInfo = 0x66;       // u16
inline constexpr size_t kFieldInfo2 = 0x68;      // u16, composite indexes
inline constexpr size_t kCodePage = 0x6A;        // u16, DOS code page
inline constexpr size_t kFilled6C = 0x6C;        // u8, 1
inline constexpr size_t kFilled6D = 0x6D;        // u8, 1
inline constexpr size_t kFieldInfoEnd = 0x6E;    // u16
inline constexpr size_t kExtendedEnd = 0x78;     // descriptors of an extended file
}  // namespace hdr

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
