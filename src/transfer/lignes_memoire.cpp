#include "transfer/lignes_memoire.h"

#include <algorithm>

#include "data/dictionnaire.h"
#include "data/fonctions_bd.h"
#include "util/text.h"

namespace corv {
namespace {

// The file's name of a memory field.
std::string NomFichier(const std::string& memoire, const std::vector<Renommage>& renommes) {
  for (const auto& r : renommes)
    if (EqualsNoCase(r.memoire, memoire)) return r.fichier;
  return memoire;
}

}  // namespace

MemTable TableMemoire(const std::string& nom) {
  const TableMemoireDef* def = TrouverTableMemoire(nom);
  // The names are fixed in the code: a missing one is a programming error.
  if (!def) return MemTable(nom, {});
  return MemTable(*def);
}

int Origine(const pdx::Value& v) { return v.blank ? 0 : static_cast<int>(v.i); }

pdx::Status LireVersMemoire(Composant& source, MemTable* mem, const std::vector<Renommage>& renommes,
                            const std::function<bool(MemTable::Row*)>& garder, RunReport& report, int* total) {
  *total = 0;
  const int n = static_cast<int>(source.NombreEnregistrements());
  // For each memory field, the source field (0: not in the file) and its type.
  std::vector<int> depuis;
  for (const auto& f : mem->fields()) depuis.push_back(source.NumeroChamp(NomFichier(f.nom, renommes)));
  report.RowProgress(0, n);
  PDX_RETURN_IF_ERROR(source.Premier());
  while (!source.Fin()) {
    MemTable::Row row(mem->fields().size());
    for (size_t i = 0; i < row.size(); ++i) {
      if (depuis[i] == 0) continue;
      pdx::Value v;
      PDX_RETURN_IF_ERROR(source.Valeur(depuis[i], &v));
      pdx::Status s = ConvertirValeur(v, source.Champ(depuis[i]).type, mem->fields()[i].type, &row[i]);
      if (!s.ok())
        return pdx::Status::InvalidArgument(source.Fichier() + "." + source.Champ(depuis[i]).name + ": " +
                                            s.message());
    }
    ++*total;
    if (!garder || garder(&row)) PDX_RETURN_IF_ERROR(mem->Append(std::move(row)));
    report.RowProgress(std::min(*total, n), n);
    PDX_RETURN_IF_ERROR(source.Suivant());
  }
  return pdx::Status::OK();
}

pdx::Status EnregistrementDepuisMemoire(const Composant& c, const MemTable& mem, size_t ligne,
                                        const std::vector<Renommage>& renommes, std::vector<pdx::Value>* rec) {
  rec->assign(static_cast<size_t>(c.NombreChamps()), pdx::Value{});
  const auto& champs = mem.fields();
  for (size_t i = 0; i < champs.size(); ++i) {
    int vers = c.NumeroChamp(NomFichier(champs[i].nom, renommes));
    if (vers == 0) continue;
    const pdx::FieldDesc& f = c.Champ(vers);
    pdx::Status s = ConvertirValeur(mem[ligne][i], champs[i].type, f.type, &(*rec)[static_cast<size_t>(vers - 1)]);
    if (!s.ok()) return pdx::Status::InvalidArgument(c.Fichier() + "." + f.name + ": " + s.message());
  }
  return pdx::Status::OK();
}

pdx::Status SupprimerLignesPubliees(Composant& c, pdx::TableWriter* w, int* n) {
  *n = 0;
  const int fExterne = c.NumeroChamp("Externe");
  if (fExterne == 0) return pdx::Status::InvalidArgument(c.Fichier() + ": no field Externe");
  const int cles = c.table()->info().keyFieldCount;
  std::vector<std::vector<pdx::Value>> aSupprimer;
  PDX_RETURN_IF_ERROR(c.Premier());
  while (!c.Fin()) {
    pdx::Value v;
    PDX_RETURN_IF_ERROR(c.Valeur(fExterne, &v));
    if (OriginePubliee(Origine(v))) {
      ++*n;
      if (w) {
        std::vector<pdx::Value> cle(static_cast<size_t>(cles));
        for (int k = 0; k < cles; ++k) PDX_RETURN_IF_ERROR(c.Valeur(k + 1, &cle[static_cast<size_t>(k)]));
        aSupprimer.push_back(std::move(cle));
      }
    }
    PDX_RETURN_IF_ERROR(c.Suivant());
  }
  if (!w) return pdx::Status::OK();
  if (cles == 0 && !aSupprimer.empty())
    return pdx::Status::InvalidArgument(c.Fichier() + ": the table has no primary key");
  for (const auto& cle : aSupprimer) {
    pdx::RowId row = 0;
    PDX_RETURN_IF_ERROR(w->Find(cle, &row));
    PDX_RETURN_IF_ERROR(w->Delete(row));
  }
  return pdx::Status::OK();
}

}  // namespace corv
