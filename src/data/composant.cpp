#include "data/composant.h"

#include <cmath>

#include "util/text.h"

namespace corv {

Composant::Composant(const Contexte& ctx, const TableDef& def, const ComposantDef& comp)
    : ctx_(ctx), def_(def), comp_(comp), alias_(def.alias), lectureSeule_(comp.lectureSeule),
      index_(comp.index), ordre_(comp.ordre) {}

Composant::~Composant() = default;

pdx::Status Composant::DefinirAlias(const std::string& alias) {
  pdx::Status s = Fermer();
  alias_ = alias;
  return s;
}

std::string Composant::Repertoire() const { return ctx_.session->Directory(alias_).value_or(""); }

std::string Composant::RepertoireHote() const {
  if (table_) return repertoireOuvert_;
  if (indiqueListing_ && Repertoire() == indiqueWindows_) return indiqueHote_;
  return RepertoireAlias();
}

const std::vector<std::string>* Composant::ListingIndique() const {
  return indiqueListing_ && !table_ && Repertoire() == indiqueWindows_ ? indiqueListing_.get() : nullptr;
}

void Composant::OublierIndication() {
  indiqueWindows_.clear();
  indiqueHote_.clear();
  indiqueListing_.reset();
}

bool Composant::FichiersPresents(std::initializer_list<Composant*> composants) {
  for (Composant* c : composants) c->OublierIndication();
  if (composants.size() == 0) return true;
  Composant& premier = **composants.begin();
  const std::string windows = premier.Repertoire();
  bool memeBase = true;
  for (Composant* c : composants) memeBase = memeBase && c->ctx_.session->Has(c->alias_) && c->Repertoire() == windows;
  if (!memeBase) {
    for (Composant* c : composants)
      if (!c->FichierExiste()) return false;
    return true;
  }
  const std::string hote = premier.RepertoireAlias();
  auto noms = std::make_shared<std::vector<std::string>>();
  if (!premier.ctx_.host->env()->GetChildren(hote, noms.get()).ok()) return false;
  for (Composant* c : composants) {
    bool trouve = false;
    for (const auto& n : *noms) trouve = trouve || EqualsNoCase(n, c->def_.fichier);
    if (!trouve) return false;
  }
  for (Composant* c : composants) {
    c->indiqueWindows_ = windows;
    c->indiqueHote_ = hote;
    c->indiqueListing_ = noms;
  }
  return true;
}

std::string Composant::RepertoireAlias() const {
  std::string dir = Repertoire();
  return ctx_.host->ToHost(dir.empty() ? "." : dir);
}

bool Composant::FichierExiste() const {
  std::string actual;
  return ctx_.session->Has(alias_) &&
         pdx::FindFileNoCase(ctx_.host->env(), RepertoireAlias(), def_.fichier, &actual).ok();
}

pdx::Status Composant::Ouvrir() {
  // What FichiersPresents left serves this open only.
  struct Oubli {
    Composant* c;
    ~Oubli() { c->OublierIndication(); }
  } oubli{this};
  if (Actif()) return pdx::Status::OK();
  if (!ctx_.session->Has(alias_))
    return pdx::Status::NotFound(def_.fichier + " : base nommée " + alias_ + " non définie");
  // Only the table the handler of this very open hands over is taken.
  ouverteAvant_.reset();
  if (avantOuverture) {
    pdx::Status s = avantOuverture(*this);
    if (!s.ok()) {
      ouverteAvant_.reset();
      repertoireAvant_.clear();
      return s;
    }
  }
  std::unique_ptr<pdx::Table> t = std::move(ouverteAvant_);
  std::string dir = std::move(repertoireAvant_);
  repertoireAvant_.clear();
  if (!t) {
    dir = RepertoireHote();
    PDX_RETURN_IF_ERROR(pdx::Table::Open(ctx_.host->env(), dir, def_.fichier, &t, ListingIndique()));
  }
  repertoireOuvert_ = std::move(dir);
  table_ = std::move(t);
  cursor_ = table_->NewCursor();
  ordreApplique_ = false;
  pdx::Status s = VerifierOrdre();
  // Just opened, nothing pending: the order's failure is what the caller hears.
  if (!s.ok()) Fermer().IgnoreError();
  return s;
}

pdx::Status Composant::VerifierOrdre() const {
  // Only the index list of the header: reading an index's entries waits for the
  // first use, so opening a large table stays cheap.
  const auto& info = table_->info();
  if (!index_.empty()) {
    for (const auto& ix : info.indexes)
      if (!ix.primary && EqualsNoCase(ix.name, index_)) return pdx::Status::OK();
    return pdx::Status::NotFound(def_.fichier + ": no index named " + index_);
  }
  if (ordre_.empty() || EstCle(ordre_)) return pdx::Status::OK();
  for (const auto& ix : info.indexes) {
    if (ix.primary || ix.fields.size() != ordre_.size()) continue;
    bool same = true;
    for (size_t i = 0; same && i < ordre_.size(); ++i) same = table_->FieldNumber(ordre_[i]) == ix.fields[i];
    if (same) return pdx::Status::OK();
  }
  std::string list;
  for (const auto& f : ordre_) list += (list.empty() ? "" : ";") + f;
  return pdx::Status::NotFound(def_.fichier + ": no index on " + list);
}

bool Composant::EstCle(const std::vector<std::string>& champs) const {
  const auto& info = table_->info();
  if (static_cast<int>(champs.size()) != info.keyFieldCount) return false;
  for (size_t i = 0; i < champs.size(); ++i)
    if (!EqualsNoCase(info.fields[i].name, champs[i])) return false;
  return true;
}

pdx::Status Composant::Pret() const {
  if (!cursor_) return pdx::Status::InvalidArgument(def_.fichier + ": table is not open");
  if (ordreApplique_) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(AppliquerOrdre());
  ordreApplique_ = true;
  if (plage_) return cursor_->SetRange(plageDebut_, plageFin_);
  return cursor_->First();
}

pdx::Status Composant::Fermer() {
  OublierIndication();
  pdx::Status s;
  if (writer_) s = writer_->Close();
  writer_.reset();
  pending_ = false;
  plage_ = false;
  edition_ = Edition::kAucune;
  cursor_.reset();
  table_.reset();
  return s;
}

void Composant::Abandonner() {
  writer_.reset();
  // The writer is gone: closing has nothing left to write and cannot lose data.
  Fermer().IgnoreError();
}

pdx::Status Composant::Synchroniser() {
  if (!pending_ || !writer_) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(writer_->Flush());
  pending_ = false;
  std::unique_ptr<pdx::Table> t;
  PDX_RETURN_IF_ERROR(pdx::Table::Open(ctx_.host->env(), RepertoireHote(), def_.fichier, &t));
  cursor_.reset();
  table_ = std::move(t);
  cursor_ = table_->NewCursor();
  ordreApplique_ = false;
  return Pret();
}

pdx::Status Composant::Modifiable() const {
  if (!cursor_) return pdx::Status::InvalidArgument(def_.fichier + ": table is not open");
  if (lectureSeule_) return pdx::Status::InvalidArgument(def_.fichier + ": table " + comp_.nom + " is read-only");
  return pdx::Status::OK();
}

std::unique_ptr<pdx::TableWriter> Composant::DetacherEcrivain() {
  pending_ = false;
  return std::move(writer_);
}

pdx::Status Composant::Ecrivain(pdx::TableWriter** w) {
  PDX_RETURN_IF_ERROR(Modifiable());
  if (!writer_) {
    std::unique_ptr<pdx::TableWriter> tw;
    pdx::TableWriter::Options o;
    // The engine's network directory ("NetDir" of "qvrbde.ini"): its
    // PDOXUSRS.NET held open means the agencies' program is at work.
    if (ctx_.session && !ctx_.session->NetDir().empty()) o.lock.netDir = ctx_.host->ToHost(ctx_.session->NetDir());
    PDX_RETURN_IF_ERROR(pdx::TableWriter::Open(ctx_.host->env(), RepertoireHote(), def_.fichier, o, &tw));
    writer_ = std::move(tw);
  }
  *w = writer_.get();
  return pdx::Status::OK();
}

void Composant::CleTexteVide(std::vector<pdx::Value>* valeurs) const {
  // An empty alpha key field ("all suppliers", "no client") is stored as blank;
  // the writer takes it as an empty text.
  int keys = table_->info().keyFieldCount;
  for (int i = 0; i < keys && i < static_cast<int>(valeurs->size()); ++i) {
    pdx::Value& v = (*valeurs)[static_cast<size_t>(i)];
    if (v.blank && table_->info().fields[static_cast<size_t>(i)].type == pdx::FieldType::kAlpha)
      v = pdx::Value::Text("");
  }
}

pdx::Status Composant::LigneCourante(const std::vector<pdx::Value>& valeurs, pdx::RowId* row) {
  pdx::TableWriter* w = nullptr;
  PDX_RETURN_IF_ERROR(Ecrivain(&w));
  int keys = table_->info().keyFieldCount;
  if (keys > 0) {
    std::vector<pdx::Value> key(valeurs.begin(), valeurs.begin() + keys);
    CleTexteVide(&key);
    return w->Find(key, row);
  }
  // Not keyed: the first row holding exactly these values.
  std::vector<pdx::Value> v;
  for (pdx::RowId r : w->Rows()) {
    PDX_RETURN_IF_ERROR(w->Get(r, &v));
    bool same = v.size() == valeurs.size();
    for (size_t i = 0; same && i < v.size(); ++i)
      same = v[i].blank == valeurs[i].blank && v[i].i == valeurs[i].i && v[i].b == valeurs[i].b &&
             v[i].text == valeurs[i].text && (v[i].d == valeurs[i].d || (std::isnan(v[i].d) && std::isnan(valeurs[i].d)));
    if (same) {
      *row = r;
      return pdx::Status::OK();
    }
  }
  return pdx::Status::NotFound(def_.fichier + " : l'enregistrement courant n'est plus dans la table");
}

pdx::Status Composant::Inserer() {
  PDX_RETURN_IF_ERROR(Modifiable());
  tampon_.assign(static_cast<size_t>(NombreChamps()), pdx::Value{});
  edition_ = Edition::kInsertion;
  return pdx::Status::OK();
}

pdx::Status Composant::Editer() {
  PDX_RETURN_IF_ERROR(Modifiable());
  PDX_RETURN_IF_ERROR(Enregistrement(&origine_));
  tampon_ = origine_;
  edition_ = Edition::kModification;
  return pdx::Status::OK();
}

pdx::Status Composant::FixerValeur(int numero, pdx::Value v) {
  if (!EnEdition()) return pdx::Status::InvalidArgument(def_.fichier + ": not in insert or edit mode");
  if (numero < 1 || numero > NombreChamps())
    return pdx::Status::InvalidArgument(def_.fichier + ": no field number " + std::to_string(numero));
  tampon_[static_cast<size_t>(numero - 1)] = std::move(v);
  return pdx::Status::OK();
}

pdx::Status Composant::FixerValeur(const std::string& champ, pdx::Value v) {
  int n = NumeroChamp(champ);
  if (n == 0) return pdx::Status::InvalidArgument(def_.fichier + ": no field " + champ);
  return FixerValeur(n, std::move(v));
}

pdx::Status Composant::Valider() {
  if (!EnEdition()) return pdx::Status::InvalidArgument(def_.fichier + ": not in insert or edit mode");
  pdx::TableWriter* w = nullptr;
  PDX_RETURN_IF_ERROR(Ecrivain(&w));
  CleTexteVide(&tampon_);
  if (edition_ == Edition::kModification) {
    pdx::RowId row = 0;
    PDX_RETURN_IF_ERROR(LigneCourante(origine_, &row));
    PDX_RETURN_IF_ERROR(w->Update(row, tampon_));
  } else {
    PDX_RETURN_IF_ERROR(w->Insert(tampon_));
  }
  edition_ = Edition::kAucune;
  pending_ = true;
  if (apresValidation) return apresValidation(*this);
  return pdx::Status::OK();
}

pdx::Status Composant::Supprimer() {
  PDX_RETURN_IF_ERROR(Modifiable());
  std::vector<pdx::Value> v;
  PDX_RETURN_IF_ERROR(Enregistrement(&v));
  pdx::RowId row = 0;
  PDX_RETURN_IF_ERROR(LigneCourante(v, &row));
  PDX_RETURN_IF_ERROR(writer_->Delete(row));
  pending_ = true;
  return cursor_->Next();
}

pdx::Status Composant::InsererOuRemplacer(const std::vector<pdx::Value>& valeurs, size_t copies) {
  pdx::TableWriter* w = nullptr;
  PDX_RETURN_IF_ERROR(Ecrivain(&w));
  std::vector<pdx::Value> rec = valeurs;
  rec.resize(static_cast<size_t>(NombreChamps()));
  CleTexteVide(&rec);
  auto keys = static_cast<size_t>(table_->info().keyFieldCount);
  pdx::RowId row = 0;
  pdx::Status found = pdx::Status::NotFound("");
  if (keys > 0) found = w->Find(std::vector<pdx::Value>(rec.begin(), rec.begin() + static_cast<long>(keys)), &row);
  if (!found.ok() && !found.IsNotFound()) return found;
  if (found.ok()) {
    std::vector<pdx::Value> old;
    PDX_RETURN_IF_ERROR(w->Get(row, &old));
    for (size_t i = copies; i < rec.size() && i < old.size(); ++i) rec[i] = old[i];
    PDX_RETURN_IF_ERROR(w->Update(row, rec));
  } else {
    PDX_RETURN_IF_ERROR(w->Insert(rec));
  }
  pending_ = true;
  if (apresValidation) return apresValidation(*this);
  return pdx::Status::OK();
}

pdx::Status Composant::Vider() {
  pdx::TableWriter* w = nullptr;
  PDX_RETURN_IF_ERROR(Ecrivain(&w));
  PDX_RETURN_IF_ERROR(w->Empty());
  pending_ = true;
  return Synchroniser();
}

pdx::Status Composant::Enregistrer() {
  if (!writer_) return pdx::Status::OK();
  return writer_->Flush();
}

pdx::Status Composant::AppliquerOrdre() const {
  if (!index_.empty()) return cursor_->SetOrderIndex(index_);
  // An order that is the primary key reads in stored order.
  if (!ordre_.empty() && !EstCle(ordre_)) return cursor_->SetOrderFields(ordre_);
  return cursor_->SetOrderPrimary();
}

pdx::Status Composant::DefinirIndex(const std::string& nom) {
  index_ = nom;
  ordre_.clear();
  return NouvelOrdre();
}

pdx::Status Composant::DefinirOrdre(const std::vector<std::string>& champs) {
  index_.clear();
  ordre_ = champs;
  return NouvelOrdre();
}

pdx::Status Composant::NouvelOrdre() {
  if (!Actif()) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(Synchroniser());
  plage_ = false;
  ordreApplique_ = false;
  PDX_RETURN_IF_ERROR(VerifierOrdre());
  return Pret();
}

std::vector<int> Composant::ChampsIndexCourant() const {
  std::vector<int> out;
  if (!table_) return out;
  const auto& info = table_->info();
  if (!ordre_.empty() && EstCle(ordre_)) {
    for (int i = 1; i <= info.keyFieldCount; ++i) out.push_back(i);
    return out;
  }
  if (!index_.empty()) {
    for (const auto& ix : info.indexes)
      if (!ix.primary && EqualsNoCase(ix.name, index_)) return ix.fields;
    return out;
  }
  if (!ordre_.empty()) {
    for (const auto& n : ordre_) out.push_back(table_->FieldNumber(n));
    return out;
  }
  for (int i = 1; i <= info.keyFieldCount; ++i) out.push_back(i);
  return out;
}

static pdx::Status Ferme(const std::string& f) { return pdx::Status::InvalidArgument(f + ": table is not open"); }

pdx::Status Composant::Premier() {
  if (!cursor_) return Ferme(def_.fichier);
  PDX_RETURN_IF_ERROR(Synchroniser());
  PDX_RETURN_IF_ERROR(Pret());
  return cursor_->First();
}
pdx::Status Composant::Suivant() {
  PDX_RETURN_IF_ERROR(Pret());
  return cursor_->Next();
}

bool Composant::Fin() const { return !Pret().ok() || cursor_->AtEnd(); }

pdx::Status Composant::Chercher(const std::vector<pdx::Value>& cle, bool* trouve) {
  *trouve = false;
  if (!cursor_) return Ferme(def_.fichier);
  PDX_RETURN_IF_ERROR(Synchroniser());
  PDX_RETURN_IF_ERROR(Pret());
  return cursor_->Seek(cle, trouve);
}

pdx::Status Composant::DefinirPlage(const std::vector<pdx::Value>& debut, const std::vector<pdx::Value>& fin) {
  if (!cursor_) return Ferme(def_.fichier);
  PDX_RETURN_IF_ERROR(Synchroniser());
  PDX_RETURN_IF_ERROR(Pret());
  plage_ = true;
  plageDebut_ = debut;
  plageFin_ = fin;
  return cursor_->SetRange(debut, fin);
}

void Composant::AnnulerPlage() {
  plage_ = false;
  if (cursor_) cursor_->ClearRange();
}

int Composant::NombreChamps() const { return table_ ? static_cast<int>(table_->info().fields.size()) : 0; }

const pdx::FieldDesc& Composant::Champ(int numero) const {
  return table_->info().fields[static_cast<size_t>(numero - 1)];
}

int Composant::NumeroChamp(const std::string& nom) const { return table_ ? table_->FieldNumber(nom) : 0; }

uint32_t Composant::NombreEnregistrements() const { return table_ ? table_->info().recordCount : 0; }

pdx::Status Composant::Verifier(int numero) const {
  if (!cursor_) return Ferme(def_.fichier);
  PDX_RETURN_IF_ERROR(Pret());
  if (numero < 1 || numero > NombreChamps())
    return pdx::Status::InvalidArgument(def_.fichier + ": no field number " + std::to_string(numero));
  if (cursor_->AtEnd()) return pdx::Status::NotFound(def_.fichier + ": no current record");
  return pdx::Status::OK();
}

pdx::Status Composant::Valeur(int numero, pdx::Value* v) const {
  PDX_RETURN_IF_ERROR(Verifier(numero));
  return cursor_->GetValue(numero, v);
}

pdx::Status Composant::Texte(int numero, std::string* s) const {
  PDX_RETURN_IF_ERROR(Verifier(numero));
  return cursor_->GetText(numero, s);
}

pdx::Status Composant::Enregistrement(std::vector<pdx::Value>* valeurs) const {
  valeurs->assign(static_cast<size_t>(NombreChamps()), pdx::Value{});
  for (int i = 1; i <= NombreChamps(); ++i) PDX_RETURN_IF_ERROR(Valeur(i, &(*valeurs)[static_cast<size_t>(i - 1)]));
  return pdx::Status::OK();
}

}  // namespace corv
