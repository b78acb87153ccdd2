#include "data/creation.h"

namespace corv {

pdx::IndexDefinition IndexMoteur(const IndexDef& i) {
  pdx::IndexDefinition d;
  d.name = i.nom;
  d.fields = i.champs;
  d.unique = i.unique;
  d.caseInsensitive = i.sansCasse;
  d.descending = i.descendant;
  return d;
}

pdx::TableDefinition DefinitionMoteur(const TableDef& t) {
  pdx::TableDefinition d;
  for (const auto& c : t.champs) d.fields.push_back(DescripteurChamp(c));
  d.keyFieldCount = static_cast<int>(t.cle.size());
  for (const auto& i : t.index) d.indexes.push_back(IndexMoteur(i));
  return d;
}

pdx::Status CreerFichier(pdx::Env* env, const std::string& hostDir, const TableDef& t) {
  std::unique_ptr<pdx::TableWriter> w;
  PDX_RETURN_IF_ERROR(pdx::TableWriter::Create(env, hostDir, t.fichier, DefinitionMoteur(t), {}, &w));
  return w->Close();
}

std::vector<ChampDef> ChampsDuFichier(const pdx::TableInfo& info) {
  std::vector<ChampDef> out;
  for (const auto& f : info.fields) {
    ChampDef c;
    c.nom = f.name;
    c.type = f.type;
    switch (f.type) {
      case pdx::FieldType::kAlpha: c.taille = f.size; break;
      case pdx::FieldType::kMemo: case pdx::FieldType::kFmtMemo: case pdx::FieldType::kGraphic:
      case pdx::FieldType::kBlob: case pdx::FieldType::kOle:
        c.taille = f.size >= 10 ? f.size - 10 : 0;
        break;
      default: c.taille = 0;
    }
    out.push_back(c);
  }
  return out;
}

std::vector<std::string> IndexDuFichier(const pdx::TableInfo& info) {
  std::vector<std::string> out;
  for (const auto& i : info.indexes)
    if (!i.primary) out.push_back(i.name);
  return out;
}

}  // namespace corv
