#include "data/memtable.h"

#include <algorithm>

#include "util/text.h"

namespace corv {
namespace {

using FT = pdx::FieldType;

bool IsInt(FT t) { return t == FT::kShort || t == FT::kLong || t == FT::kAutoInc; }
bool IsDouble(FT t) {
  return t == FT::kNumber || t == FT::kMoney || t == FT::kDate || t == FT::kTimestamp || t == FT::kTime;
}

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

int CompareValues(const pdx::Value& a, const pdx::Value& b, FT type, bool caseSensitive) {
  if (a.blank || b.blank) return a.blank == b.blank ? 0 : (a.blank ? -1 : 1);
  if (IsInt(type)) return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
  if (IsDouble(type)) return a.d < b.d ? -1 : (a.d > b.d ? 1 : 0);
  if (type == FT::kLogical) return a.b == b.b ? 0 : (a.b ? 1 : -1);
  if (!caseSensitive) return CompareNoCase(a.text, b.text);
  int c = a.text.compare(b.text);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

MemTable::MemTable(std::string name, std::vector<ChampDef> fields)
    : name_(std::move(name)), fields_(std::move(fields)) {}

int MemTable::FieldNumber(const std::string& name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (EqualsNoCase(fields_[i].nom, name)) return static_cast<int>(i + 1);
  return 0;
}

pdx::Status MemTable::Check(int field, const pdx::Value& v) const {
  if (v.blank) return pdx::Status::OK();
  const ChampDef& f = fields_[static_cast<size_t>(field - 1)];
  auto bad = [&](const std::string& why) {
    return pdx::Status::InvalidArgument(name_ + "." + f.nom + ": " + why);
  };
  if (f.type == FT::kAlpha && Utf8Length(v.text) > static_cast<size_t>(f.taille))
    return bad("texte de plus de " + std::to_string(f.taille) + " caractères");
  if (f.type == FT::kShort && (v.i < -32768 || v.i > 32767)) return bad("valeur hors des limites d'un entier court");
  if ((f.type == FT::kLong || f.type == FT::kAutoInc) && (v.i < INT32_MIN || v.i > INT32_MAX))
    return bad("valeur hors des limites d'un entier long");
  return pdx::Status::OK();
}

pdx::Status MemTable::Append(Row row) {
  if (row.size() > fields_.size())
    return pdx::Status::InvalidArgument(name_ + ": " + std::to_string(row.size()) + " values for " +
                                        std::to_string(fields_.size()) + " fields");
  row.resize(fields_.size());
  for (size_t i = 0; i < row.size(); ++i) PDX_RETURN_IF_ERROR(Check(static_cast<int>(i + 1), row[i]));
  rows_.push_back(std::move(row));
  return pdx::Status::OK();
}

pdx::Status MemTable::Set(size_t row, const std::string& field, pdx::Value v) {
  int f = FieldNumber(field);
  if (f == 0) return pdx::Status::InvalidArgument(name_ + ": no field " + field);
  if (row >= rows_.size()) return pdx::Status::InvalidArgument(name_ + ": no row " + std::to_string(row));
  PDX_RETURN_IF_ERROR(Check(f, v));
  rows_[row][static_cast<size_t>(f - 1)] = std::move(v);
  return pdx::Status::OK();
}

const pdx::Value& MemTable::Get(size_t row, const std::string& field) const {
  static const pdx::Value kBlank;
  int f = FieldNumber(field);
  if (f == 0 || row >= rows_.size()) return kBlank;
  return rows_[row][static_cast<size_t>(f - 1)];
}

pdx::Status MemTable::Delete(size_t row) {
  if (row >= rows_.size()) return pdx::Status::InvalidArgument(name_ + ": no row " + std::to_string(row));
  rows_.erase(rows_.begin() + static_cast<long>(row));
  return pdx::Status::OK();
}

pdx::Status MemTable::Fields(const std::string& list, std::vector<int>* out) const {
  out->clear();
  for (const auto& n : ListeDepuisTexte(list)) {
    int f = FieldNumber(n);
    if (f == 0) return pdx::Status::InvalidArgument(name_ + ": no field " + n);
    out->push_back(f);
  }
  return pdx::Status::OK();
}

pdx::Status MemTable::Sort(const std::string& fieldList) {
  std::vector<int> f;
  PDX_RETURN_IF_ERROR(Fields(fieldList, &f));
  auto avant = [&](const Row& a, const Row& b) {
    for (int k : f) {
      auto i = static_cast<size_t>(k - 1);
      int c = CompareValues(a[i], b[i], fields_[i].type, false);
      if (c != 0) return c < 0;
    }
    return false;
  };
  // Rows read from a table in key order often arrive sorted already: one
  // pass tells, where the sort compares n log n times.
  if (!std::is_sorted(rows_.begin(), rows_.end(), avant)) std::stable_sort(rows_.begin(), rows_.end(), avant);
  return pdx::Status::OK();
}

pdx::Status MemTable::Find(const std::string& fieldList, const std::vector<pdx::Value>& key, bool caseSensitive,
                           long* row) const {
  std::vector<int> f;
  PDX_RETURN_IF_ERROR(Fields(fieldList, &f));
  if (key.size() > f.size()) return pdx::Status::InvalidArgument(name_ + ": more key values than key fields");
  *row = -1;
  for (size_t r = 0; r < rows_.size(); ++r) {
    bool eq = true;
    for (size_t k = 0; k < key.size() && eq; ++k) {
      auto i = static_cast<size_t>(f[k] - 1);
      eq = CompareValues(rows_[r][i], key[k], fields_[i].type, caseSensitive) == 0;
    }
    if (eq) {
      *row = static_cast<long>(r);
      return pdx::Status::OK();
    }
  }
  return pdx::Status::OK();
}

}  // namespace corv
