// A user's session on the real windows and dialogs, from Open to Save, with the
// saved file read back and the preview looked at on the way.
#include "qt_fixture.h"

#include "control_fields.h"

#include "preview.h"
#include "script_file.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include <GL/gl.h>

static const QString EXAMPLES = QStringLiteral(VELTRA_EXAMPLES_DIR "/");

// Pixels of a preview frame: the background, the placeholder's, stone or flame.
struct FrameColours {
    int blue = 0;
    int white = 0;
    int black = 0;
    int warm = 0;
};

class QtJourneyTest : public QtEditorTest {
  protected:
    // The next frame, drawn at time 0 so the square faces the viewer.
    FrameColours nextFrame() {
        FrameColours colours;
        bool seen = false;
        previewTime = 0;
        qt.frameObserver = [&] {
            GLint view[4];
            glGetIntegerv(GL_VIEWPORT, view);
            std::vector<GLubyte> rgba(size_t(view[2]) * view[3] * 4);
            glReadPixels(0, 0, view[2], view[3], GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
            for (size_t i = 0; i < rgba.size() && !seen; i += 4) {
                const int r = rgba[i];
                const int g = rgba[i + 1];
                const int b = rgba[i + 2];
                colours.blue += r < 10 && g < 10 && b > 245;
                colours.white += r > 245 && g > 245 && b > 245;
                colours.black += r < 10 && g < 10 && b < 10;
                colours.warm += r > b + 40;
            }
            seen = true;
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return seen; }));
        qt.frameObserver = nullptr;
        return colours;
    }
    void click(int id) { QTest::mouseClick(qt.control(id), Qt::LeftButton); }
    void clickEntry(int id, int row) {
        auto* list = qobject_cast<QListView*>(qt.control(id));
        list->doItemsLayout();  // for entries the program just added
        const QPoint entry = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry);
    }
    void type(int id, const char* text) {
        click(id);  // the list that had the focus reports losing it first
        qobject_cast<QLineEdit*>(qt.control(id))->selectAll();
        QTest::keyClicks(qt.control(id), text);
    }
    // Answers each Locate with the example image of the name's file name.
    void answerLocates() {
        poll([this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || !dialog->windowTitle().startsWith("Locate "))
                return false;
            located.push_back(dialog->windowTitle().mid(7));
            chooseFile(dialog, EXAMPLES + "pics/demo/" + located.back().section('/', -1).toLower());
            return false;
        });
    }
    std::vector<QString> located;
};

TEST_F(QtJourneyTest, OpenEditAndSaveTheExampleFile) {
    startOnScreen();
    const FrameColours placeholder = nextFrame();
    EXPECT_TRUE(placeholder.white > 0 && placeholder.black > 0 && placeholder.blue > 0);
    answer<QFileDialog>([](QFileDialog* dialog) { chooseFile(dialog, EXAMPLES + "demo.txt"); });
    trigger(IDM_FILE_OPEN);
    ASSERT_EQ(qt.listCount(IDC_SCRIPT_LIST), 4);
    answerLocates();
    clickEntry(IDC_SCRIPT_LIST, 0);  // demo/stone_wall: stone.tga, glow.tga added over it
    EXPECT_EQ(located, std::vector<QString>{}) << "both are found beside the file";
    EXPECT_GT(nextFrame().warm, 0) << "the stone";

    clickEntry(IDC_STAGE_LIST, 0);
    type(IDC_SCROLL_X, "0.25");
    click(IDC_ALPHA_MASK);
    click(IDC_SUBMIT);
    for (const char* frame : {"pics/demo/flame1.tga", "pics/demo/flame2.tga"}) {
        type(IDC_FRAME_NAME, frame);
        click(IDC_FRAME_ADD);
    }
    clickEntry(IDC_FRAME_LIST, 1);
    type(IDC_FRAME_NAME, "moved/FLAME3.tga");
    click(IDC_FRAME_UPDATE);
    type(IDC_ANIM_DELAY, "0.5");  // shown as 0 while the stage had no frames
    // Submit finds flame1 beside the file and asks for the one found nowhere.
    click(IDC_SUBMIT);
    EXPECT_EQ(located, std::vector<QString>{"moved/FLAME3.tga"});
    const FrameColours whole = nextFrame();
    trigger(IDM_PREVIEW_SELECTED_STAGE_ONLY);
    EXPECT_GT(nextFrame().blue, whole.blue) << "the flames' clear texels, no glow added over them";
    trigger(IDM_PREVIEW_WHOLE_SCRIPT);

    // Saved twice to one file: the second time asks before replacing it.
    QTemporaryDir dir;
    bool confirmed = false;
    answer<QMessageBox>([&](QMessageBox* box) {
        confirmed = true;
        box->button(QMessageBox::Yes)->click();
    });
    for (int save = 0; save < 2; save++) {
        answer<QFileDialog>(
            [&](QFileDialog* dialog) { chooseFile(dialog, dir.filePath("saved")); });
        trigger(IDM_FILE_SAVE);
    }
    EXPECT_TRUE(confirmed);
    freeAllScripts();
    currentScript = nullptr;
    currentStage = nullptr;
    readScriptFile(QFile::encodeName(dir.filePath("saved.txt")).constData());
    const Script* script = findScript("demo/stone_wall");
    ASSERT_TRUE(script && script->stages && script->stages->animFrameCount == 2);
    const Stage& stage = *script->stages;
    EXPECT_TRUE(stage.alphamask == 1 && stage.scrollX == 0.25f && stage.animDelay == 0.5f);
    EXPECT_STREQ(stage.animFrames->name, "pics/demo/flame1.tga");
    EXPECT_STREQ(stage.animFrames->next->name, "moved/FLAME3.tga");
}

// Save refuses a path whose folder does not exist in the dialog itself, which stays open.
TEST_F(QtJourneyTest, SaveDialogRefusesAFolderThatDoesNotExist) {
    startOnScreen();
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing/saved.txt");
    QString warning;
    bool stayedOpen = false;
    answer<QFileDialog>([&](QFileDialog* dialog) {
        answer<QMessageBox>([&](QMessageBox* box) {
            warning = box->text();
            box->accept();
        });
        chooseFile(dialog, missing);
        stayedOpen = dialog->isVisible();
        dialog->reject();
    });
    trigger(IDM_FILE_SAVE);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(warning.startsWith(dir.filePath("missing") + "\nFolder not found."))
        << warning.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

// As the editor's own test on the toolkit-free platform, on the real widgets: every box
// typed into, every drop-down list chosen from with the keyboard, every check box clicked;
// Save commits; the script and stage shown anew show the values typed.
TEST_F(QtJourneyTest, EveryControlLandsInItsOwnFieldAndShowsIt) {
    startOnScreen();
    QTemporaryDir dir;
    QFile file(dir.filePath("two.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a { { anim 1 f.tga end } } b { }");
    file.close();
    answer<QFileDialog>([&](QFileDialog* dialog) { chooseFile(dialog, file.fileName()); });
    trigger(IDM_FILE_OPEN);
    poll([] {  // every Locate dialog cancelled: the names show the placeholder
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible() && dialog->windowTitle().startsWith("Locate "))
            dialog->reject();
        return false;
    });
    clickEntry(IDC_SCRIPT_LIST, 0);
    clickEntry(IDC_STAGE_LIST, 0);
    ASSERT_TRUE(scriptLibrary && scriptLibrary->stages);
    const Script& script = *scriptLibrary;
    const Stage& stage = *script.stages;
    for (int round = 0; round < 2; round++) {
        for (size_t i = 0; i < std::size(NUMBER_BOXES); i++)
            type(NUMBER_BOXES[i].id, withPoint(typedValue(i, round), 2).c_str());
        type(IDC_TEXTURE_MAP, round ? "second.tga" : "first.tga");
        for (const ChoiceControl& c : CHOICES) {
            QWidget* control = qt.control(c.id);
            if (c.checkBox) {
                if (qobject_cast<QCheckBox*>(control)->isChecked() != (c.chosen[round] != 0))
                    click(c.id);
                continue;
            }
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Home);
            for (int down = 0; down < c.chosen[round]; down++)
                QTest::keyClick(control, Qt::Key_Down);
        }
        const QString saved = dir.filePath(QString("saved%1.txt").arg(round));
        answer<QFileDialog>([&](QFileDialog* dialog) { chooseFile(dialog, saved); });
        trigger(IDM_FILE_SAVE);
        clickEntry(IDC_SCRIPT_LIST, 1);
        clickEntry(IDC_SCRIPT_LIST, 0);
        clickEntry(IDC_STAGE_LIST, 0);
        EXPECT_EQ(fieldsNotAsTyped(script, stage, round), std::vector<int>{}) << round;
        for (size_t i = 0; i < std::size(NUMBER_BOXES); i++) {
            const QString shown = qobject_cast<QLineEdit*>(qt.control(NUMBER_BOXES[i].id))->text();
            EXPECT_EQ(shown.toStdString(), shownText(i, round)) << NUMBER_BOXES[i].id;
        }
        for (const ChoiceControl& c : CHOICES) {
            QWidget* control = qt.control(c.id);
            const int shown = c.checkBox ? qobject_cast<QCheckBox*>(control)->isChecked()
                                         : qobject_cast<QComboBox*>(control)->currentIndex();
            EXPECT_EQ(shown, c.chosen[round]) << c.id << " round " << round;
        }
        EXPECT_STREQ(stage.map, round ? "second.tga" : "first.tga");
    }
}
