// Never losing work on the real windows: the Edit menu and its shortcuts, the
// title's unsaved mark, the quit prompt's answers, files from the command line
// and from a drop, and the recovery copy of an editor killed outright.
#include "qt_fixture.h"

#include "command_line.h"
#include "recovery.h"
#include "script_file.h"

#include <QAbstractButton>
#include <QDir>
#include <QDropEvent>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

static std::string fileText(const QString& path) {
    std::stringstream text;
    text << std::ifstream(path.toStdString()).rdbuf();
    return text.str();
}

class QtHistoryTest : public QtEditorTest {
  protected:
    // A file of its own for each name: "name { safe }", without textures to locate.
    QString scriptFile(const QString& name) {
        const QString path = folder.filePath(name + ".txt");
        std::ofstream(path.toStdString()) << name.toStdString() << "\n{\n\tsafe\n}\n";
        return path;
    }
    QStringList scriptNames() {
        QStringList names;
        auto* list = qobject_cast<QListView*>(qt.control(IDC_SCRIPT_LIST));
        const QAbstractItemModel* entries = list->model();
        for (int row = 0; row < entries->rowCount(); row++)
            names << entries->index(row, 0).data().toString();
        return names;
    }
    QString title() { return qt.editorWindow()->windowHandle()->title(); }
    void keys(QKeyCombination combination) {
        QTest::keyClick(qt.editorWindow(), combination.key(), combination.keyboardModifiers());
    }
    // Each step runs from a 10 ms timer until it returns true, then the next.
    // A step that opens a modal dialog must do so later(), from a timer of its own.
    void runSteps(std::vector<std::function<bool()>> steps) {
        auto next = std::make_shared<size_t>(0);
        poll([steps, next] {
            while (*next < steps.size() && steps[*next]()) ++*next;
            return *next == steps.size();
        });
    }
    // Once no dialog is open, so that the command a dialog ends has finished
    // (a command that arrives while another runs is dropped).
    static std::function<bool()> later(std::function<void()> action) {
        return [action] {
            if (QApplication::activeModalWidget()) return false;
            QTimer::singleShot(50, action);
            return true;
        };
    }
    // Presses the button of the message box shown, noting its text.
    std::function<bool()> answerBox(QMessageBox::StandardButton button) {
        return [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return false;
            boxTexts << box->text();
            QAbstractButton* pressed = box->button(button);
            for (QAbstractButton* other : box->buttons())
                if (!pressed && other->text() == "Restore") pressed = other;  // not a standard one
            pressed->click();
            return true;
        };
    }
    // Answers the file dialog shown with path, or cancels it for an empty path.
    std::function<bool()> answerFile(const QString& path) {
        return [path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return false;
            if (path.isEmpty()) {
                dialog->reject();
                return true;
            }
            chooseFile(dialog, path);
            return true;
        };
    }
    std::function<bool()> check(std::function<void()> expectations) {
        return [expectations] {
            expectations();
            return true;
        };
    }

    QTemporaryDir folder;
    QStringList boxTexts;
};

// Disabled with nothing to undo or redo; each item names its step; the title
// is "VeltraEd" exactly when nothing is unsaved.
TEST_F(QtHistoryTest, EditMenuNamesItsStepsAndItsShortcutsUndoAndRedo) {
    startOnScreen();
    QAction* undo = qt.editorWindow()->menuAction(IDM_EDIT_UNDO);
    QAction* redo = qt.editorWindow()->menuAction(IDM_EDIT_REDO);
    auto menu = [&] {
        return std::tuple(undo->text(), undo->isEnabled(), redo->text(), redo->isEnabled());
    };
    EXPECT_EQ(menu(), std::tuple("&Undo", false, "&Redo", false));
    EXPECT_EQ(title(), "VeltraEd");

    openFiles(qt, {scriptFile("first")});
    qt.setText(IDC_SCRIPT_NAME, "added");
    QTest::mouseClick(qt.control(IDC_SCRIPT_ADD), Qt::LeftButton);
    EXPECT_EQ(menu(), std::tuple("&Undo Script Add", true, "&Redo", false));
    EXPECT_EQ(title(), "VeltraEd*");
    keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(menu(), std::tuple("&Undo Open", true, "&Redo Script Add", true));
    EXPECT_EQ(scriptNames(), QStringList{"first"});
    keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(menu(), std::tuple("&Undo", false, "&Redo Open", true));
    EXPECT_EQ(title(), "VeltraEd");
    keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    keys(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(menu(), std::tuple("&Undo Script Add", true, "&Redo", false));
    EXPECT_EQ(scriptNames(), (QStringList{"first", "added"}));
    EXPECT_EQ(title(), "VeltraEd*");
}

// Cancel keeps the editor; Save whose dialog is cancelled keeps it; Save that
// writes ends it, from File > Exit, the close box and Ctrl+Q alike.
TEST_F(QtHistoryTest, QuitPromptCancelsOrSavesFirst) {
    const QString saved = folder.filePath("saved.txt");
    using Box = QMessageBox;
    runSteps({
        [this] { return qt.framesSwapped() >= 2; },
        later([this] {
            openFiles(qt, {scriptFile("first")});
            trigger(IDM_FILE_EXIT);
        }),
        answerBox(Box::Cancel),
        later([this] { qt.editorWindow()->windowHandle()->close(); }),
        answerBox(Box::Save),
        answerFile(QString()),
        check([this] { EXPECT_TRUE(qt.editorWindow()->isVisible()); }),
        [this] {
            qt.editorWindow()->activateWindow();  // shortcuts reach the active window only
            return qt.editorWindow()->isActiveWindow();
        },
        later([this] { keys(Qt::CTRL | Qt::Key_Q); }),
        answerBox(Box::Save),
        answerFile(saved),
    });
    giveUpAfter(10000);
    EXPECT_EQ(runEditor(qt), 0);
    const QString question = "Save changes to the library before closing?";
    EXPECT_EQ(boxTexts, QStringList(3, question));
    EXPECT_EQ(fileText(saved).rfind("first\n{\n\tsafe\n", 0), 0u);
    EXPECT_FALSE(QFile::exists(RecoveryKeeper::stateFolder() +
                               QStringLiteral("/recovery-%1.txt").arg(getpid())));
}

// Files of the command line open in order, one box names the one that cannot
// be read; a file dropped on the editor opens the same way. Discard ends the
// editor without writing anything.
TEST_F(QtHistoryTest, CommandLineFilesAndADroppedFileOpen) {
    const QString missing = folder.filePath("missing.txt");
    const QStringList files = {scriptFile("first"), missing, scriptFile("second")};
    QStringList namesAtStart;
    runSteps({
        answerBox(QMessageBox::Ok),
        [this] { return qt.framesSwapped() >= 2; },
        check([&] {
            namesAtStart = scriptNames();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(scriptFile("dropped"))});
            const QPoint centre = qt.editorWindow()->rect().center();
            QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(qt.editorWindow(), &enter);
            EXPECT_TRUE(enter.isAccepted());
            QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(qt.editorWindow(), &drop);
        }),
        later([this] { trigger(IDM_FILE_EXIT); }),
        answerBox(QMessageBox::Discard),
    });
    giveUpAfter(10000);
    EXPECT_EQ(runEditor(qt, files), 0);
    EXPECT_EQ(namesAtStart, (QStringList{"first", "second"}));
    EXPECT_EQ(boxTexts.value(0), "Could not read:\n" + missing);
    EXPECT_EQ(boxTexts.value(1), "Save changes to the library before closing?");
    EXPECT_EQ(boxTexts.size(), 2);
    EXPECT_TRUE(QDir(RecoveryKeeper::stateFolder()).entryList({"*.txt"}).isEmpty());
    QStringList parsed;
    EXPECT_TRUE(filesFromArguments({"veltraed", "a.txt", "--", "-b.txt"}, parsed));
    EXPECT_EQ(parsed, (QStringList{"a.txt", "-b.txt"}));
    EXPECT_FALSE(filesFromArguments({"veltraed", "--frobnicate"}, parsed));
}

// The editor itself, killed once its recovery copy is written, leaves the copy
// for the next start: Restore, then Save, gives the library it had.
TEST_F(QtHistoryTest, RecoveryCopyOfAKilledEditorIsRestored) {
    const QString input = scriptFile("first");
    std::ofstream(input.toStdString(), std::ios::app) << "second\n{\n\tsubdivide 16\n}\n";
    const QString expected = folder.filePath("expected.txt");
    readScriptFile(input.toUtf8().constData());
    ASSERT_TRUE(writeScriptFile(expected.toUtf8().constData()));
    freeAllScripts();

    QProcess editor;
    editor.start(VELTRAED_PROGRAM, {input});
    ASSERT_TRUE(editor.waitForStarted());
    const QString copy =
        RecoveryKeeper::stateFolder() + QStringLiteral("/recovery-%1.txt").arg(editor.processId());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileText(copy) == fileText(expected); }, 20000));
    editor.kill();  // SIGKILL
    ASSERT_TRUE(editor.waitForFinished());

    const QString saved = folder.filePath("saved.txt");
    runSteps({
        answerBox(QMessageBox::NoButton),  // Restore
        [this] { return qt.framesSwapped() >= 2; },
        check([this] { EXPECT_EQ(title(), "VeltraEd*"); }),
        later([this] { trigger(IDM_FILE_SAVE); }),
        answerFile(saved),
        [] { return QDir(RecoveryKeeper::stateFolder()).entryList({"*.txt"}).isEmpty(); },
        later([this] { trigger(IDM_FILE_EXIT); }),
    });
    giveUpAfter(20000);
    EXPECT_EQ(runEditor(qt), 0);
    EXPECT_EQ(boxTexts,
              QStringList{"VeltraEd did not close normally. Restore the unsaved library?"});
    EXPECT_EQ(fileText(saved), fileText(expected));
    EXPECT_TRUE(QDir(RecoveryKeeper::stateFolder()).entryList({"*.txt"}).isEmpty());
}
