#include "transfer/restauration.h"

#include <algorithm>
#include <memory>
#include <set>

#include "util/status_text.h"

namespace corv {
namespace {

std::string Majuscules(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string SansBarreFinale(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

// The tables a run saved, as comparable keys.
std::set<std::string> Cles(const RunSauve& r) {
  std::set<std::string> c;
  for (const auto& a : r.agences)
    for (const auto& t : a.tables)
      c.insert(Majuscules(a.code) + '\n' + Majuscules(SansBarreFinale(t.repertoireHote)) + '\n' + Majuscules(t.fichier));
  return c;
}

bool AgenceChoisie(const AgenceSauvee& a, const std::string& code) {
  return code.empty() || Majuscules(a.code) == Majuscules(code);
}

}  // namespace

bool RunDeSorte(const RunSauve& r, const std::string& sorte) {
  if (r.sorte == sorte) return true;
  return r.sorte == kSorteAvantRestauration && r.sorteRestauree == sorte;
}

pdx::Status ListerSauvegardesDe(pdx::Env* env, const std::string& racine, const std::vector<std::string>& sortes,
                                std::vector<SauvegardeListee>* liste) {
  liste->clear();
  std::vector<RunSauve> runs;
  PDX_RETURN_IF_ERROR(ListerSauvegardes(env, racine, &runs));
  std::vector<std::set<std::string>> cles;
  for (const auto& r : runs) cles.push_back(Cles(r));
  for (size_t i = runs.size(); i-- > 0;) {
    bool garder = sortes.empty();
    for (const auto& s : sortes) garder = garder || RunDeSorte(runs[i], s);
    if (!garder) continue;
    SauvegardeListee l;
    l.run = runs[i];
    for (size_t j = i + 1; j < runs.size(); ++j) {
      bool commune = std::any_of(cles[i].begin(), cles[i].end(), [&](const std::string& c) { return cles[j].count(c) > 0; });
      if (commune) l.modifieeDepuis.push_back({runs[j].nom, runs[j].sorte, runs[j].debut});
    }
    liste->push_back(std::move(l));
  }
  return pdx::Status::OK();
}

namespace {

// Passes everything on, keeping the lists for the journal.
class RapportJournal : public RunReport {
 public:
  explicit RapportJournal(RunReport& cible) : cible_(cible) {}
  std::vector<std::string> messages, erreurs;
  void Message(const std::string& l) override {
    messages.push_back(l);
    cible_.Message(l);
  }
  void Error(const std::string& l) override {
    erreurs.push_back(l);
    cible_.Error(l);
  }
  void ReadingLabel(const std::string& t) override { cible_.ReadingLabel(t); }
  void AgencyLabel(const std::string& t) override { cible_.AgencyLabel(t); }
  void RowProgress(int p, int m) override { cible_.RowProgress(p, m); }
  void AgencyProgress(int p, int m) override { cible_.AgencyProgress(p, m); }
  bool StopRequested() override { return cible_.StopRequested(); }

 private:
  RunReport& cible_;
};

pdx::Status RestaurerSeul(Application& app, const std::string& racine, const std::string& nom,
                          const std::string& codeAgence, RunReport& rapport, int* tablesRestaurees) {
  // Not while a transfer or a clean-up runs on this installation; the lock is
  // held until the last table is back.
  std::unique_ptr<pdx::FileLock> verrouRun;
  PDX_RETURN_IF_ERROR(VerrouRestauration(app.session(), app.host(), &verrouRun));
  pdx::Env* env = app.host().env();
  RunSauve run;
  PDX_RETURN_IF_ERROR(LireSauvegarde(env, racine, nom, &run));
  return Restaurer(env, &app.host(), run, codeAgence, rapport, tablesRestaurees);
}

}  // namespace

std::string RepertoireJournauxInstallation(Application& app) {
  return RepertoireJournaux(app.FichierIni().empty() ? app.host().ToHost(app.chemins().FichierIniBde())
                                                     : app.FichierIni());
}

pdx::Status RestaurerSauvegarde(Application& app, const std::string& racine, const std::string& nom,
                                const std::string& codeAgence, RunReport& rapport, int* tablesRestaurees,
                                JournalEcrit* journal) {
  int n = 0;
  JournalRun j;
  j.sorte = "restauration";
  j.libelle = "Restauration d'une sauvegarde";
  j.debut = std::chrono::system_clock::now();
  j.options = {{"Sauvegarde", nom}, {"Agence", codeAgence.empty() ? "toutes" : codeAgence}};
  RapportJournal tee(rapport);
  pdx::Status s = RestaurerSeul(app, racine, nom, codeAgence, tee, &n);
  if (tablesRestaurees) *tablesRestaurees = n;
  j.fin = std::chrono::system_clock::now();
  const std::string erreur = s.message().empty() ? FrenchText(s) : s.message();
  j.resultat = s.ok() ? "Terminé : " + std::to_string(n) + " table(s) restaurée(s)"
                      : (s.IsBusy() ? "Refusé : " : "Erreur : ") + erreur;
  j.messages = std::move(tee.messages);
  j.erreurs = std::move(tee.erreurs);
  JournalEcrit ecrit;
  pdx::Status sj = EcrireJournalRun(app.host().env(), RepertoireJournauxInstallation(app), j, &ecrit.chemin);
  if (!sj.ok()) ecrit.erreur = sj.message().empty() ? FrenchText(sj) : sj.message();
  if (journal) *journal = ecrit;
  return s;
}

std::vector<std::string> TablesARestaurer(const RunSauve& run, const std::string& codeAgence) {
  std::vector<std::string> lignes;
  for (const auto& a : run.agences) {
    if (!AgenceChoisie(a, codeAgence)) continue;
    std::string l = a.nom + " (" + a.code + ") : ";
    for (size_t i = 0; i < a.tables.size(); ++i) l += (i ? ", " : "") + a.tables[i].fichier;
    lignes.push_back(l);
  }
  return lignes;
}

std::string LibelleSorte(const std::string& sorte) {
  static const std::pair<const char*, const char*> libelles[] = {
      {"conditions-achat", "Conditions d'achat"},   {"conditions-vente", "Conditions de vente"},
      {"personnalisations", "Personnalisations"},   {"messagerie", "Messagerie"},
      {"documents", "Documents"},                   {"nettoyage-clients", "Nettoyage des clients"},
      {kSorteAvantRestauration, "Avant restauration"},
  };
  for (const auto& [s, l] : libelles)
    if (sorte == s) return l;
  return sorte;
}

}  // namespace corv
