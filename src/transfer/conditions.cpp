#include "transfer/conditions.h"

#include <future>
#include <set>

#include "data/fonctions_bd.h"
#include "util/ini.h"
#include "util/text.h"
#include "util/status_text.h"

namespace corv {
namespace {

const char* const kChampsRemise[] = {"Type", "Fournisseur", "Client", "TypeGroupe", "Groupe", "R1", "R2", "CoefTarif"};
constexpr size_t kNbChamps = 8;
constexpr size_t kNbCle = 5;

std::string TexteOuVide(const pdx::Value& v) { return v.blank ? std::string() : v.text; }

}  // namespace

std::string SectionConditions(int mode) { return mode == kModeVente ? "TransfertRemiseVente" : "TransfertRemiseAchat"; }

std::string JournalMessagesConditions(int mode) {
  return mode == kModeVente ? "copie_remises_vente_messages.log" : "copie_remises_achat_messages.log";
}

std::string JournalErreursConditions(int mode) {
  return mode == kModeVente ? "copie_remises_vente_erreurs.log" : "copie_remises_achat_erreurs.log";
}

OptionsConditions LireOptionsConditions(Application& app, int mode) {
  OptionsConditions o;
  o.mode = mode;
  IniFile ini;
  std::string chemin = app.host().ToHost(app.chemins().FichierIniCorvanes());
  if (!IniFile::Load(app.host().env(), chemin, &ini).ok()) return o;
  std::string s = SectionConditions(mode);
  o.suppression = ini.ReadBool(s, "SuppressionRemisesAgence", o.suppression);
  o.ajoutFournisseurs = ini.ReadBool(s, "AjoutFournisseursSansRemises", o.ajoutFournisseurs);
  o.zoneLibre = ini.ReadBool(s, "InclureFournisseursZoneLibre", o.zoneLibre);
  o.details = ini.ReadBool(s, "AfficherInfosDetaillees", o.details);
  return o;
}

TransfertConditions::TransfertConditions(Application& app, RunReport& report, OptionsRun run,
                                         OptionsConditions options)
    : TransfertAgences(app, report, std::move(run)),
      opt_(options),
      rxmdRemise_(*TrouverTableMemoire("rxmdRemise")),
      rxmdFournisseur_(*TrouverTableMemoire("rxmdFournisseur")) {}

SorteTransfert TransfertConditions::Sorte() const {
  return opt_.mode == kModeVente ? SorteTransfert::kConditionsVente : SorteTransfert::kConditionsAchat;
}

bool TransfertConditions::ZoneLibre(const std::string& code) const {
  auto it = nomsMaj_.find(code);
  return it != nomsMaj_.end() && it->second.rfind("zLibre", 0) == 0;
}

pdx::Status TransfertConditions::LireFournisseursMaj() {
  maj_.clear();
  nomsMaj_.clear();
  // The reference supplier list has head office's supplier layout; it is read
  // as it is (no upgrade: it is not ours to change).
  const TableDef* def = TrouverTable(kAliasAdministration, "FOURNIS.DB");
  if (!def) return pdx::Status::NotFound("FOURNIS.DB: not in the dictionary");
  ComposantDef cd;
  cd.nom = "tblFournisseurMaj";
  cd.lectureSeule = true;
  Contexte ctx{&session(), &host()};
  Composant maj(ctx, *def, cd);
  maj.DefinirAlias(kAliasMaj).IgnoreError();  // a fresh component: nothing open to close
  PDX_RETURN_IF_ERROR(OuvrirTable(maj));
  int fCode = maj.NumeroChamp("Code"), fNom = maj.NumeroChamp("Nom");
  if (fCode == 0 || fNom == 0)
    return ErreurTable(maj, nullptr, pdx::Status::Corruption("no field Code or Nom"));
  pdx::Status s = maj.Premier();
  while (s.ok() && !maj.Fin()) {
    std::string code, nom;
    s = maj.Texte(fCode, &code);
    if (s.ok()) s = maj.Texte(fNom, &nom);
    if (!s.ok()) break;
    maj_.emplace_back(code, nom);
    nomsMaj_.emplace(code, nom);
    s = maj.Suivant();
  }
  if (!s.ok()) return ErreurTable(maj, nullptr, s);
  return maj.Fermer();
}

std::string TransfertConditions::TexteRemise(size_t ligne) const {
  std::string t;
  for (size_t f = 0; f < kNbChamps; ++f) {
    if (f) t += ", ";
    t += TexteValeur(rxmdRemise_.Get(ligne, static_cast<int>(f + 1)), rxmdRemise_.fields()[f].type);
  }
  return t;
}

pdx::Status TransfertConditions::Lecture() {
  const int mode = opt_.mode;
  report().ReadingLabel("Lecture de la table remise");
  rxmdRemise_.Clear();
  rxmdFournisseur_.Clear();
  remises_.clear();
  if (!opt_.zoneLibre || (opt_.suppression && opt_.ajoutFournisseurs)) PDX_RETURN_IF_ERROR(LireFournisseursMaj());

  Composant& rem = dm()["tblRemise"];
  PDX_RETURN_IF_ERROR(OuvrirTable(rem));
  int champs[kNbChamps];
  for (size_t f = 0; f < kNbChamps; ++f) {
    champs[f] = rem.NumeroChamp(kChampsRemise[f]);
    if (champs[f] == 0)
      return ErreurTable(rem, nullptr, pdx::Status::Corruption(std::string("no field ") + kChampsRemise[f]));
  }
  bool nonVide = false;
  pdx::Status s = FiltrerTable(rem, dialogs(), {pdx::Value::Int(mode)}, &nonVide);
  if (!s.ok()) return ErreurTable(rem, nullptr, s);
  std::vector<MemTable::Row> lignes;
  for (; s.ok() && !rem.Fin(); s = rem.Suivant()) {
    MemTable::Row row(kNbChamps);
    for (size_t f = 0; f < kNbChamps && s.ok(); ++f) s = rem.Valeur(champs[f], &row[f]);
    if (!s.ok()) break;
    lignes.push_back(std::move(row));
  }
  if (!s.ok()) return ErreurTable(rem, nullptr, s);
  rem.AnnulerPlage();
  PDX_RETURN_IF_ERROR(rem.Fermer());

  const int total = static_cast<int>(lignes.size());
  Message("Lecture de la table remise - Nombre total de remises : " + std::to_string(total));
  report().RowProgress(0, total);
  std::string precedent;
  bool premier = true;
  for (int k = 0; k < total; ++k) {
    MemTable::Row& row = lignes[static_cast<size_t>(k)];
    std::string fournisseur = TexteOuVide(row[1]);
    bool garder = true;
    if (!opt_.conditionsParticulieres && !TexteOuVide(row[2]).empty()) garder = false;
    if (garder && !opt_.zoneLibre && ZoneLibre(fournisseur)) garder = false;
    if (garder) {
      PDX_RETURN_IF_ERROR(rxmdRemise_.Append(std::move(row)));
      if (opt_.details)
        Message("Lecture de la table remise - Ajout de la remise  en mémoire : " + TexteRemise(rxmdRemise_.size() - 1));
      if (premier || fournisseur != precedent) {
        PDX_RETURN_IF_ERROR(rxmdFournisseur_.Append({pdx::Value::Text(fournisseur)}));
        Message("Lecture de la table remise - Ajout du fournisseur en mémoire : " + fournisseur);
      }
      precedent = fournisseur;
      premier = false;
    }
    report().RowProgress(k + 1, total);
  }
  PDX_RETURN_IF_ERROR(rxmdRemise_.Sort("Type;Fournisseur;Client;TypeGroupe;Groupe"));
  PDX_RETURN_IF_ERROR(rxmdFournisseur_.Sort("Fournisseur"));

  if (opt_.suppression && opt_.ajoutFournisseurs) {
    std::set<std::string> connus;
    for (const auto& r : rxmdFournisseur_) connus.insert(TexteOuVide(r[0]));
    for (const auto& [code, nom] : maj_) {
      if (connus.count(code)) continue;
      if (!opt_.zoneLibre && nom.rfind("zLibre", 0) == 0) continue;
      PDX_RETURN_IF_ERROR(rxmdFournisseur_.Append({pdx::Value::Text(code)}));
      connus.insert(code);
      Message("Lecture de la table Fournisseur - Ajout du fournisseur en mémoire : " + code + " => " + nom);
    }
  }

  remises_.assign(rxmdRemise_.size(), TRemiseCommerciale());
  codesRemises_.clear();
  fournisseurRemise_.assign(rxmdRemise_.size(), 0);
  lots_.clear();
  std::map<std::string, size_t> indexCode;
  for (size_t i = 0; i < rxmdRemise_.size(); ++i) {
    const MemTable::Row& row = rxmdRemise_[i];
    std::string code = TexteOuVide(row[1]);
    // Sorted: a supplier's rows follow each other, its number is looked up once.
    if (i > 0 && code == codesRemises_[fournisseurRemise_[i - 1]]) {
      fournisseurRemise_[i] = fournisseurRemise_[i - 1];
    } else {
      auto it = indexCode.find(code);
      if (it == indexCode.end()) {
        it = indexCode.emplace(code, codesRemises_.size()).first;
        codesRemises_.push_back(code);
      }
      fournisseurRemise_[i] = it->second;
    }
    auto nombre = [&row](size_t f) { return row[f].blank ? 0.0 : row[f].d; };
    TRemiseCommerciale& rc = remises_[i];
    rc.fournisseur = std::move(code);
    rc.client = TexteOuVide(row[2]);
    rc.typeGroupe = row[3].blank ? 0 : static_cast<int>(row[3].i);
    rc.groupe = TexteOuVide(row[4]);
    pdx::Status c = rc.FixerTaux(nombre(5), nombre(6), nombre(7));
    if (!c.ok()) return pdx::Status::InvalidArgument("Siège : table \"REMISES.DB\" : remise " + TexteRemise(i) + " : " +
                                                     c.message());
  }
  Message("Lecture de la table remise - Nombre de remises à copier : " + std::to_string(rxmdRemise_.size()));
  Message("Lecture de la table remise - Nombre de fournisseur à copier : " + std::to_string(rxmdFournisseur_.size()));
  report().ReadingLabel("Lecture de la table remise effectuée.");
  return pdx::Status::OK();
}

void TransfertConditions::AvantAgences() {
  Message("Lecture de la table Agence dans le répertoire : " + RepertoireSiege());
}

std::string TransfertConditions::LigneLectureAgence(const AgenceTransfert& a) const {
  return "Lecture de l'agence : " + a.nom + " dans le répertoire : " + a.repertoire;
}

namespace {

// The decisions of a conditions transfer on one agency's rows, as the merge
// asks for them; a simulation counts them and changes nothing.
class DecisionsAgence : public pdx::MergeDecider {
 public:
  DecisionsAgence(int mode, const OptionsConditions& opt, bool simulation, int champClient, const int champsTaux[3],
                  const std::vector<TRemiseCommerciale>& remises, Fixed coefficient)
      : mode_(mode), opt_(opt), simulation_(simulation), champClient_(champClient), remises_(remises),
        coefficient_(coefficient) {
    for (int k = 0; k < 3; ++k) champsTaux_[k] = champsTaux[k];
    remplacer.assign(remises.size(), 0);
  }

  std::vector<char> prendre;  // by head office row: its supplier exists at the agency
  std::vector<char> remplacer;  // by head office row: the agency row would take its rates
  long supprimees = 0, gardeesToutes = 0, gardeesClient = 0;
  pdx::Status erreur;

  bool Drop(size_t, const pdx::RecordView& v) override {
    if (!opt_.conditionsParticulieres && !v.IsBlank(champClient_) && !v.Text(champClient_, &tampon_).empty()) {
      ++gardeesToutes;
      ++gardeesClient;
      return false;
    }
    ++supprimees;
    return !simulation_;
  }

  bool Take(size_t i) override { return prendre[i] != 0; }

  bool Replace(size_t i, const pdx::RecordView& v) override {
    bool oui = opt_.ecraser;
    if (!oui) {
      TRemiseCommerciale ra;
      pdx::Status s = ra.FixerTaux(v.Double(champsTaux_[0]), v.Double(champsTaux_[1]), v.Double(champsTaux_[2]));
      if (!s.ok()) {
        if (erreur.ok()) erreur = s;
        return false;
      }
      s = ComparerRemises(mode_, remises_[i], ra, coefficient_, &oui);
      if (!s.ok()) {
        if (erreur.ok()) erreur = s;
        return false;
      }
    }
    remplacer[i] = oui ? 1 : 0;
    return oui && !simulation_;
  }

 private:
  int mode_;
  const OptionsConditions& opt_;
  bool simulation_;
  int champClient_;
  int champsTaux_[3];
  const std::vector<TRemiseCommerciale>& remises_;
  Fixed coefficient_;
  std::string tampon_;
};

}  // namespace

pdx::Status TransfertConditions::TraiterAgence(const AgenceTransfert& a) {
  const int mode = opt_.mode;
  const std::string pre = Prefixe(a);
  Composant& rem = dm()["tblRemise"];
  Composant& fns = dm()["tblFournisseur"];
  PDX_RETURN_IF_ERROR(OuvrirTable(rem, &a));
  // The agency's suppliers: their codes (the table's key) read in one walk,
  // rather than a search of the index for each code. Read beside the opening
  // of the conditions' writer: on a network share each waits for the server
  // in turn, together they wait about once. Only this thread touches the
  // supplier component and the set until the result is taken.
  std::set<std::string> codesAgence;
  auto lectureFournisseurs = std::async(std::launch::async, [this, &fns, &a, &codesAgence]() -> pdx::Status {
    PDX_RETURN_IF_ERROR(OuvrirTable(fns, &a));
    const int fCode = fns.NumeroChamp("Code");
    if (fCode == 0) return ErreurTable(fns, &a, pdx::Status::Corruption("no field Code"));
    pdx::Status s = fns.Premier();
    std::string code;
    for (; s.ok() && !fns.Fin(); s = fns.Suivant()) {
      s = fns.Texte(fCode, &code);
      if (!s.ok()) break;
      codesAgence.insert(code);
    }
    return s.ok() ? s : ErreurTable(fns, &a, s);
  });
  // Its failure comes first, as when it was read before the writer opened.
  auto apresFournisseurs = [&lectureFournisseurs](const pdx::Status& s) {
    pdx::Status f = lectureFournisseurs.valid() ? lectureFournisseurs.get() : pdx::Status::OK();
    return f.ok() ? s : f;
  };

  // The agency's layout, after the data module's upgrade on open.
  const size_t nbChamps = static_cast<size_t>(rem.NombreChamps());
  size_t pos[kNbChamps];
  std::string disposition = std::to_string(nbChamps);
  for (size_t f = 0; f < kNbChamps; ++f) {
    int n = rem.NumeroChamp(kChampsRemise[f]);
    if (n == 0)
      return apresFournisseurs(
          ErreurTable(rem, &a, pdx::Status::Corruption(std::string("no field ") + kChampsRemise[f])));
    pos[f] = static_cast<size_t>(n - 1);
    disposition += "," + std::to_string(n);
  }

  // The table's rows are taken as they are in the file; the deletions, updates
  // and additions are made in memory in one pass, then reach the file in one
  // commit at the end. A simulation works on a preview of the rows, which is
  // never written.
  pdx::TableWriter* w = nullptr;
  std::unique_ptr<pdx::TableWriter> apercu;
  {
    pdx::Status s;
    if (Simulation()) {
      // The rows as the component's open read them: the table is not opened twice.
      pdx::TableWriter::Options o;
      o.preview = true;
      o.rowsOf = rem.table();
      s = pdx::TableWriter::Open(host().env(), rem.RepertoireHote(), rem.Fichier(), o, &apercu);
      if (!s.ok()) s = ErreurTable(rem, &a, s);
      w = apercu.get();
    } else {
      s = EcrivainSansSauvegarde(rem, a, &w);
    }
    PDX_RETURN_IF_ERROR(apresFournisseurs(s));
  }
  std::vector<bool> alphaCle;
  for (size_t f = 0; f < kNbCle; ++f) alphaCle.push_back(rem.Champ(static_cast<int>(pos[f] + 1)).type == pdx::FieldType::kAlpha);

  // The rates: the fields a better head office condition brings.
  const int champsTaux[3] = {static_cast<int>(pos[5] + 1), static_cast<int>(pos[6] + 1), static_cast<int>(pos[7] + 1)};

  // Head office's rows in this layout, made once for every agency of it.
  auto [lot, nouveau] = lots_.try_emplace(disposition);
  pdx::MergeBatch& batch = lot->second;
  if (nouveau) {
    std::vector<std::vector<pdx::Value>> lignes;
    lignes.reserve(rxmdRemise_.size());
    for (size_t i = 0; i < rxmdRemise_.size(); ++i) {
      std::vector<pdx::Value> complet(nbChamps);
      for (size_t f = 0; f < kNbChamps; ++f) complet[pos[f]] = rxmdRemise_[i][f];
      for (size_t f = 0; f < kNbCle; ++f)
        // An empty alpha key field ("all suppliers", "no client") is an empty
        // text, as the writer looks keys up.
        if (alphaCle[f] && complet[pos[f]].blank) complet[pos[f]] = pdx::Value::Text("");
      lignes.push_back(std::move(complet));
    }
    batch.SetRows(std::move(lignes));
    batch.SetUpdateFields({champsTaux[0], champsTaux[1], champsTaux[2]});
  }

  // The suppliers whose conditions are replaced: their rows of this mode are
  // offered for deletion.
  std::vector<std::vector<pdx::Value>> plages;
  if (opt_.suppression) {
    for (const auto& r : rxmdFournisseur_) {
      std::string code = TexteOuVide(r[0]);
      if (!codesAgence.count(code)) {
        Message(pre + "Le fournisseur n'existe pas : " + code);
        continue;
      }
      plages.push_back({pdx::Value::Int(mode), pdx::Value::Text(code)});
    }
  }
  batch.SetDropRanges(std::move(plages));

  DecisionsAgence d(mode, opt_, Simulation(), static_cast<int>(pos[2] + 1), champsTaux, remises_, CoefficientGeneral());
  d.prendre.assign(rxmdRemise_.size(), 0);
  {
    std::vector<char> codeExiste(codesRemises_.size());
    for (size_t c = 0; c < codesRemises_.size(); ++c) codeExiste[c] = codesAgence.count(codesRemises_[c]) ? 1 : 0;
    for (size_t i = 0; i < rxmdRemise_.size(); ++i) d.prendre[i] = codeExiste[fournisseurRemise_[i]];
  }

  pdx::MergeOutcome issue;
  pdx::Status s = w->Merge(batch, d, &issue);
  if (s.ok()) s = d.erreur;
  if (!s.ok()) return ErreurTable(rem, &a, s);

  if (opt_.suppression) {
    Message(pre + "Remises supprimées : " + std::to_string(d.supprimees));
    Message(pre + "Remises conservées (Toutes) : " + std::to_string(d.gardeesToutes));
    Message(pre + "Remises conservées (Client) : " + std::to_string(d.gardeesClient));
  }
  long ajoutees = 0, modifiees = 0;
  for (size_t i = 0; i < rxmdRemise_.size(); ++i) {
    if (issue.rows[i] == pdx::MergeOutcome::kInserted) {
      if (!Simulation() && opt_.details) Message(pre + "Remise ajoutée : " + TexteRemise(i));
      ++ajoutees;
    } else if (d.remplacer[i]) {
      if (!Simulation() && opt_.details) Message(pre + "Remise modifiée : " + TexteRemise(i));
      ++modifiees;
    }
  }
  Message(pre + "Remises ajoutées : " + std::to_string(ajoutees));
  Message(pre + "Remises modifiées : " + std::to_string(modifiees));
  PDX_RETURN_IF_ERROR(fns.Fermer());
  if (Simulation()) return Valider(rem, a);
  return ValiderEnArrierePlan(rem, a);
}

pdx::Status TransfertConditions::EcrireJournaux(const std::string& repertoireHote) {
  pdx::Env* env = host().env();
  std::string dir = repertoireHote;
  if (!dir.empty() && dir.back() != '/') dir += "/";
  auto ecrire = [&](const std::string& nom, const std::vector<std::string>& lignes) -> pdx::Status {
    std::string chemin = dir + nom, tmp = chemin + ".tmp";
    // Code page 1252 and CR LF on every system: the text files the agencies'
    // Windows tools read. A line the code page cannot hold is refused whole.
    std::string texte, ligne;
    for (const auto& l : lignes) {
      if (!Utf8ToCp1252(l, &ligne))
        return pdx::Status::InvalidArgument(chemin + " : la ligne \"" + l + "\" contient un caractère que le code page 1252 ne peut pas enregistrer");
      texte += ligne + "\r\n";
    }
    // Written aside, then renamed: a reader never sees half a log.
    std::unique_ptr<pdx::WritableFile> f;
    PDX_RETURN_IF_ERROR(env->NewWritableFile(tmp, &f));
    pdx::Status s = f->Append(texte.data(), texte.size());
    if (s.ok()) s = f->Close();
    if (s.ok()) s = env->RenameFile(tmp, chemin);
    if (!s.ok()) env->RemoveFile(tmp).IgnoreError();  // best effort: the write's error is reported
    return s;
  };
  PDX_RETURN_IF_ERROR(ecrire(JournalMessagesConditions(opt_.mode), Messages()));
  return ecrire(JournalErreursConditions(opt_.mode), Erreurs());
}

std::vector<std::pair<std::string, std::string>> TransfertConditions::OptionsJournal() const {
  auto oui = [](bool b) -> std::string { return b ? "oui" : "non"; };
  std::vector<std::pair<std::string, std::string>> o;
  o.push_back({"Suppression des remises de l'agence avant la copie", oui(opt_.suppression)});
  if (opt_.suppression) o.push_back({"Ajout des fabricants sans remises", oui(opt_.ajoutFournisseurs)});
  o.push_back({std::string(opt_.mode == kModeVente ? "Copier les remises VENTE" : "Copier les remises ACHAT"),
               opt_.conditionsParticulieres ? "Fournisseur + Conditions particulières" : "Fournisseur"});
  if (!opt_.suppression)
    o.push_back({"Règle de remplacement ligne à ligne",
                 opt_.ecraser ? "On écrase la remise" : "On conserve la meilleure remise"});
  o.push_back({"Inclure les fournisseurs Zone Libre", oui(opt_.zoneLibre)});
  o.push_back({"Afficher les informations détaillées", oui(opt_.details)});
  return o;
}

void TransfertConditions::Terminer(bool complete) {
  repertoireJournaux_.clear();
  if (!complete) return;
  std::string exe = host().ToHost(chemins().RepertoireExe());
  if (EcrireJournaux(exe).ok()) {
    repertoireJournaux_ = exe;
    return;
  }
  // An installed program cannot write beside itself: the logs go beside the
  // installation's "qvrbde.ini", and the message list says so (that line is in
  // the log too).
  std::string ini = OptionsDuRun().fichierIniBde;
  std::string autre = host().ToHost(DirectoryOf(ini).empty() ? "." : DirectoryOf(ini));
  Message("Les fichiers journaux sont écrits dans le répertoire : " + autre);
  pdx::Status s = EcrireJournaux(autre);
  if (s.ok())
    repertoireJournaux_ = autre;
  else
    Erreur("Impossible d'écrire les fichiers journaux dans le répertoire " + autre + " : " + FrenchText(s));
}

}  // namespace corv
