#pragma once
// Reader of a table's blob file (.MB): the part of memo, formatted memo,
// binary, OLE and graphic values that does not fit in the record.
//
// Layout (blocks of 4096 bytes, block 0 is the file's header):
//   type 2, one value over whole blocks:
//     u8 type, u16 count of 4 KiB blocks, u32 length, u16 modifier, data at +9
//   type 3, sub-allocated block of small values:
//     u8 type, ...; from byte 12, 64 entries of 5 bytes:
//     u8 offset/16, u8 16-byte chunks, u16 modifier, u8 length % 16
//   type 4, free.
// A record's reference (offset, length): offset's low byte is the entry in a
// type 3 block, or 0xFF for a type 2 block; the rest is the block's file offset.
//
// Contract: Read never reads past the file and never allocates more than the
// file holds; a reference that does not match what the file holds gives
// Corruption naming the .MB and the offset. Immutable after Open.
#include <cstdint>
#include <memory>
#include <string>

#include <string_view>

#include "paradox/env.h"
#include "paradox/file/window_reader.h"
#include "paradox/status.h"

namespace pdx {

class BlobFile {
 public:
  static constexpr uint32_t kBlockSize = 4096;

  static Status Open(Env* env, const std::string& path, std::unique_ptr<BlobFile>* out);
  const std::string& path() const { return path_; }
  uint64_t size() const { return size_; }

  // Reads the whole value the reference points at into *out.
  Status Read(uint32_t offset, uint32_t length, std::string* out) const;
  // The same through a scan's window over this file (see WindowReader): *out
  // views the value in the window, valid until the window's next read.
  Status View(uint32_t offset, uint32_t length, WindowReader* window, std::string_view* out) const;
  // A window over this file, for View. It reaches one block back from where a
  // read starts: the value that starts a window often shares its block with
  // the next one read, whose lookup goes back to the block's head (without
  // the margin, every such value read a window again).
  WindowReader NewWindow(size_t windowBytes = WindowReader::kDefaultWindow) const {
    return WindowReader(file_.get(), path_, windowBytes, kBlockSize);
  }

 private:
  BlobFile() = default;
  // Checks the reference against the block it points at, read through fetch
  // (offset, bytes, const char** data), and gives the value's file offset.
  template <class Fetch>
  Status Locate(uint32_t offset, uint32_t length, const Fetch& fetch, uint64_t* at) const;
  Status ReadAt(uint64_t off, size_t n, char* dst) const;
  std::string path_;
  std::unique_ptr<RandomAccessFile> file_;
  uint64_t size_ = 0;
};

}  // namespace pdx
