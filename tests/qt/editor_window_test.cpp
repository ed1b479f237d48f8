// The windows of the templates on a real display, the notifications that reach
// the dispatcher, the ways out of the main loop and teardown; the tests' main.
#include "qt_fixture.h"

#include "dialog_templates.h"
#include "preview_window.h"

#include <QMenuBar>
#include <QTemporaryDir>

#include <clocale>
#include <filesystem>

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

// Buttons dispatch, check boxes do not; the preview cannot be closed.
TEST_F(QtEditorTest, EveryControlAndBothWindowsAreAsTheTemplatesGiveThem) {
    startOnScreen();
    for (int i = 0; i < EDITOR_TEMPLATE.controlCount; i++) {
        const DialogControl& control = EDITOR_TEMPLATE.controls[i];
        SCOPED_TRACE(control.caption + std::to_string(control.id));
        QWidget* widget = findControl(qt, control);
        ASSERT_TRUE(widget && widget->isVisible() && widget->inherits(CLASSES[control.kind]));
        EXPECT_EQ(captionOf(widget), control.caption);
        if (control.id == NO_CONTROL_ID) continue;
        EXPECT_EQ(widget->pos(),
                  qt.editorWindow()->dialogUnits().toPixels(control.x, control.y, 0, 0).topLeft());
        commands.clear();
        if (control.kind == CONTROL_PUSH_BUTTON || control.kind == CONTROL_CHECK_BOX)
            QTest::mouseClick(widget, Qt::LeftButton);
        EXPECT_EQ(commands, control.kind == CONTROL_PUSH_BUTTON ? std::vector{control.id}
                                                                : std::vector<int>{});
    }
    const Qt::WindowFlags boxes =
        Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    EXPECT_TRUE(qt.editorWindow()->windowHandle()->title() == "VeltraEd" &&
                (qt.editorWindow()->windowFlags() & boxes) ==
                    (boxes ^ Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(qt.previewWindow()->title() == "VeltraEd Preview" &&
                (qt.previewWindow()->flags() & boxes) == Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(qt.previewWindow()->close());
    const int frames = qt.framesSwapped();
    EXPECT_TRUE(QTest::qWaitFor([&] { return qt.framesSwapped() >= frames + 3; }) &&
                qt.previewWindow()->isVisible());
}

// The popup holds the template's items in order: separators, submenus, and
// items found by their identifier, checkable when the template says so.
static void expectMenuLike(QtPlatform& qt, const QMenu* popup, const MenuTemplate& menu) {
    const QList<QAction*> actions = popup->actions();
    ASSERT_EQ(actions.size(), menu.itemCount) << menu.popupCaption;
    for (int i = 0; i < menu.itemCount; i++) {
        const MenuItemTemplate& item = menu.items[i];
        const QAction* action = actions[i];
        if (item.style & MENU_SEPARATOR) {
            EXPECT_TRUE(action->isSeparator()) << menu.popupCaption << " " << i;
            continue;
        }
        EXPECT_EQ(action->text(), item.caption);
        if (item.submenu) {
            ASSERT_TRUE(action->menu()) << item.caption;
            expectMenuLike(qt, action->menu(), *item.submenu);
            continue;
        }
        EXPECT_EQ(action, qt.editorWindow()->menuAction(item.id)) << item.caption;
        const auto shortcuts =
            item.shortcut ? QKeySequence::listFromString(item.shortcut) : QList<QKeySequence>();
        EXPECT_EQ(action->shortcuts(), shortcuts) << item.caption;
        const bool checkable = (item.style & (MENU_CHECK | MENU_RADIO)) != 0;
        EXPECT_EQ(action->isCheckable(), checkable) << item.caption;
    }
}

// Open is cancelled; the preview draws on while its dialog is open.
TEST_F(QtEditorTest, MenusHoldTheirItemsAndDispatchThem) {
    startOnScreen();
    const QList<QAction*> popups = qt.editorWindow()->menuBar()->actions();
    ASSERT_EQ(popups.size(), EDITOR_MENU_BAR.popupCount);
    for (int i = 0; i < EDITOR_MENU_BAR.popupCount; i++) {
        EXPECT_EQ(popups[i]->text(), EDITOR_MENU_BAR.popups[i]->popupCaption);
        expectMenuLike(qt, popups[i]->menu(), *EDITOR_MENU_BAR.popups[i]);
    }
    int framesWhileOpen = 0;
    answer<QFileDialog>([&](QFileDialog* dialog) {
        const int before = qt.framesSwapped();
        QTest::qWait(300);
        framesWhileOpen = qt.framesSwapped() - before;
        dialog->reject();
    });
    trigger(IDM_FILE_OPEN);
    EXPECT_EQ(commands, std::vector{IDM_FILE_OPEN});
    EXPECT_GE(framesWhileOpen, 2);
}

// The program's own changes are silent.
TEST_F(QtEditorTest, ListBoxesReportFocusChangesClicksAndDoubleClicks) {
    startOnScreen();
    QWidget* elsewhere = qt.control(IDC_SCRIPT_NAME);
    for (int id : {IDC_SCRIPT_LIST, IDC_STAGE_LIST, IDC_FRAME_LIST}) {
        auto* list = qobject_cast<QListView*>(qt.control(id));
        for (const char* entry : {"first", "second"}) qt.listAdd(id, entry);
        const QPoint first = list->visualRect(list->model()->index(0, 0)).center();
        const std::pair<const char*, std::function<void()>> steps[] = {
            {"the program's changes", [&] { qt.listSetSelection(id, 1); }},
            {"gaining the focus", [&] { list->setFocus(); }},
            {"a click that selects",
             [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first); }},
            {"a click on the selected entry",
             [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first); }},
            {"a double click",
             [&] { QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first); }},
            {"an arrow key", [&] { QTest::keyClick(list, Qt::Key_Down); }},
            {"losing the focus", [&] { elsewhere->setFocus(); }},
        };
        for (const auto& [what, step] : steps) {
            commands.clear();
            step();
            EXPECT_EQ(commands, what == steps[0].first ? std::vector<int>{} : std::vector{id})
                << what << " " << id;
        }
    }
}

// The preview draws the library's script to the end but not after it is freed.
TEST_F(QtEditorTest, ExitEndsTheLoopAndTeardownDrawsNothingAfterTheScriptsAreFreed) {
    currentScript = appendScript("textures/water");
    int framesWithoutLibrary = 0;
    qt.frameObserver = [&] { framesWithoutLibrary += scriptLibrary == nullptr; };
    EXPECT_EQ(runTaking([this] { trigger(IDM_FILE_EXIT); }), 0);
    const int ticks = qt.redrawTicks();
    QTest::qWait(250);  // five timer periods
    EXPECT_EQ(qt.redrawTicks(), ticks);
    EXPECT_EQ(framesWithoutLibrary, 0);
}

TEST_F(QtEditorTest, CloseBoxEndsTheLoop) {
    runTaking([this] { qt.editorWindow()->windowHandle()->close(); });
    EXPECT_TRUE(commands.empty());
}

#if defined(__SANITIZE_ADDRESS__)
// Suppressions of what Qt, fontconfig and Mesa keep to the end, even from a
// partial environment; no library is unloaded, so such leaks keep their names.
extern "C" const char* __lsan_default_options() {
    return "suppressions=" VELTRA_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
extern "C" int dlclose(void*) {
    return 0;
}
#endif

// One QApplication for every test; listing the tests needs no display.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    // Recovery copies go to a folder of the run's own.
    char state[] = "/tmp/veltra-qt-tests-XXXXXX";
    if (!mkdtemp(state)) return 1;
    setenv("XDG_STATE_HOME", state, 1);
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    // The choices kept between runs go to a folder of the tests' own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(state);
    return result;
}
