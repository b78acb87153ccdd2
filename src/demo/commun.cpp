// Row makers shared by head office and the agencies, directories, and the
// empty tables that complete a named database.
#include <set>

#include "demo/ecrivain.h"
#include "demo/noms.h"
#include "util/dates.h"
#include "util/text.h"

namespace corv::demo {

pdx::Status Ecrivain::Repertoire(const std::string& relatif) const {
  std::string chemin = racine;
  if (!env->DirExists(chemin)) DEMO_ESSAI(env->CreateDir(chemin));
  size_t i = 0;
  while (i <= relatif.size()) {
    size_t j = relatif.find('/', i);
    if (j == std::string::npos) j = relatif.size();
    if (j > i) {
      chemin += "/" + relatif.substr(i, j - i);
      if (!env->DirExists(chemin)) {
        pdx::Status s = env->CreateDir(chemin);
        if (!s.ok()) return pdx::Status::IOError("creating directory " + chemin + ": " + s.message());
      }
    }
    i = j + 1;
  }
  return pdx::Status::OK();
}

void RemplirClient(TableDemo::Ligne& l, const ClientDemo& c) {
  const Ville& v = VilleNumero(c.ville);
  l.Txt("Code", c.code)
      .Txt("Nom", c.professionnel ? c.nom : c.nom + " " + c.prenom)
      .Int("Reglement", c.professionnel ? 2 : 1)
      .Txt("Qualite", c.professionnel ? "Société" : (c.prenom.back() == 'e' ? "Mme" : "M."))
      .Txt("Ville", v.nom)
      .Txt("CP", v.cp)
      .Txt("Rue1", c.rue)
      .Txt("Tel", c.tel)
      .Txt("Portable", c.portable)
      .Txt("Mail", c.mail)
      .Txt("Contact", c.professionnel ? c.prenom : "")
      .Int("Status", 0)
      .Txt("LivraisonVille", v.nom)
      .Txt("LivraisonCP", v.cp)
      .Txt("LivraisonRue1", c.rue)
      .Int("LivraisonType", 0)
      .Txt("LivraisonCode", "")
      .Int("Flag", 0)
      .Int("Ferme", 0)  // the older layouts' name of Flag
      .Int("TVA", c.professionnel ? 1 : 2)
      .Txt("Pays", "FR")
      .Int("Activite", c.professionnel ? 1 : 0)
      .Txt("Representant", "R" + std::to_string(1 + c.code.size() % 6))
      .Num("Escompte", 0)
      .Num("Marge", c.professionnel ? 28 : 35)
      .Num("FraisDePort", 0)
      .Int("Import", 0)
      .Int("MargeDebloque", 0)
      .Int("Costume", 0)
      .Int("FlagAccord", 0)
      .Int("Type", c.professionnel ? 1 : 0)
      .Int("Professionnel", c.professionnel ? 1 : 0)
      .Int("Proprietaire", c.professionnel ? 0 : 1)
      .Date("DateCreation", DayNumber(2015, 1, 1) + static_cast<double>(c.code.back() - '0') * 97)
      .Date("DateMaj", DayNumber(2024, 6, 1));
}

void RemplirFournisseur(TableDemo::Ligne& l, const FournisseurDemo& f) {
  const Ville& v = VilleNumero(f.ville);
  l.Txt("Code", f.code)
      .Txt("Nom", f.nom)
      .Int("Reglement", 3)
      .Txt("Qualite", "SAS")
      .Txt("Ville", v.nom)
      .Txt("CP", v.cp)
      .Txt("Rue1", f.rue)
      .Txt("Tel", f.tel)
      .Txt("Fax", f.fax)
      .Txt("Mail", f.mail)
      .Txt("Contact", "Service commandes")
      .Txt("TVAIntracom", "FR" + std::to_string(10 + f.ville) + "4" + std::to_string(100000 + f.ville * 731))
      .Txt("LivraisonVille", v.nom)
      .Txt("LivraisonCP", v.cp)
      .Int("LivraisonType", 1)
      .Txt("LivraisonCode", f.code == "GX" ? "DEPOT1" : "")
      .Int("Ferme", 0)
      .Int("TVA", 1)
      .Num("CommCA", 0)
      .Num("CommMB", 0)
      .Txt("Franco", "Franco de port à partir de 1 500 €")
      .Num("ForfaitPort", 45)
      .Num("MargeAveugle", 0)
      .Num("CoefTarif", 1)
      .Int("MentionFlag", 0);
}

pdx::Status CompleterVides(Ecrivain& e, const char* alias, const std::string& relatif) {
  std::string dir = e.Hote(relatif);
  for (const TableDef& t : Dictionnaire()) {
    if (!EqualsNoCase(t.alias, alias)) continue;
    std::string existant;
    if (pdx::FindFileNoCase(e.env, dir, t.fichier, &existant).ok()) continue;
    DEMO_ESSAI(Ecrire(e.env, dir, t, Actuelle(t), [](TableDemo&) { return pdx::Status::OK(); }));
  }
  return pdx::Status::OK();
}

}  // namespace corv::demo
