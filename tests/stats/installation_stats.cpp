#include "installation_stats.h"

#include <gtest/gtest.h>

#include "demo/table_demo.h"

namespace statstest {

using corv::demo::Actuelle;
using corv::demo::Def;
using corv::demo::TableDemo;

Installation::Installation() : host(pdx::Env::Default()) {
  host.AddPrefix("Q:", tmp_.path());
  session.SetAlias(corv::kAliasAdministration, "Q:\\Administration\\");
  session.SetAlias(corv::kAliasDossiers, "Q:\\Dossiers\\");
  pdx::Env* env = pdx::Env::Default();
  for (const char* d : {"/Administration", "/Dossiers", "/Agences"}) EXPECT_TRUE(env->CreateDir(tmp_.path() + d).ok());
}

namespace {

template <typename F>
void Table(const std::string& dir, const char* alias, const char* fichier, F remplir) {
  const corv::TableDef& t = Def(alias, fichier);
  pdx::Status s = corv::demo::Ecrire(pdx::Env::Default(), dir, t, Actuelle(t), [&](TableDemo& tab) {
    remplir(tab);
    return pdx::Status::OK();
  });
  ASSERT_TRUE(s.ok()) << s.ToString();
}

}  // namespace

void Installation::Ecrire(const std::vector<AgenceTest>& agences,
                          const std::vector<std::pair<std::string, std::string>>& fournisseurs) {
  pdx::Env* env = pdx::Env::Default();
  const std::string admin = tmp_.path() + "/Administration";
  Table(admin, corv::kAliasAdministration, "Agence.DB", [&](TableDemo& t) {
    for (const AgenceTest& a : agences) {
      const std::string rep = "Q:\\Agences\\" + a.code + (a.repertoire ? "" : "-absente");
      ASSERT_TRUE(t.Ajouter(t.Nouvelle().Txt("Code", a.code).Txt("Nom", a.nom).Txt("Repertoire", rep).Int("Flag", 0)).ok());
    }
  });
  Table(admin, corv::kAliasAdministration, "FOURNIS.DB", [&](TableDemo& t) {
    for (const auto& [code, nom] : fournisseurs) ASSERT_TRUE(t.Ajouter(t.Nouvelle().Txt("Code", code).Txt("Nom", nom)).ok());
  });
  for (const AgenceTest& a : agences) {
    if (!a.repertoire) continue;
    const std::string base = tmp_.path() + "/Agences/" + a.code;
    ASSERT_TRUE(env->CreateDir(base).ok());
    ASSERT_TRUE(env->CreateDir(base + "/Dossiers").ok());
    const std::string dir = base + "/Dossiers";
    if (a.piece)
      Table(dir, corv::kAliasDossiers, "PIECE.DB", [&](TableDemo& t) {
        for (const Piece& p : a.pieces) {
          auto r = t.Nouvelle();
          r.Txt("Dossier", p.dossier);
          if (p.type) r.Int("Type", *p.type);
          if (p.num) r.Int("Num", *p.num);
          if (p.ordre) r.Int("Ordre", *p.ordre);
          if (p.etat) r.Int("Etat", *p.etat);
          if (p.date) r.Date("Date", *p.date);
          if (p.totalVente) r.Num("TotalVente", *p.totalVente);
          if (!p.fournisseur.empty()) r.Txt("Fournisseur", p.fournisseur);
          pdx::Status s = t.Ajouter(r);
          ASSERT_TRUE(s.ok()) << s.ToString();
        }
      });
    if (a.ligne)
      Table(dir, corv::kAliasDossiers, "LIGNE.DB", [&](TableDemo& t) {
        for (const Ligne& l : a.lignes) {
          auto r = t.Nouvelle();
          r.Txt("Dossier", l.dossier);
          if (l.base) r.Int("Base", *l.base);
          if (l.numero) r.Int("Numero", *l.numero);
          if (l.type) r.Int("Type", *l.type);
          if (l.quantite) r.Int("Quantite", *l.quantite);
          if (l.vente) r.Num("Vente", *l.vente);
          if (l.achat) r.Num("Achat", *l.achat);
          if (l.prixNet) r.Num("PrixNet", *l.prixNet);
          if (!l.fournisseur.empty()) r.Txt("Fournisseur", l.fournisseur);
          if (!l.xml.empty()) r.Txt("Xml", l.xml);
          pdx::Status s = t.Ajouter(r);
          ASSERT_TRUE(s.ok()) << s.ToString();
        }
      });
  }
}

}  // namespace statstest
