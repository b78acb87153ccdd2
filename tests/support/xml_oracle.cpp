#include "support/xml_oracle.h"

#include <pugixml.hpp>

namespace testutil {
namespace {

std::string Canonical(const XmlField& f, const std::string& v) {
  auto timePart = [](const std::string& t) {  // "HH:MM:SSmmm" -> "HH:MM:SS.mmm"
    return t.size() == 11 ? t.substr(0, 8) + "." + t.substr(8) : t;
  };
  auto datePart = [](const std::string& d) {  // "YYYYMMDD" -> "YYYY-MM-DD"
    return d.size() == 8 ? d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) : d;
  };
  if (f.type == "dateTime") {
    if (v.size() > 9 && v[8] == 'T') return datePart(v.substr(0, 8)) + "T" + timePart(v.substr(9));
    return datePart(v) + "T00:00:00.000";
  }
  if (f.type == "date") return datePart(v);
  if (f.type == "time") return timePart(v);
  if (f.type == "boolean") return v == "TRUE" ? "true" : "false";
  if (f.type == "bin.hex" && f.subtype != "Text" && f.subtype != "FmtMemo") return Base64Decode(v);
  return v;
}

}  // namespace

std::string Base64Decode(const std::string& s) {
  auto val = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  uint32_t acc = 0;
  int bits = 0;
  for (char c : s) {
    int v = val(c);
    if (v < 0) continue;  // padding and line breaks
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((acc >> bits) & 0xFF));
    }
  }
  return out;
}

std::string LoadXmlExport(const std::string& path, XmlTable* out) {
  pugi::xml_document doc;
  pugi::xml_parse_result r = doc.load_file(path.c_str());
  if (!r) return path + ": " + r.description();
  pugi::xml_node packet = doc.child("DATAPACKET");
  XmlTable t;
  for (pugi::xml_node f : packet.child("METADATA").child("FIELDS").children("FIELD")) {
    XmlField x;
    x.attr = f.attribute("attrname").value();
    x.name = f.attribute("fieldname") ? f.attribute("fieldname").value() : x.attr;
    x.type = f.attribute("fieldtype").value();
    x.subtype = f.attribute("SUBTYPE").value();
    t.fields.push_back(x);
  }
  if (t.fields.empty()) return path + ": no fields";
  for (pugi::xml_node row : packet.child("ROWDATA").children("ROW")) {
    std::vector<std::optional<std::string>> vals;
    for (const XmlField& f : t.fields) {
      pugi::xml_attribute a = row.attribute(f.attr.c_str());
      if (a)
        vals.emplace_back(Canonical(f, a.value()));
      else
        vals.emplace_back(std::nullopt);
    }
    t.rows.push_back(std::move(vals));
  }
  *out = std::move(t);
  return "";
}

}  // namespace testutil
