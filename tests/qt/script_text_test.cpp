// The script text pane in the real editor: typing drawn by the preview, the pane's own undo
// first, notes leading to their lines, the stage list and the cursor following each other, keys.
#include "qt_fixture.h"

#include "problems_dock.h"
#include "script_text_pane.h"
#include "texture_folders.h"

#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QTextBlock>
#include <QToolTip>
#include <QTreeWidget>

class QtScriptTextTest : public QtEditorTest {
  protected:
    // Opens the text as a file whose textures are the example's images, and picks that script.
    void openScripts(const std::string& text, int script) {
        addTextureFolder(g().textures.folders, VELTRA_EXAMPLES_DIR "/pics/demo");
        app->openFiles({write("scripts.txt", text)});
        pick(IDC_SCRIPT_LIST, script);
    }
    ScriptTextPane* pane() { return qt().scriptTextPane(); }
    ScriptTextEdit* edit() { return pane()->editor(); }
    QString paneText() { return edit()->toPlainText(); }
    // The line of the file the cursor stands on, as the gutter numbers it.
    int cursorLine() { return edit()->firstLine() + edit()->textCursor().blockNumber(); }
    // Selects the first match in the pane, as a double click on it would.
    void selectInPane(const QString& text) {
        edit()->setFocus();
        edit()->setTextCursor(edit()->document()->find(text));
    }
    void paneKeys(QKeyCombination keys) {
        QTest::keyClick(edit(), keys.key(), keys.keyboardModifiers());
    }
};

// Typing is drawn within a second; a refused text says why; Ctrl+Z takes back the pane's typing
// first, then the library's step.
TEST_F(QtScriptTextTest, TypingIsDrawnWithinASecondAndCtrlZUndoesThePaneFirst) {
    startOnScreen();
    openScripts("a\n{\n\t{\n\t\tmap stone.tga\n\t}\n}\n", 0);
    const QImage stone = nextPreviewFrame(qt(), g().preview);
    selectInPane("stone");
    QTest::keyClicks(edit(), "glow");
    QElapsedTimer sinceLastKey;
    sinceLastKey.start();
    QImage shown = stone;
    while (shown == stone && sinceLastKey.elapsed() < 1000)
        shown = nextPreviewFrame(qt(), g().preview);
    EXPECT_NE(shown, stone);
    EXPECT_LT(sinceLastKey.elapsed(), 1000);
    EXPECT_STREQ(g().library.scripts->stages->map, "glow.tga");
    const QString applied = paneText();

    edit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit(), " b { }");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane()->statusLine()->isVisible(); }));
    EXPECT_EQ(pane()->statusLine()->text(), "The text holds 2 scripts: only one can be applied.");
    commands.clear();
    for (int i = 0; i < 10 && paneText() != applied; i++) paneKeys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(paneText(), applied);
    EXPECT_EQ(commands, std::vector<int>{}) << "the pane's own undo";
    paneKeys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(commands.back(), IDM_EDIT_UNDO);
    EXPECT_TRUE(paneText().contains("map stone.tga"));
    EXPECT_EQ(nextPreviewFrame(qt(), g().preview), stone);
}

// A note chosen in the Problems panel puts the cursor on its word, on the file's line, where the
// word is underlined with the note as its tooltip.
TEST_F(QtScriptTextTest, ProblemsDoubleClickLandsOnTheLineOfTheNote) {
    startOnScreen();
    openScripts(safeScript("clean") + "\nfire\n{\n\t{\n\t\tmap stone.tga glow\n\t}\n}\n", 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->problemsDock()->isVisible(); }));
    QTreeWidget* tree = app->problemsDock()->tree();
    QTreeWidgetItem* note = tree->topLevelItem(0)->child(0);
    ASSERT_TRUE(note->text(0).startsWith("9:17: 'glow' is not a stage keyword"));
    const QPoint place = tree->visualItemRect(note).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place);
    EXPECT_EQ(edit()->firstLine(), 6);
    EXPECT_EQ(cursorLine(), 9);
    QTextCursor word = edit()->textCursor();
    word.select(QTextCursor::WordUnderCursor);
    EXPECT_EQ(word.selectedText(), "glow");

    const QPoint over = edit()->cursorRect().center() + QPoint(4, 0);
    QHelpEvent hover(QEvent::ToolTip, over, edit()->viewport()->mapToGlobal(over));
    QApplication::sendEvent(edit()->viewport(), &hover);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_FALSE(QToolTip::text().isEmpty());
    EXPECT_TRUE(note->text(0).contains(QToolTip::text())) << QToolTip::text().toStdString();
    const QTextBlock line = edit()->textCursor().block();
    QStringList underlined;
    for (const QTextLayout::FormatRange& range : line.layout()->formats())
        if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline)
            underlined << line.text().mid(range.start, range.length);
    EXPECT_EQ(underlined, QStringList{"glow"});
}

// A stage picked in the list puts the cursor on its "{"; a click inside a stage's braces picks
// that stage in the list and the panel.
TEST_F(QtScriptTextTest, StageListAndCursorFollowEachOther) {
    startOnScreen();
    openScripts(
        "a\n{\n\t{\n\t\tmap stone.tga\n\t}\n\t{\n\t\tmap glow.tga\n\t}\n"
        "\t{\n\t\tmap water.tga\n\t}\n}\n",
        0);
    pick(IDC_STAGE_LIST, 2);
    EXPECT_FALSE(pane()->typingTimer().isActive()) << "a text shown is no typing";
    EXPECT_EQ(edit()->textCursor().position(), paneText().indexOf("\t{\n\t\tmap water") + 1);
    for (const auto& [word, stage] : {std::pair{"glow", 1}, {"stone", 0}}) {
        QTextCursor cursor = edit()->document()->find(word);
        const QPoint place = edit()->cursorRect(cursor).center();
        commands.clear();
        QTest::mouseClick(edit()->viewport(), Qt::LeftButton, {}, place);
        EXPECT_EQ(commands, std::vector{IDC_STAGE_LIST}) << word;
        EXPECT_EQ(selectedEntry(IDC_STAGE_LIST), "Stage " + std::to_string(stage));
    }
}

// F4 hides and shows the pane, which then shows the script picked meanwhile; Ctrl+F finds in the
// pane while it has the focus, and is Find Script elsewhere.
TEST_F(QtScriptTextTest, F4HidesAndShowsThePaneAndCtrlFFindsInIt) {
    startOnScreen();
    openScripts(safeScript("first") + safeScript("second"), 0);
    keys(Qt::Key_F4);
    EXPECT_TRUE(pane()->isHidden());
    EXPECT_FALSE(menuItem(IDM_VIEW_SCRIPT_TEXT)->isChecked());
    pick(IDC_SCRIPT_LIST, 1);
    keys(Qt::Key_F4);
    EXPECT_TRUE(pane()->isVisible());
    EXPECT_TRUE(menuItem(IDM_VIEW_SCRIPT_TEXT)->isChecked());
    EXPECT_TRUE(paneText().startsWith("second\n{"));

    edit()->setFocus();
    commands.clear();
    paneKeys(Qt::CTRL | Qt::Key_F);
    EXPECT_TRUE(pane()->findBox()->hasFocus());
    QTest::keyClicks(pane()->findBox(), "SAFE");
    QTest::keyClick(pane()->findBox(), Qt::Key_Return);
    EXPECT_EQ(edit()->textCursor().selectedText(), "safe");
    QTest::keyClick(pane()->findBox(), Qt::Key_Escape);
    EXPECT_TRUE(edit()->hasFocus());
    EXPECT_EQ(commands, std::vector<int>{});

    pane()->close();  // by its own button
    QApplication::processEvents();
    EXPECT_FALSE(menuItem(IDM_VIEW_SCRIPT_TEXT)->isChecked());
}
