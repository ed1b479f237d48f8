// veltra: Veltra script files from the command line (see cli.h).
#include "cli.h"

int main(int argc, char** argv) {
    return runVeltra(argc, argv, {stdout, stderr});
}
