#include "transfer/squelette.h"

#include <algorithm>

#include "data/fonctions_bd.h"
#include "util/text.h"

namespace corv {

std::string NomSorte(SorteTransfert s) {
  switch (s) {
    case SorteTransfert::kConditionsAchat: return "conditions-achat";
    case SorteTransfert::kConditionsVente: return "conditions-vente";
    case SorteTransfert::kPersonnalisations: return "personnalisations";
    case SorteTransfert::kMessagerie: return "messagerie";
    case SorteTransfert::kDocuments: return "documents";
    case SorteTransfert::kNettoyageClients: return "nettoyage-clients";
  }
  return "";
}

// The data module of a run never shows a box: what it would say goes to the
// error list, and questions are answered No.
class TransfertAgences::DialogsRun : public UnattendedDialogs {
 public:
  explicit DialogsRun(TransfertAgences& run) : run_(run) {}
  void Message(MessageKind, const std::string& text, const std::string&) override { run_.Erreur(text); }

 private:
  TransfertAgences& run_;
};

TransfertAgences::TransfertAgences(Application& app, RunReport& report, OptionsRun options)
    : report_(report),
      options_(std::move(options)),
      session_(app.session()),
      host_(app.host()),
      chemins_(app.chemins().exePath(), session_, host_),
      dialogs_(std::make_unique<DialogsRun>(*this)),
      dm_(std::make_unique<TDM>(session_, host_, *dialogs_)),
      coefGeneral_(app.parametres().valeur1.value) {
  if (options_.fichierIniBde.empty()) options_.fichierIniBde = chemins_.FichierIniBde();
}

TransfertAgences::~TransfertAgences() = default;

Dialogs& TransfertAgences::dialogs() { return *dialogs_; }

std::string TransfertAgences::Prefixe(const AgenceTransfert& a) { return " => Agence  : " + a.nom + " - "; }

std::string TransfertAgences::LigneLectureAgence(const AgenceTransfert& a) const {
  return "Lecture de l'agence : " + a.nom;
}

void TransfertAgences::Message(const std::string& ligne) {
  if (validation_) {
    differees_.emplace_back(false, ligne);
    return;
  }
  messages_.push_back(ligne);
  report_.Message(ligne);
}

void TransfertAgences::Erreur(const std::string& ligne) {
  if (validation_) {
    differees_.emplace_back(true, ligne);
    return;
  }
  erreurs_.push_back(ligne);
  report_.Error(ligne);
}

pdx::Status TransfertAgences::ErreurTable(const Composant& c, const AgenceTransfert* a, const pdx::Status& s) const {
  return ErreurTable(c.Fichier(), c.Repertoire(), a, s);
}

pdx::Status TransfertAgences::ErreurTable(const std::string& fichier, const std::string& repertoire,
                                          const AgenceTransfert* a, const pdx::Status& s) const {
  std::string qui = a ? "Agence " + a->nom + " (" + a->code + ")" : std::string("Siège");
  std::string cause = s.IsBusy() ? "la table est utilisée par un autre programme (" + s.message() + ")"
                                 : s.ToString();
  std::string texte = qui + " : table \"" + fichier + "\" du répertoire " + repertoire + " : " + cause;
  switch (s.code()) {
    case pdx::Status::Code::kNotFound: return pdx::Status::NotFound(texte);
    case pdx::Status::Code::kCorruption: return pdx::Status::Corruption(texte);
    case pdx::Status::Code::kBusy: return pdx::Status::Busy(texte);
    case pdx::Status::Code::kInvalidArgument: return pdx::Status::InvalidArgument(texte);
    case pdx::Status::Code::kNotSupported: return pdx::Status::NotSupported(texte);
    default: return pdx::Status::IOError(texte);
  }
}

pdx::Status TransfertAgences::OuvrirTable(Composant& c, const AgenceTransfert* a) {
  if (c.Actif()) return pdx::Status::OK();
  pdx::Status s = c.Ouvrir();
  return s.ok() ? s : ErreurTable(c, a, s);
}

pdx::Status TransfertAgences::EcrivainSansSauvegarde(Composant& c, const AgenceTransfert& a, pdx::TableWriter** w) {
  if (Simulation()) return pdx::Status::InvalidArgument(c.Fichier() + ": a simulation writes nothing");
  pdx::Status s = c.Ecrivain(w);
  return s.ok() ? s : ErreurTable(c, &a, s);
}

pdx::Status TransfertAgences::Sauvegarder(Composant& c, const AgenceTransfert& a) {
  std::string cle = a.code + "|" + FoldCase(c.Fichier());
  if (!options_.sauvegarde || std::find(sauvegardees_.begin(), sauvegardees_.end(), cle) != sauvegardees_.end())
    return pdx::Status::OK();
  pdx::Status s = options_.sauvegarde->AvantModification(a, c.RepertoireHote(), c.Fichier());
  if (!s.ok()) return ErreurTable(c, &a, s);
  sauvegardees_.push_back(cle);
  return pdx::Status::OK();
}

pdx::Status TransfertAgences::Ecrivain(Composant& c, const AgenceTransfert& a, pdx::TableWriter** w) {
  PDX_RETURN_IF_ERROR(EcrivainSansSauvegarde(c, a, w));
  return Sauvegarder(c, a);
}

pdx::Status TransfertAgences::Valider(Composant& c, const AgenceTransfert& a) {
  pdx::Status s = c.Fermer();
  return s.ok() ? s : ErreurTable(c, &a, s);
}

pdx::Status TransfertAgences::ValiderEnArrierePlan(Composant& c, const AgenceTransfert& a) {
  // A thread of this agency's own writes its table's new files beside it
  // (nothing of the table changes yet) while the previous agency's commit
  // syncs, then waits for the word to commit: given once that commit is known
  // done and this table saved, refused when the run ends first, which drops
  // the staged files and leaves the table as it was. The writer is the
  // thread's alone; nothing else of the run is touched there.
  std::unique_ptr<pdx::TableWriter> w = c.DetacherEcrivain();
  std::promise<bool> feu;
  std::promise<pdx::Status> fait;
  std::future<pdx::Status> resultat = fait.get_future();
  std::future<void> tache;
  if (w) {
    tache = std::async(std::launch::async, [w = std::move(w), go = feu.get_future(), fait = std::move(fait)]() mutable {
      std::unique_ptr<pdx::PendingClose> attente;
      pdx::Status s = w->CloseStaged(&attente);
      const bool valider = go.get();
      if (s.ok() && valider) s = attente->Commit();
      fait.set_value(s);
      // Once the result is out: the table released, and the space of the
      // files the commit replaced given back (which may wait for the disk),
      // beside the next agency's commit rather than before it.
      attente.reset();
      w.reset();
    });
  }
  auto renoncer = [&](const pdx::Status& s) {
    if (tache.valid()) {
      feu.set_value(false);
      tache.wait();
    }
    return s;
  };
  pdx::Status s = AttendreValidation();
  if (!s.ok()) return renoncer(s);
  // The table's lock is held since its rows were read: the files saved now
  // are those the rows came from (the staged ones are not the table's).
  s = Sauvegarder(c, a);
  if (!s.ok()) return renoncer(s);
  ValidationEnCours v;
  v.fichier = c.Fichier();
  v.repertoire = c.Repertoire();
  v.agence = a;
  s = c.Fermer();  // the reading side only: nothing to write
  if (!s.ok()) return renoncer(ErreurTable(c, &a, s));
  if (!tache.valid()) return pdx::Status::OK();
  // Its commit runs beside the next agency's reading and merge: the
  // processor's work and the disk's waits overlap. A failure to write the
  // files comes out with the commit's result, as the commit's own would.
  feu.set_value(true);
  v.resultat = std::move(resultat);
  v.fin = std::move(tache);
  validation_ = std::move(v);
  agenceEnArrierePlan_ = true;
  return pdx::Status::OK();
}

pdx::Status TransfertAgences::AttendreValidation() {
  if (!validation_) return pdx::Status::OK();
  pdx::Status s = validation_->resultat.get();
  ValidationEnCours v = std::move(*validation_);
  validation_.reset();
  if (finissant_.valid()) finissant_.wait();
  finissant_ = std::move(v.fin);
  std::vector<std::pair<bool, std::string>> lignes;
  lignes.swap(differees_);
  // Failed: what followed never happened, as far as the lists go.
  if (!s.ok()) return ErreurTable(v.fichier, v.repertoire, &v.agence, s);
  if (resultat_) ++resultat_->agencesTraitees;
  for (const auto& [erreur, ligne] : lignes) {
    if (erreur) Erreur(ligne);
    else Message(ligne);
  }
  return pdx::Status::OK();
}

ResultatRun TransfertAgences::Lancer() {
  // One run at a time per installation: a lock held on a file of head office's
  // Administration directory, which the system drops if the process dies.
  std::unique_ptr<pdx::FileLock> verrou;
  std::string admin = session_.Directory(kAliasAdministration).value_or("");
  if (!admin.empty() && host_.DirExists(admin)) {
    std::string chemin = host_.ToHost(AvecBarreFinale(admin) + kFichierVerrouRun);
    pdx::Status s = host_.env()->LockFile(chemin, &verrou);
    if (s.IsBusy()) {
      ResultatRun r;
      r.fin = ResultatRun::Fin::kRefusee;
      r.erreur = kTexteRunEnCours;
      return r;
    }
    // Any other failure (a read-only directory): the run goes on unguarded,
    // it will not be able to write there anyway.
  }
  return Executer();
}

ResultatRun TransfertAgences::Executer() {
  ResultatRun r;
  messages_.clear();
  erreurs_.clear();
  sauvegardees_.clear();
  siegeAdministration_ = session_.Directory(kAliasAdministration).value_or("");
  siegeDossiers_ = session_.Directory(kAliasDossiers).value_or("");

  pdx::Status s = Lecture();
  if (s.ok()) s = Parcourir(&r);
  if (s.ok()) s = ApresAgences(r.fin == ResultatRun::Fin::kArretee);
  Restaurer();
  if (sauvegardeOuverte_) {
    options_.sauvegarde->Fin(s.ok() && r.fin == ResultatRun::Fin::kTerminee);
    sauvegardeOuverte_ = false;
  }
  if (!s.ok()) {
    r.fin = ResultatRun::Fin::kErreur;
    r.erreur = s.message().empty() ? s.ToString() : s.message();
  }
  std::string fin = TexteFin();
  report_.AgencyLabel(fin);
  const std::string ligne(70, '=');
  Message(ligne);
  Message(fin);
  Message(ligne);
  Message("");
  Terminer(r.fin == ResultatRun::Fin::kTerminee);
  return r;
}

void TransfertAgences::Restaurer() {
  // Every table of the run's data module is closed (a writer not committed is
  // dropped), then the named databases point at head office again.
  for (const auto& c : dm_->Composants())
    if (c->Actif()) c->Abandonner();
  if (!siegeAdministration_.empty()) session_.SetAlias(kAliasAdministration, siegeAdministration_);
  if (!siegeDossiers_.empty()) session_.SetAlias(kAliasDossiers, siegeDossiers_);
}

pdx::Status TransfertAgences::Parcourir(ResultatRun* r) {
  resultat_ = r;
  pdx::Status s = ParcourirAgences(r);
  // A commit still running is waited for on every way out; its failure came
  // first, so it is the run's error.
  pdx::Status v = AttendreValidation();
  // Every table is released before the run says it is over.
  if (finissant_.valid()) finissant_.wait();
  resultat_ = nullptr;
  return v.ok() ? s : v;
}

pdx::Status TransfertAgences::ParcourirAgences(ResultatRun* r) {
  AvantAgences();
  std::unique_ptr<Composant> agences = dm_->NouveauComposant("_tblAgence", "TFicheCopieRemiseAchatVersAgence");
  if (!agences) return pdx::Status::NotFound("Agence.DB: no component");
  PDX_RETURN_IF_ERROR(OuvrirTable(*agences));
  // The agency rows are read first: the walk re-points QuintrelAdministration,
  // and "Agence.DB" is head office's.
  std::vector<AgenceTransfert> liste;
  {
    int fCode = agences->NumeroChamp("Code"), fNom = agences->NumeroChamp("Nom");
    int fRep = agences->NumeroChamp("Repertoire"), fFlag = agences->NumeroChamp("Flag");
    pdx::Status s = agences->Premier();
    while (s.ok() && !agences->Fin()) {
      AgenceTransfert a;
      pdx::Value v;
      if (fCode) PDX_RETURN_IF_ERROR(agences->Texte(fCode, &a.code));
      if (fNom) PDX_RETURN_IF_ERROR(agences->Texte(fNom, &a.nom));
      if (fRep) PDX_RETURN_IF_ERROR(agences->Texte(fRep, &a.repertoire));
      if (fFlag) {
        PDX_RETURN_IF_ERROR(agences->Valeur(fFlag, &v));
        a.flag = v.blank ? 0 : static_cast<int>(v.i);
      }
      a.rang = static_cast<int>(liste.size()) + 1;
      liste.push_back(std::move(a));
      s = agences->Suivant();
    }
    if (!s.ok()) return ErreurTable(*agences, nullptr, s);
    agences->Fermer().IgnoreError();  // read only: nothing to write
  }

  const int n = static_cast<int>(liste.size());
  report_.AgencyProgress(0, n);
  if (options_.sauvegarde && !Simulation()) {
    pdx::Status s = options_.sauvegarde->Debut(Sorte(), std::chrono::system_clock::now());
    if (!s.ok()) return s;
    sauvegardeOuverte_ = true;
  }
  const bool inverse = EligibiliteInversee();
  for (int i = 0; i < n; ++i) {
    const AgenceTransfert& a = liste[static_cast<size_t>(i)];
    Message(LigneLectureAgence(a));
    bool partage = (a.flag & 1) != 0;
    if (!inverse && partage) {
      Erreur(Prefixe(a) + "Ne possède pas son propre répertoire Administration");
    } else if (inverse && !partage) {
      Erreur(Prefixe(a) + "possède son propre répertoire Administration");
    } else if (a.repertoire.empty() || !host_.DirExists(a.repertoire)) {
      Erreur(Prefixe(a) + "Le répertoire n'existe pas : " + a.repertoire);
      RepertoireAbsent(a);
    } else {
      std::string texte = TexteIntegration() + a.nom;
      report_.AgencyLabel(texte);
      Message(texte);
      if (inverse)
        PDX_RETURN_IF_ERROR(ChangerRepertoireBase(session_, kAliasDossiers, "Dossiers", a.repertoire));
      else
        PDX_RETURN_IF_ERROR(ChangerRepertoireBase(session_, kAliasAdministration, "Administration", a.repertoire));
      agenceEnArrierePlan_ = false;
      pdx::Status s = TraiterAgence(a);
      // Whatever the kind left open is closed; after an error, a writer not
      // committed is dropped.
      for (const auto& c : dm_->Composants()) {
        if (!c->Actif()) continue;
        if (!s.ok()) {
          c->Abandonner();
          continue;
        }
        pdx::Status f = c->Fermer();
        if (!f.ok()) s = ErreurTable(*c, &a, f);
      }
      if (!s.ok()) return s;
      if (!agenceEnArrierePlan_) ++r->agencesTraitees;  // else once its commit is done
    }
    report_.AgencyProgress(i + 1, n);
    if (i + 1 < n && report_.StopRequested()) {
      Erreur("Arrêt demandé après l'agence : " + a.nom + " - les agences suivantes ne sont pas traitées.");
      r->fin = ResultatRun::Fin::kArretee;
      break;
    }
  }
  return pdx::Status::OK();
}

}  // namespace corv
