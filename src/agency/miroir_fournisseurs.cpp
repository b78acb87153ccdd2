#include "agency/miroir_fournisseurs.h"

#include "data/fonctions_bd.h"

// A failure of a table, named in its context, ends the copy and goes back to
// the caller.
#define MIROIR_ESSAI(expr, quoi) PDX_RETURN_IF_ERROR((expr).WithContext(quoi))

namespace corv {
namespace {

// Rows of a table whose field `champ` equals the supplier code, read whole.
pdx::Status LignesDu(Composant& t, const std::string& champ, const std::string& fournisseur,
                     std::vector<std::vector<pdx::Value>>* r) {
  r->clear();
  int n = t.NumeroChamp(champ);
  if (n == 0) return pdx::Status::OK();
  std::vector<pdx::Value> v;
  MIROIR_ESSAI(t.Premier(), t.Fichier());
  while (!t.Fin()) {
    MIROIR_ESSAI(t.Enregistrement(&v), t.Fichier());
    const pdx::Value& f = v[static_cast<size_t>(n - 1)];
    if (!f.blank && f.text == fournisseur) r->push_back(v);
    MIROIR_ESSAI(t.Suivant(), t.Fichier());
  }
  return pdx::Status::OK();
}

pdx::Status Reporter(TDM& dm, Dialogs& dialogs, const std::string& composant, const std::string& champ,
                     const std::string& aliasAgence, const std::string& fournisseur, int* copies) {
  *copies = 0;
  Composant& siege = dm[composant];
  std::unique_ptr<Composant> agence = dm.NouveauComposant(composant, "");
  if (!agence) return pdx::Status::OK();
  MIROIR_ESSAI(agence->DefinirAlias(aliasAgence), agence->Fichier());
  agence->DefinirLectureSeule(false);
  if (!agence->FichierExiste()) return pdx::Status::OK();
  MIROIR_ESSAI(agence->Ouvrir(), agence->Fichier());
  std::vector<std::vector<pdx::Value>> lignes;
  PDX_RETURN_IF_ERROR(LignesDu(*agence, champ, fournisseur, &lignes));
  if (!lignes.empty()) return pdx::Status::OK();
  bool ouvert = siege.Actif();
  // Head office's table that cannot be opened was shown by OuvrirTable: nothing to copy.
  if (!ouvert && !OuvrirTable(siege, dialogs).ok()) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(LignesDu(siege, champ, fournisseur, &lignes));
  for (auto& l : lignes) {
    std::vector<pdx::Value> v(static_cast<size_t>(agence->NombreChamps()));
    int k = std::min(agence->NombreChamps(), siege.NombreChamps());
    for (int i = 1; i <= k; ++i)
      MIROIR_ESSAI(ConvertirValeur(l[static_cast<size_t>(i - 1)], siege.Champ(i).type, agence->Champ(i).type,
                                   &v[static_cast<size_t>(i - 1)]),
                   agence->Fichier());
    MIROIR_ESSAI(agence->InsererOuRemplacer(v, static_cast<size_t>(k)), agence->Fichier());
    ++*copies;
  }
  if (!ouvert) MIROIR_ESSAI(siege.Fermer(), siege.Fichier());
  MIROIR_ESSAI(agence->Fermer(), agence->Fichier());
  return pdx::Status::OK();
}

}  // namespace

pdx::Status ReporterLignesFournisseur(TDM& dm, const Contexte&, Dialogs& dialogs, const std::string& aliasAgence,
                                      const std::string& fournisseur, LignesReportees* r) {
  LignesReportees n;
  PDX_RETURN_IF_ERROR(Reporter(dm, dialogs, "tblRemise", "Fournisseur", aliasAgence, fournisseur, &n.remises));
  PDX_RETURN_IF_ERROR(Reporter(dm, dialogs, "tblCodeArticle", "Fournisseur", aliasAgence, fournisseur, &n.codesArticle));
  if (r) *r = n;
  return pdx::Status::OK();
}

}  // namespace corv
