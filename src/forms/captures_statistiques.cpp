// Captures of the statistics window: one per tab, after a search, with a row
// that has details selected.
#include <QPushButton>
#include <QTabWidget>

#include "data/application.h"
#include "forms/captures.h"
#include "forms/fiche_statistique.h"
#include "forms/liste_rapport.h"
#include "forms/onglet_statistique.h"

namespace corv {

void AjouterCapturesStatistiques(std::vector<EtapeCapture>& etapes) {
  etapes.push_back({"TFicheStatistiqueAgence", [](ContexteCapture& ctx) {
                      TFicheStatistiqueAgence f(ctx.app(), ctx.principale());
                      f.show();
                      for (Calcul c : {Calcul::kAgences, Calcul::kAchats, Calcul::kFournisseurs}) {
                        OngletStatistique* o = f.Onglet(c);
                        f.PageControl->setCurrentWidget(o);
                        o->btnRechercher->click();
                        f.AttendreFin();
                        // The first row with details (the first row on the first tab).
                        const ListeStat& l = o->liste();
                        int choisie = l.lignes.empty() ? -1 : 0;
                        for (size_t i = 0; i < l.lignes.size(); ++i)
                          if (!l.lignes[i].details.empty()) {
                            choisie = static_cast<int>(i);
                            break;
                          }
                        o->lwListe->Selectionner(choisie);
                        ctx.Capturer(&f, "TFicheStatistiqueAgence_" + o->objectName().toStdString());
                      }
                      f.close();
                    }});
}

}  // namespace corv
