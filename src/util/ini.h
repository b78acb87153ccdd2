#pragma once
// INI files with the semantics of the Windows profile functions, so that the
// files the agencies' Windows programs read and write mean the same here:
//  - section and key names compare without regard to case;
//  - the first occurrence of a section or key wins;
//  - names and values are trimmed; one pair of matching quotes around a value
//    is removed; lines starting with ';' are comments;
//  - integers are decimal (or hexadecimal with "0x" or "$"); a value that is not
//    a whole number reads as the default;
//  - booleans are integers, any non-zero value is true; written as "1" or "0";
//  - floats accept "." or "," as the decimal separator; written with ",".
// The file is code page 1252 on disk (UTF-8 when it starts with a UTF-8 byte
// order mark, and is then written back as UTF-8). Writing keeps every other line
// of the file as it was.
#include <optional>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"

namespace corv {

class IniFile {
 public:
  IniFile() = default;

  // Reads a file (host path). NotFound when it does not exist.
  static pdx::Status Load(pdx::Env* env, const std::string& hostPath, IniFile* out);
  // Parses text already in UTF-8.
  static IniFile FromText(const std::string& utf8);

  // Writes the file back (host path; the load path when empty). Refuses a value
  // that the file's code page cannot hold, leaving the file as it was.
  pdx::Status Save(pdx::Env* env, const std::string& hostPath = "") const;
  std::string ToText() const;  // UTF-8, CR LF line ends

  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  std::optional<std::string> Find(const std::string& section, const std::string& key) const;
  // Key names of a section, in file order, first occurrences only.
  std::vector<std::string> Keys(const std::string& section) const;

  // An absent key and an empty value both give the default.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  long long ReadInteger(const std::string& section, const std::string& key, long long def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  double ReadFloat(const std::string& section, const std::string& key, double def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, long long value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteFloat(const std::string& section, const std::string& key, double value);

 private:
  struct Line {
    std::string raw;      // as read (UTF-8, no line end)
    int section = -1;     // index of the section header line this line belongs to
    bool header = false;  // "[name]"
    std::string name;     // section name for a header, key for a key line
    bool isKey = false;
    std::string value;    // unquoted, trimmed
  };
  void Parse(const std::string& utf8);
  int FindSectionLine(const std::string& section) const;
  int FindKeyLine(int sectionLine, const std::string& key) const;

  std::vector<Line> lines_;
  std::string path_;
  bool utf8_ = false;
};

}  // namespace corv
