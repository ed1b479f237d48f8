// Never losing work: Undo and Redo, the unsaved mark, the quit prompt, dropped files, recovery.
#include "qt_fixture.h"

#include "command_line.h"
#include "recovery.h"

#include <QDropEvent>
#include <QMimeData>

#include <csignal>

static QStringList recoveryCopies() {
    return QDir(RecoveryKeeper::stateFolder()).entryList({"*.txt"});
}

class QtHistoryTest : public QtEditorTest {
  protected:
    // Undo's and Redo's items as the user sees them, greyed or not, then the title.
    std::string shown() {
        QString text;
        for (int id : {IDM_EDIT_UNDO, IDM_EDIT_REDO})
            text += menuItem(id)->text() + (menuItem(id)->isEnabled() ? " | " : " (greyed) | ");
        return (text + title()).toStdString();
    }
    // Drops the files on the editor window as a file manager does.
    void drop(const QStringList& paths) {
        QMimeData data;
        for (const QString& path : paths) data.setUrls(data.urls() << QUrl::fromLocalFile(path));
        const QPoint centre = window()->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window(), &drop);
    }
};

// Dropped files open in order, one box naming those unread; Undo and Redo name their steps,
// greyed with none, their keys run them; the title names the files, marked while unsaved.
TEST_F(QtHistoryTest, EditMenuNamesItsStepsAndItsShortcutsUndoAndRedo) {
    startOnScreen();
    EXPECT_EQ(shown(), "&Undo (greyed) | &Redo (greyed) | VeltraEd");
    const QString missing = folder.filePath("missing.txt");
    runSteps({press(QMessageBox::Ok)});
    drop({write("first.txt", safeScript("first")), missing,
          write("second.txt", safeScript("second"))});
    EXPECT_EQ(scriptNames(), (QStringList{"first", "second"}));
    EXPECT_EQ(boxTexts, QStringList{"Could not read:\n" + missing});
    EXPECT_EQ(shown(), "&Undo Open | &Redo (greyed) | first.txt and 1 more — VeltraEd");
    window()->activateWindow();  // after the box: shortcuts reach the active window only
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    qt().setText(IDC_SCRIPT_NAME, "added");
    click(IDC_SCRIPT_ADD);
    const std::pair<QKeyCombination, const char*> steps[] = {
        {{}, "&Undo Script Add | &Redo (greyed) | first.txt and 1 more* — VeltraEd"},
        {Qt::CTRL | Qt::Key_Z, "&Undo Open | &Redo Script Add | first.txt and 1 more — VeltraEd"},
        {Qt::CTRL | Qt::Key_Z, "&Undo (greyed) | &Redo Open | VeltraEd*"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z,
         "&Undo Open | &Redo Script Add | first.txt and 1 more — VeltraEd"},
    };
    for (const auto& [pressed, expected] : steps) {
        if (pressed.key() != Qt::Key_unknown) keys(pressed);
        EXPECT_EQ(shown(), expected) << QKeySequence(pressed).toString().toStdString();
    }
}

// The quit prompt's Cancel, or a Save not written, keeps the editor: from Exit, close box, Ctrl+Q.
TEST_F(QtHistoryTest, QuitPromptCancelsOrSavesFirst) {
    startOnScreen();
    const QString first = write("first.txt", safeScript("first"));
    app->openFiles({first});
    qt().setText(IDC_SCRIPT_NAME, "added");
    app->runCommand(IDC_SCRIPT_ADD);  // a script of no file: Save asks where it goes
    commands.clear();
    const QString saved = folder.filePath("saved.txt");
    const struct {
        std::function<void()> quit;
        std::vector<Step> answers;
        QString shown;  // the title, then whether the editor is ending
    } ways[] = {
        {[&] { menuItem(IDM_FILE_EXIT)->trigger(); },
         {press(QMessageBox::Cancel)},
         "first.txt* — VeltraEd"},
        {[&] { window()->windowHandle()->close(); },
         {press(QMessageBox::Save), chooseFileStep({})},
         "first.txt* — VeltraEd"},
        {[&] { keys(Qt::CTRL | Qt::Key_Q); },
         {press(QMessageBox::Save), chooseFileStep(saved)},
         "first.txt and 1 more — VeltraEd, ending"},
    };
    for (const auto& way : ways) {
        window()->activateWindow();  // shortcuts reach the active window only
        ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
        runSteps(way.answers);
        way.quit();
        EXPECT_EQ(title() + (g().quitRequested ? ", ending" : ""), way.shown);
    }
    EXPECT_EQ(boxTexts, QStringList(3, "Save changes to the library before closing?"));
    EXPECT_EQ(commands, (std::vector{IDM_FILE_EXIT, IDM_FILE_SAVE, IDM_FILE_EXIT, IDM_FILE_SAVE}));
    EXPECT_EQ(fileText(saved), "added\n{\n}\n");
}

// The command line's files, "--" ending the options; an unknown option is refused.
TEST(CommandLine, FilesFollowTheOptions) {
    QStringList parsed;
    EXPECT_TRUE(filesFromArguments({"veltraed", "a.txt", "--", "-b.txt"}, parsed));
    EXPECT_EQ(parsed, (QStringList{"a.txt", "-b.txt"}));
    EXPECT_FALSE(filesFromArguments({"veltraed", "--frobnicate"}, parsed));
}

// A killed editor's copy (a child process's) is offered: Restore gives back the library with its
// file, which Save writes; Discard ends the editor without keeping a copy.
TEST_F(QtHistoryTest, RecoveryCopyOfAKilledEditorIsRestoredWithItsFile) {
    // In the folder the child shares.
    const QString input = QDir(qEnvironmentVariable("XDG_STATE_HOME")).filePath("first.txt");
    std::ofstream(input.toStdString()) << "first\n{\n\tsafe\n}\nsecond\n{\n\tsubdivide 16\n}\n";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EXIT(
        {
            const QString copy =
                RecoveryKeeper::stateFolder() + QStringLiteral("/recovery-%1.txt").arg(getpid());
            runSteps({[this] { return g().library.scripts != nullptr; },
                      later([this] {  // Script Delete of "second"
                          pick(IDC_SCRIPT_LIST, 1);
                          app->runCommand(IDC_SCRIPT_DELETE);
                      }),
                      [this, copy] {
                          if (!QFile::exists(copy)) return false;
                          folder.remove();
                          return raise(SIGKILL) == 0;
                      }});
            app->run({input});
        },
        testing::KilledBySignal(SIGKILL), "");

    runSteps({
        press(QMessageBox::NoButton),  // Restore
        later([this] {
            EXPECT_EQ(title(), QString("first.txt* — VeltraEd"));
            app->runCommand(IDM_FILE_SAVE);
        }),
        [] { return recoveryCopies().isEmpty(); },
        later([this] {
            app->runCommand(IDM_EDIT_UNDO);
            app->runCommand(IDM_FILE_EXIT);
        }),
        press(QMessageBox::Discard),
    });
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(boxTexts,
              (QStringList{"VeltraEd did not close normally. Restore the unsaved library?",
                           "Save changes to the library before closing?"}));
    EXPECT_EQ(fileText(input), "first\n{\n\tsafe\n}\n\n");
    EXPECT_EQ(recoveryCopies(), QStringList());
}
