// VeltraEd on Qt: `veltraed [FILE...]`, with --help and --version. Qt takes
// its own options (-display, -platform, ...) first.
#include "command_line.h"
#include "editor_app.h"

#include <QApplication>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>

// With VELTRAED_REPORT_FIRST_FRAME=1 the program reports on stderr when its
// first preview frame is presented, for measuring start-up time.
static void reportFirstFrame(QtPlatform& qtPlatform,
                             std::chrono::steady_clock::time_point mainStarted) {
    const char* wanted = getenv("VELTRAED_REPORT_FIRST_FRAME");
    if (!wanted || wanted[0] != '1') return;
    qtPlatform.frameObserver = [mainStarted, reported = false]() mutable {
        if (reported) return;
        reported = true;
        const auto now = std::chrono::steady_clock::now();
        const double sinceMain =
            std::chrono::duration<double, std::milli>(now - mainStarted).count();
        const double wallClock =
            std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        fprintf(stderr, "veltraed: first preview frame at %.6f, %.1f ms after main\n", wallClock,
                sinceMain);
    };
}

int main(int argc, char** argv) {
    const auto mainStarted = std::chrono::steady_clock::now();
    const int informational = runInformationalOptions(argc, argv);
    if (informational >= 0) return informational;
    QApplication app(argc, argv);
    QStringList files;
    if (!filesFromArguments(QApplication::arguments(), files)) return 2;
    // Qt takes the process locale from the environment; numbers stay in the
    // C locale's format whatever it is.
    setlocale(LC_NUMERIC, "C");
    EditorApp editor;
    reportFirstFrame(editor.platform(), mainStarted);
    return editor.run(files);
}
