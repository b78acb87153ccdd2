// Starting the print module on Windows: CreateProcessW, then a wait for its end.
#include <windows.h>

#include "data/impression.h"

namespace corv {
namespace {

std::wstring Large(const std::string& s) {
  if (s.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// One argument quoted the way the C runtime's command line parser reads it
// back: backslashes are literal except before a quote.
void Ajouter(std::wstring* ligne, const std::wstring& arg) {
  if (!ligne->empty()) ligne->push_back(L' ');
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    *ligne += arg;
    return;
  }
  ligne->push_back(L'"');
  size_t barres = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++barres;
      continue;
    }
    if (c == L'"') ligne->append(barres * 2 + 1, L'\\');
    else ligne->append(barres, L'\\');
    barres = 0;
    ligne->push_back(c);
  }
  ligne->append(barres * 2, L'\\');
  ligne->push_back(L'"');
}

}  // namespace

bool EstExecutableHote(const std::string& cheminHote) {
  (void)cheminHote;
  return false;
}

int LancerEtAttendre(const std::string& programmeHote, const std::vector<std::string>& arguments) {
  if (programmeHote.empty()) return -1;
  std::wstring programme = Large(programmeHote);
  for (wchar_t& c : programme)
    if (c == L'/') c = L'\\';
  std::wstring ligne;
  Ajouter(&ligne, programme);
  for (const std::string& a : arguments) Ajouter(&ligne, Large(a));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(programme.c_str(), ligne.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  ::CloseHandle(pi.hThread);
  DWORD code = static_cast<DWORD>(-1);
  bool fini = ::WaitForSingleObject(pi.hProcess, INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hProcess);
  return fini ? static_cast<int>(code) : -1;
}

}  // namespace corv
