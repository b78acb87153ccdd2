// Capture steps of the transfer windows and the client clean-up: each window
// as the main menu opens it, after a simulation run on the installation.
#include <QCheckBox>
#include <QPushButton>

#include "forms/captures.h"
#include "forms/fenetres_taches.h"
#include "forms/fiche_transfert.h"
#include "transfer/remise.h"

namespace corv {

namespace {

void CapturerApresSimulation(ContexteCapture& ctx, const std::string& classe, int mode, const std::string& nom) {
  std::unique_ptr<QDialog> f = CreerFenetreTache(classe, ctx.app(), ctx.principale(), mode);
  auto* t = dynamic_cast<TFicheTransfert*>(f.get());
  if (!t) return;
  t->show();
  t->cbSimulation->setChecked(true);
  t->btnLancerClick();
  t->AttendreFin();
  ctx.Capturer(t, nom);
  t->close();
}

}  // namespace

void AjouterCapturesTransferts(std::vector<EtapeCapture>& etapes) {
  struct Fenetre {
    const char* classe;
    int mode;
    const char* nom;
  };
  static const Fenetre fenetres[] = {
      {"TFicheCopieRemiseAchatVersAgence", kModeAchat, "TFicheCopieRemiseAchatVersAgence"},
      {"TFicheCopieRemiseAchatVersAgence", kModeVente, "TFicheCopieRemiseAchatVersAgence_Vente"},
      {"TFicheCopiePersoVersAgence", 0, "TFicheCopiePersoVersAgence"},
      {"TFicheCopieMessagerieVersAgence", 0, "TFicheCopieMessagerieVersAgence"},
      {"TFicheCopieDocumentVersAgence", 0, "TFicheCopieDocumentVersAgence"},
      {"TFicheNettoyageClients", 0, "TFicheNettoyageClients"},
  };
  for (const Fenetre& f : fenetres)
    etapes.push_back({f.nom, [f](ContexteCapture& ctx) { CapturerApresSimulation(ctx, f.classe, f.mode, f.nom); }});
}

}  // namespace corv
