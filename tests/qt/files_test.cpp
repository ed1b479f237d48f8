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

// Save's questions on real boxes, the answer taken by its button. A long one shows its first
// lines and all of them under Show Details, keeping its buttons on the screen; Save Anyway
// writes, and the Problems panel's count is found anew. Cancel leaves a file changed on disk.
TEST_F(QtFilesTest, SaveQuestionsKeepTheirButtonsOnTheScreenAndTakeTheAnswer) {
    startOnScreen();
    std::string text = "a\n{\n";
    for (int line = 3; line <= 22; line++) text += "\tglow\n";
    const QString path = write("a.txt", text + "}\n");
    app->openFiles({path});
    rename(0, "renamed");
    QString dropped = "Saving drops words that VeltraEd cannot hold:\n";
    for (int line = 3; line <= 22; line++)
        dropped += QString("\n%1:%2:2: 'glow' is not a script keyword; skipped [unknown-word]")
                       .arg(path)
                       .arg(line);
    bool onScreen = false;
    QString details;
    runSteps({onDialog<QMessageBox>([&](QMessageBox* box) {
                  onScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
                  details = box->detailedText();
              }),
              pressButton("Save Anyway")});
    app->runCommand(IDM_FILE_SAVE);
    EXPECT_TRUE(onScreen);
    EXPECT_EQ(details, dropped);
    ASSERT_EQ(boxTexts.size(), 1);
    EXPECT_EQ(boxTexts[0], dropped.section('\n', 0, 11) + "\n\nand 10 more lines (Show Details).");
    EXPECT_EQ(fileText(path), "renamed\n{\n}\n");
    EXPECT_EQ(title(), "a.txt — VeltraEd");
    const QLabel* count = window()->statusBar()->findChild<QLabel*>();
    EXPECT_TRUE(QTest::qWaitFor([&] { return count->text() == "0 problems in 1 file"; }));

    rename(0, "again");
    const std::string elsewhere = "changed by another program\n";
    std::ofstream(path.toStdString()) << elsewhere;
    runSteps({pressButton("Cancel")});
    app->runCommand(IDM_FILE_SAVE);
    EXPECT_EQ(boxTexts[1], '"' + path +
                               "\" was changed on disk since VeltraEd read it. Overwrite it with "
                               "the library's version?");
    EXPECT_EQ(fileText(path), elsewhere);
    EXPECT_EQ(title(), "a.txt* — VeltraEd");
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
