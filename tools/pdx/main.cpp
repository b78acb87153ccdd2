// pdx: inspect Paradox tables (info, dump, check).
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pdx info|dump|check FILE\n");
    return 2;
  }
  std::fprintf(stderr, "pdx: unknown command '%s'\n", argv[1]);
  return 2;
}
