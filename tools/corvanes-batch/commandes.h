#pragma once
// The commands of corvanes-batch. Each runs one task of the desktop program
// headless, on the same core objects, and prints the texts the window would show.
//
// Contract of a command:
//  - args: the words after the command's name (options and operands, in order).
//  - Returns the exit code: 0 the run completed (lines in the error list
//    included), 1 it ended on an error (named on standard error), 2 usage error
//    (the usage printed on standard error).
//  - Message-list lines go to standard output, error-list lines to standard
//    error, UTF-8, as they are logged.
#include <memory>
#include <string>
#include <vector>

#include "data/application.h"
#include "paradox/status.h"
#include "util/dialogs.h"

namespace corv::batch {

inline constexpr int kTermine = 0;
inline constexpr int kEchec = 1;
inline constexpr int kUsage = 2;

struct Contexte {
  std::string ini;      // value of --ini (host path); "" = "qvrbde.ini" beside the executable
  std::string exePath;  // the running executable's full path
};

// The program's objects, started as the desktop program starts (named databases,
// data module, general parameters and VAT rates, catalogue tables).
struct Installation {
  ConsoleDialogs dialogs{"corvanes-batch : "};
  std::unique_ptr<Application> app;
};

// Starts the installation of ctx; nullptr after the reason went to standard
// error, *echec then holding the exit code (see EchecDemarrage).
std::unique_ptr<Installation> Demarrer(const Contexte& ctx, int* echec);

// A start that failed: its message on standard error (through dialogs); returns
// kUsage when --ini names a file that does not exist, kEchec otherwise.
int EchecDemarrage(const Contexte& ctx, const pdx::Status& s, Dialogs& dialogs);

int Transfert(const Contexte& ctx, const std::vector<std::string>& args);
int NettoyageClients(const Contexte& ctx, const std::vector<std::string>& args);
int Restauration(const Contexte& ctx, const std::vector<std::string>& args);
int Statistiques(const Contexte& ctx, const std::vector<std::string>& args);

// Usage texts of each command (French), printed by --help and on usage errors.
extern const char* const kUsageTransfert;
extern const char* const kUsageNettoyage;
extern const char* const kUsageRestauration;
extern const char* const kUsageStatistiques;

}  // namespace corv::batch
