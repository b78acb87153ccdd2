// Validity-check file (.VAL), the parts this engine touches (little-endian):
//   0x03 u32  the .DB's structure time (its header's u32 at 0x60)
//   0x07 u8   next field identifier (the .DB header's u16 at 0x64)
//   0x09 u16  offset T of the field list, which runs to the end of the file:
//     T+0  u16 field count n      T+2 u16 1      T+4 u16 79 + bytes of the names
//     T+6  n x u16 field identifiers
//          n x (u8 type, u8 size) descriptors
//          79 bytes: the table's path, NUL-terminated
//          n NUL-terminated field names (table code page)
// Between the header and T lie the checks themselves, by field identifier;
// they are kept as they are.
#include "paradox/format/val_file.h"

#include "paradox/format/file_build.h"

namespace pdx {

Status ReadWholeFile(Env* env, const std::string& path, std::string* out) {
  std::unique_ptr<RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(path, &f));
  if (f->Size() > (64u << 20)) return Status::Corruption(path + ": too large for what it should hold");
  out->assign(static_cast<size_t>(f->Size()), '\0');
  size_t got = 0;
  PDX_RETURN_IF_ERROR(f->Read(0, out->size(), out->data(), &got));
  out->resize(got);
  return Status::OK();
}

Status UpdateValFields(std::string* val, const std::vector<FieldDesc>& fields, const std::vector<uint16_t>& ids,
                       uint32_t stamp, const CodePage& cp) {
  constexpr size_t kPathArea = 79;
  if (val->size() < 0x0B) return Status::Corruption("validity file shorter than its header");
  const size_t t = GetLE16(*val, 0x09);
  if (t + 6 > val->size()) return Status::Corruption("field list offset past the end of the file");
  const size_t n = GetLE16(*val, t);
  const size_t pathAt = t + 6 + 4 * n;
  if (n == 0 || GetLE16(*val, t + 2) != 1 || pathAt + kPathArea > val->size())
    return Status::Corruption("no field list at offset " + std::to_string(t));
  std::string path = val->substr(pathAt, kPathArea);

  std::string names;
  for (const auto& f : fields) {
    std::string b;
    PDX_RETURN_IF_ERROR(cp.Encode(f.name, &b));
    names += b;
    names.push_back('\0');
  }
  std::string list(6, '\0');
  PutLE16(&list, 0, static_cast<uint16_t>(fields.size()));
  PutLE16(&list, 2, 1);
  PutLE16(&list, 4, static_cast<uint16_t>(kPathArea + names.size()));
  for (uint16_t id : ids) {
    list.push_back(static_cast<char>(id & 0xFF));
    list.push_back(static_cast<char>(id >> 8));
  }
  for (const auto& f : fields) {
    list.push_back(static_cast<char>(f.type));
    list.push_back(static_cast<char>(f.size));
  }
  list += path;
  list += names;
  val->resize(t);
  *val += list;
  PutLE32(val, 0x03, stamp);
  uint16_t next = 0;
  for (uint16_t id : ids) next = std::max<uint16_t>(next, static_cast<uint16_t>(id + 1));
  (*val)[0x07] = static_cast<char>(next & 0xFF);
  return Status::OK();
}

}  // namespace pdx
