#include "stats/statistique.h"

namespace corv {

void TStatistiqueGlobale::Ajouter(const TStatistiqueGlobale& o) {
  AjouterNbDevis(o.nbDevis_);
  AjouterNbCommandes(o.nbCommandes_);
  AjouterTotalDevis(o.totalDevis_);
  AjouterTotalCommande(o.totalCommande_);
}

void TStatistiqueAchat::Ajouter(const TStatistiqueAchat& o) {
  TStatistiqueGlobale::Ajouter(o);
  AjouterNbProduits(o.nbProduits_);
  AjouterTotalAchat(o.totalAchat_);
}

TStatistiqueAchat& Entree(std::map<std::string, StatAchatPtr>& carte, const std::string& code) {
  StatAchatPtr& p = carte[code];
  if (!p) p = std::make_shared<TStatistiqueAchat>();
  return *p;
}

}  // namespace corv
