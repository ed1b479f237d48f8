// The editor and preview windows on a real display: every control where the
// layout puts it, the menu, the notifications that reach the dispatcher and
// the ones that must not, the control traffic, and the modal dialogs.
#include "qt_fixture.h"

#include "control_ids.h"
#include "dialog_templates.h"
#include "editor_state.h"
#include "editor_window.h"
#include "preview_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>

namespace {

// The controls of the editor window as its design gives them: identifier,
// kind, caption, place in dialog units (size 0 when the design leaves it
// open) and the label that names the control.
struct Expected {
    int id;
    ControlKind kind;
    const char* caption;
    int x, y, width, height;
    const char* label;
};

const Expected EDITOR_CONTROLS[] = {
    {IDC_SCRIPT_LIST, CONTROL_LIST_BOX, "", 0, 12, 143, 149, nullptr},
    {IDC_SCRIPT_ADD, CONTROL_PUSH_BUTTON, "Add", 1, 164, 0, 0, nullptr},
    {IDC_SCRIPT_NAME, CONTROL_EDIT, "", 54, 164, 90, 14, nullptr},
    {IDC_SCRIPT_DELETE, CONTROL_PUSH_BUTTON, "Delete", 1, 182, 0, 0, nullptr},
    {IDC_SCRIPT_UPDATE, CONTROL_PUSH_BUTTON, "Update", 53, 182, 0, 0, nullptr},
    {IDC_STAGE_LIST, CONTROL_LIST_BOX, "", 0, 198, 143, 78, nullptr},
    {IDC_STAGE_ADD, CONTROL_PUSH_BUTTON, "Add", 2, 279, 0, 0, nullptr},
    {IDC_STAGE_DELETE, CONTROL_PUSH_BUTTON, "Delete", 56, 279, 0, 0, nullptr},
    {IDC_SUBMIT, CONTROL_PUSH_BUTTON, "Submit", 117, 278, 0, 0, nullptr},
    {IDC_ALPHA_MASK, CONTROL_CHECK_BOX, "Alpha Mask", 151, 14, 0, 0, nullptr},
    {IDC_SPHERE_MAPPING, CONTROL_CHECK_BOX, "Sphere Mapping", 151, 25, 0, 0, nullptr},
    {IDC_TEXTURE_MAP, CONTROL_EDIT, "", 195, 42, 174, 14, "Texture Map:"},
    {IDC_SCROLL_TYPE_X, CONTROL_DROP_DOWN_LIST, "", 279, 9, 0, 0, "X Scroll:"},
    {IDC_SCROLL_X, CONTROL_EDIT, "", 329, 9, 0, 0, nullptr},
    {IDC_SCROLL_TYPE_Y, CONTROL_DROP_DOWN_LIST, "", 279, 25, 0, 0, "Y Scroll:"},
    {IDC_SCROLL_Y, CONTROL_EDIT, "", 329, 25, 0, 0, nullptr},
    {IDC_BLENDFUNC, CONTROL_CHECK_BOX, "Blendfunc", 149, 59, 0, 0, nullptr},
    {IDC_BLEND_SRC, CONTROL_DROP_DOWN_LIST, "", 198, 58, 0, 0, nullptr},
    {IDC_BLEND_DST, CONTROL_DROP_DOWN_LIST, "", 198, 73, 0, 0, nullptr},
    {IDC_FRAME_LIST, CONTROL_LIST_BOX, "", 153, 100, 211, 57, nullptr},
    {IDC_FRAME_ADD, CONTROL_PUSH_BUTTON, "Add", 153, 159, 0, 0, nullptr},
    {IDC_FRAME_DELETE, CONTROL_PUSH_BUTTON, "Delete", 153, 177, 0, 0, nullptr},
    {IDC_FRAME_NAME, CONTROL_EDIT, "", 207, 159, 158, 14, nullptr},
    {IDC_FRAME_UPDATE, CONTROL_PUSH_BUTTON, "Update", 207, 177, 0, 0, nullptr},
    {IDC_ANIM_DELAY, CONTROL_EDIT, "", 325, 177, 0, 0, "Delay:"},
    {IDC_ROTATE_SPEED, CONTROL_EDIT, "", 201, 198, 64, 14, "Rotate Speed:"},
    {IDC_SCALE_TYPE_X, CONTROL_DROP_DOWN_LIST, "", 187, 223, 0, 0, "X Scale:"},
    {IDC_SCALE_X, CONTROL_EDIT, "", 231, 223, 0, 0, nullptr},
    {IDC_SCALE_TYPE_Y, CONTROL_DROP_DOWN_LIST, "", 187, 239, 0, 0, "Y Scale:"},
    {IDC_SCALE_Y, CONTROL_EDIT, "", 232, 239, 0, 0, nullptr},
    {IDC_ALPHA_MIN, CONTROL_EDIT, "", 324, 204, 0, 0, "Minimum Alpha:"},
    {IDC_ALPHA_MAX, CONTROL_EDIT, "", 324, 220, 0, 0, "Maximum Alpha:"},
    {IDC_ALPHA_SPEED, CONTROL_EDIT, "", 324, 236, 0, 0, "Speed:"},
    {IDC_SAFE, CONTROL_CHECK_BOX, "Safe", 147, 260, 0, 0, nullptr},
    {IDC_SUBDIVIDE, CONTROL_EDIT, "", 219, 259, 48, 14, "Subdivide:"},
    {IDC_WARP_SPEED, CONTROL_EDIT, "", 333, 259, 0, 0, "Warp Speed:"},
    {IDC_WARP_DISTANCE, CONTROL_EDIT, "", 224, 277, 0, 0, "Warp Distance:"},
    {IDC_WARP_SMOOTHNESS, CONTROL_EDIT, "", 333, 276, 0, 0, "Warp Smoothness:"},
};

struct ExpectedGroup {
    const char* caption;
    int x, y, width, height;
};

const ExpectedGroup EDITOR_GROUPS[] = {
    {"Stage Properties", 147, 4, 226, 253},
    {"Animation", 149, 90, 220, 106},
    {"Alpha Shift", 267, 196, 101, 57},
};

const int LIST_BOXES[] = {IDC_SCRIPT_LIST, IDC_STAGE_LIST, IDC_FRAME_LIST};

bool hasKind(QWidget* widget, ControlKind kind) {
    switch (kind) {
    case CONTROL_PUSH_BUTTON: return qobject_cast<QPushButton*>(widget);
    case CONTROL_CHECK_BOX: return qobject_cast<QCheckBox*>(widget);
    case CONTROL_EDIT: return qobject_cast<QLineEdit*>(widget);
    case CONTROL_DROP_DOWN_LIST: {
        auto* combo = qobject_cast<QComboBox*>(widget);
        return combo && !combo->isEditable();
    }
    case CONTROL_LIST_BOX: {
        auto* list = qobject_cast<QListWidget*>(widget);
        return list && list->selectionMode() == QAbstractItemView::SingleSelection;
    }
    default: return false;
    }
}

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return QString();
}

QLabel* labelWithText(QWidget* window, const char* text) {
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text() == QString::fromUtf8(text)) return label;
    return nullptr;
}

QWidget* clientArea(QtPlatform& qt) { return qt.editorWindow()->centralWidget(); }

QPoint entryCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

}  // namespace

class EditorWindowTest : public QtEditorTest {
protected:
    void SetUp() override {
        QtEditorTest::SetUp();
        startOnScreen();
    }
    QRect dialogRect(int x, int y, int width, int height) {
        return qt.editorWindow()->dialogUnits().toPixels(x, y, width, height);
    }
};

TEST_F(EditorWindowTest, EveryControlHasItsIdentifierKindCaptionAndPlace) {
    for (const Expected& expected : EDITOR_CONTROLS) {
        SCOPED_TRACE(expected.id);
        QWidget* widget = qt.control(expected.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), QString::number(expected.id));
        EXPECT_TRUE(hasKind(widget, expected.kind));
        EXPECT_EQ(captionOf(widget), QString::fromUtf8(expected.caption));
        EXPECT_TRUE(widget->isVisible());
        const QRect place = dialogRect(expected.x, expected.y, expected.width, expected.height);
        EXPECT_EQ(widget->pos(), place.topLeft());
        if (expected.width) {
            EXPECT_EQ(widget->size(), place.size());
        }
        // A caption is never cut.
        if (expected.kind == CONTROL_PUSH_BUTTON || expected.kind == CONTROL_CHECK_BOX) {
            EXPECT_GE(widget->width(), widget->sizeHint().width());
        }
    }
    QLabel* scripts = labelWithText(clientArea(qt), "Scripts");
    ASSERT_NE(scripts, nullptr);
    EXPECT_EQ(scripts->pos(), dialogRect(1, 2, 0, 0).topLeft());
    for (const ExpectedGroup& expected : EDITOR_GROUPS) {
        SCOPED_TRACE(expected.caption);
        const QList<QGroupBox*> groups = clientArea(qt)->findChildren<QGroupBox*>();
        auto found = std::find_if(groups.begin(), groups.end(), [&](QGroupBox* group) {
            return group->title() == QString::fromUtf8(expected.caption);
        });
        ASSERT_NE(found, groups.end());
        EXPECT_EQ((*found)->geometry(), dialogRect(expected.x, expected.y, expected.width, expected.height));
    }
}

TEST_F(EditorWindowTest, LabelsSitLeftOfTheirControlsAndNothingOverlaps) {
    for (const Expected& expected : EDITOR_CONTROLS) {
        if (!expected.label) continue;
        SCOPED_TRACE(expected.label);
        QLabel* label = labelWithText(clientArea(qt), expected.label);
        ASSERT_NE(label, nullptr);
        const QRect control = qt.control(expected.id)->geometry();
        EXPECT_LE(label->geometry().right(), control.left());
        EXPECT_GE(label->geometry().right(), control.left() - 10);
        EXPECT_EQ(label->geometry().center().y(), control.center().y());
        EXPECT_GE(label->width(), label->sizeHint().width());
    }
    // Group boxes frame other controls; everything else stands apart and
    // inside the window.
    QList<QWidget*> placed;
    for (QWidget* child : clientArea(qt)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QGroupBox*>(child)) placed.append(child);
    for (int i = 0; i < placed.size(); i++) {
        EXPECT_TRUE(clientArea(qt)->rect().contains(placed[i]->geometry())) << placed[i]->objectName().toStdString();
        for (int j = i + 1; j < placed.size(); j++)
            EXPECT_FALSE(placed[i]->geometry().intersects(placed[j]->geometry()))
                << placed[i]->objectName().toStdString() << " and " << placed[j]->objectName().toStdString();
    }
}

TEST_F(EditorWindowTest, WindowsHaveTheirCaptionsBoxesAndFixedSizes) {
    EditorWindow* editor = qt.editorWindow();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("VeltraEd"));
    const Qt::WindowFlags editorFlags = editor->windowFlags();
    EXPECT_TRUE(editorFlags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(editorFlags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(editorFlags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(editor->minimumSize(), editor->maximumSize());
    EXPECT_EQ(clientArea(qt)->size(), dialogRect(0, 0, 377, 294).size());

    PreviewWindow* preview = qt.previewWindow();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->title(), QStringLiteral("VeltraEd Preview"));
    const Qt::WindowFlags previewFlags = preview->flags();
    EXPECT_TRUE(previewFlags & Qt::WindowTitleHint);
    EXPECT_TRUE(previewFlags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(previewFlags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(previewFlags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(preview->minimumSize(), preview->maximumSize());
    EXPECT_EQ(preview->size(), dialogRect(0, 0, 203, 174).size());
    EXPECT_EQ(preview->framePosition(), QPoint(0, 0));
}

TEST_F(EditorWindowTest, FileMenuHoldsOpenSaveAndExitAndDispatchesThem) {
    const QList<QAction*> menus = qt.editorWindow()->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    const QList<QAction*> items = menus[0]->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    const struct { int id; const char* caption; const char* keys; } expected[] = {
        {IDM_FILE_OPEN, "&Open", "Ctrl+O"}, {IDM_FILE_SAVE, "&Save", "Ctrl+S"}, {IDM_FILE_EXIT, "E&xit", "Ctrl+Q"}};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(expected[i].caption));
        EXPECT_EQ(items[i]->objectName(), QString::number(expected[i].id));
        EXPECT_EQ(items[i]->shortcut(), QKeySequence(QString::fromUtf8(expected[i].keys)));
    }
    // Open and Save are answered by cancelling their dialogs.
    for (int i = 0; i < 2; i++) answerNextModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    for (QAction* item : items) item->trigger();
    EXPECT_EQ(commands, (std::vector<int>{IDM_FILE_OPEN, IDM_FILE_SAVE, IDM_FILE_EXIT}));
    EXPECT_EQ(quitRequested, 1);
}

TEST_F(EditorWindowTest, ListBoxesReportClicksDoubleClicksAndFocusChanges) {
    auto* nameEdit = controlAs<QLineEdit>(IDC_SCRIPT_NAME);
    for (int id : LIST_BOXES) {
        SCOPED_TRACE(id);
        auto* list = controlAs<QListWidget>(id);
        nameEdit->setFocus(Qt::OtherFocusReason);
        commands.clear();
        qt.listReset(id);
        qt.listAdd(id, "first");
        qt.listAdd(id, "second");
        qt.listSetSelection(id, 1);
        ASSERT_TRUE(commands.empty()) << "the program's own changes are silent";

        list->setFocus(Qt::OtherFocusReason);
        EXPECT_EQ(commands, std::vector<int>{id}) << "gaining the focus";
        commands.clear();
        nameEdit->setFocus(Qt::OtherFocusReason);
        EXPECT_EQ(commands, std::vector<int>{id}) << "losing the focus";
        list->setFocus(Qt::OtherFocusReason);
        commands.clear();

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entryCentre(list, 0));
        EXPECT_EQ(commands, std::vector<int>{id}) << "a click that selects";
        EXPECT_EQ(qt.listSelection(id), 0);
        commands.clear();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entryCentre(list, 0));
        EXPECT_EQ(commands, std::vector<int>{id}) << "a click on the selected entry";
        commands.clear();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entryCentre(list, 0));
        EXPECT_FALSE(commands.empty()) << "a double click";
        EXPECT_TRUE(std::all_of(commands.begin(), commands.end(), [id](int c) { return c == id; }));
        commands.clear();
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(commands, std::vector<int>{id}) << "the arrow keys move the selection";
        EXPECT_EQ(qt.listSelection(id), 1);
        commands.clear();
    }
}

TEST_F(EditorWindowTest, ButtonsDispatchAndEditsChecksAndDropDownsDoNot) {
    EXPECT_EQ(QApplication::focusWidget(), clientArea(qt)) << "no control has the focus at first";
    for (const Expected& expected : EDITOR_CONTROLS) {
        if (expected.kind != CONTROL_PUSH_BUTTON) continue;
        commands.clear();
        QTest::mouseClick(qt.control(expected.id), Qt::LeftButton);
        EXPECT_EQ(commands, std::vector<int>{expected.id});
    }
    commands.clear();
    QTest::keyClicks(controlAs<QLineEdit>(IDC_TEXTURE_MAP), "textures/water");
    QTest::mouseClick(controlAs<QCheckBox>(IDC_ALPHA_MASK), Qt::LeftButton);
    EXPECT_TRUE(qt.isChecked(IDC_ALPHA_MASK));
    auto* combo = controlAs<QComboBox>(IDC_BLEND_SRC);
    combo->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_TRUE(commands.empty());
}

TEST_F(EditorWindowTest, ControlTrafficKeepsTheListsAsTheProgramLeavesThem) {
    // A drop-down list keeps no selection when it is filled.
    qt.comboReset(IDC_SCALE_TYPE_X);
    for (const char* wave : {"Static", "Sine", "Cosine"}) qt.comboAdd(IDC_SCALE_TYPE_X, wave);
    EXPECT_EQ(qt.comboSelection(IDC_SCALE_TYPE_X), NO_SELECTION);
    qt.comboSetSelection(IDC_SCALE_TYPE_X, 2);
    EXPECT_EQ(qt.comboSelection(IDC_SCALE_TYPE_X), 2);
    qt.comboSetSelection(IDC_SCALE_TYPE_X, 3);
    EXPECT_EQ(qt.comboSelection(IDC_SCALE_TYPE_X), NO_SELECTION);
    char text[16];
    EXPECT_EQ(qt.comboItemText(IDC_SCALE_TYPE_X, 1, text, sizeof text), 4);
    EXPECT_STREQ(text, "Sine");
    EXPECT_EQ(qt.comboItemText(IDC_SCALE_TYPE_X, 3, text, sizeof text), -1);
    EXPECT_STREQ(text, "");

    // Entries shift around a kept selection; deleting it leaves none.
    qt.listReset(IDC_FRAME_LIST);
    EXPECT_EQ(qt.listAdd(IDC_FRAME_LIST, "a.tga"), 0);
    EXPECT_EQ(qt.listAdd(IDC_FRAME_LIST, "c.tga"), 1);
    qt.listSetSelection(IDC_FRAME_LIST, 1);
    EXPECT_EQ(qt.listInsert(IDC_FRAME_LIST, 1, "b.tga"), 1);
    EXPECT_EQ(qt.listInsert(IDC_FRAME_LIST, 4, "x"), -1);
    EXPECT_EQ(qt.listSelection(IDC_FRAME_LIST), 2);
    EXPECT_EQ(qt.listItemText(IDC_FRAME_LIST, 2, text, sizeof text), 5);
    EXPECT_STREQ(text, "c.tga");
    EXPECT_EQ(qt.listDelete(IDC_FRAME_LIST, 2), 2);
    EXPECT_EQ(qt.listSelection(IDC_FRAME_LIST), NO_SELECTION);
    EXPECT_EQ(qt.listDelete(IDC_FRAME_LIST, 2), -1);
    EXPECT_EQ(qt.listCount(IDC_FRAME_LIST), 2);
    qt.listReset(IDC_FRAME_LIST);
    EXPECT_EQ(qt.listCount(IDC_FRAME_LIST), 0);
    EXPECT_TRUE(commands.empty());

    // Text is cut to the buffer, never inside a character.
    qt.setText(IDC_SCRIPT_NAME, "ab\xc3\xa9");  // "abé"
    EXPECT_EQ(qt.getText(IDC_SCRIPT_NAME, text, 4), 2);
    EXPECT_STREQ(text, "ab");
    EXPECT_EQ(qt.getText(IDC_SCRIPT_NAME, text, sizeof text), 4);
    EXPECT_STREQ(text, "ab\xc3\xa9");
}

TEST_F(EditorWindowTest, OpenDialogOffersTheLastPathAndThePreviewDrawsMeanwhile) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("scripts.txt"));
    QFile(existing).open(QIODevice::WriteOnly);
    char path[MAX_PATH_SIZE];
    strcpy(path, QFile::encodeName(existing).constData());
    FileDialogRequest request;
    request.filterName = "Veltra file";
    request.filterPattern = "*.txt";
    request.path = path;

    int framesWhileOpen = 0;
    answerNextModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->parentWidget(), qt.editorWindow());
        EXPECT_TRUE(dialog->isModal());
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Veltra file (*.txt)")});
        EXPECT_EQ(dialog->selectedFiles(), QStringList{existing});
        const int before = qt.framesSwapped();
        QTest::qWait(300);
        framesWhileOpen = qt.framesSwapped() - before;
        static_cast<QDialog*>(dialog)->accept();  // as the Open or Save button does
    });
    ASSERT_TRUE(qt.askFileName(request));
    EXPECT_STREQ(path, QFile::encodeName(existing).constData());
    EXPECT_GE(framesWhileOpen, 2);

    request.title = "Locate textures/water";
    request.filterName = "Image file";
    request.filterPattern = "*.tga;*.jpg;*.wal;*.pcx";
    answerNextModal<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Locate textures/water"));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Image file (*.tga *.jpg *.wal *.pcx)")});
        dialog->reject();
    });
    EXPECT_FALSE(qt.askFileName(request));
    EXPECT_TRUE(commands.empty());
}

TEST_F(EditorWindowTest, SaveDialogAddsTheSuffixAndAsksBeforeReplacing) {
    QTemporaryDir dir;
    char path[MAX_PATH_SIZE] = "";
    FileDialogRequest request;
    request.filterName = "Veltra file";
    request.filterPattern = "*.txt";
    request.defaultExt = ".txt";
    request.save = true;
    request.path = path;

    answerNextModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        typeFileName(dialog, dir.filePath(QStringLiteral("library")));
        static_cast<QDialog*>(dialog)->accept();  // as the Open or Save button does
    });
    ASSERT_TRUE(qt.askFileName(request));
    const QString saved = dir.filePath(QStringLiteral("library.txt"));
    EXPECT_STREQ(path, QFile::encodeName(saved).constData());

    // Replacing an existing file is confirmed first.
    QFile(saved).open(QIODevice::WriteOnly);
    bool confirmed = false;
    answerNextModal<QFileDialog>([&](QFileDialog* dialog) {
        answerNextModal<QMessageBox>([&](QMessageBox* box) {
            confirmed = true;
            box->button(QMessageBox::Yes)->click();
        });
        static_cast<QDialog*>(dialog)->accept();  // as the Open or Save button does
    });
    ASSERT_TRUE(qt.askFileName(request));
    EXPECT_TRUE(confirmed);
    EXPECT_STREQ(path, QFile::encodeName(saved).constData());
}

// A dialog taking the focus from the window is no focus change inside it: the
// list that had the focus must not run its command again, nested in the one
// that opened the dialog.
TEST_F(EditorWindowTest, MessageBoxIsModalOverTheEditorAndLeavesTheListsQuiet) {
    controlAs<QListWidget>(IDC_SCRIPT_LIST)->setFocus(Qt::MouseFocusReason);
    commands.clear();
    bool shown = false;
    answerNextModal<QMessageBox>([&](QMessageBox* box) {
        shown = true;
        EXPECT_EQ(box->parentWidget(), qt.editorWindow());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("LoadImage Error"));
        EXPECT_EQ(box->text(), QStringLiteral("Unknown file type"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->accept();
    });
    qt.showMessageBox("LoadImage Error", "Unknown file type");
    EXPECT_TRUE(shown);
    QTest::qWait(50);
    EXPECT_TRUE(commands.empty());
}
