// Starting the print module on POSIX systems.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "data/impression.h"

extern char** environ;

namespace corv {

bool EstExecutableHote(const std::string& cheminHote) { return ::access(cheminHote.c_str(), X_OK) == 0; }

int LancerEtAttendre(const std::string& programmeHote, const std::vector<std::string>& arguments) {
  if (programmeHote.empty()) return -1;
  std::vector<std::string> args;
  args.push_back(programmeHote);
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, programmeHote.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace corv
