#pragma once
// The conditions transfer benchmarks' installation: head office holds
// purchase conditions over a set of suppliers (supplier-wide and client rows),
// each agency as many rows of its own over the same suppliers (supplier-wide
// rows sharing head office's keys with other rates, and client rows), in
// "Q:\Agences\AGnnn" mapped to DIR.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "data/creation.h"
#include "paradox/writer.h"
#include "util/ini.h"

namespace bench {

struct TailleConditions {
  int fournisseurs = 40, siegeParFns = 450, clientsSiege = 50, agenceParFns = 300, clientsAgence = 200;
  int Siege() const { return fournisseurs * (siegeParFns + clientsSiege); }
  int Agence() const { return fournisseurs * (agenceParFns + clientsAgence); }
};

namespace detail {

inline bool Verifier(const pdx::Status& s, const std::string& what) {
  if (!s.ok()) std::fprintf(stderr, "installation: %s: %s\n", what.c_str(), s.ToString().c_str());
  return s.ok();
}

inline std::string Fournisseur(int i) {
  const char* l = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  return std::string{l[i / 36 % 36], l[i % 36]};
}

inline std::string Groupe(int i) { return Fournisseur(i + 100); }

// A "REMISES.DB" row of the dictionary's layout.
inline std::vector<pdx::Value> Remise(int type, const std::string& f, const std::string& client, int tg,
                                      const std::string& g, double r1, double r2, double coef) {
  using pdx::Value;
  return {Value::Int(type), Value::Text(f), Value::Text(client), Value::Int(tg), Value::Text(g),
          Value::Double(r1), Value::Double(r2), Value::Double(coef)};
}

inline bool Table(pdx::Env* env, const std::string& dir, const std::string& fichier,
                  const std::vector<std::vector<pdx::Value>>& rows) {
  const corv::TableDef* def = corv::TrouverTable(corv::kAliasAdministration, fichier);
  if (!Verifier(corv::CreerFichier(env, dir, *def), "create " + dir + "/" + fichier)) return false;
  std::unique_ptr<pdx::TableWriter> w;
  if (!Verifier(pdx::TableWriter::Open(env, dir, fichier, {}, &w), "open " + fichier)) return false;
  for (const auto& r : rows) {
    std::vector<pdx::Value> v = r;
    v.resize(def->champs.size());
    if (!Verifier(w->Insert(v), "insert " + fichier)) return false;
  }
  return Verifier(w->Close(), "close " + fichier);
}

}  // namespace detail

// Writes the installation (its "qvrbde.ini" maps "Q:" to dir) through env.
inline bool InstallationConditions(pdx::Env* env, const std::string& dir, int agences, const TailleConditions& t) {
  namespace fs = std::filesystem;
  using detail::Remise;
  using pdx::Value;
  for (const char* k : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj", "bin", "Agences"})
    fs::create_directories(dir + "/" + k);
  corv::IniFile bde;
  for (const char* k : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"})
    bde.WriteString("Alias", k, std::string("Q:\\") + k);
  bde.WriteString("Chemins", "Q:", dir);
  if (!detail::Verifier(bde.Save(env, dir + "/qvrbde.ini"), "qvrbde.ini")) return false;
  std::vector<std::vector<Value>> siege, fns, agence;
  for (int f = 0; f < t.fournisseurs; ++f) {
    std::string code = detail::Fournisseur(f);
    fns.push_back({Value::Text(code), Value::Text("Fournisseur " + code)});
    for (int k = 0; k < t.siegeParFns; ++k)
      siege.push_back(Remise(2, code, "", 1 + k % 2, detail::Groupe(k), 5 + k % 30, k % 3, 0));
    for (int k = 0; k < t.clientsSiege; ++k)
      siege.push_back(Remise(2, code, "C" + std::to_string(10000 + k), 0, "", 20, 0, 0));
    for (int k = 0; k < t.agenceParFns; ++k)
      agence.push_back(Remise(2, code, "", 1 + k % 2, detail::Groupe(k), 10 + k % 25, 0, k % 4 == 0 ? 0.85 : 0));
    for (int k = 0; k < t.clientsAgence; ++k)
      agence.push_back(Remise(2, code, "A" + std::to_string(10000 + k), 0, "", 25, 0, 0));
  }
  if (!detail::Table(env, dir + "/Administration", "REMISES.DB", siege)) return false;
  if (!detail::Table(env, dir + "/Maj", "FOURNIS.DB", fns)) return false;
  std::vector<std::vector<Value>> lignesAgence;
  for (int a = 0; a < agences; ++a) {
    char code[16];
    std::snprintf(code, sizeof code, "AG%03d", a + 1);
    std::string rel = std::string("Agences/") + code;
    fs::create_directories(dir + "/" + rel + "/Administration");
    fs::create_directories(dir + "/" + rel + "/Dossiers");
    if (!detail::Table(env, dir + "/" + rel + "/Administration", "FOURNIS.DB", fns)) return false;
    if (!detail::Table(env, dir + "/" + rel + "/Administration", "REMISES.DB", agence)) return false;
    std::vector<Value> l(24);
    l[0] = Value::Text(code);
    l[3] = Value::Text(std::string("Agence ") + code);
    l[13] = Value::Text("Q:\\Agences\\" + std::string(code));
    l[14] = Value::Int(0);
    lignesAgence.push_back(l);
  }
  return detail::Table(env, dir + "/Administration", "Agence.DB", lignesAgence);
}

}  // namespace bench
