// A user's session on the real windows and dialogs, from Open to Save, with the
// saved file read back and the preview looked at on the way.
#include "qt_fixture.h"

#include "preview.h"
#include "script_file.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include <GL/gl.h>

static const QString EXAMPLES = QStringLiteral(VELTRA_EXAMPLES_DIR "/");

// Pixels of a preview frame: the background, the placeholder's, stone or flame.
struct FrameColours { int blue = 0, white = 0, black = 0, warm = 0; };

// The file named in the dialog's name box, then Open or Save pressed.
static void chooseFile(QFileDialog* dialog, const QString& path) {
    dialog->selectFile(path);  // drops the file offered; leaves the box alone while it has the focus
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

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
                const int r = rgba[i], g = rgba[i + 1], b = rgba[i + 2];
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
        auto* list = qobject_cast<QListWidget*>(qt.control(id));
        list->doItemsLayout();  // for entries the program just added
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
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
            if (!dialog || !dialog->isVisible() || !dialog->windowTitle().startsWith("Locate ")) return false;
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
    answerFileDialog([](QFileDialog* dialog) { chooseFile(dialog, EXAMPLES + "demo.txt"); });
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
    for (const char* frame : {"pics/demo/flame1.tga", "pics/demo/flame2.tga"}) type(IDC_FRAME_NAME, frame), click(IDC_FRAME_ADD);
    clickEntry(IDC_FRAME_LIST, 1);
    type(IDC_FRAME_NAME, "moved/FLAME3.tga");
    click(IDC_FRAME_UPDATE);
    type(IDC_ANIM_DELAY, "0.5");  // shown as 0 while the stage had no frames
    click(IDC_SUBMIT);  // finds flame1 beside the file, asks for the one found nowhere
    EXPECT_EQ(located, std::vector<QString>{"moved/FLAME3.tga"});
    const FrameColours whole = nextFrame();
    trigger(IDM_PREVIEW_SELECTED_STAGE_ONLY);
    EXPECT_GT(nextFrame().blue, whole.blue) << "the flames' clear texels, no glow added over them";
    trigger(IDM_PREVIEW_WHOLE_SCRIPT);

    // Saved twice to one file: the second time asks before replacing it.
    QTemporaryDir dir;
    bool confirmed = false;
    poll([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box) confirmed = true, box->button(QMessageBox::Yes)->click();
        return box != nullptr;
    });
    for (int save = 0; save < 2; save++) {
        answerFileDialog([&](QFileDialog* dialog) { chooseFile(dialog, dir.filePath("saved")); });
        trigger(IDM_FILE_SAVE);
    }
    EXPECT_TRUE(confirmed);
    freeAllScripts();
    currentScript = nullptr, currentStage = nullptr;
    readScriptFile(QFile::encodeName(dir.filePath("saved.txt")).constData());
    const Script* script = findScript("demo/stone_wall");
    ASSERT_TRUE(script && script->stages && script->stages->animFrameCount == 2);
    const Stage& stage = *script->stages;
    EXPECT_TRUE(stage.alphamask == 1 && stage.scrollX == 0.25f && stage.animDelay == 0.5f);
    EXPECT_STREQ(stage.animFrames->name, "pics/demo/flame1.tga");
    EXPECT_STREQ(stage.animFrames->next->name, "moved/FLAME3.tga");
}
