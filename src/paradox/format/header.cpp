// Header of Paradox table-family files. Little-endian throughout.
//
//   0x00 u16 record size          0x02 u16 header size (bytes, block 1 starts here)
//   0x04 u8  file type (FileType) 0x05 u8  block size in KiB (1, 2, 4, 8, 16, 32)
//   0x06 u32 record count         0x0A u16 blocks in use
//   0x0C u16 blocks in the file   0x0E u16 first data block   0x10 u16 last block
//   0x21 u16 field count          0x23 u16 key field count
//   0x29 u8  sort order id        0x39 u8  file version (3 = 3.0 ... 12 = 7.x)
//   0x49 u32 last autoincrement value
//   0x58 ..  field descriptors (type u8, size u8), one per field
//
// Files of version >= 5 whose type is 0, 2, 3, 5, 6 or 8 carry an extension
// 0x58..0x77 (0x6A u16 = DOS code page) and their descriptors start at 0x78.
//
// After the descriptors: a u32 table-name pointer; for files with names
// (types 0, 2, 3, 5, 6, 8) one u32 pointer per field; then the table name in a
// fixed area (261 bytes for 7.x, 79 before); then, for files with names, the
// NUL-terminated field names, one u16 field number per field and the
// NUL-terminated sort order name. Composite index files follow it with their
// index name. Pointers are memory addresses of the writer and are ignored.
#include "paradox/format/header.h"

#include <cstring>

#include "paradox/codepage.h"

namespace pdx {
namespace {

uint16_t U16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}
uint32_t U32(const char* p) { return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16); }

Status Bad(const std::string& file, const std::string& what) {
  return Status::Corruption(file + ": bad header: " + what);
}

// Expected record bytes per type; 0 = variable within limits checked below.
Status CheckDescriptor(const std::string& file, int n, uint8_t type, uint8_t size) {
  auto fail = [&](const char* why) {
    return Bad(file, "field " + std::to_string(n) + " (type 0x" +
                         std::to_string(type) + ", size " + std::to_string(size) + "): " + why);
  };
  if (!IsKnownFieldType(type)) return fail("unknown field type");
  switch (static_cast<FieldType>(type)) {
    case FieldType::kShort:
      if (size != 2) return fail("a short takes 2 bytes");
      break;
    case FieldType::kLong:
    case FieldType::kAutoInc:
    case FieldType::kDate:
    case FieldType::kTime:
      if (size != 4) return fail("this type takes 4 bytes");
      break;
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kTimestamp:
      if (size != 8) return fail("this type takes 8 bytes");
      break;
    case FieldType::kLogical:
      if (size != 1) return fail("a logical takes 1 byte");
      break;
    case FieldType::kBcd:
      if (size > 32) return fail("a BCD has at most 32 decimals");
      break;
    case FieldType::kMemo:
    case FieldType::kFmtMemo:
    case FieldType::kBlob:
    case FieldType::kOle:
    case FieldType::kGraphic:
      if (size < 10) return fail("a blob field takes at least 10 bytes");
      break;
    default:
      if (size == 0) return fail("zero size");
  }
  return Status::OK();
}

}  // namespace

uint32_t StoredFieldSize(const FieldDesc& f) { return f.type == FieldType::kBcd ? 17u : f.size; }

std::string FileHeader::LevelText() const {
  if (fileVersion == 3) return "3.0";
  if (fileVersion == 4) return "3.5";
  if (fileVersion >= 5 && fileVersion <= 9) return "4.x";
  if (fileVersion == 10 || fileVersion == 11) return "5.x";
  if (fileVersion == 12) return "7.x";
  return "?";
}

Status ReadHeaderString(const std::string& fileName, const std::string& raw, size_t limit, size_t* pos,
                        std::string* out, const char* what) {
  if (limit > raw.size()) limit = raw.size();
  if (*pos >= limit) return Bad(fileName, std::string(what) + " lies past the header's end");
  const void* nul = std::memchr(raw.data() + *pos, 0, limit - *pos);
  if (!nul) return Bad(fileName, std::string(what) + " is not terminated within the header");
  size_t end = static_cast<const char*>(nul) - raw.data();
  out->assign(raw, *pos, end - *pos);
  *pos = end + 1;
  return Status::OK();
}

Status ParseHeader(const std::string& fileName, const char* data, size_t n, uint64_t fileSize, FileHeader* out) {
  FileHeader h;
  if (n < hdr::kFixedEnd) return Bad(fileName, "file shorter than the fixed header (" + std::to_string(n) + " bytes)");
  h.recordSize = U16(data + hdr::kRecordSize);
  h.headerSize = U16(data + hdr::kHeaderSize);
  h.fileType = static_cast<uint8_t>(data[hdr::kFileType]);
  uint8_t kib = static_cast<uint8_t>(data[hdr::kBlockKiB]);
  h.recordCount = U32(data + hdr::kRecordCount);
  h.blocksInUse = U16(data + hdr::kBlocksInUse);
  h.fileBlocks = U16(data + hdr::kFileBlocks);
  h.firstBlock = U16(data + hdr::kFirstBlock);
  h.lastBlock = U16(data + hdr::kLastBlock);
  h.fieldCount = U16(data + hdr::kFieldCount);
  h.keyFieldCount = U16(data + hdr::kKeyFieldCount);
  h.sortOrderId = static_cast<uint8_t>(data[hdr::kSortOrder]);
  h.fileVersion = static_cast<uint8_t>(data[hdr::kFileVersion]);
  h.autoIncrement = U32(data + hdr::kAutoIncrement);

  if (h.fileType > 8) return Bad(fileName, "unknown file type " + std::to_string(h.fileType));
  if (kib != 1 && kib != 2 && kib != 4 && kib != 8 && kib != 16 && kib != 32)
    return Bad(fileName, "block size of " + std::to_string(kib) + " KiB");
  h.blockSize = kib * 1024u;
  if (h.fileVersion < 3 || h.fileVersion > 12)
    return Bad(fileName, "unknown file version " + std::to_string(h.fileVersion));
  if (h.headerSize < hdr::kFixedEnd || h.headerSize > fileSize)
    return Bad(fileName, "header size " + std::to_string(h.headerSize) + " for a file of " +
                             std::to_string(fileSize) + " bytes");
  if (n < h.headerSize) return Bad(fileName, "file ends inside the header");
  if (h.recordSize == 0 || h.recordSize + 6u > h.blockSize)
    return Bad(fileName, "record size " + std::to_string(h.recordSize) + " with blocks of " +
                             std::to_string(h.blockSize) + " bytes");
  if (h.fieldCount == 0 || h.fieldCount > 1024) return Bad(fileName, "field count " + std::to_string(h.fieldCount));
  if (h.keyFieldCount > h.fieldCount)
    return Bad(fileName, "key field count " + std::to_string(h.keyFieldCount) + " above the field count " +
                             std::to_string(h.fieldCount));
  if (h.fileType == 2 && h.keyFieldCount != 0) return Bad(fileName, "non-keyed table with key fields");

  h.raw.assign(data, h.headerSize);
  const std::string& raw = h.raw;
  const uint8_t t = h.fileType;
  h.hasNames = t == 0 || t == 2 || t == 3 || t == 5 || t == 6 || t == 8;
  h.extended = h.hasNames && h.fileVersion >= 5;
  if (h.extended) {
    if (h.headerSize < hdr::kExtendedEnd) return Bad(fileName, "header too short for its extension");
    h.codePage = U16(raw.data() + hdr::kCodePage);
  }
  size_t pos = h.extended ? hdr::kExtendedEnd : hdr::kFixedEnd;

  // Descriptors.
  if (pos + 2u * h.fieldCount > h.headerSize) return Bad(fileName, "field descriptors run past the header");
  h.fields.resize(h.fieldCount);
  h.fieldOffsets.resize(h.fieldCount);
  uint32_t offset = 0;
  for (int i = 0; i < h.fieldCount; ++i) {
    uint8_t type = static_cast<uint8_t>(raw[pos + 2 * i]);
    uint8_t size = static_cast<uint8_t>(raw[pos + 2 * i + 1]);
    PDX_RETURN_IF_ERROR(CheckDescriptor(fileName, i + 1, type, size));
    h.fields[i].type = static_cast<FieldType>(type);
    h.fields[i].size = size;
    h.fieldOffsets[i] = offset;
    offset += StoredFieldSize(h.fields[i]);
  }
  pos += 2u * h.fieldCount;
  // Index trees carry 6 bytes per entry beyond their key fields.
  bool sizesAddUp = h.hasNames ? offset == h.recordSize : offset <= h.recordSize;
  if (!sizesAddUp)
    return Bad(fileName, "field sizes add up to " + std::to_string(offset) + " bytes, records take " +
                             std::to_string(h.recordSize));

  // Pointers (ignored), then the table name area.
  pos += 4;
  if (h.hasNames) pos += 4u * h.fieldCount;
  const size_t nameArea = h.fileVersion >= 12 ? 261 : 79;
  if (pos + nameArea > h.headerSize) return Bad(fileName, "table name runs past the header");

  const CodePage* cp = nullptr;
  Status cs = CodePage::Find(h.EffectiveCodePage(), &cp);
  if (!cs.ok()) return Status::NotSupported(fileName + ": " + cs.message());

  {
    const char* p = raw.data() + pos;
    size_t len = strnlen(p, nameArea);
    h.tableName = cp->Decode(std::string_view(p, len));
  }
  pos += nameArea;

  if (h.hasNames) {
    for (int i = 0; i < h.fieldCount; ++i) {
      std::string name;
      PDX_RETURN_IF_ERROR(ReadHeaderString(fileName, raw, h.headerSize, &pos, &name,
                                           ("name of field " + std::to_string(i + 1)).c_str()));
      h.fields[i].name = cp->Decode(name);
    }
    if (pos + 2u * h.fieldCount > h.headerSize) return Bad(fileName, "field numbers run past the header");
    h.fieldNumbers.resize(h.fieldCount);
    for (int i = 0; i < h.fieldCount; ++i) h.fieldNumbers[i] = U16(raw.data() + pos + 2 * i);
    pos += 2u * h.fieldCount;
    // Old files may end here; the sort order name is then the default.
    if (pos < h.headerSize && raw[pos] != 0) {
      std::string so;
      PDX_RETURN_IF_ERROR(ReadHeaderString(fileName, raw, h.headerSize, &pos, &so, "sort order name"));
      h.sortOrderName = so;
      h.tailOffset = pos;
    } else if (pos < h.headerSize) {
      h.tailOffset = pos + 1;
    }
  }
  if (h.hasNames && h.sortOrderName.empty()) h.sortOrderName = "ascii";
  *out = std::move(h);
  return Status::OK();
}

}  // namespace pdx
