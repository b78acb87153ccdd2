#include "transfer/squelette.h"

#include "transfer/restauration.h"

#include <algorithm>

#include "data/fonctions_bd.h"
#include "util/text.h"
#include "util/status_text.h"

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

TransfertAgences::~TransfertAgences() {
  // Parcourir has waited for every commit's thread already; this only makes
  // sure of it whatever way the object goes.
  for (auto& v : validations_)
    if (v.fin.valid()) v.fin.wait();
  for (auto& f : finissants_)
    if (f.valid()) f.wait();
}

Dialogs& TransfertAgences::dialogs() { return *dialogs_; }

std::string TransfertAgences::Prefixe(const AgenceTransfert& a) { return " => Agence  : " + a.nom + " - "; }

std::string TransfertAgences::LigneLectureAgence(const AgenceTransfert& a) const {
  return "Lecture de l'agence : " + a.nom;
}

void TransfertAgences::Message(const std::string& ligne) {
  if (!validations_.empty()) validations_.back().differees.emplace_back(false, ligne);
  else Emettre(false, ligne);
}

void TransfertAgences::Erreur(const std::string& ligne) {
  if (!validations_.empty()) validations_.back().differees.emplace_back(true, ligne);
  else Emettre(true, ligne);
}

void TransfertAgences::Emettre(bool erreur, const std::string& ligne) {
  if (erreur) {
    erreurs_.push_back(ligne);
    report_.Error(ligne);
  } else {
    messages_.push_back(ligne);
    report_.Message(ligne);
  }
}

pdx::Status TransfertAgences::ErreurTable(const Composant& c, const AgenceTransfert* a, const pdx::Status& s) const {
  return ErreurTable(c.Fichier(), c.Repertoire(), a, s);
}

pdx::Status TransfertAgences::ErreurTable(const std::string& fichier, const std::string& repertoire,
                                          const AgenceTransfert* a, const pdx::Status& s) const {
  std::string qui = a ? "Agence " + a->nom + " (" + a->code + ")" : std::string("Siège");
  std::string cause = s.IsBusy() ? "la table est utilisée par un autre programme (" + s.message() + ")"
                                 : FrenchText(s);
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

pdx::Status TransfertAgences::SauvegarderFichier(const AgenceTransfert& a, const std::string& repertoireHote,
                                                const std::string& fichier) {
  if (!options_.sauvegarde) return pdx::Status::OK();
  std::string cle = a.code + "|" + FoldCase(fichier);
  // The commits' threads come one after the other already (each waits for the
  // previous commit); the lock keeps it so whatever calls this.
  std::lock_guard<std::mutex> g(sauvegarde_.mutex);
  std::vector<std::string>& faites = sauvegarde_.faites;
  if (std::find(faites.begin(), faites.end(), cle) != faites.end()) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(options_.sauvegarde->AvantModification(a, repertoireHote, fichier));
  faites.push_back(cle);
  return pdx::Status::OK();
}

pdx::Status TransfertAgences::Sauvegarder(Composant& c, const AgenceTransfert& a) {
  // The commits' threads make their agencies' backups: they are done first.
  PDX_RETURN_IF_ERROR(AttendreValidation());
  pdx::Status s = SauvegarderFichier(a, c.RepertoireHote(), c.Fichier());
  return s.ok() ? s : ErreurTable(c, &a, s);
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
  std::unique_ptr<pdx::TableWriter> w = c.DetacherEcrivain();
  if (!w) {
    // Nothing staged: the agency is done once those before it are (the
    // backup waits for them).
    PDX_RETURN_IF_ERROR(Sauvegarder(c, a));
    return Valider(c, a);
  }
  ValidationEnCours v;
  v.fichier = c.Fichier();
  v.repertoire = c.Repertoire();
  v.agence = a;
  const std::string repertoireHote = c.RepertoireHote();
  pdx::Status s = c.Fermer();  // the reading side only: nothing to write
  if (!s.ok()) return ErreurTable(c, &a, s);  // the writer goes unwritten

  // A thread of this agency's own writes its table's new files beside it
  // (nothing of the table changes yet) while earlier agencies commit, then
  // waits for the previous agency's commit: done, it saves this table (its
  // lock is held since its rows were read, so the files saved are those the
  // rows came from) and commits; failed, it drops its files and the table
  // stays as it was. The writer and the backups are the threads' alone, one
  // after the other; nothing else of the run is touched there.
  std::shared_future<bool> precedente = precedente_;
  if (!precedente.valid()) {
    std::promise<bool> premiere;
    premiere.set_value(true);
    precedente = premiere.get_future().share();
  }
  std::promise<bool> commise;
  precedente_ = commise.get_future().share();
  std::promise<pdx::Status> fait;
  v.resultat = fait.get_future();
  v.fin = std::async(std::launch::async, [this, w = std::move(w), precedente, commise = std::move(commise),
                                          fait = std::move(fait), agence = a, repertoireHote,
                                          fichier = v.fichier]() mutable {
    std::unique_ptr<pdx::PendingClose> attente;
    const pdx::Status ecrit = w->CloseStaged(&attente);
    // Saved whether or not the new files could be written: the backup holds
    // every table the run began to change.
    pdx::Status r = precedente.get() ? SauvegarderFichier(agence, repertoireHote, fichier)
                                     : pdx::Status::IOError(fichier + " : l'écriture d'une agence précédente a échoué");
    if (r.ok()) r = ecrit;
    if (r.ok()) r = attente->Commit();
    commise.set_value(r.ok());
    fait.set_value(r);
    // Once the result is out: the table released, and the space of the
    // files the commit replaced given back (which may wait for the disk),
    // beside the next agency's commit rather than before it.
    attente.reset();
    w.reset();
  });
  validations_.push_back(std::move(v));
  agenceEnArrierePlan_ = true;
  // The commits known done are taken in; more than two waiting, the oldest
  // is waited for (each holds its table's rows and new files in memory).
  while (!validations_.empty()) {
    const bool pret =
        validations_.front().resultat.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    if (!pret && validations_.size() <= 2) break;
    PDX_RETURN_IF_ERROR(ResoudreValidation());
  }
  return pdx::Status::OK();
}

pdx::Status TransfertAgences::ResoudreValidation() {
  ValidationEnCours v = std::move(validations_.front());
  validations_.pop_front();
  pdx::Status s = v.resultat.get();
  finissants_.push_back(std::move(v.fin));
  // Two tables let go at a time at most.
  while (finissants_.size() > 2) {
    finissants_.front().wait();
    finissants_.pop_front();
  }
  if (!s.ok()) {
    // What followed never happened, as far as the lists go; the threads
    // after this one drop their files.
    for (auto& x : validations_) {
      x.resultat.wait();
      finissants_.push_back(std::move(x.fin));
    }
    validations_.clear();
    precedente_ = {};
    return ErreurTable(v.fichier, v.repertoire, &v.agence, s);
  }
  if (resultat_) ++resultat_->agencesTraitees;
  // Its lines go out before those held behind later commits.
  for (const auto& [erreur, ligne] : v.differees) Emettre(erreur, ligne);
  return pdx::Status::OK();
}

pdx::Status TransfertAgences::AttendreValidation() {
  while (!validations_.empty()) PDX_RETURN_IF_ERROR(ResoudreValidation());
  return pdx::Status::OK();
}

ResultatRun TransfertAgences::Lancer() {
  const auto debut = std::chrono::system_clock::now();
  ResultatRun r = LancerSeul();
  EcrireJournal(debut, &r);
  return r;
}

void TransfertAgences::EcrireJournal(std::chrono::system_clock::time_point debut, ResultatRun* r) {
  JournalRun j;
  j.sorte = NomSorte(Sorte());
  j.libelle = LibelleSorte(j.sorte);
  j.simulation = Simulation();
  j.debut = debut;
  j.fin = std::chrono::system_clock::now();
  j.options = OptionsJournal();
  if (!Simulation() && options_.sauvegarde && !options_.sauvegarde->Nom().empty())
    j.options.push_back({"Sauvegarde des tables modifiées", options_.sauvegarde->Nom()});
  switch (r->fin) {
    case ResultatRun::Fin::kTerminee: j.resultat = "Terminé"; break;
    case ResultatRun::Fin::kArretee: j.resultat = "Arrêté à la demande après l'agence en cours"; break;
    case ResultatRun::Fin::kErreur: j.resultat = "Erreur : " + r->erreur; break;
    case ResultatRun::Fin::kRefusee: j.resultat = "Refusé : " + r->erreur; break;
  }
  // A refused run logged nothing: the lists of an earlier run are not its own.
  if (r->fin != ResultatRun::Fin::kRefusee) {
    j.messages = messages_;
    j.erreurs = erreurs_;
  }
  const std::string ini = options_.fichierIniBde.empty() ? host_.ToHost(chemins_.FichierIniBde()) : options_.fichierIniBde;
  pdx::Status s = EcrireJournalRun(host_.env(), RepertoireJournaux(ini), j, &r->journal.chemin);
  if (!s.ok()) r->journal.erreur = s.message().empty() ? FrenchText(s) : s.message();
}

ResultatRun TransfertAgences::LancerSeul() {
  // One run at a time per installation: a lock held on a file of head office's
  // Administration directory, which the system drops if the process dies.
  std::unique_ptr<pdx::FileLock> verrou;
  std::string admin = session_.Directory(kAliasAdministration).value_or("");
  if (!admin.empty() && host_.DirExists(admin)) {
    std::string chemin = host_.ToHost(WithTrailingBackslash(admin) + kFichierVerrouRun);
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
  {
    std::lock_guard<std::mutex> g(sauvegarde_.mutex);
    sauvegarde_.faites.clear();
  }
  siegeAdministration_ = session_.Directory(kAliasAdministration).value_or("");
  siegeDossiers_ = session_.Directory(kAliasDossiers).value_or("");

  pdx::Status s = Lecture();
  if (s.ok()) s = Parcourir(&r);
  if (s.ok()) s = ApresAgences(r.fin == ResultatRun::Fin::kArretee);
  Restaurer();
  if (sauvegardeOuverte_) {
    std::lock_guard<std::mutex> g(sauvegarde_.mutex);
    options_.sauvegarde->Fin(s.ok() && r.fin == ResultatRun::Fin::kTerminee);
    sauvegardeOuverte_ = false;
  }
  if (!s.ok()) {
    r.fin = ResultatRun::Fin::kErreur;
    r.erreur = s.message().empty() ? FrenchText(s) : s.message();
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
  for (auto& f : finissants_) f.wait();
  finissants_.clear();
  precedente_ = {};
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
    std::lock_guard<std::mutex> g(sauvegarde_.mutex);
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
