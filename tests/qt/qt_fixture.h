// The editor started on the real display, with every command it dispatches
// recorded, and helpers to answer the modal dialogs it opens.
#pragma once

#include "qt_platform.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <functional>
#include <vector>

class QFileDialog;

class QtEditorTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Brings up the editor as the program does, without its main loop.
    void startOnScreen();
    template <class Widget>
    Widget* controlAs(int id) {
        Widget* widget = qobject_cast<Widget*>(qt.control(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }

    QtPlatform qt;
    std::vector<int> commands;  // every command dispatched, in order
    bool startedOnScreen = false;
};

// Types a name into the file name box of an open file dialog, as a user does
// (selectFile leaves the box alone while it has the keyboard focus).
void typeFileName(QFileDialog* dialog, const QString& name);

// Parent of the timers a test starts; they all end with the test.
QObject* testTimers();
void stopTestTimers();
// Runs step once, after the given time, unless the test has ended.
void runAfter(int milliseconds, std::function<void()> step);

// Runs answer on the next modal dialog of the given type as soon as it is
// shown, from inside its event loop.
void pollForModal(std::function<bool(QWidget*)> tryAnswer);
template <class Dialog>
void answerNextModal(std::function<void(Dialog*)> answer) {
    pollForModal([answer](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (!dialog) return false;
        answer(dialog);
        return true;
    });
}
