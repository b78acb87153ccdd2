// Command of the backups: restauration --liste | restauration RUN [--agence CODE].
#include <cstdio>

#include "commandes.h"
#include "console.h"
#include "paradox/env.h"
#include "transfer/restauration.h"
#include "util/status_text.h"

namespace corv::batch {

const char* const kUsageRestauration =
    "  restauration --liste\n"
    "      liste les sauvegardes (dossier \"Sauvegardes\" à côté de \"qvrbde.ini\"), de la plus\n"
    "      ancienne à la plus récente ; les 20 dernières sont conservées.\n"
    "  restauration SAUVEGARDE [--agence CODE]\n"
    "      remet les tables de la sauvegarde nommée (toutes ses agences, ou la seule agence\n"
    "      CODE) dans l'état où elles étaient avant le traitement, table par table ; refusé\n"
    "      tant qu'une de ces tables est utilisée par un autre programme.\n";

namespace {

int Usage(const std::string& pourquoi) {
  std::fprintf(stderr, "corvanes-batch : restauration : %s\n\nUsage :\n%s", pourquoi.c_str(), kUsageRestauration);
  return kUsage;
}

std::string Codes(const RunSauve& r) {
  std::string s;
  for (const auto& a : r.agences) s += (s.empty() ? "" : ", ") + a.code;
  return s;
}

size_t NombreTables(const RunSauve& r) {
  size_t n = 0;
  for (const auto& a : r.agences) n += a.tables.size();
  return n;
}

int Lister(pdx::Env* env, const std::string& racine) {
  std::vector<RunSauve> runs;
  pdx::Status s = ListerSauvegardes(env, racine, &runs);
  if (!s.ok()) {
    std::fprintf(stderr, "%s\n", (s.message().empty() ? FrenchText(s) : s.message()).c_str());
    return kEchec;
  }
  if (runs.empty()) {
    std::printf("Aucune sauvegarde dans : %s\n", racine.c_str());
    return kTermine;
  }
  std::printf("Sauvegardes dans : %s\n", racine.c_str());
  for (const auto& r : runs)
    std::printf("%s : %s, commencé le %s, %zu agence(s) (%s), %zu table(s)\n", r.nom.c_str(), r.sorte.c_str(),
                r.debut.c_str(), r.agences.size(), Codes(r).c_str(), NombreTables(r));
  return kTermine;
}

}  // namespace

int Restauration(const Contexte& ctx, const std::vector<std::string>& args) {
  bool liste = false;
  std::string run, agence;
  bool agenceDonnee = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::printf("Usage :\n%s", kUsageRestauration);
      return kTermine;
    }
    if (a == "--liste") {
      liste = true;
    } else if (a == "--agence") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("--agence demande un code d'agence");
      agence = args[++i];
      agenceDonnee = true;
    } else if (a.rfind("--", 0) == 0) {
      return Usage("option inconnue : " + a);
    } else if (run.empty()) {
      run = a;
    } else {
      return Usage("une seule sauvegarde à la fois : " + a);
    }
  }
  if (liste && (!run.empty() || agenceDonnee)) return Usage("--liste ne prend pas d'autre argument");
  if (!liste && run.empty()) return Usage("nommez une sauvegarde (voir --liste)");

  // Only the configuration is needed (where the backups are, how Windows paths
  // map to this host): the data module's tables are not opened, so nothing but
  // the restored tables is written.
  ConsoleDialogs dialogs("corvanes-batch : ");
  pdx::Env* env = pdx::Env::Default();
  Application app(env, ctx.exePath, dialogs);
  pdx::Status demarrage = app.Demarrer(ctx.ini);
  if (!demarrage.ok()) return EchecDemarrage(ctx, demarrage, dialogs);
  const std::string racine = RacineSauvegardesInstallation(app.chemins(), app.host(), ctx.ini);
  if (liste) return Lister(env, racine);

  ConsoleRunReport rapport;
  JournalEcrit journal;
  pdx::Status s = RestaurerSauvegarde(app, racine, run, agence, rapport, nullptr, &journal);
  rapport.Effacer();
  if (journal.erreur.empty()) {
    std::printf("%s\n", LigneJournal(journal).c_str());
  } else {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", LigneJournal(journal).c_str());
  }
  if (!s.ok()) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", (s.message().empty() ? FrenchText(s) : s.message()).c_str());
    return kEchec;
  }
  return kTermine;
}

}  // namespace corv::batch
