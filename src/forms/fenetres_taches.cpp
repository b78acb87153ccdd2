#include "forms/fenetres_taches.h"

#include <QLabel>
#include <QVBoxLayout>

#include "forms/fiche_copie_document.h"
#include "forms/fiche_copie_messagerie.h"
#include "forms/fiche_copie_perso.h"
#include "forms/fiche_copie_remise.h"
#include "forms/fiche_nettoyage_clients.h"
#include "forms/fiche_statistique.h"

namespace corv {

std::string LibelleFenetreTache(const std::string& classe, int mode) {
  if (classe == "TFicheCopieRemiseAchatVersAgence")
    return mode == 1 ? "Copie des Remises Vente vers les agences" : "Copie des Remises Achat vers les agences";
  if (classe == "TFicheCopiePersoVersAgence") return "Copie des Personnalisations vers les agences";
  if (classe == "TFicheCopieMessagerieVersAgence") return "Copie de la Messagerie vers les agences";
  if (classe == "TFicheCopieDocumentVersAgence") return "Copie des Documents vers les agences";
  if (classe == "TFicheNettoyageClients") return "Nettoyage des clients";
  if (classe == "TFicheStatistiqueAgence") return "Statistiques";
  return "";
}

std::unique_ptr<QDialog> CreerFenetreTache(const std::string& classe, Application& app, QWidget* owner, int mode) {
  std::string titre = LibelleFenetreTache(classe, mode);
  if (titre.empty()) return nullptr;
  if (classe == "TFicheCopieRemiseAchatVersAgence") {
    auto f = std::make_unique<TFicheCopieRemiseAchatVersAgence>(app, owner);
    if (mode == kModeVente) f->DefinirMode(mode);  // purchase is where it starts
    return f;
  }
  if (classe == "TFicheCopiePersoVersAgence") return std::make_unique<TFicheCopiePersoVersAgence>(app, owner);
  if (classe == "TFicheCopieMessagerieVersAgence") return std::make_unique<TFicheCopieMessagerieVersAgence>(app, owner);
  if (classe == "TFicheCopieDocumentVersAgence") return std::make_unique<TFicheCopieDocumentVersAgence>(app, owner);
  if (classe == "TFicheNettoyageClients") return std::make_unique<TFicheNettoyageClients>(app, owner);
  if (classe == "TFicheStatistiqueAgence") return std::make_unique<TFicheStatistiqueAgence>(app, owner);
  // Placeholder until the task window exists: its caption, nothing else.
  auto d = std::make_unique<QDialog>(owner);
  d->setObjectName(QString::fromStdString(classe));
  d->setWindowTitle(QString::fromStdString(titre));
  d->resize(640, 420);
  return d;
}

}  // namespace corv
