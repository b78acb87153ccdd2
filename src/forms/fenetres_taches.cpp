#include "forms/fenetres_taches.h"

#include <QLabel>
#include <QVBoxLayout>

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

std::unique_ptr<QDialog> CreerFenetreTache(const std::string& classe, Application&, QWidget* owner, int mode) {
  std::string titre = LibelleFenetreTache(classe, mode);
  if (titre.empty()) return nullptr;
  // Placeholder until the task window exists: its caption, nothing else.
  auto d = std::make_unique<QDialog>(owner);
  d->setObjectName(QString::fromStdString(classe));
  d->setWindowTitle(QString::fromStdString(titre));
  d->resize(640, 420);
  return d;
}

}  // namespace corv
