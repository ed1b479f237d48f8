// Never losing work on the real windows: the Edit menu and its shortcuts, the
// title's unsaved mark, the quit prompt's answers, files from the command line
// and from a drop, and the recovery copy of an editor killed outright.
#include "qt_fixture.h"

#include "command_line.h"
#include "recovery.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>

#include <csignal>
#include <fstream>

static QStringList recoveryCopies() {
    return QDir(RecoveryKeeper::stateFolder()).entryList({"*.txt"});
}

class QtHistoryTest : public QtEditorTest {
  protected:
    // An item as the user sees it: its text, and whether it is greyed.
    QString shown(int id) {
        return menuItem(id)->text() + (menuItem(id)->isEnabled() ? "" : " (greyed)");
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

// Each item names its step and is greyed with none; the title names the file
// opened, marked while the library differs from it (opening is no change).
TEST_F(QtHistoryTest, EditMenuNamesItsStepsAndItsShortcutsUndoAndRedo) {
    startOnScreen();
    auto open = [&] { drop({write("first.txt", safeScript("first"))}); };
    auto add = [&] {
        qt().setText(IDC_SCRIPT_NAME, "added");
        click(IDC_SCRIPT_ADD);
    };
    auto undo = [&] { keys(Qt::CTRL | Qt::Key_Z); };
    auto redo = [&] { keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z); };
    auto redoByY = [&] { keys(Qt::CTRL | Qt::Key_Y); };
    const struct {
        const char* step;
        std::function<void()> act;
        QString undo, redo, title;
    } steps[] = {
        {"start", [] {}, "&Undo (greyed)", "&Redo (greyed)", "VeltraEd"},
        {"a dropped file", open, "&Undo Open", "&Redo (greyed)", "first.txt — VeltraEd"},
        {"Script Add", add, "&Undo Script Add", "&Redo (greyed)", "first.txt* — VeltraEd"},
        {"Ctrl+Z", undo, "&Undo Open", "&Redo Script Add", "first.txt — VeltraEd"},
        {"Ctrl+Z again", undo, "&Undo (greyed)", "&Redo Open", "VeltraEd*"},
        {"Ctrl+Shift+Z", redo, "&Undo Open", "&Redo Script Add", "first.txt — VeltraEd"},
        {"Ctrl+Y", redoByY, "&Undo Script Add", "&Redo (greyed)", "first.txt* — VeltraEd"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_EQ(shown(IDM_EDIT_UNDO), step.undo);
        EXPECT_EQ(shown(IDM_EDIT_REDO), step.redo);
        EXPECT_EQ(title(), step.title);
    }
}

// Cancel keeps the editor, and so does Save whose dialog is cancelled; Save
// that writes lets it end: from File > Exit, the close box and Ctrl+Q alike.
// The prompt's Save is a command like any other: the title follows it.
TEST_F(QtHistoryTest, QuitPromptCancelsOrSavesFirst) {
    startOnScreen();
    const QString first = write("first.txt", safeScript("first"));
    app->openFiles({first});
    qt().setText(IDC_SCRIPT_NAME, "added");
    app->runCommand(IDC_SCRIPT_ADD);  // a script of no file: Save asks where it goes
    commands.clear();
    const QString saved = folder.filePath("saved.txt");
    auto exitItem = [&] { menuItem(IDM_FILE_EXIT)->trigger(); };
    auto closeBox = [&] { window()->windowHandle()->close(); };
    auto ctrlQ = [&] { keys(Qt::CTRL | Qt::Key_Q); };
    const QString unsaved = "first.txt* — VeltraEd";
    const struct {
        const char* way;
        std::function<void()> quit;
        std::vector<Step> answers;
        int quitting;
        QString title;
    } ways[] = {
        {"File > Exit, Cancel", exitItem, {press(QMessageBox::Cancel)}, 0, unsaved},
        {"close box, Save, no file",
         closeBox,
         {press(QMessageBox::Save), chooseFileStep({})},
         0,
         unsaved},
        {"Ctrl+Q, Save",
         ctrlQ,
         {press(QMessageBox::Save), chooseFileStep(saved)},
         1,
         "first.txt and 1 more — VeltraEd"},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        window()->activateWindow();  // shortcuts reach the active window only
        ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
        runSteps(way.answers);
        way.quit();
        EXPECT_EQ(g().quitRequested, way.quitting);
        EXPECT_EQ(title(), way.title);
    }
    EXPECT_EQ(boxTexts, QStringList(3, "Save changes to the library before closing?"));
    EXPECT_EQ(commands, (std::vector{IDM_FILE_EXIT, IDM_FILE_SAVE, IDM_FILE_EXIT, IDM_FILE_SAVE}));
    EXPECT_EQ(fileText(saved), "added\n{\n}\n");
    EXPECT_EQ(fileText(first), "first\n{\n\tsafe\n}\n");
}

// In order, as File > Open opens each; one box names the file that cannot be
// read. The command line's files reach the same opening (see the recovery test).
TEST_F(QtHistoryTest, DroppedFilesOpenInOrder) {
    startOnScreen();
    const QString missing = folder.filePath("missing.txt");
    runSteps({press(QMessageBox::Ok)});
    drop({write("first.txt", safeScript("first")), missing,
          write("second.txt", safeScript("second"))});
    EXPECT_EQ(scriptNames(), (QStringList{"first", "second"}));
    EXPECT_EQ(boxTexts, QStringList{"Could not read:\n" + missing});
    QStringList parsed;
    EXPECT_TRUE(filesFromArguments({"veltraed", "a.txt", "--", "-b.txt"}, parsed));
    EXPECT_EQ(parsed, (QStringList{"a.txt", "-b.txt"}));
    EXPECT_FALSE(filesFromArguments({"veltraed", "--frobnicate"}, parsed));
}

// An editor killed outright once the recovery copy of its change is written
// (a child process of this test running the program) leaves the copy for the
// next start. Restore gives the library back with its file: Save writes into
// it. Discard ends the editor without keeping a copy.
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
                          qt().listSetSelection(IDC_SCRIPT_LIST, 1);
                          app->runCommand(IDC_SCRIPT_LIST);
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
