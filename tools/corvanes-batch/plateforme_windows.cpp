#include <io.h>
#include <windows.h>
// After windows.h, which it builds on.

#include <cstdlib>

#include "plateforme.h"

namespace corv::batch {
namespace {

std::string Utf8(const wchar_t* w, size_t len) {
  if (len == 0) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(len), s.data(), n, nullptr, nullptr);
  return s;
}

UINT codePageAvant = 0;

void RestaurerConsole() {
  if (codePageAvant != 0) ::SetConsoleOutputCP(codePageAvant);
}

}  // namespace

void PreparerConsole() {
  // Our text is UTF-8: the console shows it as such (cmd.exe and PowerShell
  // alike) while we run, and gets its own code page back at exit.
  UINT cp = ::GetConsoleOutputCP();
  if (cp != 0 && cp != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    codePageAvant = cp;
    std::atexit(RestaurerConsole);
  }
  // The progress line is cleared with "ESC [ K", which consoles understand
  // once asked to (Windows 10 and later).
  HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err != INVALID_HANDLE_VALUE && ::GetConsoleMode(err, &mode))
    ::SetConsoleMode(err, mode | ENABLE_PROCESSED_OUTPUT | 0x0004 /* ENABLE_VIRTUAL_TERMINAL_PROCESSING */);
}

bool EstTerminal(std::FILE* f) {
  // A console, not the character device "NUL" that _isatty also accepts.
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode);
}

std::string CheminExecutable(const char* argv0) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return argv0;
    if (n < buf.size()) return Utf8(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

}  // namespace corv::batch
