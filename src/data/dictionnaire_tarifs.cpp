// Tables of the named database QuintrelTarifs (the price catalogue). The program
// reads them; it creates none of them when missing.
#include "data/dictionnaire_outils.h"
#include "util/session.h"

namespace corv::dico {
namespace {
constexpr const char* P = kAliasTarifs;
}  // namespace

void AjouterTarifs(std::vector<TableDef>* out) {
  {
    TableDef t = T("GROUPE.DB", P, "Type S, Fournisseur A2, Code A2, Nom A30, Flag S, CodeFournisseur A30",
                   "Type;Fournisseur;Code");
    t.composants = {C("tblGroupe", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("FAMILLE.DB", P,
                   "Groupe S, Code A2, Nom A30, Observation A30, Index S, Multiple S, Impression S, "
                   "StyleFamille S, StyleModele S, Type S, NbComposants S, NbOptions S, Tableau A2, OptAcc S, "
                   "Abreviation A2",
                   "Groupe;Code");
    t.index = {Ix("Ordre", "Groupe;Index"), Ix("index", "Groupe;Index", true)};
    t.composants = {C("tblFamille", true), CI("tblFamilleOrdre", "Ordre", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("TABLEAU.DB", P, "Code A2, Nom A30, Type S, NbHauteurs S, NbLargeurs S", "Code");
    t.composants = {C("tblTableau", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("HAUTEUR.DB", P, "Code A2, Dimension S, NbFixations S, NbGonds S", "Code;Dimension");
    t.composants = {C("tblHauteur", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("LARGEUR.DB", P, "Code A2, Vantail S, Dimension S, NbFixations S", "Code;Vantail;Dimension");
    t.composants = {C("tblLargeur", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("MODELE.DB", P,
                   "Groupe S, Famille A2, Code A2, Nom A50, Index S, Type S, Base A2, Flag S, Dimension1 S, "
                   "Dimension2 S, OFLaterauxFixe S, PFLaterauxFixe S, Texte M1",
                   "Groupe;Famille;Code");
    t.index = {Ix("Ordre", "Groupe;Famille;Index")};
    t.composants = {CO("tblModele", "Groupe;Famille;Code", true), CO("tblModeleOrdre", "Groupe;Famille;Index", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("TARIF.DB", P,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Code A2, Nom A30, CodeFournisseur A30, "
                   "CoefVitrage N, L1 A1, L2 A1, L3 A1, PrixFamille A2, PrixModele A2, PrixCode A2, "
                   "PrixCalcul S, PrixMontant N, PrixTarif S, PrixMoins S, PrixInterval S, PrixCoefVitrage S, "
                   "PrixBisFamille A2, PrixBisModele A2, PrixBisProduit A2, PrixBisCalcul S, PrixBisMontant N, "
                   "PrixBisTarif S, PrixBisMoins S, PrixBisInterval S, PrixBisVitrage S, PrixBisCoefVitrage N, "
                   "Message M1, Requete M1, RequeteXml M1",
                   "Groupe;Famille;Modele;Fournisseur;Code");
    t.index = {Ix("Fns", "Fournisseur;Groupe;Famille;Modele;Code", true)};
    t.composants = {C("tblProduit", true), C("tblProduitBiss", true),
                    CO("tblProduitFns", "Fournisseur;Groupe;Famille;Modele;Code")};
    out->push_back(t);
  }
  {
    TableDef t = T("GRILLE.DB", P,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Code A2, Num S, Hauteur S, Vantail S, "
                   "Largeur S, Montant N, Stock S",
                   "Groupe;Famille;Modele;Fournisseur;Code;Num;Hauteur;Vantail;Largeur");
    t.composants = {C("tblGrille", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("ZONES.DB", P,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Produit A2, Numero S, HauteurMini S, "
                   "VantailMini S, LargeurMini S, HauteurMaxi S, VantailMaxi S, LargeurMaxi S, Montant N",
                   "Groupe;Famille;Modele;Fournisseur;Produit;Numero;HauteurMini;VantailMini;LargeurMini;"
                   "HauteurMaxi;VantailMaxi;LargeurMaxi");
    t.composants = {C("tblZone", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("HM.DB", P,
                   "Fournisseur A2, Groupe S, Famille A2, Modele A2, Code A2, Moins S, Impossible S, EnDehors S, "
                   "Calcul S, Montant00 N, Montant01 N, Montant 02 N, Montant10 N, Montant11 N, Montant12 N, "
                   "Montant20 N, Montant21 N, Montant22 N, CalculPlus S, Montant+00 N, Montant+01 N, "
                   "Montant+02 N, Montant+10 N, Montant+11 N, Montant+12 N, Montant+20 N, Montant+21 N, "
                   "Montant+22 N, PrixFamille A2, PrixModele A2, PrixCode A2, PrixCalcul S, PrixMontant N, "
                   "PrixTarif S, PrixMoins S, PrixInterval S, PrixCoefVitrage S",
                   "Fournisseur;Groupe;Famille;Modele;Code");
    t.composants = {C("tblHM", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("LIMITES.DB", P,
                   "Fournisseur A2, Groupe S, Famille A2, Modele A2, Code A2, ParVantail S, Limite00 N, "
                   "Limite01 N, Limite10 N, Limite11 N, Limite20 N, Limite21 N",
                   "Fournisseur;Groupe;Famille;Modele;Code");
    t.composants = {C("tblLimite", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("COMPOSE.DB", P,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Code A2, GroupeBis S, FamilleBis A2, "
                   "ModeleBis A2, Type S",
                   "Groupe;Famille;Modele;Fournisseur;Code;GroupeBis;FamilleBis;ModeleBis;Type");
    t.index = {Ix("Tarif", "Groupe;Famille;Modele;Fournisseur;Code;GroupeBis;FamilleBis;Type;ModeleBis"),
               Ix("Reverse", "GroupeBis;FamilleBis;ModeleBis;Groupe;Famille;Modele;Code;Type"),
               Ix("Lien", "Groupe;Famille;Modele;GroupeBis;FamilleBis"),
               Ix("Inverse", "Fournisseur;GroupeBis;FamilleBis;ModeleBis;Groupe;Famille;Modele")};
    t.composants = {CI("tblComposantReverse", "Reverse", true), CI("tblComposantLien", "Lien", true),
                    CI("tblComposantTarif", "Tarif", true), C("tblComposantP", true),
                    CI("tblTarifCompose_Inverse", "Inverse", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("LIEN.DB", P,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Code A2, GroupeBis S, FamilleBis A2, "
                   "ModeleBis A2",
                   "Groupe;Famille;Modele;Fournisseur;Code;GroupeBis;FamilleBis;ModeleBis");
    t.index = {Ix("FnsBis", "Fournisseur;GroupeBis;FamilleBis;ModeleBis;Groupe;Famille;Modele;Code"),
               Ix("Fns", "Fournisseur;Groupe;Famille;Modele;Code;GroupeBis;FamilleBis;ModeleBis;"),
               Ix("Speed", "Groupe;Famille;Modele;GroupeBis;FamilleBis;ModeleBis;Fournisseur;Code"),
               Ix("Inverse", "GroupeBis;FamilleBis;ModeleBis;Groupe;Famille"),
               Ix("Reverse", "GroupeBis;FamilleBis;ModeleBis;Groupe;Famille;Modele;Fournisseur;Code")};
    t.composants = {CI("tblLien", "Reverse", true), CI("tblTarifLien_FnsBis", "FnsBis", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("LIAISON.DB", P,
                   "TypeGroupe S, Fournisseur A2, CodeGroupe A2, Type S, GroupeProduit S, Famille A2, "
                   "Modele A2, Flag S",
                   "TypeGroupe;Fournisseur;CodeGroupe;Type;GroupeProduit;Famille;Modele");
    t.composants = {C("tblLiaison", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("SETFAM.DB", P, "Groupe S, Famille A2, GroupeBis S, FamilleBis A2, Index S",
                   "Groupe;Famille;GroupeBis;FamilleBis");
    t.index = {Ix("Ordre", "Groupe;Famille;GroupeBis;Index"), Ix("Inverse", "GroupeBis;FamilleBis")};
    t.composants = {CI("tblSetFamille", "Ordre", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("MTarifs.DB", P,
                   "Code A30, Groupe S, Famille A50, Modele A50, Libelle A120, MonFournisseur A2, "
                   "Fournisseur A30, Hauteur S, Largeur S, Vantail S, Quantite N, Sens S, PrixAchat N, "
                   "PrixTarif N, PrixVente1 N, PrixVente2 N, PrixVente3 N, PrixVente4 N, PrixVente5 N, "
                   "Unite A10, Type S, Flag1 S, Flag2 S, Stock S, StockMini S, Texte M1, Dessin G1, "
                   "CodeTVAFPNormale A30, CodeTVAFPReduite A30",
                   "Code");
    t.index = {Ix("Nom", "Groupe;Famille;Modele;Libelle")};
    t.composants = {C("tblMesTarifs", true)};
    t.regles = {R().Nombre(27).Ajouter("CodeTVAFPNormale A30, CodeTVAFPReduite A30")};
    out->push_back(t);
  }
  {
    TableDef t = T("Majtarif.DB", P,
                   "Fournisseur A2, Date D, Libelle A200, Impression A1, Date reception D, Application D, "
                   "Produits F30",
                   "Fournisseur;Date;Libelle");
    t.index = {Ix("Inverse", "Fournisseur;Date;Libelle", true, true)};
    t.composants = {C("tblMajTarif", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("DETAIL.DB", P,
                   "Fournisseur A2, Groupe S, Famille A2, Modele A2, Code A2, Num S, Type S, Composants M1, "
                   "Croquis M1, Flag S, Libelle M50, LibelleUw M1, Descriptif A250",
                   "Fournisseur;Groupe;Famille;Modele;Code;Num");
    t.index = {Ix("Ordre", "Groupe;Famille;Modele;Fournisseur;Code", true)};
    t.composants = {CI("tblDetails", "Ordre", true)};
    // LibelleUw is appended with the width it has in the current layout: a memo
    // keeps at most 240 bytes in the record, so the 250 of older versions cannot
    // be created.
    t.regles = {R().Nombre(10).Ajouter("Libelle M50"), R().Nombre(11).Ajouter("LibelleUw M1"),
                R().Nombre(12).Ajouter("Descriptif A250")};
    out->push_back(t);
  }
  {
    TableDef t = T("pmo.DB", P,
                   "Code A15, Libelle A80, Conditionnement A10, Contenance N, Consomation N, Calcul S, Perte S, "
                   "Recouvrement S, Application S, PrixTarif N, PrixAchat N, PrixVente N",
                   "");
    t.composants = {C("tblPmo")};
    out->push_back(t);
  }
  {
    TableDef t = T("EcoPartType.DB", P, "IdType S, Libelle A50", "");
    t.composants = {C("tblEcoPartType", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("EcoPart.DB", P, "IdType S, IdEco S, Libelle A50, PrixHT N", "");
    t.composants = {C("tblEcoPart", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("ContrainteFns.DB", P,
                   "Fournisseur A2, Groupe I, Famille A2, Modele A2, CodeProduit A2, IdContrainteType I", "");
    t.composants = {C("tblContrainteFns", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("ContrainteType.DB", P, "IdContrainteType I, Libelle A50, CodeVariable A10", "");
    t.composants = {C("tblContrainteType", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("Contrainte.DB", P,
                   "IdContrainte I, Fournisseur A2, Groupe I, Famille A2, Modele A2, CodeProduit A2, "
                   "Requete M1, Formule M1, Contrainte M1",
                   "IdContrainte");
    // The component reads through an index "produit" whose fields are not given
    // with the layout; this program's choice is the product's identity, in order.
    // A secondary index needs a primary key: the constraint's identifier.
    t.index = {Ix("produit", "Fournisseur;Groupe;Famille;Modele;CodeProduit")};
    t.composants = {CI("tblContrainte", "produit", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("COMPOSE_FNS.DB", P,
                   "Fournisseur A2, Groupe S, Famille A2, Modele A2, Code A2, FournisseurBis A2, GroupeBis S, "
                   "FamilleBis A2, ModeleBis A2, CodeBis A2, Grade S",
                   "Fournisseur;Groupe;Famille;Modele;Code;FournisseurBis;GroupeBis;FamilleBis;ModeleBis;CodeBis");
    t.index = {Ix("TarifFns",
                  "FournisseurBis;GroupeBis;FamilleBis;ModeleBis;CodeBis;Fournisseur;Groupe;Famille;Modele;Code")};
    t.composants = {CI("tblTarifComposeFns_TarifFns", "TarifFns", true), C("tblTarifComposeFns", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("FOURNIS.DB", P,
                   "Code A2, Nom A30, Paiement S, Observation A200, U'Qualité' A10, Fact. Lieu A40, "
                   "Fact. Ville A40, Fact C.P. A5, Fact. Rue A40, Fact. Rue2 A40, Fact Tel. A20, Fact. Fax A20, "
                   "Fact. Contact A30, Id RC A30, Id Intracomm A30, Id APE A30, Id Status S, Capital A10, "
                   "Code etablissement A5, Code guichet A5, U'N° Compte' A11, Cle RIB A2, Domiciliation A20, "
                   "Lieu Agence A40, Ville Agence A40, CP Agence A5, Rue Agence A40, Rue 2 Agence A40, "
                   "U'Tél. Agence' A20, Fax Agence A20, Contact Agence A30, Type Livraison S, "
                   "Code livraison A2, Jours Fermeture S, Heure Fermeture S, Ferme S, NbJoursPaiement S, "
                   "JoursPaiement S, Fiscalite S, Comm C.A. N, Comm M.B. N, Travail S, DateTravail D, "
                   "Interlocuteurs M1",
                   "Code");
    t.index = {Ix("Nom", "Nom")};
    t.composants = {C("tblTarifFournisseur", true)};
    out->push_back(t);
  }
}

}  // namespace corv::dico
