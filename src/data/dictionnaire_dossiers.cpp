// Tables of the named database QuintrelDossiers.
#include "data/dictionnaire_outils.h"
#include "util/session.h"

namespace corv::dico {
namespace {
using FT = pdx::FieldType;
constexpr const char* D = kAliasDossiers;
}  // namespace

void AjouterDossiers(std::vector<TableDef>* out) {
  {
    TableDef t = T("DOSSIER.DB", D,
                   "Numero A10, Client A10, Date D, Reference A30, Agent A2, Poseur A6, ModifFacturation S, "
                   "Relance S, Etat S, FactLieu A30, FactVille A40, FactCP A5, FactRue1 A40, FactRue2 A40, "
                   "FactTel A20, FactFax A20, FactPortable A20, FactMail A50, FactContact A30, "
                   "ChantierLieu A40, ChantierVille A40, ChantierCP A5, ChantierRue1 A40, ChantierRue2 A40, "
                   "ChantierTel A20, ChantierFax A20, ChantierPortable A20, ChantierMail A50, "
                   "ChantierContact A30, Notes M1, TVA S, Flag S, Lock S, Import A7, ExportCodeClient A15, "
                   "ExportCodePrescripteur A15, ExportCdePrescripteur A15, ChantierDate D, Perso1 A255, "
                   "Perso2 A255, Perso3 A255, Perso4 A255, RelanceAnnee S",
                   "Numero");
    t.index = {Ix("Reference", "Reference")};
    t.composants = {C("tblDossier"), C("mDossier"), CI("tblDossierRefs", "Reference", true)};
    t.regles = {
        R().LongueurAuPlus(2, 9).FixerLongueur(2, 10),
        R().Longueur(1, {7}).FixerLongueur(1, 10),
        R().Nombre(34).Ajouter("ExportCodeClient A15, ExportCodePrescripteur A15"),
        R().Nombre(36).Ajouter("ExportCdePrescripteur A15"),
        R().Longueur(6, {2}).FixerLongueur(6, 6),
        R().Longueur(18, {30}).FixerLongueur(18, 50),
        R().Longueur(28, {30}).FixerLongueur(28, 50),
        R().Nombre(37).Ajouter("ChantierDate D"),
        R().Nombre(38).Ajouter("Perso1 A255, Perso2 A255, Perso3 A255, Perso4 A255"),
        R().Nombre(42).Ajouter("RelanceAnnee S"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("PIECE.DB", D,
                   "Dossier A10, Type S, Num S, Ordre S, Date D, ReglementType S, ReglementA S, ReglementLe S, "
                   "LivraisonSemaine S, LivraisonJour S, DateReglement D, Fournisseur A2, Negoce S, "
                   "TotalTarif N, TotalVente N, TotalAchat N, TotalComm N, Etat S, Nom A30, Flag S, "
                   "LivraisonType S, LivraisonCode A6, Lieu A40, Ville A40, CP A5, Rue1 A40, Rue2 A40, Tel A20, "
                   "Fax A20, Portable A20, Mail A50, Contact A30, FraisDePort N, Escompte N, Libelle M1, "
                   "Accompte N, ImprimeTri S, ImprimeRepere S, ImprimeDate D, Flag1 S, Export S, "
                   "Interlocuteur A2, Memos M30",
                   "Dossier;Type;Num");
    t.composants = {C("tblDocument"), C("mDocument")};
    t.regles = {
        R().Longueur(1, {7}).FixerLongueur(1, 10),
        R().NombreAuPlus(41).Ajouter("Interlocuteur A2"),
        R().Longueur(22, {2}).FixerLongueur(22, 6),
        R().Longueur(31, {30}).FixerLongueur(31, 50),
        R().NombreAuPlus(42).Ajouter("Memos M30"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("LIGNE.DB", D,
                   "Dossier A10, Base S, Numero S, Famille A2, Modele A2, Repere A4, Destination A2, Hauteur S, "
                   "Largeur S, Vantail S, HauteurBis S, LargeurBis S, Fournisseur A2, Tarif N, Vente N, Achat N, "
                   "AjoutTarif N, PrixNet N, Quantite S, Sens S, Type S, Parent S, Plus N, RV1 S, RV2 S, RA1 S, "
                   "RA2 S, Libelle M1, Info M1, Flag S, Reutiliser S, Allege S, TypePose S, Poseur A2, "
                   "PrixPose N, Soubassement S, Trier S, Xml M1, IsModifie S, QuantiteModifie S, "
                   "AchatModifie N, SensModifie S, DestinationModifie A2, RepereModifie A4, HauteurModifie N, "
                   "LargeurModifie N, VantailModifie S, PlusModifie N, LibelleModifie M1, Tva S, "
                   "NumeroUnique A50",
                   "Dossier;Base;Numero");
    t.composants = {C("tblLigne"), C("mLigne")};
    t.regles = {
        R().Longueur(1, {7}).FixerLongueur(1, 10),
        R().Nombre(35).Ajouter("Soubassement S"),
        R().Nombre(36).Ajouter("Trier S"),
        R().Nombre(37).Ajouter("Xml M1"),
        R().Nombre(38).Ajouter("IsModifie S, QuantiteModifie S, AchatModifie N, SensModifie S, "
                               "DestinationModifie A2, RepereModifie A4, HauteurModifie N, LargeurModifie N, "
                               "VantailModifie S, PlusModifie N, LibelleModifie M1"),
        R().Nombre(49).Ajouter("Tva S").Defaut("Tva", "-1"),
        R().DeType(23, FT::kShort).ChangerType(23, FT::kNumber),
        R().Nombre(50).Ajouter("NumeroUnique A50"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("SLIGNE.DB", D, "Dossier A10, Base S, Ligne S, Numero S, Famille A2, Modele A2",
                   "Dossier;Base;Ligne;Numero");
    t.composants = {C("tblSousLigne"), C("mSousLigne")};
    t.regles = {R().Longueur(1, {7}).FixerLongueur(1, 10)};
    out->push_back(t);
  }
  AjouterMesDocs(D, "tblDossierDocs", "tblDossierDocsType", out);
}

}  // namespace corv::dico
