#include "support/classeur_lu.h"

#if CORVANES_TEST_ZLIB
#include <zlib.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>

namespace testutil {
namespace {

uint32_t Le(const std::string& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

#if CORVANES_TEST_ZLIB
bool Inflate(const std::string& in, size_t taille, std::string* out) {
  out->assign(taille, '\0');
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;  // raw deflate, as zip stores it
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out->data());
  z.avail_out = static_cast<uInt>(taille);
  const int r = inflate(&z, Z_FINISH);
  const bool ok = r == Z_STREAM_END && z.total_out == taille;
  inflateEnd(&z);
  return ok;
}

uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}
#else
bool Inflate(const std::string&, size_t, std::string*) { return false; }
uint32_t Crc(const std::string&) { return 0; }
#endif

// "AB12" -> (11, 27).
bool Reference(const std::string& r, int* ligne, int* colonne) {
  size_t i = 0;
  int c = 0;
  while (i < r.size() && r[i] >= 'A' && r[i] <= 'Z') c = c * 26 + (r[i++] - 'A' + 1);
  if (i == 0 || i == r.size()) return false;
  *colonne = c - 1;
  *ligne = std::atoi(r.c_str() + i) - 1;
  return *ligne >= 0;
}

// The text of a string item: its <t>, or the <t> of each of its runs.
std::string TexteItem(const pugi::xml_node& si) {
  if (pugi::xml_node t = si.child("t")) return t.text().get();
  std::string s;
  for (pugi::xml_node r : si.children("r")) s += r.child("t").text().get();
  return s;
}

bool Xml(const std::map<std::string, std::string>& m, const std::string& nom, pugi::xml_document* doc,
         std::string* erreur) {
  auto it = m.find(nom);
  if (it == m.end()) {
    *erreur = "no member " + nom;
    return false;
  }
  if (!doc->load_buffer(it->second.data(), it->second.size())) {
    *erreur = "bad XML in " + nom;
    return false;
  }
  return true;
}

}  // namespace

bool LireZip(const std::string& path, std::map<std::string, std::string>* membres, std::string* erreur) {
  std::ifstream f(path, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  // The end record is the last 22 bytes, unless a comment follows it.
  size_t fin = std::string::npos;
  for (size_t i = b.size() >= 22 ? b.size() - 22 + 1 : 0; i-- > 0;)
    if (Le(b, i, 4) == 0x06054b50) {
      fin = i;
      break;
    }
  if (fin == std::string::npos) {
    *erreur = path + ": no end of central directory";
    return false;
  }
  const uint32_t n = Le(b, fin + 10, 2);
  size_t p = Le(b, fin + 16, 4);
  for (uint32_t k = 0; k < n; ++k) {
    if (p + 46 > b.size() || Le(b, p, 4) != 0x02014b50) {
      *erreur = path + ": bad central directory entry";
      return false;
    }
    const uint32_t methode = Le(b, p + 10, 2), compresse = Le(b, p + 20, 4), taille = Le(b, p + 24, 4);
    const uint32_t lnom = Le(b, p + 28, 2), lextra = Le(b, p + 30, 2), lcomm = Le(b, p + 32, 2);
    const uint32_t local = Le(b, p + 42, 4);
    const std::string nom = b.substr(p + 46, lnom);
    if (local + 30 > b.size() || Le(b, local, 4) != 0x04034b50) {
      *erreur = path + ": bad local header of " + nom;
      return false;
    }
    const size_t donnees = local + 30 + Le(b, local + 26, 2) + Le(b, local + 28, 2);
    if (donnees + compresse > b.size()) {
      *erreur = path + ": truncated member " + nom;
      return false;
    }
    const std::string brut = b.substr(donnees, compresse);
    std::string contenu;
    if (methode == 0) {
      contenu = brut;
    } else if (methode != 8 || !Inflate(brut, taille, &contenu)) {
      *erreur = path + ": cannot inflate " + nom;
      return false;
    }
    if (Crc(contenu) != Le(b, p + 16, 4)) {
      *erreur = path + ": bad CRC of " + nom;
      return false;
    }
    (*membres)[nom] = std::move(contenu);
    p += 46 + lnom + lextra + lcomm;
  }
  return true;
}

bool LireClasseur(const std::string& path, std::vector<FeuilleLue>* feuilles, std::string* erreur) {
  std::map<std::string, std::string> m;
  if (!LireZip(path, &m, erreur)) return false;
  pugi::xml_document classeur, liens, styles, chaines;
  if (!Xml(m, "xl/workbook.xml", &classeur, erreur) || !Xml(m, "xl/_rels/workbook.xml.rels", &liens, erreur) ||
      !Xml(m, "xl/styles.xml", &styles, erreur))
    return false;
  std::vector<std::string> partagees;
  if (m.count("xl/sharedStrings.xml")) {
    if (!Xml(m, "xl/sharedStrings.xml", &chaines, erreur)) return false;
    for (pugi::xml_node si : chaines.child("sst").children("si")) partagees.push_back(TexteItem(si));
  }
  // Styles: cell formats -> (number format code, bold).
  std::map<int, std::string> codes = {{0, "General"}, {1, "0"}, {2, "0.00"}, {3, "#,##0"}, {4, "#,##0.00"},
                                      {9, "0%"},      {10, "0.00%"}, {14, "mm-dd-yy"}};
  pugi::xml_node ss = styles.child("styleSheet");
  for (pugi::xml_node f : ss.child("numFmts").children("numFmt"))
    codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
  std::vector<bool> policesGrasses;
  for (pugi::xml_node f : ss.child("fonts").children("font")) {
    pugi::xml_node b = f.child("b");
    policesGrasses.push_back(b && b.attribute("val").as_bool(true));
  }
  std::vector<std::pair<std::string, bool>> xfs;
  for (pugi::xml_node x : ss.child("cellXfs").children("xf")) {
    const size_t police = x.attribute("fontId").as_uint();
    xfs.push_back({codes.count(x.attribute("numFmtId").as_int()) ? codes[x.attribute("numFmtId").as_int()] : "?",
                   police < policesGrasses.size() && policesGrasses[police]});
  }
  std::map<std::string, std::string> cibles;
  for (pugi::xml_node r : liens.child("Relationships").children("Relationship"))
    cibles[r.attribute("Id").value()] = r.attribute("Target").value();

  for (pugi::xml_node s : classeur.child("workbook").child("sheets").children("sheet")) {
    FeuilleLue f;
    f.nom = s.attribute("name").value();
    std::string cible = cibles[s.attribute("r:id").value()];
    if (cible.rfind('/', 0) == 0) cible = cible.substr(1);
    else cible = "xl/" + cible;
    pugi::xml_document d;
    if (!Xml(m, cible, &d, erreur)) return false;
    pugi::xml_node ws = d.child("worksheet");
    pugi::xml_node pane = ws.child("sheetViews").child("sheetView").child("pane");
    if (pane && std::string(pane.attribute("state").value()) == "frozen") {
      f.lignesFigees = pane.attribute("ySplit").as_int();
      f.colonnesFigees = pane.attribute("xSplit").as_int();
    }
    for (pugi::xml_node c : ws.child("cols").children("col"))
      for (int k = c.attribute("min").as_int(); k <= c.attribute("max").as_int(); ++k)
        f.largeurs[k - 1] = c.attribute("width").as_double();
    for (pugi::xml_node row : ws.child("sheetData").children("row"))
      for (pugi::xml_node c : row.children("c")) {
        int l = 0, col = 0;
        if (!Reference(c.attribute("r").value(), &l, &col)) {
          *erreur = "bad cell reference " + std::string(c.attribute("r").value());
          return false;
        }
        CelluleLue v;
        const std::string t = c.attribute("t").value();
        if (t != "inlineStr" && !c.child("v")) {
          // A blank cell that carries only a format: empty text.
        } else if (t.empty() || t == "n") {
          v.nombre = true;
          v.valeur = c.child("v").text().as_double();
        } else if (t == "s") {
          const size_t i = c.child("v").text().as_uint();
          v.texte = i < partagees.size() ? partagees[i] : "?";
        } else if (t == "inlineStr") {
          v.texte = TexteItem(c.child("is"));
        } else {
          v.texte = c.child("v").text().get();
        }
        const size_t style = c.attribute("s").as_uint();
        if (style < xfs.size()) {
          v.format = xfs[style].first;
          v.gras = xfs[style].second;
        }
        f.cellules[{l, col}] = v;
        f.derniereLigne = std::max(f.derniereLigne, l);
      }
    feuilles->push_back(std::move(f));
  }
  return true;
}

}  // namespace testutil
