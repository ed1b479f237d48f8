// The menus of the command table, Find Script, Texture Folders and the choices kept between runs.
#include "qt_fixture.h"

#include "dialog_templates.h"
#include "find_script_dialog.h"
#include "texture_folders.h"
#include "texture_folders_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenuBar>

static const char* const EXAMPLE_FILE = VELTRA_EXAMPLES_DIR "/demo.txt";

// A popup's items as shown: text and keys ("\t" before keys of one control), "-" for a separator,
// [check] and (radio) items, a submenu's items indented after it.
static QStringList shownItems(const QMenu* popup, const QString& indent = {}) {
    QStringList shown;
    for (const QAction* item : popup->actions()) {
        QString text = item->isSeparator() ? "-" : item->text();
        if (item->isCheckable()) text = item->actionGroup() ? "(" + text + ")" : "[" + text + "]";
        if (!item->shortcuts().isEmpty())
            text += "  " + QKeySequence::listToString(item->shortcuts());
        shown << indent + text;
        if (item->menu()) shown << shownItems(item->menu(), indent + "  ");
    }
    return shown;
}

// The menu bar as the command table gives it, each row's item running its command.
TEST(EditorMenus, EveryMenuRowHasItsItemWithItsKeysThatRunsItsCommand) {
    EditorWindow window(EDITOR_TEMPLATE);
    const std::pair<QString, QStringList> menus[] = {
        {"&File",
         {"&Open...  Ctrl+O", "&Save  Ctrl+S", "Save Library &As...  Ctrl+Shift+S", "-",
          "&Texture Folders...", "&Reload Textures  F5", "-", "E&xit  Ctrl+Q"}},
        {"&Edit",
         {"&Undo  Ctrl+Z", "&Redo  Ctrl+Shift+Z; Ctrl+Y", "-", "&Move Stage Up  Alt+Up",
          "Move Stage Do&wn  Alt+Down", "&Duplicate Stage  Ctrl+D", "&Copy Stage\tCtrl+C",
          "&Paste Stage\tCtrl+V", "-", "Dup&licate Script", "Cop&y Script\tCtrl+C",
          "P&aste Script\tCtrl+V", "-", "&Find Script...  Ctrl+F"}},
        {"&View", {"[&Problems]", "[Script &Text]  F4"}},
        {"&Preview",
         {"(&Whole Script)", "(&Up to Selected Stage)", "(Selected Stage &Only)", "-",
          "[&Pause]  Ctrl+Space", "&Step Frame  Ctrl+.", "&Restart Clock  Ctrl+R", "-",
          "&Background", "  (&Blue)", "  (Blac&k)", "  (&Checkerboard)"}},
    };
    const QList<QAction*> popups = window.menuBar()->actions();
    ASSERT_EQ(popups.size(), std::size(menus));
    for (size_t i = 0; i < std::size(menus); i++) {
        EXPECT_EQ(popups[i]->text(), menus[i].first);
        EXPECT_EQ(shownItems(popups[i]->menu()), menus[i].second) << menus[i].first.toStdString();
    }
    std::vector<int> commands;
    QObject::connect(&window, &EditorWindow::command, [&](int id) { commands.push_back(id); });
    for (const Command& row : std::span(COMMANDS, COMMAND_COUNT)) {
        if (!row.menu) continue;
        QAction* item = window.menuAction(row.id);
        ASSERT_TRUE(item) << row.caption;
        commands.clear();
        item->trigger();
        EXPECT_EQ(commands, std::vector{row.id}) << row.caption;
    }
}

// Ctrl+F, three letters in another case, Enter: the one completion is shown.
TEST_F(QtEditorTest, FindScriptCompletesAsTypedAndShowsTheChoice) {
    startOnScreen();
    app->openFiles({EXAMPLE_FILE});
    QStringList listed;
    answer<FindScriptDialog>([&](FindScriptDialog* dialog) {
        QTest::keyClicks(dialog->nameBox(), "LAM");
        for (int i = 0; i < dialog->completions()->count(); i++)
            listed << dialog->completions()->item(i)->text();
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
    });
    commands.clear();
    keys(Qt::CTRL | Qt::Key_F);
    EXPECT_EQ(listed, QStringList{"demo/flame"});
    EXPECT_EQ(selectedEntry(IDC_SCRIPT_LIST), "demo/flame");
    EXPECT_EQ(commands, std::vector{IDM_EDIT_FIND_SCRIPT});
}

static QStringList pathsOf(const SearchFolder* folder) {
    QStringList paths;
    for (; folder; folder = folder->next) paths << folder->path;
    return paths;
}

// Check marks and Step Frame follow the choices; they and the folders, not the pause, are kept.
TEST_F(QtEditorTest, CheckMarksFollowTheChoicesAndTheyAndTheFoldersAreKeptBetweenRuns) {
    startOnScreen();
    auto shown = [this] {  // the captions of the checked items, in menu order
        QStringList checked;
        for (const Command& row : std::span(COMMANDS, COMMAND_COUNT))
            if (row.menu && menuItem(row.id)->isChecked()) checked << row.caption;
        if (menuItem(IDM_PREVIEW_STEP_FRAME)->isEnabled()) checked << "Step Frame enabled";
        return checked;
    };
    const std::pair<std::vector<int>, QStringList> steps[] = {
        {{}, {"Script Text", "Whole Script", "Blue"}},
        {{IDM_PREVIEW_SELECTED_STAGE_ONLY, IDM_BACKGROUND_BLACK, IDM_PREVIEW_PAUSE},
         {"Script Text", "Selected Stage Only", "Pause", "Black", "Step Frame enabled"}},
    };
    for (const auto& [run, checked] : steps) {
        for (int id : run) app->runCommand(id);
        EXPECT_EQ(shown(), checked);
    }
    answer<TextureFoldersDialog>([](TextureFoldersDialog* dialog) {
        dialog->addFolder(QStringLiteral("/textures/first"));
        dialog->addFolder(QStringLiteral("/textures/second"));
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Move &Up")) button->click();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    app->runCommand(IDM_FILE_TEXTURE_FOLDERS);
    const QStringList folders = {"/textures/second", "/textures/first"};
    EXPECT_EQ(pathsOf(g().textures.folders.textureFolders), folders);

    app->tearDown();  // the next run
    app = std::make_unique<EditorApp>();
    startOnScreen();
    EXPECT_EQ(pathsOf(g().textures.folders.textureFolders), folders);
    EXPECT_EQ(shown(), (QStringList{"Script Text", "Selected Stage Only", "Black"}));
}
