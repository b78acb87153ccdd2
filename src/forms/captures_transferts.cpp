// Capture steps of the transfer windows and the client clean-up: each window
// as the main menu opens it, after a simulation run on the installation; then
// the backups window.
#include <QCheckBox>
#include <QPushButton>

#include "forms/captures.h"
#include "forms/fenetres_taches.h"
#include "forms/fiche_restauration.h"
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

// The backups window of the purchase conditions: a real run is made from the
// transfer window, listed, then restored, so the installation ends with the
// tables it had (run the captures on a demo installation all the same: the
// agencies' tables are written meanwhile). "TFicheRestauration" shows the run
// selected, "TFicheRestauration_Restauree" the window after its restoration.
void CapturerRestauration(ContexteCapture& ctx) {
  std::unique_ptr<QDialog> f = CreerFenetreTache("TFicheCopieRemiseAchatVersAgence", ctx.app(), ctx.principale(), kModeAchat);
  auto* t = dynamic_cast<TFicheTransfert*>(f.get());
  if (!t) return;
  t->show();
  t->cbSimulation->setChecked(false);
  t->btnLancerClick();
  t->AttendreFin();
  const std::string titre = t->windowTitle().toStdString();
  t->close();
  TFicheRestauration r(ctx.app(), "conditions-achat", titre, ctx.principale());
  r.show();
  if (!r.Sauvegardes().empty()) r.SelectionnerSauvegarde(r.Sauvegardes().front().run.nom);
  ctx.Capturer(&r, "TFicheRestauration");
  r.LancerRestauration();
  r.AttendreFin();
  ctx.Capturer(&r, "TFicheRestauration_Restauree");
  r.close();
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
  etapes.push_back({"TFicheRestauration", CapturerRestauration});
}

}  // namespace corv
