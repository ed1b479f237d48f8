// Files belong to the artist, on the real windows: Save's questions before it
// drops words or overwrites a file changed on disk, several files opened from
// one dialog, and the Problems panel.
#include "qt_fixture.h"

#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>

#include <fstream>

class QtFilesTest : public QtEditorTest {
  protected:
    // Script Update at that row of the list, giving the script a new name.
    void rename(int row, const char* name) {
        qt().listSetSelection(IDC_SCRIPT_LIST, row);
        app->runCommand(IDC_SCRIPT_LIST);
        qt().setText(IDC_SCRIPT_NAME, name);
        app->runCommand(IDC_SCRIPT_UPDATE);
    }
    // Presses the message box's button of that caption, noting the box's text.
    Step pressButton(const QString& caption) {
        return onDialog<QMessageBox>([this, caption](QMessageBox* box) {
            boxTexts << box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == caption) button->click();
        });
    }
};

// A button of each question, on a file whose script was renamed; what each answer does
// the editor's tests show.
TEST_F(QtFilesTest, SaveAsksBeforeItDropsWordsOrOverwritesAFileChangedOnDisk) {
    const std::string laidOut = "renamed\n{\n}\n";
    const std::string elsewhere = "changed by another program\n";
    const struct {
        const char* answer;
        std::string before;  // the file as read
        bool changedOnDisk;
        std::string after;
        QString title;
    } rows[] = {
        {"Save Anyway", "a\n{\n\tglow 3\n}\n", false, laidOut, "a.txt — VeltraEd"},
        {"Cancel", "a { }\n", true, elsewhere, "a.txt* — VeltraEd"},
    };
    startOnScreen();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer + std::string(row.changedOnDisk ? ", changed on disk" : ""));
        const QString path = write("a.txt", row.before);
        app->openFiles({path});
        rename(0, "renamed");
        if (row.changedOnDisk) std::ofstream(path.toStdString()) << elsewhere;
        boxTexts.clear();
        runSteps({pressButton(row.answer)});
        app->runCommand(IDM_FILE_SAVE);
        const QString question =
            row.changedOnDisk
                ? '"' + path +
                      "\" was changed on disk since VeltraEd read it. Overwrite it with the "
                      "library's version?"
                : "Saving drops words that VeltraEd cannot hold:\n\n" + path +
                      ":3:2: 'glow' is not a script keyword; skipped [unknown-word]\n" + path +
                      ":3:7: '3' is not a script keyword; skipped [unknown-word]";
        EXPECT_EQ(boxTexts, QStringList{question});
        EXPECT_EQ(fileText(path), row.after);
        EXPECT_EQ(title(), row.title);
        // Found anew a moment after the window shows the file: the words are gone.
        const QLabel* count = window()->statusBar()->findChild<QLabel*>();
        (void)QTest::qWaitFor([&] { return count->text() == "0 problems in 1 file"; });
        EXPECT_EQ(count->text(), "0 problems in 1 file");
        app->tearDown();  // the next row in a new program
        app = std::make_unique<EditorApp>();
        startOnScreen();
    }
}

// Every word listed, the box keeps its buttons on the screen: the first lines
// show, and all of them under Show Details.
TEST_F(QtFilesTest, ALongQuestionKeepsItsButtonsOnTheScreen) {
    startOnScreen();
    QString text = "Saving drops words that VeltraEd cannot hold:\n";
    for (int line = 1; line <= 300; line++)
        text += QString("\na.txt:%1:2: 'glow' is not a script keyword; skipped").arg(line);
    bool onScreen = false;
    QString details;
    runSteps({onDialog<QMessageBox>([&](QMessageBox* box) {
                  onScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
                  details = box->detailedText();
              }),
              pressButton("Cancel")});
    const char* const buttons[] = {"Save Anyway", "Cancel"};
    EXPECT_EQ(qt().askChoice("Save", text.toUtf8().constData(), buttons, 2), 1);
    EXPECT_TRUE(onScreen);
    EXPECT_EQ(details, text);
}

// The files named in the one dialog (of script files or any), in the order
// typed, as one step.
TEST_F(QtFilesTest, SeveralFilesOpenFromOneDialogAsOneStep) {
    startOnScreen();
    write("a.txt", safeScript("alpha"));
    write("b.txt", safeScript("beta") + safeScript("gamma"));
    QStringList filters;
    answer<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        dialog->setDirectory(folder.path());
        chooseFile(dialog, "\"b.txt\" \"a.txt\"");
    });
    app->runCommand(IDM_FILE_OPEN);
    EXPECT_EQ(filters, (QStringList{"Veltra file (*.txt)", "All files (*)"}));
    EXPECT_EQ(scriptNames(), (QStringList{"beta", "gamma", "alpha"}));
    EXPECT_EQ(historyStepCount(g().library.history), 1u);
    EXPECT_EQ(title(), "b.txt and 1 more — VeltraEd");
}

// A file with problems shows the panel by itself, the window grown to hold it
// and the status bar under the lists, on the screen, and shrunk again once
// the panel is closed; a note chosen selects its script, and its stage when
// it is inside one.
TEST_F(QtFilesTest, ProblemsPanelShowsTheNotesAndLeadsToTheirPlaces) {
    startOnScreen();
    // Their texture, found beside them.
    QFile::copy(VELTRA_EXAMPLES_DIR "/pics/demo/stone.tga", folder.filePath("a.tga"));
    const QSize startSize = window()->size();
    const QRect screen = window()->screen()->availableGeometry();
    window()->move(window()->x(), screen.bottom() - startSize.height());
    app->openFiles({write("clean.txt", safeScript("clean"))});
    EXPECT_FALSE(app->problemsDock()->isVisible());
    runSteps({press(QMessageBox::Ok)});  // none expected
    app->openFiles(
        {write("fire.txt",
               "fire\n{\n\tfrob\n\t{\n\t\tmap a.tga\n\t}\n\t{\n\t\tmap a.tga glow\n\t}\n}\n")});
    EXPECT_EQ(boxTexts, QStringList());
    // Found a moment after the window shows the file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->problemsDock()->isVisible(); }));
    EXPECT_TRUE(menuItem(IDM_VIEW_PROBLEMS)->isChecked());
    QStatusTipEvent menuHovered({});  // a menu item's empty tip
    QApplication::sendEvent(window(), &menuHovered);
    EXPECT_EQ(window()->statusBar()->findChild<QLabel*>()->text(), "2 problems in 2 files");
    const QRect lists = window()->centralWidget()->geometry();
    for (const QWidget* below : {(QWidget*)app->problemsDock(), (QWidget*)window()->statusBar()}) {
        EXPECT_GT(below->y(), lists.bottom()) << below->metaObject()->className();
        EXPECT_TRUE(window()->rect().contains(below->geometry()))
            << below->metaObject()->className();
    }
    EXPECT_TRUE(screen.contains(window()->frameGeometry()));

    QTreeWidget* tree = app->problemsDock()->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* group = tree->topLevelItem(0);
    EXPECT_EQ(group->text(0), "fire.txt (2)");
    ASSERT_EQ(group->childCount(), 2);
    const struct {
        int note;
        bool byKeyboard;
        QString text, selected;
    } notes[] = {
        {0, true, "3:2: 'frob' is not a script keyword; skipped [unknown-word]", "fire"},
        {1, false, "8:13: 'glow' is not a stage keyword; skipped [unknown-word]", "fire, Stage 1"},
    };
    for (const auto& note : notes) {
        QTreeWidgetItem* item = group->child(note.note);
        EXPECT_EQ(item->text(0), note.text);
        if (note.byKeyboard) {
            tree->setCurrentItem(item);
            QTest::keyClick(tree, Qt::Key_Return);
        } else {
            const QPoint place = tree->visualItemRect(item).center();
            // A double click, as the window system gives it: a click first.
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place);
        }
        char script[64] = "", stage[64] = "";
        qt().listItemText(IDC_SCRIPT_LIST, qt().listSelection(IDC_SCRIPT_LIST), script, 64);
        qt().listItemText(IDC_STAGE_LIST, qt().listSelection(IDC_STAGE_LIST), stage, 64);
        EXPECT_EQ(script + QString(*stage ? ", " : "") + stage, note.selected) << note.note;
    }
    app->problemsDock()->close();  // by its own button: the window shrinks back
    QApplication::processEvents();
    EXPECT_FALSE(menuItem(IDM_VIEW_PROBLEMS)->isChecked());
    EXPECT_EQ(window()->size(), startSize);
}
