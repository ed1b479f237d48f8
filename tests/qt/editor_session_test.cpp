// The whole program on a real display, from start-up through its main loop
// to teardown: the two ways out, the preview that cannot be closed, frames
// drawn into the preview's context, and nothing drawn after teardown.
#include "qt_fixture.h"

#include "control_ids.h"
#include "editor_app.h"
#include "editor_state.h"
#include "editor_window.h"
#include "preview_window.h"
#include "script_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QTest>
#include <QTimer>

#include <GL/gl.h>

#include <array>

namespace {

// Runs step once the loop is running and the preview has drawn frames.
void afterFrames(QtPlatform& qt, int frames, std::function<void()> step) {
    auto* wait = new QTimer(testTimers());
    QObject::connect(wait, &QTimer::timeout, wait, [&qt, frames, step, wait] {
        if (qt.framesSwapped() < frames) return;
        wait->stop();
        wait->deleteLater();
        step();
    });
    wait->start(10);
}

// A guard against a loop that never ends: the test fails instead of hanging.
void failAfter(QtPlatform& qt, int milliseconds) {
    runAfter(milliseconds, [&qt] {
        ADD_FAILURE() << "the main loop did not end";
        qt.editorWindow()->close();
    });
}

struct Pixel {
    GLubyte r, g, b, a;
};

Pixel readPixel(int x, int y) {
    Pixel pixel{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

}  // namespace

using EditorSessionTest = QtEditorTest;

TEST_F(EditorSessionTest, ExitEndsTheLoopAndTheProgramReturnsZero) {
    afterFrames(qt, 2, [this] { qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger(); });
    failAfter(qt, 10000);
    EXPECT_EQ(runEditor(qt), 0);
    EXPECT_EQ(commands, std::vector<int>{IDM_FILE_EXIT});
    EXPECT_EQ(quitRequested, 1);
}

TEST_F(EditorSessionTest, CloseBoxEndsTheLoop) {
    afterFrames(qt, 2, [this] { qt.editorWindow()->windowHandle()->close(); });
    failAfter(qt, 10000);
    EXPECT_EQ(runEditor(qt), 0);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_TRUE(commands.empty());
}

TEST_F(EditorSessionTest, PreviewIgnoresCloseRequestsAndDrawsOn) {
    int framesAtRequest = 0;
    bool closed = true;
    afterFrames(qt, 2, [&] {
        framesAtRequest = qt.framesSwapped();
        closed = qt.previewWindow()->close();
        afterFrames(qt, framesAtRequest + 3, [&] { qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger(); });
    });
    failAfter(qt, 10000);
    runEditor(qt);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(qt.previewWindow()->isVisible());
    EXPECT_GE(qt.framesSwapped(), framesAtRequest + 3);
}

TEST_F(EditorSessionTest, PreviewFramesReachTheWindowsContext) {
    Pixel corner{}, centre{};
    int width = 0, height = 0;
    qt.frameObserver = [&] {
        if (qt.framesSwapped() != 3) return;
        width = qt.previewWindow()->width();
        height = qt.previewWindow()->height();
        corner = readPixel(1, 1);
        centre = readPixel(width / 2, height / 2);
    };
    afterFrames(qt, 5, [this] { qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger(); });
    failAfter(qt, 10000);
    QSurfaceFormat format;
    runAfter(0, [&] {
        if (qt.previewContext()) format = qt.previewContext()->format();
    });
    runEditor(qt);
    ASSERT_GT(width, 0);
    EXPECT_GE(format.depthBufferSize(), 24);
    EXPECT_GE(format.stencilBufferSize(), 8);
    EXPECT_EQ(format.swapBehavior(), QSurfaceFormat::DoubleBuffer);
    // The blue background fills the window; the placeholder is drawn in it.
    EXPECT_EQ((std::array<int, 3>{corner.r, corner.g, corner.b}), (std::array<int, 3>{0, 0, 255}));
    EXPECT_FALSE(centre.r == 0 && centre.g == 0 && centre.b == 255);
}

TEST_F(EditorSessionTest, TeardownDrawsNothingAfterTheScriptsAreFreed) {
    // The preview draws a script of the library on every frame until the end.
    Script* script = appendScript("textures/water");
    appendEmptyStage(script);
    currentScript = script;
    int framesWithoutLibrary = 0;
    qt.frameObserver = [&] {
        if (!scriptLibrary) framesWithoutLibrary++;
    };
    afterFrames(qt, 3, [this] { qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger(); });
    failAfter(qt, 10000);
    runEditor(qt);
    currentScript = nullptr;
    EXPECT_EQ(scriptLibrary, nullptr);
    EXPECT_FALSE(qt.redrawTimerActive());
    EXPECT_EQ(qt.previewContext(), nullptr);

    const int frames = qt.framesSwapped();
    const int ticks = qt.redrawTicks();
    QTest::qWait(250);  // five timer periods
    EXPECT_EQ(qt.framesSwapped(), frames);
    EXPECT_EQ(qt.redrawTicks(), ticks);
    EXPECT_EQ(framesWithoutLibrary, 0);
}
