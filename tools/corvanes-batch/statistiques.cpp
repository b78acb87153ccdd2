// Command of the statistics: statistiques.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commandes.h"
#include "console.h"
#include "stats/classeur.h"
#include "stats/collecte.h"
#include "stats/export.h"
#include "util/dates.h"
#include "util/status_text.h"

namespace corv::batch {

const char* const kUsageStatistiques =
    "  statistiques agences|achats|fournisseurs [--debut AAAA-MM-JJ] [--fin AAAA-MM-JJ] [--tri N]\n"
    "               [--csv FICHIER] [--xlsx FICHIER] [--detail] [--parallele N]\n"
    "      Calcule les statistiques des agences (onglets \"Stats des agences\", \"Stats achats/ventes\",\n"
    "      \"Stats des fournisseurs\") et affiche la liste, triée sur la colonne N (0 par défaut).\n"
    "      --csv écrit l'export de la fenêtre (\".csv\" ajouté à un nom sans extension ; un fichier\n"
    "      existant est remplacé), --xlsx le même export en classeur Excel (\".xlsx\" ajouté au nom\n"
    "      s'il n'y est pas), --detail y ajoute le détail de chaque ligne. --parallele lit N\n"
    "      agences à la fois (mêmes résultats).\n";

namespace {

int Usage(const std::string& raison) {
  std::fprintf(stderr, "corvanes-batch : statistiques : %s\n\nUsage :\n%s", raison.c_str(), kUsageStatistiques);
  return kUsage;
}

// "AAAA-MM-JJ" -> day number; false when it is not a valid date.
bool LireDate(const std::string& s, double* jour) {
  int a = 0, m = 0, j = 0;
  char fin = 0;
  if (s.size() != 10 || std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &a, &m, &j, &fin) != 3) return false;
  if (a < 1 || m < 1 || m > 12 || j < 1) return false;
  static const int kJours[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool bissextile = (a % 4 == 0 && a % 100 != 0) || a % 400 == 0;
  if (j > kJours[m - 1] + (m == 2 && bissextile ? 1 : 0)) return false;
  *jour = DayNumber(a, m, j);
  return true;
}

bool LireEntier(const std::string& s, int* n) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  *n = std::atoi(s.c_str());
  return true;
}

// Characters of a UTF-8 text (for the column widths).
size_t Largeur(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// The list as an aligned table: first column to the left, the others to the right.
void Afficher(const ListeStat& l, std::FILE* out) {
  std::vector<size_t> larg(l.colonnes.size(), 0);
  auto mesurer = [&](size_t c, const std::string& t) {
    if (c < larg.size()) larg[c] = std::max(larg[c], Largeur(t));
  };
  for (size_t c = 0; c < l.colonnes.size(); ++c) mesurer(c, l.colonnes[c]);
  for (const LigneStat& r : l.lignes) {
    mesurer(0, r.libelle);
    for (size_t c = 0; c < r.cellules.size(); ++c) mesurer(c + 1, r.cellules[c]);
  }
  auto ligne = [&](const std::string& premier, const std::vector<std::string>& autres) {
    std::string t = premier + std::string(larg[0] - Largeur(premier), ' ');
    for (size_t c = 0; c < autres.size() && c + 1 < larg.size(); ++c)
      t += "  " + std::string(larg[c + 1] - Largeur(autres[c]), ' ') + autres[c];
    std::fprintf(out, "%s\n", t.c_str());
  };
  ligne(l.colonnes[0], std::vector<std::string>(l.colonnes.begin() + 1, l.colonnes.end()));
  for (const LigneStat& r : l.lignes) ligne(r.libelle, r.cellules);
}

}  // namespace

int Statistiques(const Contexte& ctx, const std::vector<std::string>& args) {
  if (args.empty()) return Usage("il manque le calcul (agences, achats ou fournisseurs)");
  OptionsStatistiques o;
  if (args[0] == "agences") o.calcul = Calcul::kAgences;
  else if (args[0] == "achats") o.calcul = Calcul::kAchats;
  else if (args[0] == "fournisseurs") o.calcul = Calcul::kFournisseurs;
  else return Usage("calcul inconnu : " + args[0]);
  int tri = 0;
  std::string csv, xlsx;
  bool detail = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valeur = i + 1 < args.size();
    if (a == "--detail") {
      detail = true;
    } else if (a == "--debut" || a == "--fin") {
      double jour = 0;
      if (!valeur || !LireDate(args[i + 1], &jour)) return Usage(a + " attend une date AAAA-MM-JJ");
      (a == "--debut" ? o.periode.debut : o.periode.fin) = jour;
      ++i;
    } else if (a == "--tri") {
      if (!valeur || !LireEntier(args[i + 1], &tri)) return Usage("--tri attend un numéro de colonne");
      ++i;
    } else if (a == "--parallele") {
      if (!valeur || !LireEntier(args[i + 1], &o.parallele) || o.parallele < 1)
        return Usage("--parallele attend un nombre d'agences (1 ou plus)");
      ++i;
    } else if (a == "--csv") {
      if (!valeur || args[i + 1].empty()) return Usage("--csv attend un nom de fichier");
      csv = args[++i];
    } else if (a == "--xlsx") {
      if (!valeur || args[i + 1].empty()) return Usage("--xlsx attend un nom de fichier");
      xlsx = args[++i];
    } else {
      return Usage("option inconnue : " + a);
    }
  }
  if (detail && csv.empty() && xlsx.empty()) return Usage("--detail va avec --csv ou --xlsx");
  if (!xlsx.empty() && !ClasseurDisponible()) {
    std::fprintf(stderr, "corvanes-batch : statistiques : %s\n", kClasseurNonDisponible);
    return kEchec;
  }
  if (detail && o.calcul == Calcul::kAgences) return Usage("la liste des agences n'a pas de détail");
  const size_t colonnes = o.calcul == Calcul::kAgences ? ColonnesAgences().size() : ColonnesAchats(false).size();
  if (static_cast<size_t>(tri) >= colonnes)
    return Usage("--tri : la liste a les colonnes 0 à " + std::to_string(colonnes - 1));

  int echec = kEchec;
  std::unique_ptr<Installation> inst = Demarrer(ctx, &echec);
  if (!inst) return echec;
  ConsoleRunReport report;
  ResultatStatistiques r;
  pdx::Status s = CollecterStatistiques(*inst->app, report, o, &r);
  report.Effacer();
  if (!s.ok()) {
    std::fprintf(stderr, "corvanes-batch : statistiques : %s\n", FrenchText(s).c_str());
    return kEchec;
  }
  ListeStat liste = ListePour(r);
  liste.Trier(tri);
  Afficher(liste, stdout);
  std::fflush(stdout);
  if (!csv.empty()) {
    const std::string chemin = NomFichierExport(csv);
    s = EcrireFichierExport(pdx::Env::Default(), chemin, TexteExport(liste, detail));
    if (!s.ok()) {
      std::fprintf(stderr, "corvanes-batch : %s\n%s\n", kMessageErreurExport, FrenchText(s).c_str());
      return kEchec;
    }
  }
  if (!xlsx.empty()) {
    s = EcrireClasseur(pdx::Env::Default(), NomFichierClasseur(xlsx), liste, detail);
    if (!s.ok()) {
      std::fprintf(stderr, "corvanes-batch : %s\n%s\n", kMessageErreurExport, FrenchText(s).c_str());
      return kEchec;
    }
  }
  return kTermine;
}

}  // namespace corv::batch
