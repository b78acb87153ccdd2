// Each agency's dossiers, pieces, lines and sub-lines, shaped as the statistics
// read them:
//  - a dossier has a quote (type 0, Num 1) whose lines are top-level lines of
//    Type 1, each with option sub-lines (Base = the line's Numero);
//  - some quotes are empty with a total of 0, some dossiers have no piece;
//  - an accepted quote gets a customer order (type 2, Num 1; Etat -1 when
//    cancelled; sometimes a zero Date, the supplier orders then carry one),
//    its lines copied with Type 200 + 1, one supplier order per supplier of
//    those lines (type 1, Ordre 1, Fournisseur), and sometimes an attached
//    document (type 3, Num n, Ordre 1) with lines of Type 300 + n;
//  - a few dossiers are incomplete: one piece with a blank Etat or Date;
//  - line "Xml" memos hold an "Eco-Participation" element with all, some or
//    none of its three amounts, or no such element, or nothing.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "util/session.h"
#include "demo/ecrivain.h"
#include "demo/noms.h"
#include "util/dates.h"

namespace corv::demo {
namespace {

constexpr const char* D = kAliasDossiers;

double Arrondi(double x) { return std::round(x * 100.0) / 100.0; }

int Annee(double jour) {
  int y = 1900;
  while (y < 2200 && DayNumber(y + 1, 1, 1) <= jour) ++y;
  return y;
}

// Field numbers of the hot tables, resolved once per table.
struct ChampsLigne {
  int dossier, base, numero, famille, modele, repere, destination, hauteur, largeur, vantail, fournisseur, tarif,
      vente, achat, ajoutTarif, prixNet, quantite, sens, type, parent, plus, libelle, flag, typePose, prixPose, xml,
      isModifie, tva, numeroUnique;
  explicit ChampsLigne(const TableDemo& t)
      : dossier(t.Champ("Dossier")), base(t.Champ("Base")), numero(t.Champ("Numero")), famille(t.Champ("Famille")),
        modele(t.Champ("Modele")), repere(t.Champ("Repere")), destination(t.Champ("Destination")),
        hauteur(t.Champ("Hauteur")), largeur(t.Champ("Largeur")), vantail(t.Champ("Vantail")),
        fournisseur(t.Champ("Fournisseur")), tarif(t.Champ("Tarif")), vente(t.Champ("Vente")),
        achat(t.Champ("Achat")), ajoutTarif(t.Champ("AjoutTarif")), prixNet(t.Champ("PrixNet")),
        quantite(t.Champ("Quantite")), sens(t.Champ("Sens")), type(t.Champ("Type")), parent(t.Champ("Parent")),
        plus(t.Champ("Plus")), libelle(t.Champ("Libelle")), flag(t.Champ("Flag")), typePose(t.Champ("TypePose")),
        prixPose(t.Champ("PrixPose")), xml(t.Champ("Xml")), isModifie(t.Champ("IsModifie")), tva(t.Champ("Tva")),
        numeroUnique(t.Champ("NumeroUnique")) {}
};

struct ChampsPiece {
  int dossier, type, num, ordre, date, reglementType, dateReglement, fournisseur, negoce, totalTarif, totalVente,
      totalAchat, totalComm, etat, nom, flag, ville, cp, rue1, tel, fraisDePort, escompte, libelle, accompte, export_;
  explicit ChampsPiece(const TableDemo& t)
      : dossier(t.Champ("Dossier")), type(t.Champ("Type")), num(t.Champ("Num")), ordre(t.Champ("Ordre")),
        date(t.Champ("Date")), reglementType(t.Champ("ReglementType")), dateReglement(t.Champ("DateReglement")),
        fournisseur(t.Champ("Fournisseur")), negoce(t.Champ("Negoce")), totalTarif(t.Champ("TotalTarif")),
        totalVente(t.Champ("TotalVente")), totalAchat(t.Champ("TotalAchat")), totalComm(t.Champ("TotalComm")),
        etat(t.Champ("Etat")), nom(t.Champ("Nom")), flag(t.Champ("Flag")), ville(t.Champ("Ville")),
        cp(t.Champ("CP")), rue1(t.Champ("Rue1")), tel(t.Champ("Tel")), fraisDePort(t.Champ("FraisDePort")),
        escompte(t.Champ("Escompte")), libelle(t.Champ("Libelle")), accompte(t.Champ("Accompte")),
        export_(t.Champ("Export")) {}
};

// One line as drawn, before it is written (the order copies the quote's).
struct LigneTiree {
  int famille = 0, modele = 0;
  std::string fournisseur;
  int hauteur = 0, largeur = 0, vantail = 1, quantite = 1;
  double tarif = 0, vente = 0, achat = 0, prixNet = 0, eco = 0;
  std::string xml, destination;
  struct Sous {
    int modele = 0, quantite = 1;
    double vente = 0, achat = 0, eco = 0;
    std::string xml;
  };
  std::vector<Sous> sous;
};

// An eco-participation memo and the amount it stands for.
std::string Eco(Alea& a, double* montant) {
  *montant = 0;
  int k = a.Entre(0, 99);
  if (k < 30) return "";
  if (k < 45) return "<Ligne><Options><Option Code=\"01\"/></Options></Ligne>";
  double mob = a.Entre(0, 1) ? 0.5 : 1.0, pmcb = a.Entre(5, 30) / 10.0, deee = 1.5;
  std::string inner;
  if (k < 85) {
    inner = "<PrixHTMobilier>" + std::to_string(mob).substr(0, 4) + "</PrixHTMobilier><PrixHTPMCB>" +
            std::to_string(pmcb).substr(0, 3) + "</PrixHTPMCB><PrixHTDEEE>1.5</PrixHTDEEE>";
    *montant = mob + pmcb + deee;
  } else if (k < 93) {
    inner = "<PrixHTDEEE>1.5</PrixHTDEEE>";
    *montant = deee;
  } else {
    inner = "<PrixHTMobilier>" + std::to_string(mob).substr(0, 4) + "</PrixHTMobilier><PrixHTPMCB>" +
            std::to_string(pmcb).substr(0, 3) + "</PrixHTPMCB>";
    *montant = mob + pmcb;
  }
  // The element is looked for anywhere under the root: sometimes one level down.
  if (k % 2) return "<Ligne><Prix><Eco-Participation>" + inner + "</Eco-Participation></Prix></Ligne>";
  return "<Ligne><Eco-Participation>" + inner + "</Eco-Participation></Ligne>";
}

const char* kDestinations[] = {"SE", "CH", "CU", "SB", "GA", "EN", "BU"};

class Generateur {
 public:
  Generateur(Ecrivain& e, const AgenceDemo& g, Alea a, TableDemo& dossier, TableDemo& piece, TableDemo& ligne,
             TableDemo& sligne)
      : m_(*e.monde), g_(g), a_(a), td_(dossier), tp_(piece), tl_(ligne), ts_(sligne), cp_(piece), cl_(ligne) {
    for (int fi : g.fournisseurs) {
      const FournisseurDemo& f = m_.fournisseurs[static_cast<size_t>(fi)];
      for (const Offre& o : m_.offres.at(f.code))
        if (m_.familles[static_cast<size_t>(o.famille)].groupe == 1) produits_.push_back({f.code, &o});
    }
  }

  pdx::Status Dossier(int i, int n, BilanAgence* b);

  // Dossiers that carry a document of their own (a site photo): number, customer.
  std::vector<std::pair<std::string, std::string>> photos;

 private:
  struct Produit {
    std::string fournisseur;
    const Offre* offre;
  };

  std::string CodeClient(const ClientDemo** client);
  LigneTiree Tirer();
  pdx::Status EcrireLigne(const std::string& dossier, int numero, int type, const LigneTiree& l, BilanAgence* b);
  pdx::Status EcrirePiece(const std::string& dossier, int type, int num, int ordre, double date, int etat,
                          const std::string& fournisseur, const std::string& nom, double vente, double achat,
                          bool incomplet, bool sansEtat, BilanAgence* b);

  const Monde& m_;
  const AgenceDemo& g_;
  Alea a_;
  TableDemo& td_;
  TableDemo& tp_;
  TableDemo& tl_;
  TableDemo& ts_;
  ChampsPiece cp_;
  ChampsLigne cl_;
  std::vector<Produit> produits_;
};

std::string Generateur::CodeClient(const ClientDemo** client) {
  const ClientDemo& c = m_.clients[a_.Suivant() % m_.clients.size()];
  *client = &c;
  int k = a_.Entre(0, 99);
  if (k < 5) {
    // The same customer written with other letter cases.
    std::string s = c.code;
    for (size_t j = 1; j < s.size(); ++j)
      if (s[j] >= 'A' && s[j] <= 'Z') s[j] = static_cast<char>(s[j] - 'A' + 'a');
    return s;
  }
  if (k < 9) {
    // A customer head office does not know (numbers from 9000 are never drawn).
    *client = nullptr;
    char num[16];
    std::snprintf(num, sizeof num, "%04d", 9000 + a_.Entre(0, 999));
    return CodeDepuis(Nom(a_), 6) + num;
  }
  return c.code;
}

LigneTiree Generateur::Tirer() {
  LigneTiree l;
  const Produit& p = produits_[a_.Suivant() % produits_.size()];
  const FamilleDemo& fam = m_.familles[static_cast<size_t>(p.offre->famille)];
  l.fournisseur = p.fournisseur;
  l.famille = p.offre->famille;
  l.modele = p.offre->modeles[a_.Suivant() % p.offre->modeles.size()];
  l.hauteur = a_.Entre(5, 25) * 100;
  l.largeur = a_.Entre(4, 30) * 100;
  l.vantail = a_.Entre(1, 2);
  int q = a_.Entre(0, 99);
  l.quantite = q < 70 ? 1 : q < 88 ? 2 : q < 96 ? 3 : 4;
  l.tarif = Arrondi(fam.prix * (0.8 + 0.1 * l.modele) * (l.hauteur * l.largeur) / 1.5e6 + fam.prix * 0.3);
  l.achat = Arrondi(l.tarif * (1 - a_.Entre(15, 40) / 100.0));
  l.vente = Arrondi(l.achat * (1.35 + a_.Entre(0, 40) / 100.0));
  l.prixNet = a_.Chance(0.2) ? 35 : 0;
  l.destination = kDestinations[a_.Suivant() % 7];
  l.xml = Eco(a_, &l.eco);
  int ns = a_.Entre(0, 99) < 45 ? 0 : a_.Entre(1, 3);
  const FamilleDemo& opt = m_.familles[static_cast<size_t>(m_.optionFamille)];
  for (int k = 0; k < ns; ++k) {
    LigneTiree::Sous s;
    s.modele = a_.Entre(0, static_cast<int>(opt.modeles.size()) - 1);
    s.quantite = a_.Chance(0.8) ? 1 : 2;
    s.achat = Arrondi(opt.prix * (0.5 + a_.Entre(0, 100) / 100.0));
    s.vente = Arrondi(s.achat * 1.5);
    s.xml = a_.Chance(0.5) ? Eco(a_, &s.eco) : "";
    l.sous.push_back(s);
  }
  return l;
}

pdx::Status Generateur::EcrireLigne(const std::string& dossier, int numero, int type, const LigneTiree& l,
                                    BilanAgence* b) {
  const FamilleDemo& fam = m_.familles[static_cast<size_t>(l.famille)];
  const ModeleDemo& mo = fam.modeles[static_cast<size_t>(l.modele)];
  std::string unique = g_.code + "-" + dossier + "-" + std::to_string(numero);
  auto r = tl_.Nouvelle();
  r.Txt(cl_.dossier, dossier)
      .Int(cl_.base, 0)
      .Int(cl_.numero, numero)
      .Txt(cl_.famille, fam.code)
      .Txt(cl_.modele, mo.code)
      .Txt(cl_.repere, "F" + std::to_string(numero))
      .Txt(cl_.destination, l.destination)
      .Int(cl_.hauteur, l.hauteur)
      .Int(cl_.largeur, l.largeur)
      .Int(cl_.vantail, l.vantail)
      .Txt(cl_.fournisseur, l.fournisseur)
      .Num(cl_.tarif, l.tarif)
      .Num(cl_.vente, l.vente)
      .Num(cl_.achat, l.achat)
      .Num(cl_.ajoutTarif, 0)
      .Num(cl_.prixNet, l.prixNet)
      .Int(cl_.quantite, l.quantite)
      .Int(cl_.sens, 0)
      .Int(cl_.type, type)
      .Int(cl_.parent, 0)
      .Num(cl_.plus, 0)
      .Txt(cl_.libelle, fam.nom + " " + mo.nom + " " + std::to_string(l.vantail) + " vantail(x) " +
                            std::to_string(l.largeur) + " x " + std::to_string(l.hauteur))
      .Int(cl_.flag, 0)
      .Int(cl_.typePose, l.prixNet > 0 ? 1 : 0)
      .Num(cl_.prixPose, l.prixNet)
      .Int(cl_.isModifie, 0)
      .Int(cl_.tva, 2)
      .Txt(cl_.numeroUnique, unique);
  if (!l.xml.empty()) r.Txt(cl_.xml, l.xml);
  DEMO_ESSAI(tl_.Ajouter(r));
  b->lignes++;
  const FamilleDemo& opt = m_.familles[static_cast<size_t>(m_.optionFamille)];
  int k = 1;
  for (const LigneTiree::Sous& s : l.sous) {
    const ModeleDemo& om = opt.modeles[static_cast<size_t>(s.modele)];
    auto x = tl_.Nouvelle();
    x.Txt(cl_.dossier, dossier)
        .Int(cl_.base, numero)
        .Int(cl_.numero, k)
        .Txt(cl_.famille, opt.code)
        .Txt(cl_.modele, om.code)
        .Txt(cl_.fournisseur, l.fournisseur)
        .Num(cl_.tarif, s.achat * 1.3)
        .Num(cl_.vente, s.vente)
        .Num(cl_.achat, s.achat)
        .Num(cl_.prixNet, 0)
        .Int(cl_.quantite, s.quantite)
        .Int(cl_.type, type)
        .Int(cl_.parent, numero)
        .Txt(cl_.libelle, om.nom)
        .Int(cl_.tva, 2)
        .Txt(cl_.numeroUnique, unique + "." + std::to_string(k));
    if (!s.xml.empty()) x.Txt(cl_.xml, s.xml);
    DEMO_ESSAI(tl_.Ajouter(x));
    b->lignes++;
    // The quote's option components, as the quoting program lists them.
    if (type == 1)
      DEMO_ESSAI(ts_.Ajouter(ts_.Nouvelle()
                                 .Txt("Dossier", dossier)
                                 .Int("Base", 0)
                                 .Int("Ligne", numero)
                                 .Int("Numero", k)
                                 .Txt("Famille", opt.code)
                                 .Txt("Modele", om.code)));
    if (type == 1) b->sousLignes++;
    ++k;
  }
  return pdx::Status::OK();
}

pdx::Status Generateur::EcrirePiece(const std::string& dossier, int type, int num, int ordre, double date, int etat,
                                    const std::string& fournisseur, const std::string& nom, double vente,
                                    double achat, bool sansDate, bool sansEtat, BilanAgence* b) {
  static const char* kLibelles[] = {"Devis", "Commande fournisseur", "Commande client", "Avenant"};
  if (date > m_.jour) date = m_.jour;  // nothing is dated after the reference date
  const Ville& v = VilleNumero(g_.ville);
  auto r = tp_.Nouvelle();
  r.Txt(cp_.dossier, dossier)
      .Int(cp_.type, type)
      .Int(cp_.num, num)
      .Int(cp_.ordre, ordre)
      .Num(cp_.date, date)
      .Int(cp_.reglementType, 1)
      .Txt(cp_.fournisseur, fournisseur)
      .Int(cp_.negoce, 0)
      .Num(cp_.totalTarif, Arrondi(achat * 1.35))
      .Num(cp_.totalVente, Arrondi(vente))
      .Num(cp_.totalAchat, Arrondi(achat))
      .Num(cp_.totalComm, Arrondi((vente - achat) * 0.05))
      .Int(cp_.etat, etat)
      .Txt(cp_.nom, nom)
      .Int(cp_.flag, 0)
      .Txt(cp_.ville, v.nom)
      .Txt(cp_.cp, v.cp)
      .Num(cp_.fraisDePort, 0)
      .Num(cp_.escompte, 0)
      .Txt(cp_.libelle, std::string(kLibelles[type]) + " n° " + std::to_string(num))
      .Num(cp_.accompte, type == 2 ? Arrondi(vente * 0.3) : 0)
      .Int(cp_.export_, 0);
  if (type == 2 && date > 0) r.Num(cp_.dateReglement, date + 30);
  if (sansDate) r.Vide(cp_.date);
  if (sansEtat) r.Vide(cp_.etat);
  DEMO_ESSAI(tp_.Ajouter(r));
  b->pieces++;
  return pdx::Status::OK();
}

pdx::Status Generateur::Dossier(int i, int n, BilanAgence* b) {
  double debut = m_.jour - 5 * 365;
  double date = std::floor(debut + a_.Reel() * (m_.jour - 1 - debut));
  char numero[32];
  std::snprintf(numero, sizeof numero, "%04d%06d", Annee(date), (i + 1) % 1000000);
  std::string dossier = numero;
  const ClientDemo* client = nullptr;
  std::string code = CodeClient(&client);
  if (i % 25 == 0) photos.emplace_back(dossier, code);
  std::string nom = client ? (client->professionnel ? client->nom : client->nom + " " + client->prenom) : "Client de passage";
  const Ville& v = VilleNumero(client ? client->ville : g_.ville);

  // A handful of incomplete dossiers (always at least one in a large enough agency).
  bool incomplet = (n >= 20 && i == n / 2) || a_.Chance(0.004);
  // Every fifty dossiers, each rare case at least once, whatever the draw.
  const int cas = i % 50;
  bool sansEtat = incomplet && a_.Chance(0.5);
  bool sansDate = incomplet && !sansEtat;

  auto d = td_.Nouvelle();
  d.Txt("Numero", dossier)
      .Txt("Client", code)
      .Date("Date", date)
      .Txt("Reference", std::string(a_.Chance(0.5) ? "Rénovation " : "Remplacement ") + nom)
      .Txt("Agent", "R" + std::to_string(1 + i % 6))
      .Int("ModifFacturation", 0)
      .Int("Relance", 0)
      .Int("Etat", 0)
      .Txt("FactVille", v.nom)
      .Txt("FactCP", v.cp)
      .Txt("FactRue1", client ? client->rue : Rue(a_))
      .Txt("FactTel", client ? client->tel : "")
      .Txt("FactMail", client ? client->mail : "")
      .Txt("ChantierVille", v.nom)
      .Txt("ChantierCP", v.cp)
      .Txt("ChantierRue1", client ? client->rue : "")
      .Int("TVA", 2)
      .Int("Flag", 0)
      .Int("Lock", 0)
      .Int("RelanceAnnee", 0);
  if (sansEtat) d.Vide(td_.Champ("Etat"));
  if (sansDate) d.Vide(td_.Champ("Date"));

  if ((a_.Chance(0.08) || cas == 13) && !incomplet) {  // just opened: no piece yet
    DEMO_ESSAI(td_.Ajouter(d));
    b->dossiers++;
    return pdx::Status::OK();
  }

  // The quote.
  std::vector<LigneTiree> lignes;
  bool force = cas == 3 || cas == 5 || cas == 7;
  if (produits_.empty() || (a_.Chance(0.04) && !force) || cas == 9) {
    // an empty quote: total 0
  } else {
    int nl = 1 + static_cast<int>(a_.Suivant() % 4) + (a_.Chance(0.3) ? a_.Entre(1, 3) : 0);
    for (int k = 0; k < nl; ++k) lignes.push_back(Tirer());
  }
  double vente = 0, achat = 0;
  for (const LigneTiree& l : lignes) {
    vente += (l.vente + l.prixNet + l.eco) * l.quantite;
    achat += (l.achat + l.prixNet + l.eco) * l.quantite;
    for (const LigneTiree::Sous& s : l.sous) {
      vente += (s.vente + s.eco) * l.quantite * s.quantite;
      achat += (s.achat + s.eco) * l.quantite * s.quantite;
    }
  }
  DEMO_ESSAI(EcrirePiece(dossier, 0, 1, 0, date, 0, "", nom, vente, achat, sansDate, sansEtat, b));
  int numeroLigne = 1;
  for (const LigneTiree& l : lignes) DEMO_ESSAI(EcrireLigne(dossier, numeroLigne++, 1, l, b));

  // Accepted quotes become orders.
  if (!lignes.empty() && (a_.Chance(0.16) || force)) {
    double dateCde = std::min(m_.jour, date + a_.Entre(3, 60));
    bool dateZero = a_.Chance(0.12) || cas == 5;
    int etat = (a_.Chance(0.06) || cas == 3) ? -1 : a_.Entre(0, 1);
    DEMO_ESSAI(EcrirePiece(dossier, 2, 1, 0, dateZero ? 0 : dateCde, etat, "", nom, vente, achat, false, false, b));
    for (const LigneTiree& l : lignes) DEMO_ESSAI(EcrireLigne(dossier, numeroLigne++, 201, l, b));

    // An attached document with its own lines, from one of the order's suppliers.
    std::vector<LigneTiree> annexes;
    if (a_.Chance(0.2) || cas == 7) {
      LigneTiree x = Tirer();
      x.fournisseur = lignes[a_.Suivant() % lignes.size()].fournisseur;
      annexes.push_back(x);
      double va = 0, aa = 0;
      for (const LigneTiree& l : annexes) {
        va += (l.vente + l.prixNet + l.eco) * l.quantite;
        aa += (l.achat + l.prixNet + l.eco) * l.quantite;
      }
      DEMO_ESSAI(EcrirePiece(dossier, 3, 1, 1, dateCde + a_.Entre(5, 30), 0, "", nom, va, aa, false, false, b));
      for (const LigneTiree& l : annexes) DEMO_ESSAI(EcrireLigne(dossier, numeroLigne++, 301, l, b));
    }

    // One supplier order per supplier of the order's lines.
    std::vector<std::string> fournisseurs;
    for (const LigneTiree& l : lignes)
      if (std::find(fournisseurs.begin(), fournisseurs.end(), l.fournisseur) == fournisseurs.end())
        fournisseurs.push_back(l.fournisseur);
    int num = 1;
    for (const std::string& f : fournisseurs) {
      double vf = 0, af = 0;
      auto somme = [&](const std::vector<LigneTiree>& liste) {
        for (const LigneTiree& l : liste) {
          if (l.fournisseur != f) continue;
          vf += (l.vente + l.prixNet + l.eco) * l.quantite;
          af += (l.achat + l.prixNet + l.eco) * l.quantite;
          for (const LigneTiree::Sous& x : l.sous) {
            vf += (x.vente + x.eco) * l.quantite * x.quantite;
            af += (x.achat + x.eco) * l.quantite * x.quantite;
          }
        }
      };
      somme(lignes);
      somme(annexes);
      const FournisseurDemo* fd = nullptr;
      for (const FournisseurDemo& x : m_.fournisseurs)
        if (x.code == f) fd = &x;
      DEMO_ESSAI(EcrirePiece(dossier, 1, num++, 1, dateCde + a_.Entre(1, 6), 0, f, fd ? fd->nom : f, vf, af, false,
                             false, b));
    }
    d.Int("Etat", etat < 0 ? 3 : 1);
  }
  DEMO_ESSAI(td_.Ajouter(d));
  b->dossiers++;
  return pdx::Status::OK();
}

// Large tables get larger blocks, so the block count stays well within the format.
int Blocs(const Disposition& d, size_t lignes) {
  size_t taille = 0;
  for (const ChampDef& c : d.champs) taille += DescripteurChamp(c).size;
  size_t octets = taille * lignes;
  for (int kib : {2, 4, 8, 16, 32})
    if (octets / (static_cast<size_t>(kib) * 1024) < 40000) return kib == 2 ? 0 : kib;
  return 32;
}

}  // namespace

pdx::Status EcrireDossiers(Ecrivain& e, const AgenceDemo* g, const std::string& relatif, int n, BilanAgence* b) {
  DEMO_ESSAI(e.Repertoire(relatif));
  std::string dir = e.Hote(relatif);
  const TableDef& tDossier = Def(D, "DOSSIER.DB");
  const TableDef& tPiece = Def(D, "PIECE.DB");
  const TableDef& tLigne = Def(D, "LIGNE.DB");
  const TableDef& tSligne = Def(D, "SLIGNE.DB");
  Disposition dDossier = Actuelle(tDossier), dPiece = Actuelle(tPiece), dLigne = Actuelle(tLigne),
              dSligne = Actuelle(tSligne);
  int variante = g ? g->variante : 0;
  if (variante == 1) {
    dPiece = Ancienne(tPiece, 41);
  } else if (variante == 2) {
    // Before Tva and NumeroUnique, with Plus still an integer; and a dossier
    // table before RelanceAnnee.
    dLigne = Ancienne(tLigne, 49, {{23, {"Plus", pdx::FieldType::kShort, 0}}});
    dDossier = Ancienne(tDossier, 42);
  }
  size_t nn = static_cast<size_t>(std::max(0, n));
  dDossier.blocKiB = Blocs(dDossier, nn);
  dPiece.blocKiB = Blocs(dPiece, nn * 3 / 2);
  dLigne.blocKiB = Blocs(dLigne, nn * 8);
  dSligne.blocKiB = Blocs(dSligne, nn * 3);

  std::unique_ptr<TableDemo> td, tp, tl, ts;
  DEMO_ESSAI(TableDemo::Creer(e.env, dir, tDossier, dDossier, &td));
  DEMO_ESSAI(TableDemo::Creer(e.env, dir, tPiece, dPiece, &tp));
  DEMO_ESSAI(TableDemo::Creer(e.env, dir, tLigne, dLigne, &tl));
  DEMO_ESSAI(TableDemo::Creer(e.env, dir, tSligne, dSligne, &ts));
  std::vector<std::pair<std::string, std::string>> photos;
  if (g && n > 0) {
    Generateur gen(e, *g, e.AleaPour("dossiers/" + g->code), *td, *tp, *tl, *ts);
    for (int i = 0; i < n; ++i) DEMO_ESSAI(gen.Dossier(i, n, b));
    photos = std::move(gen.photos);
  }
  DEMO_ESSAI(td->Fermer());
  DEMO_ESSAI(tp->Fermer());
  DEMO_ESSAI(tl->Fermer());
  DEMO_ESSAI(ts->Fermer());
  if (!photos.empty()) {
    // The per-dossier documents: one type, and a site photo linked outside.
    const TableDef& tType = Def(D, "MesDocsType.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, tType, Actuelle(tType), [](TableDemo& t) {
      return t.Ajouter(t.Nouvelle().Int("Externe", 0).Int("IdTypeDocument", 1).Txt("Libelle", "Photos de chantier"));
    }));
    const TableDef& tDocs = Def(D, "MesDocs.DB");
    DEMO_ESSAI(Ecrire(e.env, dir, tDocs, Actuelle(tDocs), [&](TableDemo& t) -> pdx::Status {
      int id = 1;
      for (const auto& [dossier, client] : photos) {
        DEMO_ESSAI(t.Ajouter(t.Nouvelle()
                                 .Int("Externe", 0)
                                 .Int("IdDocument", id)
                                 .Int("IdTypeDocument", 1)
                                 .Txt("Libelle", "Photo du chantier")
                                 .Txt("Lien", "Photos\\" + dossier + "_" + std::to_string(id) + ".jpg")
                                 .Int("LienFlag", 1)
                                 .Int("Popup", 0)
                                 .Txt("DossierNumero", dossier)
                                 .Txt("CodeClient", client)
                                 .Int("Print", 0)));
        ++id;
      }
      return pdx::Status::OK();
    }));
  }
  return CompleterVides(e, D, relatif);
}

}  // namespace corv::demo
