// A user's session on the real windows: the example file opened through the
// real Open dialog, a script whose textures are located (one Locate cancelled),
// a stage edited in the panel, frames added and updated, Save through the real
// Save dialog, and the saved file read back. The preview is looked at on the way.
#include "qt_fixture.h"

#include "preview.h"
#include "script_file.h"

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <GL/gl.h>

namespace {

const QDir EXAMPLES(QStringLiteral(VELTRA_EXAMPLES_DIR));

// How many pixels of a preview frame are of each kind.
struct FrameColours {
    int blue = 0, white = 0, black = 0, warm = 0;  // background, placeholder, stone or flame
};

// The file named in the dialog's name box, then Open or Save pressed.
void chooseFile(QFileDialog* dialog, const QString& path) {
    dialog->selectFile(path);  // drops the file the dialog offered
    // selectFile leaves the box alone while it has the keyboard focus.
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

}  // namespace

class QtJourneyTest : public QtEditorTest {
protected:
    // The colours of the next frame the preview draws.
    FrameColours nextFrame() {
        FrameColours colours;
        bool seen = false;
        previewTime = 0;  // the square faces the viewer
        qt.frameObserver = [&] {
            if (seen) return;
            GLint view[4];
            glGetIntegerv(GL_VIEWPORT, view);
            std::vector<GLubyte> rgba(size_t(view[2]) * view[3] * 4);
            glReadPixels(0, 0, view[2], view[3], GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
            for (size_t i = 0; i < rgba.size(); i += 4) {
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
        list->doItemsLayout();  // entries the program just added
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    void type(int id, const char* text) {
        auto* edit = qobject_cast<QLineEdit*>(qt.control(id));
        QTest::mouseClick(edit, Qt::LeftButton);  // the list that had the focus reports first
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Answers every Locate dialog with the example image of its name, but
    // cancels the one for glow.tga; keeps the names asked for.
    void answerLocates() {
        poll([this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || !dialog->windowTitle().startsWith("Locate ")) return false;
            located.push_back(dialog->windowTitle().mid(7));
            located.back().endsWith("glow.tga") ? dialog->reject() : chooseFile(dialog, EXAMPLES.filePath(located.back()));
            return false;
        });
    }
    std::vector<QString> located;
};

TEST_F(QtJourneyTest, OpenEditAndSaveTheExampleFile) {
    startOnScreen();
    const FrameColours placeholder = nextFrame();
    EXPECT_TRUE(placeholder.white > 0 && placeholder.black > 0 && placeholder.blue > 0);

    answerFileDialog([](QFileDialog* dialog) { chooseFile(dialog, EXAMPLES.filePath("demo.txt")); });
    trigger(IDM_FILE_OPEN);
    ASSERT_EQ(qt.listCount(IDC_SCRIPT_LIST), 4);
    answerLocates();
    clickEntry(IDC_SCRIPT_LIST, 0);  // demo/stone_wall: stone.tga under glow.tga, added
    EXPECT_EQ(located, (std::vector<QString>{"pics/demo/stone.tga", "pics/demo/glow.tga"}));
    const FrameColours stoneWall = nextFrame();
    EXPECT_GT(stoneWall.warm, 0) << "the stone";
    EXPECT_GT(stoneWall.white, 0) << "the frame of the placeholder that stands for the glow";

    clickEntry(IDC_STAGE_LIST, 0);
    type(IDC_SCROLL_X, "0.25");
    click(IDC_ALPHA_MASK);
    click(IDC_SUBMIT);
    for (const char* frame : {"pics/demo/flame1.tga", "pics/demo/flame2.tga"}) {
        type(IDC_FRAME_NAME, frame);
        click(IDC_FRAME_ADD);
    }
    clickEntry(IDC_FRAME_LIST, 1);
    type(IDC_FRAME_NAME, "pics/demo/flame3.tga");
    click(IDC_FRAME_UPDATE);
    type(IDC_ANIM_DELAY, "0.5");  // shown as 0 while the stage had no frames
    click(IDC_SUBMIT);  // locates the new frames
    EXPECT_EQ(located.size(), 4u);
    EXPECT_EQ(located.back(), "pics/demo/flame3.tga");
    const FrameColours masked = nextFrame();
    EXPECT_GT(masked.blue, stoneWall.blue * 5 / 4) << "the flames' clear texels are discarded";

    QTemporaryDir dir;
    answerFileDialog([&](QFileDialog* dialog) { chooseFile(dialog, dir.filePath("saved")); });
    trigger(IDM_FILE_SAVE);
    bool confirmed = false;  // Save again to the same file asks first
    answerFileDialog([&](QFileDialog* dialog) {
        poll([&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box) confirmed = true, box->button(QMessageBox::Yes)->click();
            return box != nullptr;
        });
        chooseFile(dialog, dir.filePath("saved.txt"));
    });
    trigger(IDM_FILE_SAVE);
    EXPECT_TRUE(confirmed);
    freeAllScripts();
    currentScript = nullptr;
    currentStage = nullptr;
    readScriptFile(QFile::encodeName(dir.filePath("saved.txt")).constData());
    Script* script = findScript("demo/stone_wall");
    ASSERT_TRUE(script && script->stages && script->stages->animFrameCount == 2);
    const Stage& stage = *script->stages;
    EXPECT_EQ(stage.alphamask, 1);
    EXPECT_EQ(stage.scrollX, 0.25f);
    EXPECT_EQ(stage.animDelay, 0.5f);
    EXPECT_STREQ(stage.animFrames->name, "pics/demo/flame1.tga");
    EXPECT_STREQ(stage.animFrames->next->name, "pics/demo/flame3.tga");
}
