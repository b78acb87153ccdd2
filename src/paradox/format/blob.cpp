#include "paradox/format/blob.h"

namespace pdx {
namespace {

uint16_t U16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}
uint32_t U32(const char* p) { return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16); }

}  // namespace

Status BlobFile::Open(Env* env, const std::string& path, std::unique_ptr<BlobFile>* out) {
  std::unique_ptr<BlobFile> f(new BlobFile);
  f->path_ = path;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(path, &f->file_));
  f->size_ = f->file_->Size();
  *out = std::move(f);
  return Status::OK();
}

Status BlobFile::ReadAt(uint64_t off, size_t n, char* dst) const {
  if (off > size_ || n > size_ - off)
    return Status::Corruption(path_ + ": " + std::to_string(n) + " bytes at offset " + std::to_string(off) +
                              " lie past the end of the file (" + std::to_string(size_) + " bytes)");
  size_t got = 0;
  PDX_RETURN_IF_ERROR(file_->Read(off, n, dst, &got));
  if (got != n) return Status::Corruption(path_ + ": short read at offset " + std::to_string(off));
  return Status::OK();
}

template <class Fetch>
Status BlobFile::Locate(uint32_t offset, uint32_t length, const Fetch& fetch, uint64_t* at) const {
  const uint32_t index = offset & 0xFF;
  const uint64_t block = offset & ~0xFFu;
  auto bad = [&](const std::string& what) {
    return Status::Corruption(path_ + ": blob at offset " + std::to_string(offset) + ": " + what);
  };
  if (block == 0 || block % kBlockSize != 0) return bad("not the start of a data block");
  if (block + kBlockSize > size_) return bad("lies past the end of the file");
  const char* head = nullptr;
  PDX_RETURN_IF_ERROR(fetch(block, 12, &head));
  const uint8_t type = static_cast<uint8_t>(head[0]);
  if (index == 0xFF) {
    if (type != 2) return bad("a whole-block value points at a block of type " + std::to_string(type));
    const uint32_t blocks = U16(head + 1);
    const uint32_t stored = U32(head + 3);
    if (stored != length)
      return bad("the record says " + std::to_string(length) + " bytes, the block holds " + std::to_string(stored));
    if (blocks == 0 || 9ull + length > static_cast<uint64_t>(blocks) * kBlockSize)
      return bad("length " + std::to_string(length) + " does not fit its " + std::to_string(blocks) + " blocks");
    if (block + 9 + length > size_) return bad("runs past the end of the file");
    *at = block + 9;
    return Status::OK();
  }
  if (type != 3) return bad("a sub-allocated value points at a block of type " + std::to_string(type));
  if (index >= 64) return bad("entry " + std::to_string(index) + " outside the block's index");
  const char* e = nullptr;
  PDX_RETURN_IF_ERROR(fetch(block + 12 + index * 5, 5, &e));
  const uint32_t start = static_cast<uint8_t>(e[0]) * 16u;
  const uint32_t chunks = static_cast<uint8_t>(e[1]);
  const uint32_t rest = static_cast<uint8_t>(e[4]);
  if (start == 0) return bad("entry " + std::to_string(index) + " is free");
  if (length > chunks * 16u || length % 16u != rest % 16u || (chunks > 0 && length + 16u <= chunks * 16u))
    return bad("the record says " + std::to_string(length) + " bytes, the entry holds " +
               std::to_string(chunks) + " chunks of 16 and " + std::to_string(rest));
  if (start < 12 + 64 * 5 || start + length > kBlockSize) return bad("value runs outside its block");
  *at = block + start;
  return Status::OK();
}

Status BlobFile::Read(uint32_t offset, uint32_t length, std::string* out) const {
  char small[12];
  auto fetch = [&](uint64_t off, size_t n, const char** data) {
    *data = small;
    return ReadAt(off, n, small);
  };
  uint64_t at = 0;
  PDX_RETURN_IF_ERROR(Locate(offset, length, fetch, &at));
  out->resize(length);
  return ReadAt(at, length, out->data());
}

Status BlobFile::View(uint32_t offset, uint32_t length, WindowReader* window, std::string_view* out) const {
  auto fetch = [&](uint64_t off, size_t n, const char** data) { return window->View(off, n, data); };
  uint64_t at = 0;
  PDX_RETURN_IF_ERROR(Locate(offset, length, fetch, &at));
  const char* data = nullptr;
  PDX_RETURN_IF_ERROR(window->View(at, length, &data));
  *out = std::string_view(data, length);
  return Status::OK();
}

}  // namespace pdx
