// Typing into the script text pane of the real editor on a script of 1,000
// lines (250 stages): the longest the event loop goes without turning (the
// longest gap of a 1 ms probe timer) while 200 characters are typed, one every
// 40 ms, into the middle stage, against the same typing into a plain
// QPlainTextEdit of the same size, font and text, in turns. The preview's
// redraw timer is stopped meanwhile: its frames are bench_script_text's. Also
// the longest stall of applying the typing after its pause (Edit Text, the
// lists, the panel and the pane shown again). Budget: 16 ms, one frame of a
// 60 Hz display. Needs an X display.
#include "bench_timing.h"
#include "control_ids.h"
#include "editor_app.h"
#include "editor_window.h"
#include "qt_platform.h"
#include "script_text_pane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

constexpr int STAGES = 250;
constexpr int TYPED_CHARACTERS = 200;
constexpr int KEY_INTERVAL_MS = 40;
constexpr int RUNS = 5;
constexpr double BUDGET_MS = 16.0;
static const char* const IMAGES[] = {"stone.tga", "glow.tga", "water.tga", "grate.tga"};

// Four lines a stage, the textures beside the file.
static std::string scriptText() {
    std::string text = "wall/big\n{\n";
    for (int i = 0; i < STAGES; i++) {
        text += "\t{\n\t\tmap " + std::string(IMAGES[i % 4]) + "\n";
        text += "\t\tblendfunc GL_ONE GL_ONE\n\t}\n";
    }
    return text + "}\n";
}

// The longest gap between the turns of the event loop while it runs.
class StallProbe : public QObject {
  public:
    StallProbe() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        connect(&timer, &QTimer::timeout, this, [this] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, (double)(now - last) / 1e6);
            last = now;
        });
    }
    void start() {
        longest = 0;
        last = 0;
        clock.start();
        timer.start();
    }
    double stop() {
        timer.stop();
        return longest;
    }

  private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    double longest = 0;
};

// Words as a stage holds them, typed at the cursor key by key.
static QByteArray typedKeys() {
    QByteArray keys;
    while (keys.size() < TYPED_CHARACTERS) keys += " rotate 12.5 scroll sine 0.5";
    return keys.left(TYPED_CHARACTERS);
}

static double longestStallTyping(QPlainTextEdit* edit) {
    const QByteArray keys = typedKeys();
    StallProbe probe;
    QEventLoop typing;
    QTimer next;
    int typed = 0;
    QObject::connect(&next, &QTimer::timeout, [&] {
        if (typed == keys.size()) return typing.quit();
        QTest::keyClick(edit, keys[typed++]);
    });
    probe.start();
    next.start(KEY_INTERVAL_MS);
    typing.exec();
    return probe.stop();
}

// The cursor at the end of the middle stage's map line.
static void placeCursor(QPlainTextEdit* edit) {
    QTextCursor cursor(edit->document()->findBlockByNumber(2 + 4 * (STAGES / 2) + 1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    edit->setTextCursor(cursor);
    edit->setFocus();
}

int main(int argc, char** argv) {
    if (!getenv("DISPLAY")) {
        fprintf(stderr,
                "bench_text_typing needs an X display (scripts/run-benchmarks.sh starts one)\n");
        return 1;
    }
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("bench-text-typing-" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const char* image : IMAGES)
        fs::copy_file(fs::path(VELTRA_EXAMPLES_DIR "/pics/demo") / image, dir / image);
    const std::string path = (dir / "big.txt").string();
    std::ofstream(path) << scriptText();

    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    EditorApp editor;
    QtPlatform& qt = editor.platform();
    editor.start();
    editor.openFiles({QString::fromStdString(path)});
    qt.listSetSelection(IDC_SCRIPT_LIST, 0);
    editor.runCommand(IDC_SCRIPT_LIST);
    QTest::qWait(500);  // the textures loaded, the problems found
    qt.stopRedrawTimer();
    ScriptTextPane* pane = qt.scriptTextPane();
    ScriptTextEdit* paneEdit = pane->editor();

    QPlainTextEdit plain;
    plain.setFont(paneEdit->font());
    plain.setLineWrapMode(QPlainTextEdit::NoWrap);
    plain.setPlainText(paneEdit->toPlainText());
    plain.resize(paneEdit->size());
    plain.show();
    if (!QTest::qWaitForWindowExposed(&plain)) return 1;

    std::vector<double> paneStalls, plainStalls, applyStalls;
    for (int run = 0; run < RUNS; run++) {
        qt.editorWindow()->activateWindow();
        placeCursor(paneEdit);
        paneStalls.push_back(longestStallTyping(paneEdit));
        StallProbe probe;
        probe.start();
        QTest::qWait(pane->typingTimer().interval() + 300);
        applyStalls.push_back(probe.stop());
        if (pane->typingTimer().isActive() || pane->typingUnapplied()) {
            fprintf(stderr, "the typing was not applied\n");
            return 1;
        }
        placeCursor(&plain);
        plainStalls.push_back(longestStallTyping(&plain));
    }
    markLibrarySaved(editor.context().library.history);
    editor.tearDown();
    fs::remove_all(dir);

    const double paneMs = median(paneStalls), plainMs = median(plainStalls);
    const double applyMs = median(applyStalls);
    printf(
        "Longest event-loop stall, median of %d runs of %d keys, one every %d ms, "
        "%d-stage script of %d lines\n",
        RUNS, TYPED_CHARACTERS, KEY_INTERVAL_MS, STAGES, 3 + 4 * STAGES);
    printf("%-46s %8.2f ms\n", "plain QPlainTextEdit (baseline)", plainMs);
    printf("%-46s %8.2f ms\n", "script text pane, typing", paneMs);
    printf("%-46s %8.2f    of %.0f ms: %.2f\n", "pane / baseline", paneMs / plainMs, BUDGET_MS,
           paneMs / BUDGET_MS);
    printf("%-46s %8.2f ms  of %.0f ms: %.2f\n", "applying the typing after its pause", applyMs,
           BUDGET_MS, applyMs / BUDGET_MS);
    return 0;
}
