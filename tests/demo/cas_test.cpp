// Each case the later features rely on is present in the generated data, so
// that a change to the generator cannot drop one silently.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "installation.h"
#include "util/dates.h"
#include "util/text.h"

namespace {

using demotest::Demo;
using demotest::Lire;
using demotest::TableLue;

std::string Txt(const pdx::Value& v) { return v.blank ? "" : v.text; }
long long Int(const pdx::Value& v) { return v.blank ? 0 : v.i; }
double Num(const pdx::Value& v) { return v.blank ? 0 : v.d; }

size_t Caracteres(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(DemoCas, DossiersPiecesAndLinesAsTheStatisticsReadThem) {
  for (const char* agence : {"LYO01", "MAR02", "NAN03", "BOR04"}) {
    SCOPED_TRACE(agence);
    std::string dir = std::string("Agences/") + agence + "/Dossiers";
    TableLue p = Lire(dir, "PIECE.DB"), l = Lire(dir, "LIGNE.DB"), d = Lire(dir, "DOSSIER.DB");
    ASSERT_FALSE(p.rows.empty());
    std::map<std::string, std::vector<size_t>> parDossier;
    for (size_t r = 0; r < p.rows.size(); ++r) parDossier[Txt(p.V(r, "Dossier"))].push_back(r);
    bool devisZero = false, cdeFns = false, annule = false, dateZeroPortee = false, annexe = false,
         incomplet = false;
    double dmin = 1e9, dmax = 0;
    for (size_t r = 0; r < p.rows.size(); ++r) {
      long long type = Int(p.V(r, "Type"));
      if (p.V(r, "Etat").blank || p.V(r, "Date").blank) incomplet = true;
      if (!p.V(r, "Date").blank && Num(p.V(r, "Date")) > 0) {
        dmin = std::min(dmin, Num(p.V(r, "Date")));
        dmax = std::max(dmax, Num(p.V(r, "Date")));
      }
      if (type == 0 && Num(p.V(r, "TotalVente")) == 0) devisZero = true;
      if (type == 1 && !Txt(p.V(r, "Fournisseur")).empty() && Int(p.V(r, "Ordre")) == 1 &&
          Num(p.V(r, "TotalVente")) != 0)
        cdeFns = true;
      if (type == 2 && Int(p.V(r, "Etat")) == -1) annule = true;
      if (type == 2 && !p.V(r, "Date").blank && Num(p.V(r, "Date")) == 0 && Int(p.V(r, "Etat")) >= 0) {
        for (size_t o : parDossier[Txt(p.V(r, "Dossier"))])
          if (Int(p.V(o, "Type")) == 1 && Int(p.V(o, "Ordre")) == Int(p.V(r, "Num")) && Num(p.V(o, "Date")) > 0)
            dateZeroPortee = true;
      }
      if (type == 3 && Int(p.V(r, "Ordre")) == 1) annexe = true;
    }
    EXPECT_TRUE(devisZero) << "a quote with a total of 0";
    EXPECT_TRUE(cdeFns) << "a supplier order with its supplier and Ordre";
    EXPECT_TRUE(annule) << "a customer order with Etat -1";
    EXPECT_TRUE(dateZeroPortee) << "an order with a zero date whose supplier order carries one";
    EXPECT_TRUE(annexe) << "an attached document";
    EXPECT_TRUE(incomplet) << "an incomplete dossier";
    EXPECT_GT(dmax - dmin, 3 * 365) << "dates over several years";
    EXPECT_LE(dmax, Demo().options.jour);

    // Lines: top-level types 1, 200 + k and 300 + n, sub-lines, quantities, eco-participation.
    std::set<long long> types;
    std::map<std::string, std::set<long long>> hautes;  // dossier -> top-level Numero
    bool sousLigne = false, quantite = false, eco3 = false, ecoPartiel = false, sansEco = false, vide = false;
    for (size_t r = 0; r < l.rows.size(); ++r)
      if (Int(l.V(r, "Base")) == 0) hautes[Txt(l.V(r, "Dossier"))].insert(Int(l.V(r, "Numero")));
    for (size_t r = 0; r < l.rows.size(); ++r) {
      long long base = Int(l.V(r, "Base"));
      if (base == 0) types.insert(Int(l.V(r, "Type")));
      if (base != 0) {
        EXPECT_TRUE(hautes[Txt(l.V(r, "Dossier"))].count(base)) << "a sub-line under a top-level line";
        sousLigne = true;
      }
      if (base == 0 && Int(l.V(r, "Quantite")) > 1) quantite = true;
      std::string xml = Txt(l.V(r, "Xml"));
      if (xml.empty()) {
        vide = true;
      } else if (xml.find("<Eco-Participation>") == std::string::npos) {
        sansEco = true;
      } else {
        int n = (xml.find("<PrixHTMobilier>") != std::string::npos) + (xml.find("<PrixHTPMCB>") != std::string::npos) +
                (xml.find("<PrixHTDEEE>") != std::string::npos);
        (n == 3 ? eco3 : ecoPartiel) = true;
      }
    }
    EXPECT_TRUE(types.count(1));
    EXPECT_TRUE(types.count(201));
    EXPECT_TRUE(types.count(301));
    EXPECT_TRUE(sousLigne);
    EXPECT_TRUE(quantite);
    EXPECT_TRUE(eco3);
    EXPECT_TRUE(ecoPartiel);
    EXPECT_TRUE(sansEco);
    EXPECT_TRUE(vide);
    // Every piece's dossier exists.
    std::set<std::string> numeros;
    for (size_t r = 0; r < d.rows.size(); ++r) numeros.insert(Txt(d.V(r, "Numero")));
    for (const auto& [dossier, rows] : parDossier) EXPECT_TRUE(numeros.count(dossier)) << dossier;
    // Documents of their own on some dossiers.
    TableLue docs = Lire(dir, "MesDocs.DB");
    EXPECT_FALSE(docs.rows.empty());
    for (size_t r = 0; r < docs.rows.size(); ++r) EXPECT_TRUE(numeros.count(Txt(docs.V(r, "DossierNumero"))));
  }
}

TEST(DemoCas, DossierCustomersMatchHeadOfficeExactlyByCaseOrNot) {
  TableLue c = Lire("Administration", "CLIENT.DB");
  std::set<std::string> exacts, plies;
  for (size_t r = 0; r < c.rows.size(); ++r) {
    exacts.insert(Txt(c.V(r, "Code")));
    plies.insert(corv::FoldCase(Txt(c.V(r, "Code"))));
  }
  int exact = 0, casse = 0, absent = 0;
  for (const char* agence : {"MAR02", "LYO01"}) {
    TableLue d = Lire(std::string("Agences/") + agence + "/Dossiers", "DOSSIER.DB");
    for (size_t r = 0; r < d.rows.size(); ++r) {
      std::string code = Txt(d.V(r, "Client"));
      if (exacts.count(code)) ++exact;
      else if (plies.count(corv::FoldCase(code))) ++casse;
      else ++absent;
    }
  }
  EXPECT_GT(exact, 100);
  EXPECT_GT(casse, 0);
  EXPECT_GT(absent, 0);
}

TEST(DemoCas, HeadOfficeConditionsPersonalisationsMessagesAndDocuments) {
  TableLue r = Lire("Administration", "REMISES.DB");
  std::set<std::string> avecRemises;
  bool generale = false, particuliere = false, taux = false, coef = false;
  for (size_t i = 0; i < r.rows.size(); ++i) {
    avecRemises.insert(Txt(r.V(i, "Fournisseur")));
    (Txt(r.V(i, "Client")).empty() ? generale : particuliere) = true;
    if (Num(r.V(i, "R1")) > 0) taux = true;
    double k = Num(r.V(i, "CoefTarif"));
    if (k != 0 && k != 1) coef = true;
  }
  EXPECT_TRUE(generale && particuliere && taux && coef);
  TableLue f = Lire("Administration", "FOURNIS.DB");
  bool sansRemise = false;
  for (size_t i = 0; i < f.rows.size(); ++i)
    if (!avecRemises.count(Txt(f.V(i, "Code")))) sansRemise = true;
  EXPECT_TRUE(sansRemise) << "a supplier without conditions";

  TableLue p = Lire("Administration", "Perso.DB");
  EXPECT_TRUE(std::any_of(p.rows.begin(), p.rows.end(), [&](const auto& row) {
    return Caracteres(Txt(row[p.F("Libelle")])) == 50;
  }));

  for (const char* table : {"Message.DB", "MessageType.DB"}) {
    TableLue m = Lire("Administration", table);
    std::set<long long> origines;
    for (size_t i = 0; i < m.rows.size(); ++i) origines.insert(Int(m.V(i, "Externe")));
    EXPECT_EQ(origines, (std::set<long long>{0, 2, 5})) << table;
  }

  TableLue t = Lire("Administration", "MesDocsType.DB");
  bool racine = false, enfant = false;
  for (size_t i = 0; i < t.rows.size(); ++i) (t.V(i, "IdParent").blank ? racine : enfant) = true;
  EXPECT_TRUE(racine && enfant);
  TableLue d = Lire("Administration", "MesDocs.DB");
  bool tvaVide = false, lien0 = false, lien1 = false, manquant = false;
  for (size_t i = 0; i < d.rows.size(); ++i) {
    if (d.V(i, "TypeTva").blank) tvaVide = true;
    long long flag = Int(d.V(i, "LienFlag"));
    (flag == 0 ? lien0 : lien1) = true;
    if (flag == 0) {
      bool existe = std::filesystem::exists(Demo().dir + "/Administration/Documents/Interne/" + Txt(d.V(i, "Lien")));
      if (!existe) manquant = true;
      else EXPECT_EQ(Int(d.V(i, "Externe")) == 2 || Int(d.V(i, "Externe")) == 0 || Int(d.V(i, "Externe")) == 5, true);
    }
  }
  EXPECT_TRUE(tvaVide && lien0 && lien1 && manquant);
}

TEST(DemoCas, VatAgenciesAndReferenceSuppliers) {
  double jour = Demo().options.jour;
  TableLue t = Lire("Administration", "Tva.DB");
  bool finitCeJour = false, commenceCeJour = false, future = false, enCours = false;
  for (size_t i = 0; i < t.rows.size(); ++i) {
    double deb = Num(t.V(i, "DateDeb")), fin = Num(t.V(i, "DateFin"));
    if (fin == jour) finitCeJour = true;
    if (deb == jour) commenceCeJour = true;
    if (deb > jour) future = true;
    if (deb < jour && fin > jour) enCours = true;
  }
  EXPECT_TRUE(finitCeJour && commenceCeJour && future && enCours);

  TableLue a = Lire("Administration", "Agence.DB");
  bool partagee = false, absente = false;
  for (size_t i = 0; i < a.rows.size(); ++i) {
    if (Int(a.V(i, "Flag")) & 1) partagee = true;
    std::string rep = Txt(a.V(i, "Repertoire"));
    ASSERT_EQ(rep.rfind("Q:\\Agences\\", 0), 0u) << rep;
    if (!std::filesystem::exists(Demo().dir + "/Agences/" + rep.substr(11))) absente = true;
  }
  EXPECT_TRUE(partagee && absente);
  TableLue ta = Lire("Administration", "TarifsAgence.DB");
  bool selection = false;
  for (size_t i = 0; i < ta.rows.size(); ++i)
    if (Txt(ta.V(i, "Texte")).rfind("<QvrMajProduits><FAMILLES>", 0) == 0) selection = true;
  EXPECT_TRUE(selection);

  TableLue maj = Lire("Maj", "FOURNIS.DB");
  int libres = 0;
  for (size_t i = 0; i < maj.rows.size(); ++i) libres += Txt(maj.V(i, "Nom")).rfind("zLibre", 0) == 0;
  EXPECT_GE(libres, 2);
}

TEST(DemoCas, PriceCatalogueAndAgencyMessages) {
  TableLue t = Lire("Tarifs", "TARIF.DB");
  std::set<std::string> gx;
  for (size_t i = 0; i < t.rows.size(); ++i)
    if (Txt(t.V(i, "Fournisseur")) == "GX") gx.insert(Txt(t.V(i, "Famille")));
  EXPECT_TRUE(gx.count("VZ") && gx.count("QW"));
  TableLue f = Lire("Tarifs", "FAMILLE.DB");
  std::set<long long> ordres;
  for (size_t i = 0; i < f.rows.size(); ++i) ordres.insert(Int(f.V(i, "Index")));
  EXPECT_EQ(ordres.size(), f.rows.size()) << "families in a distinct order";
  EXPECT_FALSE(Lire("Tarifs", "MODELE.DB").rows.empty());
  EXPECT_FALSE(Lire("Tarifs", "GROUPE.DB").rows.empty());

  // An agency's own messages beside earlier copies from head office.
  TableLue m = Lire("Agences/LYO01/Administration", "Message.DB");
  std::set<long long> origines;
  for (size_t i = 0; i < m.rows.size(); ++i) origines.insert(Int(m.V(i, "Externe")));
  EXPECT_TRUE(origines.count(0) && origines.count(1));
  EXPECT_TRUE(std::filesystem::exists(Demo().dir + "/Agences/LYO01/Administration/Documents/Externe/Catalogue_PVC.pdf"));
}

}  // namespace
