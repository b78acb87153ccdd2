// Tables of the named database QuintrelAdministration.
#include "data/dictionnaire_outils.h"
#include "util/session.h"

namespace corv::dico {
namespace {
using FT = pdx::FieldType;
constexpr const char* A = kAliasAdministration;
}  // namespace

void AjouterAdministration(std::vector<TableDef>* out) {
  {
    TableDef t = T("CLIENT.DB", A,
                   "Code A10, Nom A30, Reglement S, Observation M1, Qualite A10, Lieu A40, Ville A40, CP A5, "
                   "Rue1 A40, Rue2 A40, Tel A20, Fax A20, Portable A20, Mail A255, Contact A30, Siren A30, "
                   "TVAIntracom A30, APE A30, Status S, Capital A10, Banque A6, Guichet A6, Compte A11, Cle A2, "
                   "Domiciliation A24, LivraisonLieu A40, LivraisonVille A40, LivraisonCP A5, LivraisonRue1 A40, "
                   "LivraisonRue2 A40, LivraisonTel A20, LivraisonFax A20, LivraisonPortable A20, "
                   "LivraisonMail A50, LivraisonContact A30, LivraisonType S, LivraisonCode A6, FermetureJour S, "
                   "FermetureHeure S, Flag S, ReglementA S, ReglementLe S, TVA S, Pays A2, Activite S, "
                   "Representant A2, Marque A2, Escompte N, Marge N, FraisDePort N, ExportCode A15, "
                   "Prescripteur A15, Import S, MargeDebloque S, Perso1 A255, Perso2 A255, Perso3 A255, "
                   "Perso4 A255, Costume S, CostumeExterne A10, FlagAccord S, DateAccordMail D, DateAccordSms D, "
                   "Type S, DateAccordCourrier D, Professionnel S, Proprietaire S, Perso5 A255, Perso6 A255, "
                   "Perso7 A255, Perso8 A255, Perso9 A255, Perso10 A255, Perso11 A255, Perso12 A255, "
                   "Perso13 A255, Perso14 A255, Perso15 A255, DateCreation D, DateMaj D",
                   "Code");
    t.composants = {CO("tblClient", "Code")};
    t.regles = {
        R().LongueurAuPlus(1, 9).FixerLongueur(1, 10),
        R().Nomme(40, "Ferme").Renommer(40, "Flag"),
        R().Nombre(49).Ajouter("FraisDePort N, ExportCode A15"),
        R().Nombre(51).Ajouter("Prescripteur A15"),
        R().Nombre(52).Ajouter("Import S"),
        R().Longueur(37, {2}).FixerLongueur(37, 6),
        R().Longueur(14, {30, 50}).FixerLongueur(14, 255),
        R().Longueur(34, {30}).FixerLongueur(34, 50),
        R().Nombre(53).Ajouter("MargeDebloque S").AZero("MargeDebloque"),
        R().Nombre(54).Ajouter("Perso1 A255, Perso2 A255, Perso3 A255, Perso4 A255"),
        R().Nombre(58).Ajouter("Costume S, CostumeExterne A10").AZero("Costume"),
        R().Nombre(60).Ajouter("FlagAccord S, DateAccordMail D, DateAccordSms D").AZero("FlagAccord"),
        R().Nombre(63).Ajouter("Type S").AZero("Type"),
        R().Nombre(64).Ajouter("DateAccordCourrier D"),
        R().Nombre(65).Ajouter("Professionnel S"),
        R().Nombre(66).Ajouter("Proprietaire S"),
        R().Nombre(67).Ajouter("Perso5 A255, Perso6 A255, Perso7 A255, Perso8 A255, Perso9 A255, Perso10 A255, "
                               "Perso11 A255, Perso12 A255, Perso13 A255, Perso14 A255, Perso15 A255"),
        R().Nombre(78).Ajouter("DateCreation D"),
        R().Nombre(79).Ajouter("DateMaj D"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("FOURNIS.DB", A,
                   "Code A2, Nom A30, Reglement S, Observation M1, Qualite A10, Lieu A40, Ville A40, CP A5, "
                   "Rue1 A40, Rue2 A40, Tel A20, Fax A20, Portable A20, Mail A50, Contact A30, Siren A30, "
                   "TVAIntracom A30, APE A30, Status S, Capital A10, Banque A5, Guichet A5, Compte A11, Cle A2, "
                   "Domiciliation A20, LivraisonLieu A40, LivraisonVille A40, LivraisonCP A5, LivraisonRue1 A40, "
                   "LivraisonRue2 A40, LivraisonTel A20, LivraisonFax A20, LivraisonPortable A20, "
                   "LivraisonMail A50, LivraisonContact A30, LivraisonType S, LivraisonCode A6, FermetureJour S, "
                   "FermetureHeure S, Ferme S, ReglementA S, ReglementLe S, TVA S, CommCA N, CommMB N, "
                   "Message M1, Franco A50, ForfaitPort N, MargeAveugle N, CoefTarif N, Remises A100, "
                   "MentionFlag S, MentionLibelle A100, MentionImage A255",
                   "Code");
    t.composants = {CO("tblFournisseur", "Code")};
    t.regles = {
        R().Nombre(46).Ajouter("Franco A50, ForfaitPort N"),
        R().Nombre(48).Ajouter("MargeAveugle N"),
        R().Nombre(49).Ajouter("CoefTarif N"),
        R().Longueur(37, {2}).FixerLongueur(37, 6),
        R().Longueur(14, {30}).FixerLongueur(14, 50),
        R().Longueur(34, {30}).FixerLongueur(34, 50),
        R().Nombre(50).Ajouter("Remises A10"),
        R().Longueur(51, {10}).FixerLongueur(51, 100),
        R().Nombre(51).Ajouter("MentionFlag S, MentionLibelle A100, MentionImage A255"),
        R().DeType(47, FT::kNumber).ChangerType(47, FT::kAlpha, 50),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("REMISES.DB", A,
                   "Type S, Fournisseur A2, Client A10, TypeGroupe S, Groupe A2, R1 N, R2 N, CoefTarif N",
                   "Type;Fournisseur;Client;TypeGroupe;Groupe");
    t.composants = {CO("tblRemise", "Type;Fournisseur;Client;TypeGroupe;Groupe")};
    t.regles = {R().LongueurAuPlus(3, 9).FixerLongueur(3, 10), R().Nombre(7).Ajouter("CoefTarif N")};
    out->push_back(t);
  }
  {
    TableDef t = T("LIBELLE.DB", A,
                   "Famille S, TypeFamille S, TypeModele S, Nom A50, CodeFamille A2, CodeModele A2, Flag S, "
                   "Data M1, Xml M1, Image G1, Delete S",
                   "Famille;TypeFamille;TypeModele");
    t.composants = {CO("tblLibelle", "Famille;TypeFamille;TypeModele")};
    t.regles = {R().Nombre(4).Ajouter("CodeFamille A2, CodeModele A2, Flag S, Data M1, Xml M1"),
                R().Nombre(9).Ajouter("Image G1"), R().Nombre(10).Ajouter("Delete S")};
    out->push_back(t);
  }
  {
    TableDef t = T("AGENT.DB", A,
                   "Code A2, Nom A30, Lieu A40, Ville A40, CP A5, Rue1 A40, Rue2 A40, Tel A20, Fax A20, "
                   "Portable A20, Mail A50, Contact A30, CommCA N, CommMB N, Limite N, CodeExport A10",
                   "Code");
    t.composants = {CO("tblRepresentant", "Code")};
    t.regles = {R().Nombre(15).Ajouter("CodeExport A10"), R().Longueur(11, {30}).FixerLongueur(11, 50)};
    out->push_back(t);
  }
  {
    TableDef t = T("DESTINAT.DB", A, "Code A2, Nom A30, Index S, Humide S", "Code");
    t.composants = {CO("tblDestination", "Code")};
    out->push_back(t);
  }
  {
    TableDef t = T("BIBLIO.DB", A,
                   "Type S, Code A6, Lieu A40, Ville A40, CP A5, Rue1 A40, Rue2 A40, Tel A20, Fax A20, "
                   "Portable A20, Mail A30, Contact A30, Xml M1",
                   "Type;Code");
    t.composants = {CO("tblBibliotheque", "Type;Code")};
    t.regles = {R().Longueur(2, {2}).FixerLongueur(2, 6), R().Nombre(12).Ajouter("Xml M1")};
    out->push_back(t);
  }
  {
    TableDef t = T("HISTORIK.DB", A,
                   "Dossier A10, TypeDocument S, Action S, Numero S, Date D, Representant A2, NumDocument S, "
                   "Flag S, NomDocument A30, Montant N, DescriptionDossier M1, Note M1, MontantAchat N",
                   "Dossier;TypeDocument;Action;Numero");
    t.composants = {C("tblHistorik")};
    t.regles = {R().Longueur(1, {7}).FixerLongueur(1, 10), R().Nombre(12).Ajouter("MontantAchat N")};
    out->push_back(t);
  }
  {
    TableDef t = T("EXPORT.DB", A,
                   "Numero S, Champ A30, Destination S, MonCode A30, Description A50, Valeur A40, Position S, "
                   "Longeur S, Type A15, Decimal S, Separateur A1, Obligatoire S, Utilisateur S, Flag S, "
                   "Compta A30",
                   "Numero");
    t.index = {Ix("MonCode", "MonCode")};
    t.composants = {C("tblExport")};
    t.regles = {R().Nombre(14).Ajouter("Compta A30")};
    out->push_back(t);
  }
  {
    TableDef t = T("CodeArticle.DB", A,
                   "Fournisseur A2, Groupe S, Famille A2, Modele A2, Tarif A2, CodeFournisseur A50, "
                   "CodeArticle A50, Libelle A50, Type S, Flag S, CodeArticleTvaInter A50, "
                   "CodeArticleTvaNormale A50, CodeArticleTvaReduite A50, CodeArticleTvaCorse A50",
                   "Fournisseur;Groupe;Famille;Modele;Tarif");
    t.composants = {C("tblCodeArticle", true)};
    t.regles = {
        R().Nombre(10).Ajouter("CodeArticle2 A50, CodeArticle3 A50"),
        R().Nombre(12).Nomme(11, "CodeArticle2").Renommer(11, "CodeArticleTvaInter"),
        R().Nombre(12).Nomme(12, "CodeArticle3").Renommer(12, "CodeArticleTvaNormale"),
        R().Nombre(12).Ajouter("CodeArticleTvaReduite A50, CodeArticleTvaCorse A50"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("Utilisateur.db", A,
                   "Initiale A2, Nom A50, Prenom A50, Telephone A20, Fax A20, Portable A20, Mail A50, Droits N, "
                   "Type S, MdP A50, Representant A2, MargeMini N, Transfert S, DateTransfert D, "
                   "Repertoire A250, FlagPortable S, DroitsConfig N, DroitsExport N, DroitsModif N, MdPType S",
                   "Initiale");
    t.composants = {CO("tblUtilisateur", "Initiale")};
    t.regles = {
        R().DeType(8, FT::kShort).ChangerType(8, FT::kNumber),
        R().Nombre(14).Ajouter("Repertoire A250, FlagPortable S"),
        R().Nombre(16).Ajouter("DroitsConfig N, DroitsExport N, DroitsModif N"),
        R().Nombre(19).Nomme(10, "MdP").FixerLongueur(10, 50),
        R().Nombre(19).Ajouter("MdPType S"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("Agence.DB", A,
                   "Code A10, CodeSociete A10, CodeAgence A10, Nom A30, Lieu A40, Ville A40, CP A5, Rue1 A40, "
                   "Rue2 A40, Tel A20, Fax A20, Portable A20, Mail M50, Repertoire A250, Flag S, Systeme A40, "
                   "CodeDepot A10, NomTravail A10, ImportFichierClient A100, ImportRepertoireClient A250, "
                   "MailResponsable A100, CodeRegion A10, CodeUnite A10, CodeSecteur A10",
                   "Code");
    t.composants = {C("tblAgence", true)};
    for (const char* w : {"TFicheCopieDocumentVersAgence", "TFicheCopieMessagerieVersAgence",
                          "TFicheCopiePersoVersAgence", "TFicheCopieRemiseAchatVersAgence",
                          "TFicheNettoyageClients", "TFicheTDB"})
      t.composants.push_back(C("_tblAgence", true, w));
    t.regles = {
        R().Nombre(15).Ajouter("Systeme A40, CodeDepot A10, NomTravail A10"),
        R().Nombre(18).Ajouter("ImportFichierClient A100, ImportRepertoireClient A250"),
        R().Nombre(20).Ajouter("MailResponsable A100"),
        R().Nombre(21).Ajouter("CodeRegion A10, CodeUnite A10, CodeSecteur A10"),
    };
    out->push_back(t);
  }
  {
    TableDef t = T("TarifsAgence.DB", A, "Agence A10, Fournisseur A2, Famille A2, Modele A2, Flag S, Texte M20",
                   "Agence;Fournisseur;Famille;Modele");
    t.composants = {C("tblTarifsAgence", true)};
    out->push_back(t);
  }
  {
    TableDef t = T("Perso.DB", A,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Produit A2, Libelle A50, Photo M2, "
                   "Detail M2, Xml M2, DetailCache M2, Flag S",
                   "Groupe;Famille;Modele;Fournisseur;Produit");
    t.composants = {C("tblPerso", true)};
    t.creation = Creation::kParComposant;
    out->push_back(t);
  }
  {
    TableDef t = T("AgenceRegion.DB", A,
                   "Code A10, Libelle A50, ResponsableMail A100, ResponsableTelephone A50, ResponsableFax A50",
                   "Code");
    t.composants = {CO("tblAgenceReseau", "Code")};
    out->push_back(t);
  }
  {
    TableDef t = T("AgenceSecteur.DB", A,
                   "Region A10, Unite A10, Code A10, Libelle A50, ResponsableMail A100, "
                   "ResponsableTelephone A50, ResponsableFax A50",
                   "Region;Unite;Code");
    t.composants = {CO("tblAgenceSecteur", "Region;Unite;Code")};
    out->push_back(t);
  }
  {
    TableDef t = T("AgenceUnite.DB", A,
                   "Region A10, Code A10, Libelle A50, ResponsableMail A100, ResponsableTelephone A50, "
                   "ResponsableFax A50",
                   "Region;Code");
    t.composants = {CO("tblAgenceUnite", "Region;Code")};
    out->push_back(t);
  }
  {
    TableDef t = T("Tva.DB", A,
                   "Id_Tva I, Type_Tva S, DateDeb TS, DateFin TS, Valeur N, NumCompte A20, NumCompteVteMarch A20",
                   "");
    t.composants = {C("tblTva")};
    t.regles = {R().Nombre(5).Ajouter("NumCompte A20, NumCompteVteMarch A20")};
    out->push_back(t);
  }
  {
    TableDef t = T("EcoPartExport.DB", A, "CodeExport A50, IdEco S", "");
    t.composants = {C("tblEcoPartExport")};
    out->push_back(t);
  }
  {
    TableDef t = T("Message.DB", A,
                   "Externe S, IdMessage I, IdTypeMessage I, Libelle A255, DateCreation D, Importance I, "
                   "Lien A255, Fournisseur A2, Famille A2, Modele A2, Date_Debut D, Date_Fin D",
                   "Externe;IdMessage");
    t.index = {Ix("MessageDate", "DateCreation", false, true)};
    t.composants = {CI("tblMessage", "MessageDate")};
    t.creation = Creation::kDefinition;
    t.regles = {R().Nombre(7).Ajouter("Fournisseur A2, Famille A2, Modele A2, Date_Debut D, Date_Fin D"),
                R().Longueur(4, {50}).FixerLongueur(4, 255)};
    out->push_back(t);
  }
  {
    TableDef t = T("MessageType.DB", A, "Externe S, IdTypeMessage I, Libelle A50", "Externe;IdTypeMessage");
    t.composants = {C("tblMessageType")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  AjouterMesDocs(A, "tblMesDocs", "tblMesDocsType", out);
  {
    TableDef t = T("HistoCon.DB", A,
                   "Id +, Mac A17, Ip A15, Pc A100, Session A100, DateOuverture TS, DateFermeture TS", "Id");
    t.composants = {C("tblHistoCon")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    TableDef t = T("ConfigTauxMarge.DB", A,
                   "Groupe S, Famille A2, Modele A2, Fournisseur A2, Utilisateur A2, TauxMarge N",
                   "Groupe;Famille;Modele;Fournisseur;Utilisateur");
    t.composants = {C("tblConfigTauxMarge", true)};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    TableDef t = T("DeblocageTauxMarge.DB", A,
                   "Id S, DossierNumero A10, DossierReference A30, AgenceCode A10, Demandeur A2, "
                   "ClientDemande A10, DateCreation TS, DateModification TS, Etat S, Supprimer S, "
                   "DateSuppression TS",
                   "Id");
    t.index = {Ix("AgenceNumero", "DossierNumero;AgenceCode")};
    t.composants = {C("tblDeblocageTauxMarge", true)};
    t.creation = Creation::kDefinition;
    t.regles = {R().AIndex("DossierNumero").RemplacerIndex("DossierNumero", Ix("AgenceNumero", "DossierNumero;AgenceCode"))};
    out->push_back(t);
  }
  {
    TableDef t = T("Prefixe.DB", A, "IdPrefixe S, Libelle A25, Valeur A3", "IdPrefixe");
    t.composants = {C("tblPrefixe")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    TableDef t = T("ClientEvts.DB", A,
                   "IdClientEvt I, IdClientEvtType I, Client A10, Utilisateur A2, DateEvt TS, Description M1, "
                   "DateCreation D",
                   "IdClientEvt");
    t.index = {Ix("ClientEvtsDate", "Client"), Ix("ClientEvtsListe", "DateEvt", false, true)};
    t.composants = {CI("tblClientEvts", "ClientEvtsDate")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    TableDef t = T("ClientEvtsType.DB", A, "IdClientEvtType I, Libelle A50", "IdClientEvtType");
    t.composants = {C("tblClientEvtsType")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    // Older files have ten fields; the upgrade appends Etat.
    TableDef t = T("ClientRaf.DB", A,
                   "IdClientRaf I, IdClientRafType I, Client A10, Utilisateur A2, DateRaf TS, Description M1, "
                   "Quantite I, Potentiel I, DateCreation D, Categorie A20, Etat S",
                   "IdClientRaf");
    t.index = {Ix("ClientRafDate", "Client", false, true), Ix("ClientRafListe", "DateRaf", false, true)};
    t.composants = {C("tblClientRaf")};
    t.creation = Creation::kDefinition;
    t.regles = {R().Nombre(10).Ajouter("Etat S")};
    out->push_back(t);
  }
  {
    TableDef t = T("ClientRafType.DB", A, "IdClientRafType I, Libelle A50", "IdClientRafType");
    t.composants = {C("tblClientRafType")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    // Keyed on its own two identifiers (the field IdClientRafType is not in this table).
    TableDef t = T("ClientChampsPerso.DB", A, "IdClientChampsPerso I, NoChampPerso I, Libelle A50",
                   "IdClientChampsPerso;NoChampPerso");
    t.composants = {C("tblClientChampsPerso")};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
  {
    TableDef t = T("TempTDB.DB", A,
                   "Titre A100, RepresentantNom A60, Mois A20, ClientCode A20, ClientNom A60, "
                   "RepresentantCode A20, NbDevis I, NbCommande I, NbRelances I, DevisVente $, DevisAchat $, "
                   "DevisMargeBrut $, DevisMargeCoef $, CdeVente $, CdeAchat $, CdeMargeBrut $, CdeMargeCoef $, "
                   "CdeTransformation $, Unite A60, Secteur A60, Agence A60",
                   "Titre;RepresentantNom;Mois;ClientCode");
    t.composants = {C("_tblMemory", false, "TFicheTDB")};
    out->push_back(t);
  }
}

void AjouterMesDocs(const std::string& alias, const std::string& composant, const std::string& composantType,
                    std::vector<TableDef>* out) {
  {
    // Fournisseur, Famille, Modele in this order, as the file is created and as
    // the document transfer carries them.
    TableDef t = T("MesDocs.DB", alias,
                   "Externe S, IdDocument I, IdTypeDocument I, Libelle A50, Description A255, DateCreation D, "
                   "Lien A255, LienFlag S, Fournisseur A2, Famille A2, Modele A2, TypeTva S, Popup S, "
                   "DossierNumero A10, CodeClient A10, Print S",
                   "Externe;IdDocument;IdTypeDocument");
    t.composants = {C(composant)};
    t.creation = Creation::kDefinition;
    t.regles = {R().Nombre(12).Ajouter("Popup S, DossierNumero A10, CodeClient A10"),
                R().Nombre(15).Ajouter("Print S")};
    out->push_back(t);
  }
  {
    TableDef t = T("MesDocsType.DB", alias, "Externe S, IdTypeDocument I, IdParent I, Libelle A50",
                   "Externe;IdTypeDocument");
    t.index = {Ix("TypeTri", "Externe;IdParent;IdTypeDocument")};
    t.composants = {C(composantType)};
    t.creation = Creation::kDefinition;
    out->push_back(t);
  }
}

}  // namespace corv::dico
