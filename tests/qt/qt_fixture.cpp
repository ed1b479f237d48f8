#include "qt_fixture.h"

#include "editor_app.h"
#include "editor_state.h"
#include "editor_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

void QtEditorTest::SetUp() {
    quitRequested = 0;
    qt.commandObserver = [this](int id) { commands.push_back(id); };
}

void QtEditorTest::TearDown() {
    stopTestTimers();
    if (startedOnScreen) tearDownEditor();
    platform = nullptr;
    currentScript = nullptr;
    currentStage = nullptr;
    quitRequested = 0;
}

void QtEditorTest::startOnScreen() {
    startEditor(qt);
    startedOnScreen = true;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qt.editorWindow()));
    ASSERT_TRUE(QTest::qWaitForWindowActive(qt.editorWindow()));
    commands.clear();
}

void typeFileName(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

QObject* testTimers() {
    static QObject* parent = new QObject(qApp);
    return parent;
}

void runAfter(int milliseconds, std::function<void()> step) {
    auto* timer = new QTimer(testTimers());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        timer->deleteLater();
        step();
    });
    timer->start(milliseconds);
}

void stopTestTimers() { qDeleteAll(testTimers()->findChildren<QTimer*>()); }

void pollForModal(std::function<bool(QWidget*)> tryAnswer) {
    auto* poll = new QTimer(testTimers());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tryAnswer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        poll->stop();  // answering may open the next dialog and wait in it
        if (tryAnswer(modal))
            poll->deleteLater();
        else
            poll->start();
    });
    poll->start(20);
}
