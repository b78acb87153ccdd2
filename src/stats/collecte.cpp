#include "stats/collecte.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "data/dm.h"
#include "data/fonctions_bd.h"
#include "stats/collecte_agence.h"
#include "util/ordered_work.h"
#include "util/status_text.h"

namespace corv {
namespace {

struct AgenceLue {
  std::string code, nom, repertoire;
};

// The dialogs of a worker: messages are kept and shown later, in agency order,
// from the caller's thread. A worker never asks anything.
class DialogsDifferes : public UnattendedDialogs {
 public:
  struct Boite {
    MessageKind kind;
    std::string text, caption;
  };
  std::vector<Boite> boites;

  void Message(MessageKind kind, const std::string& text, const std::string& caption) override {
    boites.push_back({kind, text, caption});
  }
};

// What one worker owns: a copy of the session (its QuintrelDossiers follows the
// agencies) and a data module on it.
struct Travailleur {
  Travailleur(const Session& s, HostPaths& host) : session(s), dm(session, host, dialogs) {}
  DialogsDifferes dialogs;
  Session session;
  TDM dm;
};

struct ResultatAgence {
  BilanAgenceStat bilan;
  std::vector<DialogsDifferes::Boite> boites;
};

void CollecterUne(Travailleur& t, const AgenceLue& a, const OptionsStatistiques& o, ResultatAgence* r) {
  t.dialogs.boites.clear();
  try {
    pdx::Status s = ChangerRepertoireBase(t.session, kAliasDossiers, "Dossiers", a.repertoire);
    if (s.ok()) {
      CollecterAgence(t.dm["tblDocument"], t.dm["tblLigne"], t.dialogs, o.calcul, o.periode, &r->bilan);
    } else {
      r->bilan.erreurs.push_back(FrenchText(s));
    }
  } catch (const std::exception& e) {
    r->bilan = BilanAgenceStat();
    r->bilan.erreurs.push_back(std::string("erreur inattendue pendant la lecture de l'agence (") + e.what() + ")");
  }
  r->boites = std::move(t.dialogs.boites);
}

// Reads "Agence.DB" (Code order) and, for the purchase figures, head office's
// supplier names.
pdx::Status LireAgences(TDM& dm, Dialogs& dialogs, HostPaths& host, const OptionsStatistiques& o,
                        std::vector<AgenceLue>* agences, ResultatStatistiques* r) {
  Composant& tbl = dm["tblAgence"];
  PDX_RETURN_IF_ERROR(OuvrirTable(tbl, dialogs));
  const int fCode = tbl.NumeroChamp("Code"), fNom = tbl.NumeroChamp("Nom"), fRep = tbl.NumeroChamp("Repertoire");
  pdx::Status s;
  std::vector<AgenceLue> lues;
  for (s = tbl.Premier(); s.ok() && !tbl.Fin(); s = tbl.Suivant()) {
    AgenceLue a;
    s = tbl.Texte(fCode, &a.code);
    if (s.ok()) s = tbl.Texte(fNom, &a.nom);
    if (s.ok()) s = tbl.Texte(fRep, &a.repertoire);
    if (!s.ok()) break;
    r->nomsAgences.emplace(a.code, a.nom);
    lues.push_back(std::move(a));
  }
  tbl.Fermer().IgnoreError();  // read only: nothing to write
  if (!s.ok()) return s;
  // An agency whose directory does not exist gets no row. The directories are
  // looked at as many at once as agencies are read: on a network share each
  // look is a round trip.
  std::vector<char> existe(lues.size(), 0);
  {
    std::atomic<size_t> prochain{0};
    auto regarder = [&] {
      for (size_t i; (i = prochain++) < lues.size();)
        existe[i] = !lues[i].repertoire.empty() && host.DirExists(lues[i].repertoire);
    };
    std::vector<std::thread> ts;
    for (int k = 1; k < std::min<int>(o.parallele, static_cast<int>(lues.size())); ++k) ts.emplace_back(regarder);
    regarder();
    for (std::thread& t : ts) t.join();
  }
  for (size_t i = 0; i < lues.size(); ++i)
    if (existe[i]) agences->push_back(std::move(lues[i]));
  if (o.calcul == Calcul::kAgences) return pdx::Status::OK();
  Composant& fns = dm["tblFournisseur"];
  if (!OuvrirTable(fns, dialogs).ok()) return pdx::Status::OK();  // captions fall back to the codes
  const int fc = fns.NumeroChamp("Code"), fn = fns.NumeroChamp("Nom");
  for (s = fns.Premier(); s.ok() && !fns.Fin(); s = fns.Suivant()) {
    std::string code, nom;
    if (fns.Texte(fc, &code).ok() && fns.Texte(fn, &nom).ok()) r->nomsFournisseurs.emplace(code, nom);
  }
  fns.Fermer().IgnoreError();  // read only: nothing to write
  return pdx::Status::OK();
}

}  // namespace

pdx::Status CollecterStatistiques(const Session& session, HostPaths& host, Dialogs& dialogs, RunReport& report,
                                  const OptionsStatistiques& options, ResultatStatistiques* resultat) {
  ResultatStatistiques& r = *resultat;
  r = ResultatStatistiques();
  r.calcul = options.calcul;
  r.periode = options.periode;
  std::vector<AgenceLue> agences;
  {
    Session propre(session);
    TDM dm(propre, host, dialogs);
    pdx::Status s = LireAgences(dm, dialogs, host, options, &agences, &r);
    if (!s.ok()) return s;
  }
  const size_t n = agences.size();
  const int total = static_cast<int>(n);
  report.AgencyProgress(0, total);

  // Computation 3: each agency's supplier map, by agency code.
  std::map<std::string, CarteFournisseurs> parAgence;
  auto publier = [&](size_t i, ResultatAgence& ra) {
    const AgenceLue& a = agences[i];
    for (const auto& b : ra.boites) dialogs.Message(b.kind, b.text, b.caption);
    for (const std::string& e : ra.bilan.erreurs) report.Error("Agence " + a.code + " : " + e);
    if (options.calcul == Calcul::kFournisseurs) {
      r.agences.push_back({a.code, a.nom, {}, {}});
      parAgence[a.code] = std::move(ra.bilan.fournisseurs);
    } else {
      r.total.Ajouter(ra.bilan.stat);
      r.agences.push_back({a.code, a.nom, ra.bilan.stat, std::move(ra.bilan.fournisseurs)});
    }
    report.AgencyProgress(static_cast<int>(i) + 1, total);
  };

  // Agencies read at once by workers of their own; their results are taken
  // in agency order, as a run one after another would see them.
  RunInOrder<ResultatAgence>(
      n, options.parallele, [&] { return std::make_unique<Travailleur>(session, host); },
      [&](Travailleur& t, size_t i, ResultatAgence* ra) { CollecterUne(t, agences[i], options, ra); },
      [&](size_t i) {
        // Between agencies, as a run one after another would see it.
        if (report.StopRequested()) {
          r.interrompu = true;
          return false;
        }
        report.AgencyLabel(agences[i].nom);
        return true;
      },
      publier);

  if (options.calcul == Calcul::kFournisseurs) {
    // Regrouped by supplier; the instances are shared, not copied.
    std::map<std::string, CarteAgences> regroupe;
    for (auto& [agence, carte] : parAgence)
      for (auto& [fournisseur, stat] : carte) regroupe[fournisseur][agence] = stat;
    for (auto& [fournisseur, carte] : regroupe) {
      StatFournisseur f;
      f.code = fournisseur;
      for (const auto& [agence, stat] : carte) f.stat.Ajouter(*stat);
      f.agences = std::move(carte);
      r.total.Ajouter(f.stat);
      r.fournisseurs.push_back(std::move(f));
    }
  }
  return pdx::Status::OK();
}

}  // namespace corv
