// pdx: inspect Paradox tables (info, dump, check), rebuild their indexes, copy them.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "pdx.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: pdx info FILE\n"
               "       pdx dump FILE [--index NAME] [--format jsonl|csv]\n"
               "       pdx check FILE\n"
               "       pdx reindex FILE\n"
               "       pdx copy SRC DST\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // The arguments as UTF-8: on Windows argv holds the ANSI code page, which
  // cannot hold every file name.
  pdx::ArgvUtf8 utf8(argc, argv);
  argc = utf8.argc();
  argv = utf8.argv();
  if (argc < 3) return Usage();
  std::string cmd = argv[1];
  std::string file = argv[2];
  if (cmd == "info" && argc == 3) return pdxtool::Info(file);
  if (cmd == "check" && argc == 3) return pdxtool::Check(file);
  if (cmd == "reindex" && argc == 3) return pdxtool::Reindex(file);
  if (cmd == "copy" && argc == 4) return pdxtool::Copy(file, argv[3]);
  if (cmd == "dump") {
    std::string index, format = "jsonl";
    for (int i = 3; i < argc; ++i) {
      if (std::strcmp(argv[i], "--index") == 0 && i + 1 < argc) {
        index = argv[++i];
      } else if (std::strcmp(argv[i], "--format") == 0 && i + 1 < argc) {
        format = argv[++i];
      } else {
        return Usage();
      }
    }
    if (format != "jsonl" && format != "csv") return Usage();
    return pdxtool::Dump(file, index, format);
  }
  if (cmd != "info" && cmd != "check" && cmd != "dump" && cmd != "reindex" && cmd != "copy") std::fprintf(stderr, "pdx: unknown command '%s'\n", argv[1]);
  return Usage();
}
