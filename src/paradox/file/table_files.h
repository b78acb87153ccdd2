#pragma once
// The files of one table, held open from Table::Open so that a reader keeps the
// version it opened: a writer's commit renames new files over the old ones, and
// an open file keeps its content across a rename, so a reader that opened some
// files before a commit and others after it would otherwise see a mix.
//
// Contract:
//  - Pin() opens, at once, every file the reader may read: the .DB, the .PX, the
//    secondary index files (.Xnn/.Ynn, .XGn/.YGn) and the .MB.
//  - Through this Env, reads of those files go to the held versions; the table's
//    other reader files are hidden (an index added after the open is not seen),
//    and a held file removed after the open is still seen. A listing of the
//    table's directory is the one made by Pin (with the held files). Everything
//    else (other directories and tables, writes, locks) passes to the wrapped
//    Env.
//  - Immutable after Pin(), so cursors of one table may read through it at once.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paradox/env_wrapper.h"

namespace pdx {

class TableFiles final : public EnvWrapper {
 public:
  TableFiles(Env* base, std::string dir) : EnvWrapper(base), base_(base), dir_(std::move(dir)) {}

  // Holds the reader files of the table whose .DB is dbName in dir, found
  // without regard to case in the directory's listing (one listing serves
  // the name and the table's other files); *found receives its name as it is
  // on disk. listing (optional): the directory's names, listed by the caller
  // a moment ago, used instead of listing it again.
  Status Pin(const std::string& dbName, std::string* found = nullptr,
             const std::vector<std::string>* listing = nullptr);

  Status NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) override;
  bool FileExists(const std::string& path) override;
  bool FileExistsAs(const std::string& path, std::string* actual) override;
  Status GetChildren(const std::string& dir, std::vector<std::string>* names) override;
  Status GetFileSize(const std::string& path, uint64_t* size) override;

 private:
  // Name of path when it is a reader file of this table in dir_, else "".
  std::string OwnName(const std::string& path) const;
  bool IsReaderFile(const std::string& name) const;

  Env* base_;
  std::string dir_;
  std::string prefix_;  // "STEM." upper-cased
  std::map<std::string, std::shared_ptr<RandomAccessFile>> held_;  // by name as found
  std::vector<std::string> others_;  // the directory's other entries at Pin
};

}  // namespace pdx
