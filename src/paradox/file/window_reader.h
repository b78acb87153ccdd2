#pragma once
// Reads a file through one window of consecutive bytes, for scans that move
// mostly forward through it (a table's block chain, the memos of the lines of
// a key-order scan): one Read of a large window replaces a call per block.
//
// Why not the mapping: touching a mapped file costs a page fault per few
// pages on first use, and on the virtual machines the agencies' files are read
// from that costs several times what copying the same bytes out of the page
// cache costs (stats bench: mapping and touching the statistics' 1.8 GB took
// 1.5 s CPU, reading them in windows 0.3 s). The window is reused, so it stays
// in the processor's cache.
//
// How a window is chosen: a request inside the window is served from it. The
// first request, and one that goes on forward at most one window length past
// the window's end, load a whole window from there (a scan moving on). Any other request (a jump back
// or far ahead: a chain out of file order) loads only the bytes asked for, so
// a table whose blocks are scattered costs one block read per block, not one
// window; the next request after them, if it follows on, loads a window again.
// A window loaded for a scan may start `behind` bytes before the request, for
// scans that step back a little now and then (the .MB's block heads). A file
// that prefers larger requests (RandomAccessFile::PreferredReadBytes: one on
// a network share) is read in windows of that size instead.
//
// Contract:
//  - View fails with Corruption naming the file when the bytes asked for lie
//    past its end (a file cut short), and passes the file's own error (IOError,
//    NotFound) on unchanged when a read fails. Nothing is read past the end.
//  - The bytes given stay valid until the next View or until the reader goes.
//  - One reader belongs to one scan; the file may be shared (reads are const).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "paradox/env.h"
#include "paradox/status.h"

namespace pdx {

class WindowReader {
 public:
  static constexpr size_t kDefaultWindow = 256 * 1024;

  // file outlives the reader; path names it in errors; behind: see above.
  WindowReader(const RandomAccessFile* file, std::string path, size_t windowBytes = kDefaultWindow,
               size_t behind = 0)
      : file_(file), path_(std::move(path)), windowBytes_(windowBytes ? windowBytes : 1), behind_(behind) {
    // A file that asks for larger requests (a network share's) gets them.
    if (file_ && file_->PreferredReadBytes() > windowBytes_) windowBytes_ = file_->PreferredReadBytes();
  }

  // Makes the n bytes at offset available at *data.
  Status View(uint64_t offset, size_t n, const char** data);

  // Reads made so far (tests check how requests were served).
  uint64_t reads() const { return reads_; }

 private:
  const RandomAccessFile* file_;
  std::string path_;
  size_t windowBytes_;
  size_t behind_;
  // Not a std::string: growing one fills it with zeros first, for nothing.
  std::unique_ptr<char[]> buf_;
  size_t cap_ = 0;
  uint64_t start_ = 0;  // file offset of buf_[0]
  size_t len_ = 0;      // bytes of buf_ that hold the file
  uint64_t reads_ = 0;
};

}  // namespace pdx
