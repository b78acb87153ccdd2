#include "paradox/format/paradox_file.h"

#include <algorithm>

namespace pdx {
namespace {

uint16_t U16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}

}  // namespace

Status ParadoxFile::Open(Env* env, const std::string& path, std::unique_ptr<ParadoxFile>* out) {
  std::unique_ptr<ParadoxFile> f(new ParadoxFile);
  f->path_ = path;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(path, &f->file_));
  f->fileSize_ = f->file_->Size();
  // The header size is a u16 at offset 2. Most headers fit in 4 KiB: read
  // that, then the rest when the header says it is longer (a cursor opens the
  // primary index again for each range after clearing the last one, so this
  // read is paid per search, not per table).
  size_t want = static_cast<size_t>(std::min<uint64_t>(f->fileSize_, 4096));
  std::string head(want, '\0');
  size_t got = 0;
  PDX_RETURN_IF_ERROR(f->file_->Read(0, want, head.data(), &got));
  if (got == want && got >= 4) {
    const size_t headerSize = U16(head.data() + 2);
    const size_t all = static_cast<size_t>(std::min<uint64_t>(f->fileSize_, headerSize));
    if (all > got) {
      head.resize(all);
      size_t more = 0;
      PDX_RETURN_IF_ERROR(f->file_->Read(got, all - got, head.data() + got, &more));
      got += more;
    }
  }
  PDX_RETURN_IF_ERROR(ParseHeader(path, head.data(), got, f->fileSize_, &f->header_));
  PDX_RETURN_IF_ERROR(CodePage::Find(f->header_.EffectiveCodePage(), &f->codePage_));
  *out = std::move(f);
  return Status::OK();
}

uint32_t ParadoxFile::BlocksInFile() const {
  if (fileSize_ <= header_.headerSize) return 0;
  return static_cast<uint32_t>((fileSize_ - header_.headerSize) / header_.blockSize);
}

Status ParadoxFile::ReadBlock(uint32_t n, std::string* buf) const {
  if (n == 0 || n > BlocksInFile())
    return Status::Corruption(path_ + ": block " + std::to_string(n) + " lies outside the file (" +
                              std::to_string(BlocksInFile()) + " blocks)");
  buf->resize(header_.blockSize);
  uint64_t off = header_.headerSize + static_cast<uint64_t>(n - 1) * header_.blockSize;
  size_t got = 0;
  PDX_RETURN_IF_ERROR(file_->Read(off, header_.blockSize, buf->data(), &got));
  if (got != header_.blockSize)
    return Status::Corruption(path_ + ": block " + std::to_string(n) + " is cut short");
  return Status::OK();
}

Status ParadoxFile::ParseBlockHeader(uint32_t n, const char* block, BlockHeader* bh) const {
  bh->next = U16(block);
  bh->prev = U16(block + 2);
  int16_t add = static_cast<int16_t>(U16(block + 4));
  if (add < 0) {
    bh->records = 0;
  } else {
    if (add % header_.recordSize != 0)
      return Status::Corruption(path_ + ": block " + std::to_string(n) + ": record area of " +
                                std::to_string(add) + " bytes is not a whole number of records");
    bh->records = static_cast<uint32_t>(add / header_.recordSize) + 1;
    if (bh->records > RecordsPerBlock())
      return Status::Corruption(path_ + ": block " + std::to_string(n) + " claims " +
                                std::to_string(bh->records) + " records, it can hold " +
                                std::to_string(RecordsPerBlock()));
  }
  return Status::OK();
}

Status ParadoxFile::LoadBlock(uint32_t n, std::string* buf, BlockHeader* bh) const {
  PDX_RETURN_IF_ERROR(ReadBlock(n, buf));
  return ParseBlockHeader(n, *buf, bh);
}

Status ParadoxFile::ReadRecord(const RecordRef& ref, std::string* buf, const char** rec) const {
  BlockHeader bh;
  PDX_RETURN_IF_ERROR(LoadBlock(ref.block, buf, &bh));
  if (ref.slot >= bh.records)
    return Status::Corruption(path_ + ": record " + std::to_string(ref.slot) + " of block " +
                              std::to_string(ref.block) + " does not exist (the block holds " +
                              std::to_string(bh.records) + ")");
  *rec = RecordPtr(*buf, ref.slot);
  return Status::OK();
}

BlockChain::BlockChain(const ParadoxFile* file)
    : file_(file), reader_(file->file(), file->path()) {
  Reset();
}

void BlockChain::Reset() {
  block_ = 0;
  bh_ = BlockHeader{};
  nextBlock_ = file_->header().recordCount == 0 && file_->header().firstBlock == 0 ? 0 : file_->header().firstBlock;
  finished_ = false;
  recordsSeen_ = 0;
  blocksSeen_ = 0;
  visited_.assign(file_->BlocksInFile() + 1, false);
  block_data_ = nullptr;
}

Status BlockChain::Next(bool* done) {
  const std::string& path = file_->path();
  const FileHeader& h = file_->header();
  *done = false;
  if (finished_) {
    *done = true;
    return Status::OK();
  }
  if (nextBlock_ == 0) {
    if (recordsSeen_ != h.recordCount)
      return Status::Corruption(path + ": the header counts " + std::to_string(h.recordCount) +
                                " records, the data blocks hold " + std::to_string(recordsSeen_));
    finished_ = true;
    bh_ = BlockHeader{};
    block_ = 0;
    *done = true;
    return Status::OK();
  }
  uint32_t n = nextBlock_;
  if (n >= visited_.size())
    return Status::Corruption(path + ": block chain points to block " + std::to_string(n) +
                              ", outside the file (" + std::to_string(file_->BlocksInFile()) + " blocks)");
  if (visited_[n])
    return Status::Corruption(path + ": block chain loops back to block " + std::to_string(n));
  visited_[n] = true;
  const char* data = nullptr;
  PDX_RETURN_IF_ERROR(reader_.View(h.headerSize + static_cast<uint64_t>(n - 1) * h.blockSize, h.blockSize, &data));
  BlockHeader bh;
  PDX_RETURN_IF_ERROR(file_->ParseBlockHeader(n, data, &bh));
  if (bh.prev != block_)
    return Status::Corruption(path + ": block " + std::to_string(n) + " names block " + std::to_string(bh.prev) +
                              " as previous, the chain came from block " + std::to_string(block_));
  recordsSeen_ += bh.records;
  if (recordsSeen_ > h.recordCount)
    return Status::Corruption(path + ": the data blocks hold more records than the " +
                              std::to_string(h.recordCount) + " the header counts");
  ++blocksSeen_;
  bh_ = bh;
  block_ = n;
  block_data_ = data;
  nextBlock_ = bh.next;
  return Status::OK();
}

}  // namespace pdx
