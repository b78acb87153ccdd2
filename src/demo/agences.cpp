// An agency's own Administration: its customers and suppliers, the conditions
// an earlier transfer left, its own messages and documents beside earlier
// copies from head office, and, depending on the agency, tables kept at an
// older layout so that the data module's upgrades run on first open:
//   variant 1: "CLIENT.DB" of 49 fields, "REMISES.DB" of 7, "Agence.DB" of 15,
//              no "Message.DB";
//   variant 2: "FOURNIS.DB" of 46 fields, "Message.DB" of 7, "Tva.DB" of 5,
//              "DeblocageTauxMarge.DB" with its old index "DossierNumero".
#include "util/session.h"
#include "demo/ecrivain.h"
#include "demo/noms.h"

namespace corv::demo {
namespace {

constexpr const char* A = kAliasAdministration;
using FT = pdx::FieldType;

// Agency suppliers: all attached ones but the last (which the agency's file
// lacks), and a local supplier head office does not know.
std::vector<FournisseurDemo> FournisseursAgence(const Monde& m, const AgenceDemo& g) {
  std::vector<FournisseurDemo> v;
  for (size_t k = 0; k < g.fournisseurs.size(); ++k)
    if (k + 1 < g.fournisseurs.size() || g.fournisseurs.size() == 1)
      v.push_back(m.fournisseurs[static_cast<size_t>(g.fournisseurs[k])]);
  FournisseurDemo local;
  local.code = "LC";
  local.nom = "Négoce local " + g.code;
  local.ville = g.ville;
  local.rue = "1 zone artisanale";
  v.push_back(local);
  return v;
}

}  // namespace

pdx::Status EcrireAdministrationAgence(Ecrivain& e, const AgenceDemo& g, const std::string& relatif) {
  const Monde& m = *e.monde;
  Alea a = e.AleaPour("agence/" + g.code);
  DEMO_ESSAI(e.Repertoire(relatif));
  for (const char* sous : {"/Documents", "/Documents/Interne", "/Documents/Externe", "/Documents/Standard"})
    DEMO_ESSAI(e.Repertoire(relatif + sous));
  std::string dir = e.Hote(relatif);
  const int v = g.variante;

  {
    const TableDef& t = Def(A, "CLIENT.DB");
    Disposition d = v == 1 ? Ancienne(t, 49, {{14, {"Mail", FT::kAlpha, 50}}, {34, {"LivraisonMail", FT::kAlpha, 30}},
                                              {37, {"LivraisonCode", FT::kAlpha, 2}}, {40, {"Ferme", FT::kShort, 0}}})
                           : Actuelle(t);
    DEMO_ESSAI(Ecrire(e.env, dir, t, d, [&](TableDemo& tab) -> pdx::Status {
      for (size_t i = 0; i < m.clients.size(); ++i) {
        if ((i * 7 + g.ville) % 10 >= 6) continue;
        auto l = tab.Nouvelle();
        RemplirClient(l, m.clients[i]);
        DEMO_ESSAI(tab.Ajouter(l));
      }
      for (int k = 0; k < 3; ++k) {
        ClientDemo c;
        c.nom = Nom(a);
        c.prenom = Prenom(a);
        c.code = "LOC" + g.code.substr(0, 3) + std::to_string(k + 1);
        c.ville = g.ville;
        c.rue = Rue(a);
        auto l = tab.Nouvelle();
        RemplirClient(l, c);
        DEMO_ESSAI(tab.Ajouter(l));
      }
      return pdx::Status::OK();
    }));
  }

  std::vector<FournisseurDemo> fournisseurs = FournisseursAgence(m, g);
  {
    const TableDef& t = Def(A, "FOURNIS.DB");
    Disposition d = v == 2 ? Ancienne(t, 46, {{14, {"Mail", FT::kAlpha, 30}}, {37, {"LivraisonCode", FT::kAlpha, 2}}})
                           : Actuelle(t);
    DEMO_ESSAI(Ecrire(e.env, dir, t, d, [&](TableDemo& tab) -> pdx::Status {
      for (const FournisseurDemo& f : fournisseurs) {
        auto l = tab.Nouvelle();
        RemplirFournisseur(l, f);
        DEMO_ESSAI(tab.Ajouter(l));
      }
      return pdx::Status::OK();
    }));
  }

  {
    const TableDef& t = Def(A, "REMISES.DB");
    Disposition d = v == 1 ? Ancienne(t, 7) : Actuelle(t);
    DEMO_ESSAI(Ecrire(e.env, dir, t, d, [&](TableDemo& tab) -> pdx::Status {
      for (int type : {1, 2}) {
        for (const FournisseurDemo& f : fournisseurs) {
          auto l = tab.Nouvelle().Int("Type", type).Txt("Fournisseur", f.code).Txt("Client", "").Int("TypeGroupe", 0).Txt("Groupe", "");
          // Against head office's 10 % + 5 % (net 171): a coefficient of 0.9 (net 90).
          if (f.code == "AL")
            l.Num("R1", 0).Num("R2", 0).Num("CoefTarif", 0.9);
          else
            l.Num("R1", a.Entre(5, 40)).Num("R2", a.Chance(0.3) ? a.Entre(2, 8) : 0).Num("CoefTarif", 0);
          DEMO_ESSAI(tab.Ajouter(l));
          if (a.Chance(0.5))
            DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Type", type).Txt("Fournisseur", f.code).Txt("Client", "").Int("TypeGroupe", 1).Txt("Groupe", "G1").Num("R1", a.Entre(10, 30)).Num("R2", 0).Num("CoefTarif", 1)));
          // A client-specific condition of the agency's own.
          const ClientDemo& c = m.clients[static_cast<size_t>(a.Entre(0, static_cast<int>(m.clients.size()) - 1))];
          DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Type", type).Txt("Fournisseur", f.code).Txt("Client", c.code).Int("TypeGroupe", 0).Txt("Groupe", "").Num("R1", a.Entre(20, 45)).Num("R2", 0).Num("CoefTarif", 0)));
        }
      }
      return pdx::Status::OK();
    }));
  }

  {
    const TableDef& t = Def(A, "Perso.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Actuelle(t), [&](TableDemo& tab) -> pdx::Status {
      for (int k = 0; k < 3; ++k)
        DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Groupe", 1).Txt("Famille", m.familles[static_cast<size_t>(k)].code).Txt("Modele", "A1").Txt("Fournisseur", "GX").Txt("Produit", "01").Txt("Libelle", "Ancienne personnalisation " + std::to_string(k + 1)).Int("Flag", 0)));
      return pdx::Status::OK();
    }));
  }

  // Messages: the agency's own (origin 0) and earlier copies from head office (1, and 5).
  {
    const TableDef& t = Def(A, "MessageType.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Actuelle(t), [&](TableDemo& tab) -> pdx::Status {
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", 0).Int("IdTypeMessage", 100).Txt("Libelle", "Agence : atelier")));
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", 1).Int("IdTypeMessage", 1).Txt("Libelle", "Information générale")));
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", 1).Int("IdTypeMessage", 2).Txt("Libelle", "Tarifs (ancien)")));
      return tab.Ajouter(tab.Nouvelle().Int("Externe", 5).Int("IdTypeMessage", 3).Txt("Libelle", "Promotion fabricant"));
    }));
  }
  if (v != 1) {
    const TableDef& t = Def(A, "Message.DB");
    Disposition d = v == 2 ? Ancienne(t, 7, {{4, {"Libelle", FT::kAlpha, 50}}}) : Actuelle(t);
    DEMO_ESSAI(Ecrire(e.env, dir, t, d, [&](TableDemo& tab) -> pdx::Status {
      struct Msg {
        int externe, id;
        const char* texte;
      };
      const Msg msgs[] = {{0, 1, "Inventaire du dépôt vendredi"}, {0, 2, "Camion de livraison en révision"},
                          {1, 1, "Anciens tarifs fabricants"},   {1, 2, "Rappel : relancer les devis"},
                          {1, 3, "Promotion terminée"},          {5, 4, "Salon de l'habitat"}};
      for (const Msg& x : msgs)
        DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", x.externe).Int("IdMessage", x.id).Int("IdTypeMessage", x.externe == 0 ? 100 : 1).Txt("Libelle", x.texte).Date("DateCreation", m.jour - 400 + x.id * 20).Int("Importance", 1)));
      return pdx::Status::OK();
    }));
  }

  // Documents: own and earlier copies, with the earlier copy of a file.
  {
    const TableDef& t = Def(A, "MesDocsType.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Actuelle(t), [&](TableDemo& tab) -> pdx::Status {
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", 0).Int("IdTypeDocument", 50).Txt("Libelle", "Documents de l'agence")));
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", 1).Int("IdTypeDocument", 1).Txt("Libelle", "Catalogues")));
      return tab.Ajouter(tab.Nouvelle().Int("Externe", 1).Int("IdTypeDocument", 2).Int("IdParent", 1).Txt("Libelle", "Catalogues PVC"));
    }));
  }
  {
    const TableDef& t = Def(A, "MesDocs.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Actuelle(t), [&](TableDemo& tab) -> pdx::Status {
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Externe", 0).Int("IdDocument", 1).Int("IdTypeDocument", 50).Txt("Libelle", "Planning des poses").Txt("Lien", "Planning.pdf").Int("LienFlag", 0).Date("DateCreation", m.jour - 20)));
      return tab.Ajouter(tab.Nouvelle().Int("Externe", 1).Int("IdDocument", 1).Int("IdTypeDocument", 2).Txt("Libelle", "Catalogue PVC (ancien)").Txt("Lien", "Catalogue_PVC.pdf").Int("LienFlag", 0).Int("TypeTva", 1).Date("DateCreation", m.jour - 500));
    }));
    std::unique_ptr<pdx::WritableFile> f;
    DEMO_ESSAI(e.env->NewWritableFile(dir + "/Documents/Externe/Catalogue_PVC.pdf", &f));
    std::string texte = "%PDF-1.4\n% Catalogue PVC - édition précédente\n%%EOF\n";
    DEMO_ESSAI(f->Append(texte.data(), texte.size()));
    DEMO_ESSAI(f->Close());
  }

  if (v == 1) {
    const TableDef& t = Def(A, "Agence.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Ancienne(t, 15), [&](TableDemo& tab) -> pdx::Status {
      return tab.Ajouter(tab.Nouvelle().Txt("Code", g.code).Txt("Nom", g.nom).Txt("Repertoire", g.repertoire).Int("Flag", 0));
    }));
  }
  if (v == 2) {
    const TableDef& t = Def(A, "Tva.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Ancienne(t, 5), [&](TableDemo& tab) -> pdx::Status {
      DEMO_ESSAI(tab.Ajouter(tab.Nouvelle().Int("Id_Tva", 1).Int("Type_Tva", 1).Date("DateDeb", m.jour - 4000).Date("DateFin", m.jour + 4000).Num("Valeur", 20)));
      return tab.Ajouter(tab.Nouvelle().Int("Id_Tva", 2).Int("Type_Tva", 2).Date("DateDeb", m.jour - 4000).Date("DateFin", m.jour + 4000).Num("Valeur", 5.5));
    }));
    const TableDef& td = Def(A, "DeblocageTauxMarge.DB");
    Disposition dd = Actuelle(td);
    dd.index = {IndexDef{"DossierNumero", {"DossierNumero"}, false, false, false}};
    DEMO_ESSAI(Ecrire(e.env, dir, td, dd, [&](TableDemo& tab) -> pdx::Status {
      return tab.Ajouter(tab.Nouvelle().Int("Id", 1).Txt("DossierNumero", "2023000001").Txt("AgenceCode", g.code).Txt("Demandeur", "JM").Int("Etat", 0).Int("Supprimer", 0));
    }));
  }
  {
    const TableDef& t = Def(A, "Utilisateur.db");
    DEMO_ESSAI(Ecrire(e.env, dir, t, Actuelle(t), [&](TableDemo& tab) -> pdx::Status {
      return tab.Ajouter(tab.Nouvelle().Txt("Initiale", "AG").Txt("Nom", "Responsable").Txt("Prenom", g.nom).Num("Droits", 255).Int("Type", 0));
    }));
  }
  return pdx::Status::OK();
}

}  // namespace corv::demo
