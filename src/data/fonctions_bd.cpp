#include "data/fonctions_bd.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "data/creation.h"
#include "util/text.h"

#include "util/dates.h"

namespace corv {
namespace {

using FT = pdx::FieldType;

bool IsAlpha(FT t) { return t == FT::kAlpha; }
bool IsInteger(FT t) { return t == FT::kShort || t == FT::kLong; }

// A text given for an alpha key field is cut to the field's width, as assigning
// it to the field would ("ZZZZZZZ" on an A2 field is "ZZ").
pdx::Value AJustifier(const pdx::Value& v, const pdx::FieldDesc& f) {
  if (v.blank || f.type != FT::kAlpha) return v;
  size_t chars = 0, i = 0;
  for (; i < v.text.size(); ++i) {
    if ((static_cast<unsigned char>(v.text[i]) & 0xC0) != 0x80) {
      if (chars == f.size) break;
      ++chars;
    }
  }
  return pdx::Value::Text(v.text.substr(0, i));
}

}  // namespace

pdx::Status ChangerRepertoireBase(Session& session, const std::string& alias, const std::string& sousRepertoire,
                                  const std::string& racine) {
  if (!session.Has(alias)) return pdx::Status::NotFound("Base nommée " + alias + " non définie");
  session.SetAlias(alias, racine + "\\" + sousRepertoire + "\\");
  return pdx::Status::OK();
}

pdx::Status OuvrirTable(Composant& table, Dialogs& dialogs) {
  if (table.Actif()) return pdx::Status::OK();
  pdx::Status s = table.Ouvrir();
  if (s.ok()) return s;
  dialogs.Information("Impossible d'ouvrir la table : " + table.Fichier() + "\nDans le répertoire : " +
                      table.Repertoire());
  return s.WithContext(table.Fichier() + " : la table ne peut pas être ouverte");
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
    cle.push_back(takes && next < valeurs.size() ? AJustifier(valeurs[next++], table.Champ(champs[i]))
                                                 : pdx::Value::Blank());
  }
  return cle;
}

pdx::Status FiltrerTable(Composant& table, Dialogs& dialogs, const std::vector<pdx::Value>& valeurs, bool* nonVide) {
  *nonVide = false;
  PDX_RETURN_IF_ERROR(OuvrirSiFermee(table, dialogs));
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
    debut.push_back(AJustifier(lo, table.Champ(f)));
    fin.push_back(AJustifier(hi, table.Champ(f)));
  }
  PDX_RETURN_IF_ERROR(table.DefinirPlage(debut, fin));
  PDX_RETURN_IF_ERROR(table.Premier());
  *nonVide = !table.Fin();
  return pdx::Status::OK();
}

pdx::Status ChercherParCle(Composant& table, Dialogs& dialogs, const std::vector<pdx::Value>& valeurs, bool* trouve) {
  *trouve = false;
  PDX_RETURN_IF_ERROR(OuvrirSiFermee(table, dialogs));
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

pdx::Status SupprimerParCle(Composant& table, const std::vector<pdx::Value>& valeurs, bool* supprime) {
  *supprime = false;
  bool found = false;
  PDX_RETURN_IF_ERROR(table.Chercher(ValeursDeCle(table, valeurs, false), &found));
  if (!found) return pdx::Status::OK();
  PDX_RETURN_IF_ERROR(table.Supprimer());
  *supprime = true;
  return pdx::Status::OK();
}

namespace {

bool ParseLong(const std::string& t, long long* v) {
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *v = std::strtoll(t.c_str(), &end, 10);
  return errno == 0 && end == t.c_str() + t.size();
}

bool ParseDouble(std::string t, double* v) {
  for (char& c : t)
    if (c == ',') c = '.';
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *v = std::strtod(t.c_str(), &end);
  return errno == 0 && end == t.c_str() + t.size() && std::isfinite(*v);
}

bool ParseDate(const std::string& t, double* v) {
  int y = 0, m = 0, d = 0;
  char extra = 0;
  if (std::sscanf(t.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) == 3 ||
      std::sscanf(t.c_str(), "%2d/%2d/%4d%c", &d, &m, &y, &extra) == 3) {
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    *v = DayNumber(y, m, d);
    return true;
  }
  return false;
}

}  // namespace

pdx::Status ValeurDepuisTexte(const std::string& texte, FT type, pdx::Value* out) {
  std::string t = Trim(texte);
  if (t.empty() && type != FT::kAlpha && type != FT::kMemo && type != FT::kFmtMemo) {
    *out = pdx::Value::Blank();
    return pdx::Status::OK();
  }
  if (texte.empty()) {
    *out = pdx::Value::Blank();
    return pdx::Status::OK();
  }
  auto bad = [&] { return pdx::Status::InvalidArgument("\"" + texte + "\" n'est pas une valeur valide pour ce champ"); };
  long long i = 0;
  double d = 0;
  switch (type) {
    case FT::kShort:
      if (!ParseLong(t, &i) || i < -32768 || i > 32767) return bad();
      *out = pdx::Value::Int(i);
      return pdx::Status::OK();
    case FT::kLong: case FT::kAutoInc:
      if (!ParseLong(t, &i) || i < INT32_MIN || i > INT32_MAX) return bad();
      *out = pdx::Value::Int(i);
      return pdx::Status::OK();
    case FT::kNumber: case FT::kMoney:
      if (!ParseDouble(t, &d)) return bad();
      *out = pdx::Value::Double(d);
      return pdx::Status::OK();
    case FT::kDate: case FT::kTimestamp:
      if (!ParseDate(t.substr(0, t.find('T')), &d)) return bad();
      *out = pdx::Value::Double(d);
      return pdx::Status::OK();
    case FT::kLogical:
      if (t == "true" || t == "1") *out = pdx::Value::Bool(true);
      else if (t == "false" || t == "0") *out = pdx::Value::Bool(false);
      else return bad();
      return pdx::Status::OK();
    default:
      *out = pdx::Value::Text(texte);
      return pdx::Status::OK();
  }
}

pdx::Status ConvertirValeur(const pdx::Value& v, FT de, FT vers, pdx::Value* out) {
  if (v.blank) {
    *out = pdx::Value::Blank();
    return pdx::Status::OK();
  }
  auto kind = [](FT t) {
    if (IsInteger(t) || t == FT::kAutoInc) return 1;
    if (t == FT::kNumber || t == FT::kMoney || t == FT::kDate || t == FT::kTimestamp || t == FT::kTime) return 2;
    if (t == FT::kLogical) return 3;
    return 0;
  };
  int a = kind(de), b = kind(vers);
  if (a == b) {
    *out = v;
    if (a == 1) return ValeurDepuisTexte(std::to_string(v.i), vers, out);  // range of the target
    return pdx::Status::OK();
  }
  if (a == 1 && b == 2) {
    *out = pdx::Value::Double(static_cast<double>(v.i));
    return pdx::Status::OK();
  }
  if (a == 2 && b == 1) {
    if (v.d != std::trunc(v.d)) return pdx::Status::InvalidArgument(TexteValeur(v, de) + " n'est pas un nombre entier");
    return ValeurDepuisTexte(std::to_string(static_cast<long long>(v.d)), vers, out);
  }
  return ValeurDepuisTexte(TexteValeur(v, de), vers, out);
}

namespace {

pdx::Status Copier(const std::vector<pdx::Value>& src, const std::vector<FT>& types, Composant& cible) {
  if (!cible.Actif()) return pdx::Status::InvalidArgument(cible.Fichier() + ": table is not open");
  size_t k = std::min(src.size(), static_cast<size_t>(cible.NombreChamps()));
  std::vector<pdx::Value> rec(static_cast<size_t>(cible.NombreChamps()));
  for (size_t i = 0; i < k; ++i) {
    const pdx::FieldDesc& f = cible.Champ(static_cast<int>(i + 1));
    pdx::Status s = ConvertirValeur(src[i], types[i], f.type, &rec[i]);
    if (!s.ok()) return pdx::Status::InvalidArgument(cible.Fichier() + "." + f.name + ": " + s.message());
  }
  return cible.InsererOuRemplacer(rec, k);
}

}  // namespace

pdx::Status CopierEnregistrement(Composant& source, Composant& cible, bool garder) {
  std::vector<pdx::Value> v;
  PDX_RETURN_IF_ERROR(source.Enregistrement(&v));
  std::vector<FT> types;
  for (int i = 1; i <= source.NombreChamps(); ++i) types.push_back(source.Champ(i).type);
  PDX_RETURN_IF_ERROR(Copier(v, types, cible));
  return garder ? pdx::Status::OK() : source.Supprimer();
}

pdx::Status CopierEnregistrement(MemTable& source, size_t ligne, Composant& cible, bool garder) {
  if (ligne >= source.size()) return pdx::Status::InvalidArgument(source.name() + ": no row " + std::to_string(ligne));
  std::vector<FT> types;
  for (const auto& f : source.fields()) types.push_back(f.type);
  PDX_RETURN_IF_ERROR(Copier(source[ligne], types, cible));
  return garder ? pdx::Status::OK() : source.Delete(ligne);
}

pdx::Status CreerTableSiAbsente(const Composant& composant, const std::string& alias, const Contexte& ctx,
                                std::unique_ptr<Composant>* nouveau) {
  nouveau->reset();
  auto c = std::make_unique<Composant>(ctx, composant.Def(), composant.DefComposant());
  PDX_RETURN_IF_ERROR(c->DefinirAlias(alias.empty() ? composant.Alias() : alias));
  if (!ctx.session->Has(c->Alias()))
    return pdx::Status::NotFound(composant.Fichier() + " : base nommée " + c->Alias() + " non définie");
  if (c->FichierExiste()) return pdx::Status::OK();
  // The component's fields and its first index (the primary key) only.
  TableDef def = composant.Def();
  def.index.clear();
  PDX_RETURN_IF_ERROR(CreerFichier(ctx.host->env(), c->RepertoireHote(), def));
  *nouveau = std::move(c);
  return pdx::Status::OK();
}

pdx::Status EcrireChamp(Composant& table, int numero, const std::string& texte) {
  if (numero < 1 || numero > table.NombreChamps())
    return pdx::Status::InvalidArgument(table.Fichier() + ": no field number " + std::to_string(numero));
  const pdx::FieldDesc& f = table.Champ(numero);
  pdx::Value v;
  pdx::Status s = ValeurDepuisTexte(texte, f.type, &v);
  if (!s.ok()) return pdx::Status::InvalidArgument(table.Fichier() + "." + f.name + ": " + s.message());
  if (f.type == FT::kAlpha && !v.blank) {
    size_t n = 0;
    for (char c : v.text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (n > f.size)
      return pdx::Status::InvalidArgument(table.Fichier() + "." + f.name + " : texte de plus de " +
                                          std::to_string(f.size) + " caractères");
  }
  return table.FixerValeur(numero, v);
}

pdx::Status EcrireChamp(Composant& table, const std::string& champ, const std::string& texte) {
  int n = table.NumeroChamp(champ);
  if (n == 0) return pdx::Status::InvalidArgument(table.Fichier() + ": no field " + champ);
  return EcrireChamp(table, n, texte);
}

pdx::Status EcrireChamp(MemTable& table, size_t ligne, const std::string& champ, const std::string& texte) {
  int n = table.FieldNumber(champ);
  if (n == 0) return pdx::Status::InvalidArgument(table.name() + ": no field " + champ);
  pdx::Value v;
  pdx::Status s = ValeurDepuisTexte(texte, table.fields()[static_cast<size_t>(n - 1)].type, &v);
  if (!s.ok()) return pdx::Status::InvalidArgument(table.name() + "." + champ + ": " + s.message());
  return table.Set(ligne, champ, v);
}

}  // namespace corv
