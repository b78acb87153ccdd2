// The price catalogue ("Tarifs") and the reference supplier list ("Maj").
#include "util/session.h"
#include "demo/ecrivain.h"
#include "demo/noms.h"
#include "util/dates.h"

namespace corv::demo {
namespace {

constexpr const char* P = kAliasTarifs;

template <typename F>
pdx::Status Table(Ecrivain& e, const char* fichier, F&& remplir) {
  const TableDef& t = Def(P, fichier);
  return Ecrire(e.env, e.Hote("Tarifs"), t, Actuelle(t), remplir);
}

}  // namespace

pdx::Status EcrireTarifs(Ecrivain& e) {
  const Monde& m = *e.monde;
  Alea a = e.AleaPour("tarifs");
  DEMO_ESSAI(e.Repertoire("Tarifs"));

  DEMO_ESSAI(Table(e, "GROUPE.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FournisseurDemo& f : m.fournisseurs)
      for (int g = 1; g <= 2; ++g)
        DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("Type", 1).Txt("Fournisseur", f.code).Txt("Code", "G" + std::to_string(g)).Txt("Nom", g == 1 ? "Menuiseries" : "Accessoires").Int("Flag", 0).Txt("CodeFournisseur", f.code + "-GR" + std::to_string(g))));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "FAMILLE.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FamilleDemo& f : m.familles)
      DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                               .Int("Groupe", f.groupe)
                               .Txt("Code", f.code)
                               .Txt("Nom", f.nom)
                               .Txt("Observation", f.observation)
                               .Int("Index", f.ordre)
                               .Int("Multiple", 0)
                               .Int("Impression", 1)
                               .Int("StyleFamille", 0)
                               .Int("StyleModele", 0)
                               .Int("Type", f.groupe == 2 ? 1 : 0)
                               .Int("NbComposants", 0)
                               .Int("NbOptions", f.groupe == 1 ? 5 : 0)
                               .Txt("Tableau", f.code == "FE" ? "T1" : "")
                               .Int("OptAcc", 0)
                               .Txt("Abreviation", f.code)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "MODELE.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FamilleDemo& f : m.familles) {
      int k = 1;
      for (const ModeleDemo& mo : f.modeles) {
        auto l = t.Nouvelle()
                     .Int("Groupe", f.groupe)
                     .Txt("Famille", f.code)
                     .Txt("Code", mo.code)
                     .Txt("Nom", f.nom + " " + mo.nom)
                     .Int("Index", k)
                     .Int("Type", 0)
                     .Int("Flag", 0)
                     .Int("Dimension1", f.groupe == 1 ? 1 : 0)
                     .Int("Dimension2", f.groupe == 1 ? 1 : 0);
        if (k == 1) l.Txt("Texte", "Modèle de base de la gamme " + f.nom + ".");
        DEMO_ESSAI(t.Ajouter(l));
        ++k;
      }
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "TARIF.DB", [&](TableDemo& t) -> pdx::Status {
    auto produit = [&](const std::string& fournisseur, const FamilleDemo& f, const ModeleDemo& mo, const char* code) {
      double prix = f.prix * (1 + a.Entre(0, 30) / 100.0);
      return t.Ajouter(t.Nouvelle()
                           .Int("Groupe", f.groupe)
                           .Txt("Famille", f.code)
                           .Txt("Modele", mo.code)
                           .Txt("Fournisseur", fournisseur)
                           .Txt("Code", code)
                           .Txt("Nom", f.nom + " " + mo.nom)
                           .Txt("CodeFournisseur", fournisseur + "-" + f.code + mo.code + code)
                           .Num("CoefVitrage", 1)
                           .Txt("L1", "O")
                           .Int("PrixCalcul", 1)
                           .Num("PrixMontant", static_cast<double>(static_cast<long long>(prix * 100)) / 100)
                           .Int("PrixTarif", 1)
                           .Int("PrixMoins", 0)
                           .Int("PrixInterval", 0)
                           .Int("PrixCoefVitrage", 0));
    };
    for (const FournisseurDemo& fo : m.fournisseurs) {
      for (const Offre& o : m.offres.at(fo.code)) {
        const FamilleDemo& f = m.familles[static_cast<size_t>(o.famille)];
        for (int k : o.modeles) {
          DEMO_ESSAI(produit(fo.code, f, f.modeles[static_cast<size_t>(k)], "01"));
          if (k % 2 == 0) DEMO_ESSAI(produit(fo.code, f, f.modeles[static_cast<size_t>(k)], "02"));
        }
      }
    }
    // Generic products, supplier "00".
    for (const FamilleDemo& f : m.familles)
      if (f.groupe == 1) DEMO_ESSAI(produit("00", f, f.modeles.front(), "01"));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "LIAISON.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FournisseurDemo& fo : m.fournisseurs)
      for (const Offre& o : m.offres.at(fo.code)) {
        const FamilleDemo& f = m.familles[static_cast<size_t>(o.famille)];
        DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("TypeGroupe", 1).Txt("Fournisseur", fo.code).Txt("CodeGroupe", f.groupe == 1 ? "G1" : "G2").Int("Type", 0).Int("GroupeProduit", f.groupe).Txt("Famille", f.code).Txt("Modele", "").Int("Flag", 0)));
      }
    return pdx::Status::OK();
  }));
  // One price grid: table "T1" of heights and widths, priced for GX's windows.
  const int hauteurs[] = {1000, 1250, 1500}, largeurs[] = {600, 900, 1200};
  DEMO_ESSAI(Table(e, "TABLEAU.DB", [&](TableDemo& t) {
    return t.Ajouter(t.Nouvelle().Txt("Code", "T1").Txt("Nom", "Fenêtres standard").Int("Type", 0).Int("NbHauteurs", 3).Int("NbLargeurs", 3));
  }));
  DEMO_ESSAI(Table(e, "HAUTEUR.DB", [&](TableDemo& t) -> pdx::Status {
    for (int h : hauteurs) DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Code", "T1").Int("Dimension", h).Int("NbFixations", h / 500).Int("NbGonds", 2)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "LARGEUR.DB", [&](TableDemo& t) -> pdx::Status {
    for (int v = 1; v <= 2; ++v)
      for (int l : largeurs) DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Code", "T1").Int("Vantail", v).Int("Dimension", l * v).Int("NbFixations", 2)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "GRILLE.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FamilleDemo& f : m.familles) {
      if (f.code != "FE") continue;
      for (int h : hauteurs)
        for (int v = 1; v <= 2; ++v)
          for (int l : largeurs)
            DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("Groupe", 1).Txt("Famille", "FE").Txt("Modele", f.modeles[0].code).Txt("Fournisseur", "GX").Txt("Code", "01").Int("Num", 1).Int("Hauteur", h).Int("Vantail", v).Int("Largeur", l * v).Num("Montant", (h * l * v) / 4000.0).Int("Stock", 0)));
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "EcoPartType.DB", [&](TableDemo& t) -> pdx::Status {
    const char* types[] = {"Mobilier", "Produits et matériaux de construction", "Équipements électriques"};
    for (int i = 0; i < 3; ++i) DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("IdType", i + 1).Txt("Libelle", types[i])));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "EcoPart.DB", [&](TableDemo& t) -> pdx::Status {
    struct X {
      int type, id;
      const char* libelle;
      double prix;
    };
    const X rows[] = {{1, 1, "Mobilier petit", 0.5}, {1, 2, "Mobilier grand", 1.0}, {2, 1, "Menuiserie", 1.2},
                      {2, 2, "Fermeture", 2.5},      {3, 1, "Moteur de volet", 1.5}};
    for (const X& x : rows) DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("IdType", x.type).Int("IdEco", x.id).Txt("Libelle", x.libelle).Num("PrixHT", x.prix)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "Majtarif.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FournisseurDemo& f : m.fournisseurs)
      DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Fournisseur", f.code).Date("Date", m.jour - 90).Txt("Libelle", "Mise à jour des tarifs " + f.nom).Txt("Impression", "N").Date("Date reception", m.jour - 85).Date("Application", m.jour - 60)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "FOURNIS.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FournisseurDemo& f : m.fournisseurs) {
      const Ville& v = VilleNumero(f.ville);
      DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Code", f.code).Txt("Nom", f.nom).Int("Paiement", 1).Txt("Fact. Ville", v.nom).Txt("Fact C.P.", v.cp).Txt("Fact. Rue", f.rue).Txt("Fact Tel.", f.tel).Txt("Fact. Fax", f.fax).Int("Ferme", 0).Int("Travail", 1).Date("DateTravail", m.jour - 90)));
    }
    return pdx::Status::OK();
  }));
  return CompleterVides(e, P, "Tarifs");
}

pdx::Status EcrireMaj(Ecrivain& e) {
  const Monde& m = *e.monde;
  DEMO_ESSAI(e.Repertoire("Maj"));
  const TableDef& t = Def(kAliasAdministration, "FOURNIS.DB");
  return Ecrire(e.env, e.Hote("Maj"), t, Actuelle(t), [&](TableDemo& tab) -> pdx::Status {
    std::vector<FournisseurDemo> v;
    for (const FournisseurDemo& f : m.fournisseurs)
      if (f.code != "NQ") v.push_back(f);  // head office knows one the reference list lacks
    const char* autres[][2] = {{"Z2", "zLibre 2"}, {"Z3", "zLibre 3 - fabricant libre"}, {"OB", "Occitanie Bâtiment"}};
    for (auto& x : autres) {
      FournisseurDemo f;
      f.code = x[0];
      f.nom = x[1];
      f.ville = 5;
      v.push_back(f);
    }
    for (const FournisseurDemo& f : v) {
      auto l = tab.Nouvelle();
      RemplirFournisseur(l, f);
      DEMO_ESSAI(tab.Ajouter(l));
    }
    return pdx::Status::OK();
  });
}

}  // namespace corv::demo
