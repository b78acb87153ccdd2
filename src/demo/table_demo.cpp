#include "demo/table_demo.h"

#include <algorithm>
#include <stdexcept>

#include "data/creation.h"
#include "util/text.h"

namespace corv::demo {
namespace {

std::string Majuscules(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

}  // namespace

std::string Couper(const std::string& s, size_t n) {
  size_t chars = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (chars == n) return s.substr(0, i);
      ++chars;
    }
  }
  return s;
}

Disposition Actuelle(const TableDef& t) { return Disposition{t.champs, t.cle, t.index}; }

Disposition Ancienne(const TableDef& t, int nombre, const std::vector<Retouche>& retouches) {
  Disposition d;
  d.champs.assign(t.champs.begin(), t.champs.begin() + std::min<size_t>(nombre, t.champs.size()));
  for (const Retouche& r : retouches)
    if (r.champ >= 1 && r.champ <= static_cast<int>(d.champs.size())) d.champs[r.champ - 1] = r.ancien;
  auto present = [&d](const std::string& nom) {
    return std::any_of(d.champs.begin(), d.champs.end(), [&](const ChampDef& c) { return EqualsNoCase(c.nom, nom); });
  };
  for (const std::string& k : t.cle)
    if (present(k)) d.cle.push_back(k);
  for (const IndexDef& i : t.index)
    if (std::all_of(i.champs.begin(), i.champs.end(), present)) d.index.push_back(i);
  return d;
}

pdx::TableDefinition DefinitionMoteur(const Disposition& d) {
  pdx::TableDefinition def;
  for (const ChampDef& c : d.champs) def.fields.push_back(DescripteurChamp(c));
  def.keyFieldCount = static_cast<int>(d.cle.size());
  for (const IndexDef& i : d.index) def.indexes.push_back(IndexMoteur(i));
  def.blockSizeKiB = d.blocKiB;
  return def;
}

const TableDef& Def(const char* alias, const char* fichier) {
  const TableDef* t = TrouverTable(alias, fichier);
  if (!t) throw std::logic_error(std::string("no dictionary table ") + alias + "/" + fichier);
  return *t;
}

pdx::Status TableDemo::Creer(pdx::Env* env, const std::string& hostDir, const TableDef& t, const Disposition& d,
                             std::unique_ptr<TableDemo>* out) {
  std::unique_ptr<TableDemo> tab(new TableDemo());
  tab->fichier_ = t.fichier;
  tab->champs_ = d.champs;
  tab->nombreChamps_ = d.champs.size();
  for (size_t i = 0; i < d.champs.size(); ++i) tab->index_.emplace(Majuscules(d.champs[i].nom), static_cast<int>(i));
  pdx::Status s = pdx::TableWriter::Create(env, hostDir, t.fichier, DefinitionMoteur(d), {}, &tab->w_);
  if (!s.ok()) return pdx::Status::InvalidArgument("creating " + t.fichier + " in " + hostDir + ": " + s.message());
  *out = std::move(tab);
  return pdx::Status::OK();
}

int TableDemo::Champ(const std::string& nom) const {
  auto it = index_.find(Majuscules(nom));
  return it == index_.end() ? -1 : it->second;
}

TableDemo::Ligne& TableDemo::Ligne::Txt(int champ, const std::string& s) {
  if (champ < 0) return *this;
  const ChampDef& c = t_->champs_[static_cast<size_t>(champ)];
  v_[static_cast<size_t>(champ)] =
      pdx::Value::Text(c.type == pdx::FieldType::kAlpha ? Couper(s, static_cast<size_t>(c.taille)) : s);
  return *this;
}

TableDemo::Ligne& TableDemo::Ligne::Int(int champ, int64_t i) {
  if (champ < 0) return *this;
  const ChampDef& c = t_->champs_[static_cast<size_t>(champ)];
  // A field widened from integer to number in a later layout takes the same value.
  if (c.type == pdx::FieldType::kNumber || c.type == pdx::FieldType::kMoney)
    v_[static_cast<size_t>(champ)] = pdx::Value::Double(static_cast<double>(i));
  else
    v_[static_cast<size_t>(champ)] = pdx::Value::Int(i);
  return *this;
}

TableDemo::Ligne& TableDemo::Ligne::Num(int champ, double d) {
  if (champ < 0) return *this;
  const ChampDef& c = t_->champs_[static_cast<size_t>(champ)];
  if (c.type == pdx::FieldType::kShort || c.type == pdx::FieldType::kLong)
    v_[static_cast<size_t>(champ)] = pdx::Value::Int(static_cast<int64_t>(d));
  else
    v_[static_cast<size_t>(champ)] = pdx::Value::Double(d);
  return *this;
}

TableDemo::Ligne& TableDemo::Ligne::Vide(int champ) {
  if (champ >= 0) v_[static_cast<size_t>(champ)] = pdx::Value::Blank();
  return *this;
}

pdx::Status TableDemo::Ajouter(const Ligne& l) {
  pdx::Status s = w_->Insert(l.valeurs());
  if (!s.ok()) return s;
  ++nombre_;
  return pdx::Status::OK();
}

pdx::Status TableDemo::Fermer() {
  pdx::Status s = w_->Close();
  w_.reset();
  return s;
}

}  // namespace corv::demo
