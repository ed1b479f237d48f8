// The template's controls, the lists' notifications, both windows, the Save dialog, the main loop.
#include "qt_fixture.h"

#include "dialog_templates.h"
#include "preview_window.h"

#include <QCheckBox>
#include <QComboBox>

#include <clocale>

// The widget class of each ControlKind, in the order of the enum.
static const char* const CLASSES[] = {"QLabel",    "QGroupBox", "QPushButton", "QCheckBox",
                                      "QLineEdit", "QComboBox", "QListView"};

static QString captionOf(QWidget* widget) {
    return widget->property(widget->inherits("QGroupBox") ? "title" : "text").toString();
}

// A control with an identifier is found by it, a label or group by its caption.
static QWidget* findControl(QtPlatform& qt, const DialogControl& control) {
    if (control.id != NO_CONTROL_ID) return qt.control(control.id);
    for (QWidget* widget : qt.editorWindow()->centralWidget()->findChildren<QWidget*>())
        if (widget->inherits(CLASSES[control.kind]) && captionOf(widget) == control.caption)
            return widget;
    return nullptr;
}

// Each control as the template gives it, its value carried both ways; only buttons run a command.
TEST_F(QtEditorTest, EveryControlIsAsTheTemplateGivesItAndCarriesItsValue) {
    startOnScreen();
    for (const DialogControl& control :
         std::span(EDITOR_TEMPLATE.controls, EDITOR_TEMPLATE.controlCount)) {
        const int id = control.id;
        SCOPED_TRACE(control.caption + std::to_string(id));
        QWidget* widget = findControl(qt(), control);
        ASSERT_TRUE(widget);
        ASSERT_TRUE(widget->inherits(CLASSES[control.kind])) << widget->metaObject()->className();
        EXPECT_TRUE(widget->isVisible());
        EXPECT_EQ(captionOf(widget), control.caption);
        if (id == NO_CONTROL_ID) continue;
        EXPECT_EQ(widget->pos(),
                  window()->dialogUnits().toPixels(control.x, control.y, 0, 0).topLeft());
        commands.clear();
        if (control.kind == CONTROL_PUSH_BUTTON || control.kind == CONTROL_CHECK_BOX) click(id);
        if (control.kind == CONTROL_CHECK_BOX) {
            EXPECT_TRUE(qt().isChecked(id));
            qt().setCheck(id, false);
            EXPECT_FALSE(qobject_cast<QCheckBox*>(widget)->isChecked());
        } else if (control.kind == CONTROL_EDIT) {
            char text[16];
            type(id, "12.25");
            qt().getText(id, text, sizeof text);
            EXPECT_STREQ(text, "12.25");
            qt().setText(id, "");
            EXPECT_EQ(qobject_cast<QLineEdit*>(widget)->text(), "");
        } else if (control.kind == CONTROL_DROP_DOWN_LIST) {
            EXPECT_EQ(qt().comboSelection(id), NO_SELECTION);
            widget->setFocus();
            for (Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_Down})
                QTest::keyClick(widget, key);
            EXPECT_EQ(qt().comboSelection(id), 2);
            qt().comboSetSelection(id, 1);
            EXPECT_EQ(qobject_cast<QComboBox*>(widget)->currentIndex(), 1);
        }
        EXPECT_EQ(commands,
                  control.kind == CONTROL_PUSH_BUTTON ? std::vector{id} : std::vector<int>{});
    }
}

// The lists report focus changes, clicks, double clicks and keys; the program's own are silent.
TEST_F(QtEditorTest, ListBoxesReportFocusChangesClicksAndDoubleClicks) {
    startOnScreen();
    for (int id : {IDC_SCRIPT_LIST, IDC_STAGE_LIST, IDC_FRAME_LIST}) {
        for (const char* entry : {"first", "second"}) qt().listAdd(id, entry);
        QWidget* view = listView(id)->viewport();
        auto clickFirst = [&] { QTest::mouseClick(view, Qt::LeftButton, {}, entryPlace(id, 0)); };
        const std::pair<const char*, std::function<void()>> steps[] = {
            {"the program's changes", [&] { qt().listSetSelection(id, 1); }},
            {"gaining the focus", [&] { listView(id)->setFocus(); }},
            {"a click that selects", clickFirst},
            {"a click on the selected entry", clickFirst},
            {"a double click",
             [&] { QTest::mouseDClick(view, Qt::LeftButton, {}, entryPlace(id, 0)); }},
            {"an arrow key", [&] { QTest::keyClick(listView(id), Qt::Key_Down); }},
            {"losing the focus", [&] { qt().control(IDC_SCRIPT_NAME)->setFocus(); }},
        };
        for (const auto& [what, step] : steps) {
            commands.clear();
            step();
            EXPECT_EQ(commands, what == steps[0].first ? std::vector<int>{} : std::vector{id})
                << what << " " << id;
        }
    }
}

// Both windows can be maximized, the preview not closed.
TEST_F(QtEditorTest, BothWindowsMaximizeAndThePreviewCannotBeClosed) {
    startOnScreen();
    const Qt::WindowFlags boxes =
        Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    EXPECT_EQ(window()->windowFlags() & boxes, boxes);
    EXPECT_EQ(qt().previewWindow()->title(), "VeltraEd Preview");
    EXPECT_EQ(qt().previewWindow()->flags() & boxes, boxes ^ Qt::WindowCloseButtonHint);
    EXPECT_FALSE(qt().previewWindow()->close());
    EXPECT_TRUE(qt().previewWindow()->isVisible());
}

// Save's dialog refuses a missing folder, asks before it replaces a file, the preview drawing on.
TEST_F(QtEditorTest, SaveDialogChecksThePathBeforeItCloses) {
    startOnScreen();
    const QString existing = write("saved.txt", "");
    bool stayedOpen = false;
    int framesWhileOpen = 0;
    answer<QFileDialog>([&](QFileDialog* dialog) {
        runSteps({press(QMessageBox::Ok), press(QMessageBox::Yes)});
        const int before = qt().framesSwapped();
        chooseFile(dialog, folder.filePath("missing/saved.txt"));
        stayedOpen = dialog->isVisible();
        QTest::qWait(300);
        framesWhileOpen = qt().framesSwapped() - before;
        chooseFile(dialog, existing);
    });
    menuItem(IDM_FILE_SAVE)->trigger();
    EXPECT_EQ(commands, std::vector{IDM_FILE_SAVE});
    EXPECT_TRUE(stayedOpen);
    EXPECT_GE(framesWhileOpen, 2);
    ASSERT_EQ(boxTexts.size(), 2);
    EXPECT_TRUE(boxTexts[0].startsWith(folder.filePath("missing") + "\nFolder not found."));
    EXPECT_TRUE(boxTexts[1].startsWith("saved.txt already exists."));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"saved.txt"});
}

// Exit ends the loop; the preview draws the library to the end, never after it is freed.
TEST_F(QtEditorTest, ExitEndsTheLoopAndTeardownDrawsNothingAfterTheScriptsAreFreed) {
    g().selection.currentScript = appendScript(g().library, "textures/water");
    int framesWithoutLibrary = 0;
    qt().frameObserver = [&] { framesWithoutLibrary += g().library.scripts == nullptr; };
    runSteps({[this] { return qt().framesSwapped() >= 2; },
              later([this] { menuItem(IDM_FILE_EXIT)->trigger(); })});
    EXPECT_EQ(runProgram(), 0);
    const int ticks = qt().redrawTicks();
    QTest::qWait(250);  // five timer periods
    EXPECT_EQ(qt().redrawTicks(), ticks);
    EXPECT_EQ(framesWithoutLibrary, 0);
}

#if defined(__SANITIZE_ADDRESS__)
// What Qt, fontconfig and Mesa keep to the end is suppressed by name: no library is unloaded.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" VELTRA_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
extern "C" int dlclose(void*) {
    return 0;
}
#endif

// One QApplication for every test; recovery copies and kept choices go to the run's own folder.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    const bool child = !GTEST_FLAG_GET(internal_run_death_test).empty();
    char home[] = "/tmp/veltra-qt-tests-XXXXXX";
    if (!child && !mkdtemp(home)) return 1;
    if (!child) setenv("XDG_STATE_HOME", home, 1);
    if (!child) setenv("XDG_CONFIG_HOME", home, 1);
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    const int result = RUN_ALL_TESTS();
    if (!child) std::filesystem::remove_all(home);
    return result;
}
