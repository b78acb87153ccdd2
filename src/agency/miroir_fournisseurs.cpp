#include "agency/miroir_fournisseurs.h"

#include <stdexcept>

#include "data/fonctions_bd.h"

namespace corv {
namespace {

void Exiger(const pdx::Status& s, const std::string& quoi) {
  if (!s.ok()) throw std::runtime_error(quoi + " : " + s.ToString());
}

// Rows of a table whose field `champ` equals the supplier code, read whole.
std::vector<std::vector<pdx::Value>> LignesDu(Composant& t, const std::string& champ, const std::string& fournisseur) {
  std::vector<std::vector<pdx::Value>> r;
  int n = t.NumeroChamp(champ);
  if (n == 0) return r;
  std::vector<pdx::Value> v;
  Exiger(t.Premier(), t.Fichier());
  while (!t.Fin()) {
    Exiger(t.Enregistrement(&v), t.Fichier());
    const pdx::Value& f = v[static_cast<size_t>(n - 1)];
    if (!f.blank && f.text == fournisseur) r.push_back(v);
    Exiger(t.Suivant(), t.Fichier());
  }
  return r;
}

int Reporter(TDM& dm, Dialogs& dialogs, const std::string& composant, const std::string& champ,
             const std::string& aliasAgence, const std::string& fournisseur) {
  Composant& siege = dm[composant];
  std::unique_ptr<Composant> agence = dm.NouveauComposant(composant, "");
  if (!agence) return 0;
  agence->DefinirAlias(aliasAgence);
  agence->DefinirLectureSeule(false);
  if (!agence->FichierExiste()) return 0;
  Exiger(agence->Ouvrir(), agence->Fichier());
  if (!LignesDu(*agence, champ, fournisseur).empty()) return 0;
  bool ouvert = siege.Actif();
  if (!ouvert && OuvrirTable(siege, dialogs) != 0) return 0;
  auto lignes = LignesDu(siege, champ, fournisseur);
  int copies = 0;
  for (auto& l : lignes) {
    std::vector<pdx::Value> v(static_cast<size_t>(agence->NombreChamps()));
    int k = std::min(agence->NombreChamps(), siege.NombreChamps());
    for (int i = 1; i <= k; ++i)
      Exiger(ConvertirValeur(l[static_cast<size_t>(i - 1)], siege.Champ(i).type, agence->Champ(i).type,
                             &v[static_cast<size_t>(i - 1)]),
             agence->Fichier());
    Exiger(agence->InsererOuRemplacer(v, static_cast<size_t>(k)), agence->Fichier());
    ++copies;
  }
  if (!ouvert) siege.Fermer();
  Exiger(agence->Fermer(), agence->Fichier());
  return copies;
}

}  // namespace

LignesReportees ReporterLignesFournisseur(TDM& dm, const Contexte&, Dialogs& dialogs, const std::string& aliasAgence,
                                      const std::string& fournisseur) {
  LignesReportees r;
  r.remises = Reporter(dm, dialogs, "tblRemise", "Fournisseur", aliasAgence, fournisseur);
  r.codesArticle = Reporter(dm, dialogs, "tblCodeArticle", "Fournisseur", aliasAgence, fournisseur);
  return r;
}

}  // namespace corv
