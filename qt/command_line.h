// The program's command line, `veltraed [FILE...]`, and the opening of
// files from outside the File menu (the command line, a drop).
#pragma once

#include <QStringList>

class QtPlatform;

// --help and --version print and give the exit code; -1 for every other
// command line. Runs before any window exists, so needs no display.
int runInformationalOptions(int argc, char** argv);
// The files named by the arguments that Qt left (the program name first).
// False, after saying why on stderr, for an option the program does not know.
bool filesFromArguments(const QStringList& arguments, QStringList& files);
// Reads each file in order as File, Open does; the files that cannot be
// read are named together in one message box.
void openFiles(QtPlatform& qt, const QStringList& paths);
