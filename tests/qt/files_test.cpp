// Files belong to the artist: Save's questions, several files from one dialog, the Problems panel.
#include "qt_fixture.h"

#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

static QString problemCount(EditorWindow* window) {
    return window->statusBar()->findChild<QLabel*>()->text();
}

// A long question shows its first lines, all under Show Details, its buttons on the screen;
// Save Anyway writes and the problems are counted anew; Cancel keeps a file changed on disk.
TEST_F(QtEditorTest, SaveQuestionsKeepTheirButtonsOnTheScreenAndTakeTheAnswer) {
    startOnScreen();
    const QString path = folder.filePath("a.txt");
    std::string text = "a\n{\n";
    QString dropped = "Saving drops words that VeltraEd cannot hold:\n";
    for (int line = 3; line <= 22; line++) {
        text += "\tglow\n";
        dropped += QString("\n%1:%2:2: 'glow' is not a script keyword; skipped [unknown-word]")
                       .arg(path)
                       .arg(line);
    }
    app->openFiles({write("a.txt", text + "}\n")});
    auto rename = [this](const char* name) {  // Script Update
        pick(IDC_SCRIPT_LIST, 0);
        qt().setText(IDC_SCRIPT_NAME, name);
        app->runCommand(IDC_SCRIPT_UPDATE);
    };
    rename("renamed");
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
    EXPECT_EQ(boxTexts,
              QStringList{dropped.section('\n', 0, 11) + "\n\nand 10 more lines (Show Details)."});
    EXPECT_EQ(fileText(path), "renamed\n{\n}\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return problemCount(window()) == "0 problems in 1 file"; }));

    rename("again");
    std::ofstream(path.toStdString()) << "changed elsewhere\n";
    runSteps({pressButton("Cancel")});
    app->runCommand(IDM_FILE_SAVE);
    EXPECT_EQ(boxTexts.last(), '"' + path +
                                   "\" was changed on disk since VeltraEd read it. Overwrite it "
                                   "with the library's version?");
    EXPECT_EQ(fileText(path), "changed elsewhere\n");
}

// The files named in the one dialog (of script files or any) open in that order, as one step.
TEST_F(QtEditorTest, SeveralFilesOpenFromOneDialogAsOneStep) {
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
}

// A file with problems shows the panel by itself, the window grown on the screen to hold it
// and the status bar under the lists, and shrunk once it closes; a note leads to its place.
TEST_F(QtEditorTest, ProblemsPanelShowsTheNotesAndLeadsToTheirPlaces) {
    startOnScreen();
    QFile::copy(VELTRA_EXAMPLES_DIR "/pics/demo/stone.tga", folder.filePath("a.tga"));
    const QSize startSize = window()->size();
    const QRect screen = window()->screen()->availableGeometry();
    window()->move(window()->x(), screen.bottom() - startSize.height());
    app->openFiles({write("clean.txt", safeScript("clean"))});
    EXPECT_FALSE(app->problemsDock()->isVisible());
    runSteps({press(QMessageBox::Ok)});  // none expected: the texture is found beside the file
    app->openFiles(
        {write("fire.txt",
               "fire\n{\n\tfrob\n\t{\n\t\tmap a.tga\n\t}\n\t{\n\t\tmap a.tga glow\n\t}\n}\n")});
    EXPECT_EQ(boxTexts, QStringList());
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->problemsDock()->isVisible(); }));
    EXPECT_TRUE(menuItem(IDM_VIEW_PROBLEMS)->isChecked());
    QStatusTipEvent menuHovered({});  // a menu item's empty tip leaves the count
    QApplication::sendEvent(window(), &menuHovered);
    EXPECT_EQ(problemCount(window()), "2 problems in 2 files");
    for (const QWidget* below : {(QWidget*)app->problemsDock(), (QWidget*)window()->statusBar()}) {
        SCOPED_TRACE(below->metaObject()->className());
        EXPECT_GT(below->y(), window()->centralWidget()->geometry().bottom());
        EXPECT_TRUE(window()->rect().contains(below->geometry()));
    }
    EXPECT_TRUE(screen.contains(window()->frameGeometry()));

    QTreeWidget* tree = app->problemsDock()->tree();
    QStringList rows;
    for (QTreeWidgetItemIterator row(tree); *row; ++row) rows << (*row)->text(0);
    ASSERT_EQ(rows, (QStringList{"fire.txt (2)",
                                 "3:2: 'frob' is not a script keyword; skipped [unknown-word]",
                                 "8:13: 'glow' is not a stage keyword; skipped [unknown-word]"}));
    // A double click as the window system gives it, a click first, on the stage's note.
    const QPoint place = tree->visualItemRect(tree->topLevelItem(0)->child(1)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place);
    EXPECT_EQ(selectedEntry(IDC_SCRIPT_LIST) + "/" + selectedEntry(IDC_STAGE_LIST), "fire/Stage 1");
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));  // Enter on the script's note
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(selectedEntry(IDC_SCRIPT_LIST) + "/" + selectedEntry(IDC_STAGE_LIST), "fire/");

    app->problemsDock()->close();  // by its own button
    QApplication::processEvents();
    EXPECT_FALSE(menuItem(IDM_VIEW_PROBLEMS)->isChecked());
    EXPECT_EQ(window()->size(), startSize);
}
