#pragma once
// Helpers that keep the dictionary's definitions short and close to how the
// layouts are written down (internal to the dictionary's sources).
#include <string>
#include <vector>

#include "data/dictionnaire.h"

namespace corv::dico {

// A table: file, named database, fields, primary key ("a;b"), secondary indexes.
TableDef T(const std::string& fichier, const std::string& alias, const std::string& champs,
           const std::string& cle);

IndexDef Ix(const std::string& nom, const std::string& champs, bool sansCasse = false, bool descendant = false);

// A component presenting rows in primary order, in a field order, or through an index.
ComposantDef C(const std::string& nom, bool lectureSeule = false, const std::string& fenetre = "");
ComposantDef CO(const std::string& nom, const std::string& ordre, bool lectureSeule = false);
ComposantDef CI(const std::string& nom, const std::string& index, bool lectureSeule = false);

// Rule builder: R().Nombre(49).Ajouter("FraisDePort N, ExportCode A15").
class R {
 public:
  R& Nombre(int n);
  R& NombreAuPlus(int n);
  R& Longueur(int champ, std::vector<int> longueurs);
  R& LongueurAuPlus(int champ, int n);
  R& Nomme(int champ, const std::string& nom);
  R& DeType(int champ, pdx::FieldType t);
  R& AIndex(const std::string& nom);

  R& FixerLongueur(int champ, int taille);
  R& Renommer(int champ, const std::string& nom);
  R& ChangerType(int champ, pdx::FieldType t, int taille = 0);
  R& Ajouter(const std::string& champs);
  R& AZero(const std::string& champ);
  R& Defaut(const std::string& champ, const std::string& valeur);
  R& RemplacerIndex(const std::string& ancien, IndexDef nouveau);

  operator RegleMaj() const { return r_; }

 private:
  RegleMaj r_;
};

void AjouterAdministration(std::vector<TableDef>* out);
void AjouterDossiers(std::vector<TableDef>* out);
void AjouterTarifs(std::vector<TableDef>* out);
// "MesDocs.DB" and "MesDocsType.DB", which exist in two named databases.
void AjouterMesDocs(const std::string& alias, const std::string& composant, const std::string& composantType,
                    std::vector<TableDef>* out);

}  // namespace corv::dico
