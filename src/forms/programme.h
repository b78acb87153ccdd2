#pragma once
// The desktop program's run, from its arguments to its exit code, apart from
// main so that a test can start the program as a user does.
#include <string>
#include <vector>

namespace corv {

class Dialogs;

// args: the words after the program's name ("--ini FILE", "--captures DIR").
// exePath: the running executable's full path ("qvrbde.ini" is looked for
// beside it). boites: where messages go (message boxes in the program); with
// --captures they go to standard error instead.
// Starts the installation, shows the main window and runs the message loop,
// or writes the captures. Returns the exit code: 0; 1 a start that failed
// (after its one message) or captures that failed; 2 a usage error.
int ExecuterProgramme(const std::vector<std::string>& args, const std::string& exePath, Dialogs& boites);

}  // namespace corv
