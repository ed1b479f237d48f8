// The editor on a real display: a fresh EditorApp for each test, its commands recorded,
// driven from timers while its dialogs and main loop run.
#pragma once

#include "commands.h"
#include "control_ids.h"
#include "editor.h"
#include "editor_app.h"
#include "editor_window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <sstream>

// Failures show texts and sizes, not bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << 'x' << size.height();
}

// The bytes of a file.
inline std::string fileText(const QString& path) {
    std::stringstream text;
    text << std::ifstream(path.toStdString(), std::ios::binary).rdbuf();
    return text.str();
}

// A script of that name holding one word, without textures to locate.
inline std::string safeScript(const std::string& name) {
    return name + "\n{\n\tsafe\n}\n";
}

// The file named in the dialog's name box, then Open or Save pressed; an empty path cancels.
inline void chooseFile(QFileDialog* dialog, const QString& path) {
    if (path.isEmpty()) return dialog->reject();
    dialog->selectFile(path);  // drops the file offered; the box keeps its text while focused
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

// The next preview frame, drawn at time 0 (the clock's first step after it), as RGB rows
// from the top.
inline QImage nextPreviewFrame(QtPlatform& qt, PreviewState& preview) {
    QImage frame;
    preview.previewTime = 0;
    qt.frameObserver = [&] {
        GLint view[4];
        glGetIntegerv(GL_VIEWPORT, view);
        QImage rgba(view[2], view[3], QImage::Format_RGBA8888);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, view[2], view[3], GL_RGBA, GL_UNSIGNED_BYTE, rgba.bits());
        frame = rgba.mirrored().convertToFormat(QImage::Format_RGB888);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame.isNull(); }));
    qt.frameObserver = nullptr;
    return frame;
}

// A step of a test, run from a timer until it returns true.
using Step = std::function<bool()>;

// Waits for a dialog of that class to show, then acts on it.
template <class Dialog>
Step onDialog(std::function<void(Dialog*)> act) {
    return [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return false;
        act(dialog);
        return true;
    };
}

inline Step chooseFileStep(const QString& path) {
    return onDialog<QFileDialog>([path](QFileDialog* dialog) { chooseFile(dialog, path); });
}

// Once no dialog is open, so that the command a dialog ends has finished (a command that
// arrives while another runs is dropped).
inline Step later(std::function<void()> action) {
    return [action] {
        if (QApplication::activeModalWidget()) return false;
        QTimer::singleShot(50, action);
        return true;
    };
}

class QtEditorTest : public testing::Test {
  protected:
    QtEditorTest() {
        app->commandObserver = [this](int id) { commands.push_back(id); };
    }
    void TearDown() override {
        qDeleteAll(timers.children());
        if (started) app->tearDown();
        QSettings(settingsApplicationName(), settingsApplicationName()).clear();
    }
    QtPlatform& qt() { return app->platform(); }
    EditorContext& g() { return app->context(); }
    EditorWindow* window() { return qt().editorWindow(); }
    QAction* menuItem(int id) { return window()->menuAction(id); }
    QString title() { return window()->windowHandle()->title(); }
    QStringList scriptNames() {
        QStringList names;
        for (const Script* script = g().library.scripts; script; script = script->next)
            names << script->name;
        return names;
    }
    void click(int id) { QTest::mouseClick(qt().control(id), Qt::LeftButton); }
    void type(int id, const char* text) {
        click(id);  // a list that had the focus reports losing it first
        qobject_cast<QLineEdit*>(qt().control(id))->selectAll();
        QTest::keyClicks(qt().control(id), text);
    }
    // A file of the test's folder, dated long ago so that a rewrite shows.
    QString write(const QString& name, const std::string& text) {
        const QString path = folder.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        std::filesystem::last_write_time(path.toStdString(), LONG_AGO);
        return path;
    }
    void keys(QKeyCombination keys) {
        QTest::keyClick(window(), keys.key(), keys.keyboardModifiers());
    }
    // Selects that entry of a list and runs the list's command, as a click does.
    void pick(int list, int row) {
        qt().listSetSelection(list, row);
        app->runCommand(list);
    }
    // The text of the list's selected entry; empty with none.
    std::string selectedEntry(int list) {
        char text[64] = "";
        qt().listItemText(list, qt().listSelection(list), text, sizeof text);
        return text;
    }
    QListView* listView(int list) { return qobject_cast<QListView*>(qt().control(list)); }
    // The centre of that entry of a list, in its viewport.
    QPoint entryPlace(int list, int row) {
        return listView(list)->visualRect(listView(list)->model()->index(row, 0)).center();
    }

    // The program's start-up, without its main loop.
    void startOnScreen() {
        app->start();
        started = true;
        ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
        commands.clear();
    }
    // Each step in turn, from a 10 ms timer, the next once the one before returned true.
    void runSteps(std::vector<Step> steps) {
        auto* timer = new QTimer(&timers);
        QObject::connect(timer, &QTimer::timeout, timer,
                         [timer, steps, next = size_t(0)]() mutable {
                             timer->stop();
                             while (next < steps.size() && steps[next]()) next++;
                             next == steps.size() ? timer->deleteLater() : timer->start();
                         });
        timer->start(10);
    }
    // Acts on the next dialog of that class shown, from inside its event loop.
    template <class Dialog>
    void answer(std::function<void(Dialog*)> act) {
        runSteps({onDialog<Dialog>(act)});
    }
    // Presses that button of the message box shown (NoButton: its default), noting its text.
    Step press(QMessageBox::StandardButton button) {
        return onDialog<QMessageBox>([this, button](QMessageBox* box) {
            boxTexts << box->text();
            QAbstractButton* chosen = box->defaultButton();
            (button ? box->button(button) : chosen)->click();
        });
    }
    // Presses the message box's button of that caption, noting the box's text.
    Step pressButton(const QString& caption) {
        return onDialog<QMessageBox>([this, caption](QMessageBox* box) {
            boxTexts << box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == caption) button->click();
        });
    }
    // The whole program until it quits; one whose main loop does not end stops, saying so.
    int runProgram() {
        QTimer::singleShot(20000, &timers, [] { qFatal("the main loop did not end"); });
        return app->run();
    }

    const std::filesystem::file_time_type LONG_AGO =
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    QTemporaryDir folder;
    std::unique_ptr<EditorApp> app = std::make_unique<EditorApp>();
    QObject timers;  // parent of the test's timers, which end with it
    std::vector<int> commands;
    QStringList boxTexts;
    bool started = false;
};
