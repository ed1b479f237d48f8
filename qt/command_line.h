// The program's command line, `veltraed [FILE...]`.
#pragma once

#include <QStringList>

// --help and --version print and give the exit code; -1 for every other
// command line. Runs before any window exists, so needs no display.
int runInformationalOptions(int argc, char** argv);
// The files named by the arguments that Qt left (the program name first).
// False, after saying why on stderr, for an option the program does not know.
bool filesFromArguments(const QStringList& arguments, QStringList& files);
