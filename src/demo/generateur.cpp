#include "demo/generateur.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "util/session.h"
#include "demo/ecrivain.h"
#include "paradox/env_wrapper.h"
#include "util/dates.h"

namespace corv::demo {

bool LireDate(const std::string& s, double* jour) {
  int y = 0, mo = 0, d = 0;
  char fin = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &fin) != 3) return false;
  if (y < 1900 || y > 2100 || mo < 1 || mo > 12 || d < 1 || d > 31) return false;
  static const int kJours[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool bissextile = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > kJours[mo - 1] || (mo == 2 && d == 29 && !bissextile)) return false;
  *jour = DayNumber(y, mo, d);
  return true;
}

namespace {

// The tables' headers carry the time of their structure: here the demo's
// date at noon, so that one seed and date give the same bytes on every run
// and every system.
class HorlogeDemo final : public pdx::EnvWrapper {
 public:
  HorlogeDemo(pdx::Env* base, double jour)
      : EnvWrapper(base),
        secondes_(static_cast<int64_t>(std::llround((std::floor(jour) - DayNumber(1970, 1, 1)) * 86400.0)) + 12 * 3600) {}
  int64_t NowSeconds() override { return secondes_; }

 private:
  int64_t secondes_;
};

}  // namespace

pdx::Status Generer(pdx::Env* envAppelant, const Options& o, Bilan* bilan) {
  if (o.repertoire.empty()) return pdx::Status::InvalidArgument("no installation directory given");
  if (o.agences < 0 || o.agences > 999) return pdx::Status::InvalidArgument("--agencies must lie between 0 and 999");
  if (o.dossiers < 0 || o.dossiers > 900000)
    return pdx::Status::InvalidArgument("--dossiers must lie between 0 and 900000");
  std::error_code ec;
  // As UTF-8 both ways: on Windows a path's narrow strings are in the ANSI
  // code page, which turned an accented directory's name into another one.
  const std::u8string absolu =
      std::filesystem::absolute(std::u8string(o.repertoire.begin(), o.repertoire.end()), ec).lexically_normal().u8string();
  std::string racine(absolu.begin(), absolu.end());
  if (ec) return pdx::Status::InvalidArgument("bad directory " + o.repertoire + ": " + ec.message());
  while (racine.size() > 1 && racine.back() == '/') racine.pop_back();
  if (envAppelant->FileExists(racine + "/qvrbde.ini"))
    return pdx::Status::InvalidArgument(racine + " already holds an installation (qvrbde.ini)");

  Options opt = o;
  if (opt.jour == 0) opt.jour = std::floor(DayNumberNow());
  HorlogeDemo horloge(envAppelant, opt.jour);
  pdx::Env* env = &horloge;
  Monde m = ConstruireMonde(opt, Alea(opt.graine).Branche(0));

  Bilan local;
  Ecrivain e;
  e.env = env;
  e.monde = &m;
  e.racine = racine;
  e.graine = opt.graine;
  e.bilan = bilan ? bilan : &local;
  *e.bilan = Bilan{};

  for (const char* d : {"Administration/Documents/Interne", "Administration/Documents/Externe",
                        "Administration/Documents/Standard", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj",
                        "Agences"})
    DEMO_ESSAI(e.Repertoire(d));

  DEMO_ESSAI(EcrireFichiers(e));
  DEMO_ESSAI(EcrireSiege(e));
  BilanAgence siege;
  DEMO_ESSAI(EcrireDossiers(e, nullptr, "Dossiers", 0, &siege));
  DEMO_ESSAI(EcrireTarifs(e));
  DEMO_ESSAI(EcrireMaj(e));

  for (const AgenceDemo& g : m.agences) {
    BilanAgence b;
    b.code = g.code;
    b.nom = g.nom;
    b.repertoire = g.repertoire;
    b.sorte = g.sorte;
    std::string rel = "Agences/" + g.code;
    if (g.sorte == SorteAgence::kPropre) {
      DEMO_ESSAI(EcrireAdministrationAgence(e, g, rel + "/Administration"));
      DEMO_ESSAI(EcrireDossiers(e, &g, rel + "/Dossiers", opt.dossiers, &b));
    } else if (g.sorte == SorteAgence::kPartagee) {
      DEMO_ESSAI(EcrireDossiers(e, &g, rel + "/Dossiers", opt.dossiers, &b));
    }
    e.bilan->agences.push_back(b);
  }
  return pdx::Status::OK();
}

}  // namespace corv::demo
