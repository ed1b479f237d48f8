// The editor on a real display, its commands recorded, driven from timers.
#pragma once

#include "control_ids.h"
#include "editor.h"
#include "editor_app.h"
#include "editor_settings.h"
#include "editor_state.h"
#include "editor_window.h"
#include "history.h"
#include "preview.h"
#include "qt_platform.h"
#include "texture_folders.h"
#include "textures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

// What one test chooses must not reach the next.
inline void resetPreviewChoicesAndFolders() {
    previewStages = PREVIEW_WHOLE_SCRIPT;
    previewBackground = BACKGROUND_BLUE;
    previewPaused = false;
    clearTextureFolders();
    clearScriptFolders();
    forgetFolderContents();
}

// The file named in the dialog's name box, then Open or Save pressed.
inline void chooseFile(QFileDialog* dialog, const QString& path) {
    // Drops the file offered; leaves the box alone while it has the focus.
    dialog->selectFile(path);
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

class QtEditorTest : public testing::Test {
  protected:
    void SetUp() override {
        qt.commandObserver = [this](int id) { commands.push_back(id); };
    }
    void TearDown() override {
        qDeleteAll(timers.children());
        if (started) tearDownEditor();
        platform = nullptr;
        currentScript = nullptr;
        currentStage = nullptr;
        quitRequested = 0;
        resetPreviewChoicesAndFolders();
        QSettings(settingsApplicationName(), settingsApplicationName()).clear();
        textureCount = 0;
        clearHistory();
        freeAllScripts();
        markLibrarySaved();
    }
    // The program's start-up, without its main loop.
    void startOnScreen() {
        startEditor(qt);
        started = true;
        ASSERT_TRUE(QTest::qWaitForWindowActive(qt.editorWindow()));
        commands.clear();
    }
    // Calls step every 10 ms until it returns true (not while it waits in a dialog).
    void poll(std::function<bool()> step) {
        auto* timer = new QTimer(&timers);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
            timer->stop();
            step() ? timer->deleteLater() : timer->start();
        });
        timer->start(10);
    }
    // Runs step on the next dialog of that class shown, from inside its event loop.
    template <class Dialog>
    void answer(std::function<void(Dialog*)> step) {
        poll([step] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return false;
            step(dialog);
            return true;
        });
    }
    // Ends a run that went wrong: closes any dialog and leaves without asking.
    void giveUpAfter(int milliseconds) {
        QTimer::singleShot(milliseconds, &timers, [this] {
            ADD_FAILURE() << "the main loop did not end";
            qDeleteAll(timers.findChildren<QTimer*>());
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            markLibrarySaved();
            QTimer::singleShot(100, [this] { trigger(IDM_FILE_EXIT); });
        });
    }
    // Runs the whole program, taking wayOut once the preview has drawn.
    int runTaking(std::function<void()> wayOut) {
        poll([this, wayOut] {
            if (qt.framesSwapped() < 2) return false;
            wayOut();
            return true;
        });
        giveUpAfter(10000);
        return runEditor(qt);
    }
    void trigger(int menuId) { qt.editorWindow()->menuAction(menuId)->trigger(); }

    QtPlatform qt;
    QObject timers;  // parent of the test's timers, which end with it
    std::vector<int> commands;
    bool started = false;
};
