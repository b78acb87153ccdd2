#include <cstdio>

#include "pdx.h"

namespace pdxtool {

void SplitPath(const std::string& path, std::string* dir, std::string* name) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    dir->assign(1, '.');
    *name = path;
  } else {
    *dir = path.substr(0, slash == 0 ? 1 : slash);
    *name = path.substr(slash + 1);
  }
}

void PrintError(const std::string& file, const std::string& message) {
  // Engine messages usually start with the path already.
  if (message.compare(0, file.size(), file) == 0)
    std::fprintf(stderr, "pdx: %s\n", message.c_str());
  else
    std::fprintf(stderr, "pdx: %s: %s\n", file.c_str(), message.c_str());
}

namespace {
void Escape(std::string* out, char c) {
  out->push_back('\\');
  out->push_back(c);
}
}  // namespace

std::string JsonString(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 2);
  out.push_back('"');
  for (unsigned char c : s) {
    switch (c) {
      case '"': Escape(&out, '"'); break;
      case '\\': Escape(&out, '\\'); break;
      case '\n': Escape(&out, 'n'); break;
      case '\r': Escape(&out, 'r'); break;
      case '\t': Escape(&out, 't'); break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out.append(buf, 6);
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out.push_back('"');
  return out;
}

std::string Base64(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = (static_cast<uint8_t>(bytes[i]) << 16) | (static_cast<uint8_t>(bytes[i + 1]) << 8) |
                 static_cast<uint8_t>(bytes[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace pdxtool
