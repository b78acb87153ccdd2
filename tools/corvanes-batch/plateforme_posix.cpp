#include <unistd.h>

#include <climits>

#include "plateforme.h"

namespace corv::batch {

void PreparerConsole() {}

bool EstTerminal(std::FILE* f) { return isatty(fileno(f)) != 0; }

std::string CheminExecutable(const char* argv0) {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) return std::string(buf, static_cast<size_t>(n));
  return argv0;
}

}  // namespace corv::batch
