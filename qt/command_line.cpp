#include "command_line.h"

#include <cstdio>
#include <cstring>

static const char USAGE[] =
    "Usage: veltraed [FILE...]\n"
    "Edit Veltra shader script files. Each FILE is read at start, in order,\n"
    "as File, Open reads it: its scripts are merged into the library.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n";

int runInformationalOptions(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--") == 0) break;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(USAGE, stdout);
            return 0;
        }
        if (strcmp(argv[i], "--version") == 0) {
            printf("veltraed %s\n", VELTRAED_VERSION);
            return 0;
        }
    }
    return -1;
}

bool filesFromArguments(const QStringList& arguments, QStringList& files) {
    bool options = true;
    for (int i = 1; i < arguments.size(); i++) {
        const QString& argument = arguments[i];
        if (options && argument == QStringLiteral("--")) {
            options = false;
        } else if (options && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            fprintf(stderr, "veltraed: unknown option %s\n%s", argument.toLocal8Bit().constData(),
                    USAGE);
            return false;
        } else {
            files << argument;
        }
    }
    return true;
}
