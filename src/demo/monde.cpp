#include "demo/monde.h"

#include <algorithm>
#include <cstdio>

#include "demo/noms.h"
#include "util/dates.h"

namespace corv::demo {
namespace {

struct FournisseurFixe {
  const char* code;
  const char* nom;
};

// Head office's suppliers. "Z1" is a free-zone supplier; "ZA" only looks like
// one (the test is case-sensitive); "TR" has no condition at head office.
const FournisseurFixe kFournisseurs[] = {
    {"GX", "Gantois Menuiseries"},        {"AL", "Aluminium du Lyonnais"},   {"BM", "Bois et Menuiseries Bretonnes"},
    {"CF", "Comptoir des Fermetures"},    {"DP", "Dauphiné Portails"},       {"FE", "Fenêtres de l'Est"},
    {"HB", "Habitat Bois Solognot"},      {"KL", "Kerlann Volets"},          {"MN", "Miroiterie Normande"},
    {"PR", "Portes et Rideaux Provençaux"}, {"SV", "Stores et Vérandas du Sud-Ouest"}, {"TR", "Tradition Ferronnerie"},
    {"Z1", "zLibre menuiserie"},          {"ZA", "Zlibre Atelier"},          {"NQ", "Nouvelle Quincaillerie"},
};

struct FamilleFixe {
  int groupe;
  const char* code;
  const char* nom;
  const char* observation;
  double prix;
};

const FamilleFixe kFamilles[] = {
    {1, "FE", "Fenêtres PVC", "Blanc ou plaxé", 420},
    {1, "FA", "Fenêtres aluminium", "Rupture de pont thermique", 690},
    {1, "PF", "Portes-fenêtres", "Seuil PMR possible", 780},
    {1, "PE", "Portes d'entrée", "Serrure 5 points", 1650},
    {1, "VR", "Volets roulants", "Manuels ou motorisés", 380},
    {1, "VB", "Volets battants", "Bois ou aluminium", 310},
    {1, "PG", "Portes de garage", "Sectionnelles", 1450},
    {1, "PO", "Portails", "Coulissants ou battants", 1900},
    {1, "ST", "Stores", "Bannes et intérieurs", 540},
    {1, "VZ", "Vitrages", "Feuilletés et isolants", 160},
    {1, "QW", "Quincaillerie", "Poignées et crémones", 45},
    {2, "OP", "Options", "Accessoires de pose", 60},
};

const char* kModeles[] = {"Classique", "Confort", "Prestige", "Rénovation", "Design", "Tradition"};
const char* kOptions[] = {"Motorisation radio", "Poignée sécurité", "Croisillons laiton", "Moustiquaire",
                          "Grille de ventilation"};

}  // namespace

std::string CheminWindows(const Monde& m, const std::string& relatif) {
  return relatif.empty() ? m.prefixe : m.prefixe + "\\" + relatif;
}

Monde ConstruireMonde(const Options& o, Alea a) {
  Monde m;
  m.jour = o.jour;

  // Families and their models.
  for (const FamilleFixe& f : kFamilles) {
    FamilleDemo d;
    d.groupe = f.groupe;
    d.code = f.code;
    d.nom = f.nom;
    d.observation = f.observation;
    d.prix = f.prix;
    d.ordre = static_cast<int>(m.familles.size()) + 1;
    if (f.groupe == 2) {
      for (int i = 0; i < 5; ++i) d.modeles.push_back({"O" + std::to_string(i + 1), kOptions[i]});
      m.optionFamille = static_cast<int>(m.familles.size());
    } else {
      int n = a.Entre(3, 6);
      for (int i = 0; i < n; ++i)
        d.modeles.push_back({std::string(1, static_cast<char>('A' + i)) + std::to_string(i + 1), kModeles[i]});
    }
    m.familles.push_back(d);
  }

  // Suppliers and what they sell.
  for (const FournisseurFixe& f : kFournisseurs) {
    FournisseurDemo d;
    d.code = f.code;
    d.nom = f.nom;
    d.ville = a.Entre(0, NombreVilles() - 1);
    d.rue = Rue(a);
    d.tel = Telephone(a, VilleNumero(d.ville));
    d.fax = Telephone(a, VilleNumero(d.ville));
    d.mail = Mail("commandes", Minuscules(f.nom).substr(0, 12) + ".fr");
    d.zoneLibre = d.code == "Z1";
    d.sansRemises = d.code == "TR";
    std::vector<Offre> offres;
    auto ajouter = [&](int fam) {
      Offre off;
      off.famille = fam;
      int nm = static_cast<int>(m.familles[fam].modeles.size());
      for (int k = 0; k < nm; ++k)
        if (k == 0 || a.Chance(0.7)) off.modeles.push_back(k);
      offres.push_back(off);
    };
    if (d.code == "GX") {
      for (const char* c : {"FE", "VZ", "QW", "VR"})
        for (int i = 0; i < static_cast<int>(m.familles.size()); ++i)
          if (m.familles[i].code == c) ajouter(i);
    } else {
      int n = a.Entre(2, 4);
      std::vector<int> choix;
      while (static_cast<int>(choix.size()) < n) {
        int fam = a.Entre(0, 8);  // the families every supplier may sell
        if (std::find(choix.begin(), choix.end(), fam) == choix.end()) choix.push_back(fam);
      }
      std::sort(choix.begin(), choix.end());
      for (int fam : choix) ajouter(fam);
    }
    ajouter(m.optionFamille);
    m.offres[d.code] = offres;
    m.fournisseurs.push_back(d);
  }

  // Customers: codes from the name and a number, unique by the number.
  int nbClients = std::max(120, std::min(2000, 300 + o.dossiers / 10));
  for (int i = 0; i < nbClients; ++i) {
    ClientDemo c;
    c.nom = Nom(a);
    c.prenom = Prenom(a);
    c.professionnel = a.Chance(0.15);
    if (c.professionnel) c.nom = RaisonSociale(a);
    char num[16];
    std::snprintf(num, sizeof num, "%04d", i + 1);
    c.code = CodeDepuis(c.nom, 6) + num;
    c.ville = a.Entre(0, NombreVilles() - 1);
    c.rue = Rue(a);
    c.tel = Telephone(a, VilleNumero(c.ville));
    c.portable = Portable(a);
    if (a.Chance(0.7)) c.mail = Mail(Minuscules(c.prenom) + "." + Minuscules(c.nom).substr(0, 14), a.Chance(0.5) ? "orange.fr" : "laposte.net");
    m.clients.push_back(c);
  }

  // Agencies: the second shares head office's Administration, the last names a
  // directory that does not exist (with at least three agencies).
  int n = std::max(0, o.agences);
  int propres = 0;
  for (int i = 0; i < n; ++i) {
    AgenceDemo g;
    g.ville = i % NombreVilles();
    const Ville& v = VilleNumero(g.ville);
    char num[16];
    std::snprintf(num, sizeof num, "%02d", (i + 1) % 100);
    g.code = CodeDepuis(v.nom, 3) + num;
    if (i >= 100) g.code += std::to_string(i / 100);
    g.nom = std::string("Agence de ") + v.nom;
    if (n >= 2 && i == 1) g.sorte = SorteAgence::kPartagee;
    if (n >= 3 && i == n - 1) g.sorte = SorteAgence::kAbsente;
    g.repertoire = CheminWindows(m, "Agences\\" + g.code);
    if (g.sorte == SorteAgence::kPropre) g.variante = propres++ % 3;
    if (g.sorte == SorteAgence::kPartagee) g.flag |= 1;
    if (i == 2) g.flag |= 2;  // suppliers frozen on the agency card
    // Suppliers: always GX, then a draw among the others.
    for (int f = 0; f < static_cast<int>(m.fournisseurs.size()); ++f) {
      const std::string& code = m.fournisseurs[f].code;
      if (code == "GX" || (code != "NQ" && a.Chance(0.45))) g.fournisseurs.push_back(f);
    }
    m.agences.push_back(g);
  }
  return m;
}

}  // namespace corv::demo
