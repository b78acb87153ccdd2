#include "data/fonctions_bd.h"

#include <cstdio>

#include "util/dates.h"

namespace corv {
namespace {

using FT = pdx::FieldType;

bool IsAlpha(FT t) { return t == FT::kAlpha; }
bool IsInteger(FT t) { return t == FT::kShort || t == FT::kLong; }

}  // namespace

pdx::Status ChangerRepertoireBase(Session& session, const std::string& alias, const std::string& sousRepertoire,
                                  const std::string& racine) {
  if (!session.Has(alias)) return pdx::Status::NotFound("named database " + alias + " is not defined");
  session.SetAlias(alias, racine + "\\" + sousRepertoire + "\\");
  return pdx::Status::OK();
}

int OuvrirTable(Composant& table, Dialogs& dialogs) {
  if (table.Actif()) return 0;
  pdx::Status s = table.Ouvrir();
  if (s.ok()) return 0;
  dialogs.Information("Impossible d'ouvrir la table : " + table.Fichier() + "\nDans le répertoire : " +
                      table.Repertoire());
  return 1;
}

std::vector<pdx::Value> ValeursDeCle(const Composant& table, const std::vector<pdx::Value>& valeurs,
                                     bool autoIncComptent) {
  // The first n fields of the index, n being the number of values; a field that
  // takes no value is searched as blank and leaves the value for the next one.
  std::vector<pdx::Value> cle;
  std::vector<int> champs = table.ChampsIndexCourant();
  size_t next = 0;
  for (size_t i = 0; i < champs.size() && i < valeurs.size(); ++i) {
    FT t = table.Champ(champs[i]).type;
    bool takes = IsAlpha(t) || IsInteger(t) || (autoIncComptent && t == FT::kAutoInc);
    cle.push_back(takes && next < valeurs.size() ? valeurs[next++] : pdx::Value::Blank());
  }
  return cle;
}

pdx::Status FiltrerTable(Composant& table, Dialogs& dialogs, const std::vector<pdx::Value>& valeurs, bool* nonVide) {
  *nonVide = false;
  if (!table.Actif() && OuvrirTable(table, dialogs) != 0)
    return pdx::Status::IOError(table.Fichier() + ": table could not be opened");
  table.AnnulerPlage();
  std::vector<pdx::Value> debut, fin;
  size_t next = 0;
  bool open = false;  // once a bound is missing, later fields stay unbounded
  for (int f : table.ChampsIndexCourant()) {
    FT t = table.Champ(f).type;
    bool given = next < valeurs.size();
    pdx::Value lo, hi;
    if (IsAlpha(t)) {
      if (given) lo = hi = valeurs[next++];
      else hi = pdx::Value::Text("ZZZZZZZ");
    } else if (IsInteger(t)) {
      if (given) lo = hi = valeurs[next++];
      else hi = pdx::Value::Int(32000);
    } else if (t == FT::kDate && !given) {
      lo = pdx::Value::Double(DayNumber(1980, 1, 1));
      hi = pdx::Value::Double(DayNumber(2100, 12, 31));
    } else {
      open = true;
    }
    if (open) break;
    debut.push_back(lo);
    fin.push_back(hi);
  }
  PDX_RETURN_IF_ERROR(table.DefinirPlage(debut, fin));
  PDX_RETURN_IF_ERROR(table.Premier());
  *nonVide = !table.Fin();
  return pdx::Status::OK();
}

pdx::Status ChercherParCle(Composant& table, Dialogs& dialogs, const std::vector<pdx::Value>& valeurs, bool* trouve) {
  *trouve = false;
  if (!table.Actif() && OuvrirTable(table, dialogs) != 0)
    return pdx::Status::IOError(table.Fichier() + ": table could not be opened");
  return table.Chercher(ValeursDeCle(table, valeurs, true), trouve);
}

pdx::Status LireChamp(const Composant& table, int numero, std::string* texte) {
  return table.Texte(numero, texte);
}

pdx::Status LireChamp(const Composant& table, const std::string& champ, std::string* texte) {
  int n = table.NumeroChamp(champ);
  if (n == 0) return pdx::Status::InvalidArgument(table.Fichier() + ": no field " + champ);
  return table.Texte(n, texte);
}

std::string TexteValeur(const pdx::Value& v, FT type) {
  if (v.blank) return "";
  char buf[64];
  switch (type) {
    case FT::kShort: case FT::kLong: case FT::kAutoInc: return std::to_string(v.i);
    case FT::kNumber: case FT::kMoney: case FT::kDate: case FT::kTimestamp: case FT::kTime:
      std::snprintf(buf, sizeof buf, "%.15g", v.d);
      return buf;
    case FT::kLogical: return v.b ? "true" : "false";
    default: return v.text;
  }
}

pdx::Status LireChamp(const MemTable& table, size_t ligne, const std::string& champ, std::string* texte) {
  int n = table.FieldNumber(champ);
  if (n == 0) return pdx::Status::InvalidArgument(table.name() + ": no field " + champ);
  if (ligne >= table.size()) return pdx::Status::InvalidArgument(table.name() + ": no row " + std::to_string(ligne));
  *texte = TexteValeur(table.Get(ligne, n), table.fields()[static_cast<size_t>(n - 1)].type);
  return pdx::Status::OK();
}

}  // namespace corv
