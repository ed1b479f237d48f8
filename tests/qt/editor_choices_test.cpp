// The Preview menu, Find Script and Texture Folders on the real windows, and
// the choices kept between runs.
#include "qt_fixture.h"

#include "find_script_dialog.h"
#include "script_file.h"
#include "texture_folders_dialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

static const char* const EXAMPLE_FILE = VELTRA_EXAMPLES_DIR "/demo.txt";

class QtChoicesTest : public QtEditorTest {
  protected:
    void press(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(qt.editorWindow(), Qt::Key(key), modifiers);
    }
    bool checked(int id) { return qt.editorWindow()->menuAction(id)->isChecked(); }
};

// Ctrl+F, three letters in another case, Enter: the script is shown as a
// click on its entry would show it, and its entry selected.
TEST_F(QtChoicesTest, FindScriptCompletesAsTypedAndSelectsTheEntry) {
    startOnScreen();
    readScriptFile(EXAMPLE_FILE);
    addScriptFolder(EXAMPLE_FILE);  // as File, Open does
    fillScriptList();
    QStringList listed;
    answer<FindScriptDialog>([&](FindScriptDialog* dialog) {
        QTest::keyClicks(dialog->nameBox(), "LAM");
        for (int i = 0; i < dialog->completions()->count(); i++)
            listed << dialog->completions()->item(i)->text();
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
    });
    press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(listed, QStringList{"demo/flame"});
    ASSERT_TRUE(currentScript);
    EXPECT_STREQ(currentScript->name, "demo/flame");
    EXPECT_EQ(qt.listSelection(IDC_SCRIPT_LIST), 2);
    EXPECT_EQ(qt.listCount(IDC_STAGE_LIST), 1);
    EXPECT_EQ(commands, std::vector{IDM_EDIT_FIND_SCRIPT});
}

// Pause, Step and Restart by their keys.
TEST_F(QtChoicesTest, PauseStepAndRestartByTheirKeys) {
    startOnScreen();
    press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(previewPaused);
    EXPECT_TRUE(checked(IDM_PREVIEW_PAUSE));
    const float paused = previewTime;
    QTest::qWait(120);
    EXPECT_EQ(previewTime, paused);
    press(Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(previewTime, paused + PREVIEW_CLOCK_STEP);
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(previewTime, 0.0f);
    press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(previewPaused);
    EXPECT_TRUE(QTest::qWaitFor([] { return previewTime > 0; }));
}

// Two folders added, the second moved up; the preview's choices and the
// folders come back in the next run, and the menu shows them.
TEST_F(QtChoicesTest, TextureFoldersAndPreviewChoicesAreKeptBetweenRuns) {
    startOnScreen();
    answer<TextureFoldersDialog>([](TextureFoldersDialog* dialog) {
        dialog->addFolder(QStringLiteral("/textures/first"));
        dialog->addFolder(QStringLiteral("/textures/second"));
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Move &Up")) button->click();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    trigger(IDM_FILE_TEXTURE_FOLDERS);
    ASSERT_EQ(countFolders(textureFolders), 2);
    EXPECT_STREQ(textureFolders->path, "/textures/second");
    EXPECT_STREQ(textureFolders->next->path, "/textures/first");
    trigger(IDM_PREVIEW_UP_TO_SELECTED_STAGE);
    trigger(IDM_BACKGROUND_CHECKERBOARD);
    trigger(IDM_PREVIEW_PAUSE);

    resetPreviewChoicesAndFolders();
    loadEditorSettings();
    qt.showPreviewChoices();
    EXPECT_EQ(previewStages, PREVIEW_UP_TO_SELECTED_STAGE);
    EXPECT_EQ(previewBackground, BACKGROUND_CHECKERBOARD);
    EXPECT_FALSE(previewPaused) << "a paused clock is not a choice kept";
    EXPECT_EQ(countFolders(textureFolders), 2);
    EXPECT_STREQ(textureFolders->path, "/textures/second");
    EXPECT_TRUE(checked(IDM_PREVIEW_UP_TO_SELECTED_STAGE));
    EXPECT_TRUE(checked(IDM_BACKGROUND_CHECKERBOARD));
    EXPECT_FALSE(checked(IDM_PREVIEW_WHOLE_SCRIPT));
}
