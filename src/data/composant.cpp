#include "data/composant.h"

#include "util/text.h"

namespace corv {

Composant::Composant(const Contexte& ctx, const TableDef& def, const ComposantDef& comp)
    : ctx_(ctx), def_(def), comp_(comp), alias_(def.alias), lectureSeule_(comp.lectureSeule),
      index_(comp.index), ordre_(comp.ordre) {}

Composant::~Composant() = default;

void Composant::DefinirAlias(const std::string& alias) {
  Fermer();
  alias_ = alias;
}

std::string Composant::Repertoire() const { return ctx_.session->Directory(alias_).value_or(""); }

std::string Composant::RepertoireHote() const {
  std::string dir = Repertoire();
  return ctx_.host->ToHost(dir.empty() ? "." : dir);
}

bool Composant::FichierExiste() const {
  std::string actual;
  return ctx_.session->Has(alias_) &&
         pdx::FindFileNoCase(ctx_.host->env(), RepertoireHote(), def_.fichier, &actual).ok();
}

pdx::Status Composant::Ouvrir() {
  if (Actif()) return pdx::Status::OK();
  if (!ctx_.session->Has(alias_))
    return pdx::Status::NotFound(def_.fichier + ": named database " + alias_ + " is not defined");
  if (avantOuverture) PDX_RETURN_IF_ERROR(avantOuverture(*this));
  std::unique_ptr<pdx::Table> t;
  PDX_RETURN_IF_ERROR(pdx::Table::Open(ctx_.host->env(), RepertoireHote(), def_.fichier, &t));
  table_ = std::move(t);
  cursor_ = table_->NewCursor();
  pdx::Status s = AppliquerOrdre();
  if (s.ok()) s = cursor_->First();
  if (!s.ok()) Fermer();
  return s;
}

void Composant::Fermer() {
  cursor_.reset();
  table_.reset();
}

pdx::Status Composant::AppliquerOrdre() {
  if (!cursor_) return pdx::Status::OK();
  if (!index_.empty()) return cursor_->SetOrderIndex(index_);
  // An order that is the primary key reads in stored order.
  if (!ordre_.empty()) {
    const auto& info = table_->info();
    bool primary = static_cast<int>(ordre_.size()) == info.keyFieldCount;
    for (size_t i = 0; primary && i < ordre_.size(); ++i)
      primary = EqualsNoCase(info.fields[i].name, ordre_[i]);
    if (!primary) return cursor_->SetOrderFields(ordre_);
  }
  return cursor_->SetOrderPrimary();
}

pdx::Status Composant::DefinirIndex(const std::string& nom) {
  index_ = nom;
  ordre_.clear();
  if (!Actif()) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(AppliquerOrdre());
  return cursor_->First();
}

pdx::Status Composant::DefinirOrdre(const std::vector<std::string>& champs) {
  index_.clear();
  ordre_ = champs;
  if (!Actif()) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(AppliquerOrdre());
  return cursor_->First();
}

std::vector<int> Composant::ChampsIndexCourant() const {
  std::vector<int> out;
  if (!table_) return out;
  const auto& info = table_->info();
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

pdx::Status Composant::Premier() { return cursor_ ? cursor_->First() : Ferme(def_.fichier); }
pdx::Status Composant::Suivant() { return cursor_ ? cursor_->Next() : Ferme(def_.fichier); }
bool Composant::Fin() const { return !cursor_ || cursor_->AtEnd(); }

pdx::Status Composant::Chercher(const std::vector<pdx::Value>& cle, bool* trouve) {
  *trouve = false;
  if (!cursor_) return Ferme(def_.fichier);
  return cursor_->Seek(cle, trouve);
}

pdx::Status Composant::DefinirPlage(const std::vector<pdx::Value>& debut, const std::vector<pdx::Value>& fin) {
  if (!cursor_) return Ferme(def_.fichier);
  return cursor_->SetRange(debut, fin);
}

void Composant::AnnulerPlage() {
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
