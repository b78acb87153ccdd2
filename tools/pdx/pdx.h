#pragma once
// Commands of the pdx tool. Each returns the process exit code and writes
// errors to stderr as "pdx: FILE: what".
#include <string>
#include <vector>

namespace pdxtool {

int Info(const std::string& file);
int Dump(const std::string& file, const std::string& index, const std::string& format);
int Check(const std::string& file);
int Reindex(const std::string& file);
int Copy(const std::string& src, const std::string& dst);

// Splits a path into directory and file name ("." when there is no directory).
void SplitPath(const std::string& path, std::string* dir, std::string* name);
void PrintError(const std::string& file, const std::string& message);

std::string JsonString(const std::string& utf8);
std::string Base64(const std::string& bytes);

}  // namespace pdxtool
