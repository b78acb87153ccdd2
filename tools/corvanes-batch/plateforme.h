#pragma once
// What the command line asks of the system it runs on: its own path, whether
// a stream is a terminal, and a console that shows UTF-8 text (accents
// included) with a progress line rewritten in place.
#include <cstdio>
#include <string>
#include <vector>

namespace corv::batch {

// Sets the console up for the run (Windows: UTF-8 output code page, the line
// clearing sequence understood); undone at exit.
void PreparerConsole();
bool EstTerminal(std::FILE* f);
// Full path of the running executable (argv0 when the system does not say).
std::string CheminExecutable(const char* argv0);

}  // namespace corv::batch
