// Head office's Administration tables.
#include <cstdio>

#include "util/session.h"
#include "demo/ecrivain.h"
#include "demo/noms.h"
#include "util/dates.h"

namespace corv::demo {
namespace {

constexpr const char* A = kAliasAdministration;

pdx::Status Compter(Ecrivain& e, const char* fichier, pdx::Status s, size_t n) {
  if (s.ok() && e.bilan) e.bilan->tablesSiege.emplace_back(fichier, n);
  return s;
}

template <typename F>
pdx::Status Table(Ecrivain& e, const char* fichier, F&& remplir) {
  const TableDef& t = Def(A, fichier);
  size_t n = 0;
  pdx::Status s = Ecrire(e.env, e.Hote("Administration"), t, Actuelle(t), remplir, &n);
  return Compter(e, fichier, s, n);
}

std::string Num(int n, int largeur) {
  char b[16];
  std::snprintf(b, sizeof b, "%0*d", largeur, n);
  return b;
}

// Exactly 50 characters, so the personalisation transfer must carry it whole.
std::string Libelle50(const std::string& debut) {
  std::string s = debut;
  while (s.size() < 50) s += s.size() % 2 ? '.' : ' ';
  return s.substr(0, 50);
}

pdx::Status Remises(Ecrivain& e) {
  Alea a = e.AleaPour("siege/remises");
  const Monde& m = *e.monde;
  return Table(e, "REMISES.DB", [&](TableDemo& t) -> pdx::Status {
    for (int type : {1, 2}) {
      for (const FournisseurDemo& f : m.fournisseurs) {
        if (f.sansRemises) continue;
        auto ligne = [&](const std::string& client, int typeGroupe, const std::string& groupe, double r1, double r2,
                         double coef) {
          return t.Ajouter(t.Nouvelle()
                               .Int("Type", type)
                               .Txt("Fournisseur", f.code)
                               .Txt("Client", client)
                               .Int("TypeGroupe", typeGroupe)
                               .Txt("Groupe", groupe)
                               .Num("R1", r1)
                               .Num("R2", r2)
                               .Num("CoefTarif", coef));
        };
        // A rate pair against a coefficient: 10 % + 5 % (net 171) for "AL".
        if (f.code == "AL" && type == 2) {
          DEMO_ESSAI(ligne("", 0, "", 10, 5, 0));
        } else if (a.Chance(0.25)) {
          DEMO_ESSAI(ligne("", 0, "", 0, 0, a.Entre(80, 95) / 100.0));
        } else {
          DEMO_ESSAI(ligne("", 0, "", a.Entre(5, 40), a.Chance(0.4) ? a.Entre(2, 10) : 0, a.Chance(0.5) ? 1 : 0));
        }
        // Conditions on the supplier's discount groups.
        DEMO_ESSAI(ligne("", 1, "G1", a.Entre(10, 35), 0, 0));
        if (a.Chance(0.5)) DEMO_ESSAI(ligne("", 1, "G2", a.Entre(5, 25), a.Entre(0, 5), 1));
        // Client-specific conditions.
        int nc = a.Entre(1, 3);
        for (int k = 0; k < nc; ++k) {
          const ClientDemo& c = m.clients[static_cast<size_t>(k * 37 + a.Entre(0, 30)) % m.clients.size()];
          // Distinct customers: k * 37 + less than 37.
          DEMO_ESSAI(ligne(c.code, 0, "", a.Entre(15, 45), a.Entre(0, 5), 0));
        }
      }
    }
    return pdx::Status::OK();
  });
}

pdx::Status Perso(Ecrivain& e) {
  Alea a = e.AleaPour("siege/perso");
  const Monde& m = *e.monde;
  return Table(e, "Perso.DB", [&](TableDemo& t) -> pdx::Status {
    int n = 0;
    for (const FournisseurDemo& f : m.fournisseurs) {
      for (const Offre& o : m.offres.at(f.code)) {
        const FamilleDemo& fam = m.familles[static_cast<size_t>(o.famille)];
        if (!a.Chance(0.35) && n > 0) continue;
        const ModeleDemo& mo = fam.modeles[static_cast<size_t>(o.modeles.front())];
        std::string lib = fam.nom + " " + mo.nom + " " + f.nom;
        if (n % 4 == 0) lib = Libelle50(lib);
        auto l = t.Nouvelle()
                     .Int("Groupe", fam.groupe)
                     .Txt("Famille", fam.code)
                     .Txt("Modele", mo.code)
                     .Txt("Fournisseur", f.code)
                     .Txt("Produit", "01")
                     .Txt("Libelle", lib)
                     .Int("Flag", n % 3 == 0 ? 1 : 0);
        if (n % 5 == 0) l.Txt("Detail", "Personnalisation siège : " + fam.nom + ", finition " + mo.nom + ".");
        if (n % 7 == 0) l.Txt("Xml", "<Perso><Couleur>Blanc 9016</Couleur></Perso>");
        DEMO_ESSAI(t.Ajouter(l));
        ++n;
      }
    }
    return pdx::Status::OK();
  });
}

pdx::Status Messages(Ecrivain& e) {
  Alea a = e.AleaPour("siege/messages");
  const Monde& m = *e.monde;
  struct Type {
    int externe, id;
    const char* libelle;
  };
  // Origins 0 and 5 are published to the agencies, 2 stays at head office.
  const Type types[] = {{0, 1, "Information générale"}, {0, 2, "Tarifs"}, {5, 3, "Promotion fabricant"},
                        {2, 4, "Note interne siège"}, {0, 5, "Qualité"}};
  DEMO_ESSAI(Table(e, "MessageType.DB", [&](TableDemo& t) -> pdx::Status {
    for (const Type& ty : types)
      DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("Externe", ty.externe).Int("IdTypeMessage", ty.id).Txt("Libelle", ty.libelle)));
    return pdx::Status::OK();
  }));
  const char* textes[] = {
      "Nouveaux tarifs fabricants applicables au 1er du mois prochain",
      "Rappel : les devis de plus de trois mois doivent être relancés",
      "Promotion sur les volets roulants motorisés jusqu'à la fin du trimestre",
      "Fermeture exceptionnelle du dépôt le lundi de Pentecôte",
      "Réunion des responsables d'agence au siège",
      "Nouvelle gamme de portes d'entrée aluminium disponible",
      "Contrôle qualité : vérifier les cotes de tableau avant commande",
      "Note interne : clôture comptable",
  };
  return Table(e, "Message.DB", [&](TableDemo& t) -> pdx::Status {
    for (int i = 0; i < 12; ++i) {
      const Type& ty = types[i % 5];
      double date = m.jour - a.Entre(1, 400);
      auto l = t.Nouvelle()
                   .Int("Externe", ty.externe)
                   .Int("IdMessage", i + 1)
                   .Int("IdTypeMessage", ty.id)
                   .Txt("Libelle", textes[i % 8])
                   .Date("DateCreation", date)
                   .Int("Importance", a.Entre(0, 2));
      if (i % 3 == 0) {
        const FournisseurDemo& f = m.fournisseurs[static_cast<size_t>(i) % m.fournisseurs.size()];
        const Offre& o = m.offres.at(f.code).front();
        const FamilleDemo& fam = m.familles[static_cast<size_t>(o.famille)];
        l.Txt("Fournisseur", f.code).Txt("Famille", fam.code).Txt("Modele", fam.modeles[0].code);
      }
      if (i % 4 == 1) l.Txt("Lien", "Tarifs_" + Num(i, 2) + ".pdf");
      if (i % 2 == 0) l.Date("Date_Debut", date).Date("Date_Fin", date + a.Entre(30, 120));
      DEMO_ESSAI(t.Ajouter(l));
    }
    return pdx::Status::OK();
  });
}

}  // namespace

// Head office's document files ("Documents\Interne\"); the last one named in
// "MesDocs.DB" is deliberately not written.
const char* const kDocuments[] = {"Catalogue_PVC.pdf", "Catalogue_Alu.pdf", "Notice_pose_volets.pdf",
                                  "Notice_pose_portes.pdf", "Conditions_generales.pdf", "Fiche_securite.pdf",
                                  "Document_absent.pdf"};
const int kNombreDocuments = 7;

namespace {

pdx::Status Documents(Ecrivain& e) {
  const Monde& m = *e.monde;
  struct Type {
    int externe, id, parent;  // parent 0: top-level (IdParent left empty)
    const char* libelle;
  };
  const Type types[] = {{0, 1, 0, "Catalogues"},        {0, 2, 1, "Catalogues PVC"},
                        {0, 3, 1, "Catalogues aluminium"}, {0, 4, 0, "Notices de pose"},
                        {0, 5, 4, "Notices volets"},    {5, 6, 0, "Documentation fabricant"},
                        {2, 7, 0, "Interne siège"}};
  DEMO_ESSAI(Table(e, "MesDocsType.DB", [&](TableDemo& t) -> pdx::Status {
    for (const Type& ty : types) {
      auto l = t.Nouvelle().Int("Externe", ty.externe).Int("IdTypeDocument", ty.id).Txt("Libelle", ty.libelle);
      if (ty.parent) l.Int("IdParent", ty.parent);
      DEMO_ESSAI(t.Ajouter(l));
    }
    return pdx::Status::OK();
  }));
  return Table(e, "MesDocs.DB", [&](TableDemo& t) -> pdx::Status {
    struct Doc {
      int externe, type, lienFlag, typeTva;  // typeTva -1: left empty
      const char* libelle;
      std::string lien;
    };
    const Doc docs[] = {
        {0, 2, 0, 1, "Catalogue PVC", kDocuments[0]},
        {0, 3, 0, 1, "Catalogue aluminium", kDocuments[1]},
        {0, 5, 0, -1, "Notice de pose des volets", kDocuments[2]},
        {0, 4, 0, -1, "Notice de pose des portes", kDocuments[3]},
        {5, 6, 0, 2, "Conditions générales fabricant", kDocuments[4]},
        {2, 7, 0, 0, "Fiche sécurité (siège)", kDocuments[5]},
        {0, 1, 0, 1, "Catalogue introuvable", kDocuments[6]},
        {0, 1, 1, -1, "Site du fabricant", "https://www.gantois-menuiseries.fr/catalogue"},
        {5, 6, 1, 2, "Vidéo de pose", "https://videos.exemple.fr/pose-volet"},
    };
    int id = 1;
    for (const Doc& d : docs) {
      auto l = t.Nouvelle()
                   .Int("Externe", d.externe)
                   .Int("IdDocument", id)
                   .Int("IdTypeDocument", d.type)
                   .Txt("Libelle", d.libelle)
                   .Txt("Description", std::string(d.libelle) + " - diffusion aux agences")
                   .Date("DateCreation", m.jour - 30 * id)
                   .Txt("Lien", d.lien)
                   .Int("LienFlag", d.lienFlag)
                   .Int("Popup", id % 2)
                   .Int("Print", id % 3 == 0 ? 1 : 0);
      if (d.typeTva >= 0) l.Int("TypeTva", d.typeTva);
      if (id == 1) l.Txt("Fournisseur", "GX").Txt("Famille", "FE");
      DEMO_ESSAI(t.Ajouter(l));
      ++id;
    }
    return pdx::Status::OK();
  });
}

pdx::Status Tva(Ecrivain& e) {
  double j = e.monde->jour;
  return Table(e, "Tva.DB", [&](TableDemo& t) -> pdx::Status {
    struct R {
      int type;
      double deb, fin, valeur;
      const char* compte;
    };
    // Periods around the reference date: one ends that day (so no longer
    // applies once it has begun), one starts that day, one starts later.
    const R rows[] = {{0, DayNumber(2000, 1, 1), DayNumber(2099, 12, 31), 0, "445710"},
                      {1, DayNumber(2000, 4, 1), DayNumber(2013, 12, 31), 19.6, "445711"},
                      {1, DayNumber(2014, 1, 1), j + 29, 20, "445712"},
                      {1, j + 30, DayNumber(2099, 12, 31), 21, "445712"},
                      {2, DayNumber(2012, 1, 1), j, 7, "445713"},
                      {2, j, DayNumber(2099, 12, 31), 5.5, "445714"},
                      {3, DayNumber(2014, 1, 1), DayNumber(2099, 12, 31), 10, "445715"}};
    int id = 1;
    for (const R& r : rows)
      DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                               .Int("Id_Tva", id++)
                               .Int("Type_Tva", r.type)
                               .Date("DateDeb", r.deb)
                               .Date("DateFin", r.fin)
                               .Num("Valeur", r.valeur)
                               .Txt("NumCompte", r.compte)
                               .Txt("NumCompteVteMarch", std::string(r.compte) + "1")));
    return pdx::Status::OK();
  });
}

// Selection text of an agency's supplier: some families and models.
std::string Selection(const Monde& m, const std::string& fournisseur, Alea& a) {
  std::string x = "<QvrMajProduits><FAMILLES>";
  for (const Offre& o : m.offres.at(fournisseur)) {
    const FamilleDemo& f = m.familles[static_cast<size_t>(o.famille)];
    if (f.groupe != 1 || (fournisseur == "GX" && (f.code == "VZ" || f.code == "QW")) || !a.Chance(0.6)) continue;
    x += "<" + f.code + ">";
    for (int k : o.modeles)
      if (a.Chance(0.5)) x += "<" + f.modeles[static_cast<size_t>(k)].code + "/>";
    x += "</" + f.code + ">";
  }
  return x + "</FAMILLES></QvrMajProduits>";
}

pdx::Status Agences(Ecrivain& e) {
  Alea a = e.AleaPour("siege/agences");
  const Monde& m = *e.monde;
  const char* regions[] = {"NORD", "SUD", "OUEST", "EST"};
  DEMO_ESSAI(Table(e, "AgenceRegion.DB", [&](TableDemo& t) -> pdx::Status {
    for (const char* r : regions)
      DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                               .Txt("Code", r)
                               .Txt("Libelle", std::string("Région ") + r)
                               .Txt("ResponsableMail", "region." + Minuscules(r) + "@corvanes-demo.fr")));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "AgenceUnite.DB", [&](TableDemo& t) -> pdx::Status {
    for (const char* r : regions)
      DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Region", r).Txt("Code", "U1").Txt("Libelle", std::string("Unité ") + r)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "AgenceSecteur.DB", [&](TableDemo& t) -> pdx::Status {
    for (const char* r : regions)
      for (const char* s : {"S1", "S2"})
        DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Region", r).Txt("Unite", "U1").Txt("Code", s).Txt("Libelle", std::string("Secteur ") + s)));
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "Agence.DB", [&](TableDemo& t) -> pdx::Status {
    int i = 0;
    for (const AgenceDemo& g : m.agences) {
      const Ville& v = VilleNumero(g.ville);
      DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                               .Txt("Code", g.code)
                               .Txt("CodeSociete", "01")
                               .Txt("CodeAgence", Num(i + 1, 3))
                               .Txt("Nom", g.nom)
                               .Txt("Ville", v.nom)
                               .Txt("CP", v.cp)
                               .Txt("Rue1", Rue(a))
                               .Txt("Tel", Telephone(a, v))
                               .Txt("Fax", Telephone(a, v))
                               .Txt("Mail", Minuscules(g.code) + "@corvanes-demo.fr")
                               .Txt("Repertoire", g.repertoire)
                               .Int("Flag", g.flag)
                               .Txt("Systeme", i % 2 ? "Quintrel Gestion" : "")
                               .Txt("CodeDepot", "D" + Num(i + 1, 2))
                               .Txt("NomTravail", Minuscules(g.code))
                               .Txt("MailResponsable", "responsable." + Minuscules(g.code) + "@corvanes-demo.fr")
                               .Txt("CodeRegion", regions[i % 4])
                               .Txt("CodeUnite", "U1")
                               .Txt("CodeSecteur", i % 2 ? "S2" : "S1")));
      ++i;
    }
    return pdx::Status::OK();
  }));
  return Table(e, "TarifsAgence.DB", [&](TableDemo& t) -> pdx::Status {
    for (const AgenceDemo& g : m.agences) {
      for (int fi : g.fournisseurs) {
        const FournisseurDemo& f = m.fournisseurs[static_cast<size_t>(fi)];
        auto l = t.Nouvelle().Txt("Agence", g.code).Txt("Fournisseur", f.code).Txt("Famille", "").Txt("Modele", "").Int("Flag", 0);
        if (a.Chance(0.4)) l.Txt("Texte", Selection(m, f.code, a));
        DEMO_ESSAI(t.Ajouter(l));
      }
    }
    return pdx::Status::OK();
  });
}

pdx::Status Divers(Ecrivain& e) {
  Alea a = e.AleaPour("siege/divers");
  const Monde& m = *e.monde;
  DEMO_ESSAI(Table(e, "AGENT.DB", [&](TableDemo& t) -> pdx::Status {
    for (int i = 0; i < 6; ++i) {
      const Ville& v = VilleNumero(i * 3);
      std::string nom = Prenom(a) + " " + Nom(a);
      DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                               .Txt("Code", "R" + std::to_string(i + 1))
                               .Txt("Nom", nom)
                               .Txt("Ville", v.nom)
                               .Txt("CP", v.cp)
                               .Txt("Rue1", Rue(a))
                               .Txt("Tel", Telephone(a, v))
                               .Txt("Portable", Portable(a))
                               .Txt("Mail", Minuscules(nom).substr(0, 12) + "@corvanes-demo.fr")
                               .Num("CommCA", a.Entre(2, 6))
                               .Num("CommMB", a.Entre(5, 12))
                               .Num("Limite", 0)
                               .Txt("CodeExport", "REP" + std::to_string(i + 1))));
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "Utilisateur.db", [&](TableDemo& t) -> pdx::Status {
    const char* users[][3] = {{"AD", "Administrateur", ""}, {"JM", "Martin", "Julie"}, {"PL", "Lefèvre", "Paul"},
                              {"SG", "Garnier", "Sophie"}};
    int i = 0;
    for (auto& u : users) {
      DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                               .Txt("Initiale", u[0])
                               .Txt("Nom", u[1])
                               .Txt("Prenom", u[2])
                               .Txt("Telephone", Telephone(a, VilleNumero(0)))
                               .Num("Droits", i == 0 ? 65535 : 255)
                               .Int("Type", i == 0 ? 1 : 0)
                               .Txt("Representant", i ? "R" + std::to_string(i) : "")
                               .Num("MargeMini", 25)
                               .Int("Transfert", 0)));
      ++i;
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "DESTINAT.DB", [&](TableDemo& t) -> pdx::Status {
    const char* d[][2] = {{"SE", "Séjour"}, {"CH", "Chambre"}, {"CU", "Cuisine"}, {"SB", "Salle de bains"},
                          {"GA", "Garage"}, {"EN", "Entrée"}, {"BU", "Bureau"}};
    int i = 0;
    for (auto& x : d) {
      DEMO_ESSAI(t.Ajouter(t.Nouvelle().Txt("Code", x[0]).Txt("Nom", x[1]).Int("Index", i + 1).Int("Humide", (i == 2 || i == 3) ? 1 : 0)));
      ++i;
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "Prefixe.DB", [&](TableDemo& t) -> pdx::Status {
    DEMO_ESSAI(t.Ajouter(t.Nouvelle().Int("IdPrefixe", 1).Txt("Libelle", "Devis").Txt("Valeur", "DV")));
    return t.Ajouter(t.Nouvelle().Int("IdPrefixe", 2).Txt("Libelle", "Commande").Txt("Valeur", "CD"));
  }));
  return Table(e, "CodeArticle.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FournisseurDemo& f : m.fournisseurs) {
      for (const Offre& o : m.offres.at(f.code)) {
        const FamilleDemo& fam = m.familles[static_cast<size_t>(o.famille)];
        for (int k : o.modeles) {
          const ModeleDemo& mo = fam.modeles[static_cast<size_t>(k)];
          std::string base = f.code + fam.code + mo.code;
          DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                                   .Txt("Fournisseur", f.code)
                                   .Int("Groupe", fam.groupe)
                                   .Txt("Famille", fam.code)
                                   .Txt("Modele", mo.code)
                                   .Txt("Tarif", "01")
                                   .Txt("CodeFournisseur", "REF-" + base)
                                   .Txt("CodeArticle", "ART" + base)
                                   .Txt("Libelle", fam.nom + " " + mo.nom)
                                   .Int("Type", 0)
                                   .Int("Flag", 0)
                                   .Txt("CodeArticleTvaInter", "ART" + base + "I")
                                   .Txt("CodeArticleTvaNormale", "ART" + base + "N")
                                   .Txt("CodeArticleTvaReduite", "ART" + base + "R")
                                   .Txt("CodeArticleTvaCorse", "ART" + base + "C")));
        }
      }
    }
    return pdx::Status::OK();
  });
}

}  // namespace

pdx::Status EcrireSiege(Ecrivain& e) {
  const Monde& m = *e.monde;
  DEMO_ESSAI(Table(e, "CLIENT.DB", [&](TableDemo& t) -> pdx::Status {
    for (const ClientDemo& c : m.clients) {
      auto l = t.Nouvelle();
      RemplirClient(l, c);
      DEMO_ESSAI(t.Ajouter(l));
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Table(e, "FOURNIS.DB", [&](TableDemo& t) -> pdx::Status {
    for (const FournisseurDemo& f : m.fournisseurs) {
      auto l = t.Nouvelle();
      RemplirFournisseur(l, f);
      DEMO_ESSAI(t.Ajouter(l));
    }
    return pdx::Status::OK();
  }));
  DEMO_ESSAI(Remises(e));
  DEMO_ESSAI(Perso(e));
  DEMO_ESSAI(Messages(e));
  DEMO_ESSAI(Documents(e));
  DEMO_ESSAI(Tva(e));
  DEMO_ESSAI(Agences(e));
  DEMO_ESSAI(Divers(e));
  return CompleterVides(e, A, "Administration");
}

}  // namespace corv::demo
