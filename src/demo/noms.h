#pragma once
// French-looking names, towns, addresses and phone numbers for the demo data.
#include <string>

#include "demo/alea.h"

namespace corv::demo {

struct Ville {
  const char* nom;
  const char* cp;
  const char* indicatif;  // first two digits of a fixed line ("04")
};

const Ville& VilleAuHasard(Alea& a);
const Ville& VilleNumero(int i);  // towns in a fixed order, cycling
int NombreVilles();

std::string Nom(Alea& a);
std::string Prenom(Alea& a);
std::string RaisonSociale(Alea& a);     // "Menuiseries Garnier et Fils"
std::string Rue(Alea& a);               // "12 rue des Tilleuls"
std::string Telephone(Alea& a, const Ville& v);
std::string Portable(Alea& a);
std::string Mail(const std::string& local, const std::string& domaine);
// Upper-case ASCII form of a name, letters only ("Étienne" -> "ETIENNE").
std::string CodeDepuis(const std::string& s, size_t longueur);
// A name made safe for a mail address: lower case ASCII letters only.
std::string Minuscules(const std::string& s);

}  // namespace corv::demo
