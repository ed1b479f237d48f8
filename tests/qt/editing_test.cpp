// Working from the keyboard and in windows that grow: keys, marks, context menus, drag, sizes.
#include "qt_fixture.h"

#include "dialog_templates.h"
#include "preview_window.h"
#include "texture_folders.h"
#include "window_places.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProcess>
#include <QSplitter>
#include <QWheelEvent>

static const char* const EXAMPLE_FILE = VELTRA_EXAMPLES_DIR "/demo.txt";

class QtEditingTest : public QtEditorTest {
  protected:
    // Opens the text as a file and picks that script and stage. Its textures are the example's
    // images, so no Locate dialog opens.
    void openScripts(const char* text, int script, int stage) {
        addTextureFolder(g().textures.folders, VELTRA_EXAMPLES_DIR "/pics/demo");
        app->openFiles({write("scripts.txt", text)});
        pick(IDC_SCRIPT_LIST, script);
        pick(IDC_STAGE_LIST, stage);
    }
};

// A number box is marked while its text is not a number; Escape puts back the text shown. Each
// key runs its command in its control (Enter, Delete, Copy, Paste) or anywhere (the Edit menu's).
TEST_F(QtEditingTest, KeysRunTheirCommandsInTheirControlsAndNumberBoxesAreMarked) {
    startOnScreen();
    openScripts("a { { map stone.tga rotate 2 } { map glow.tga } } b { }", 0, 0);
    auto* box = qobject_cast<QLineEdit*>(qt().control(IDC_ROTATE_SPEED));
    for (const auto& [typed, marked] : {std::pair{"0,5", true}, {" 1.5 ", false}, {"x", true}}) {
        type(IDC_ROTATE_SPEED, typed);
        EXPECT_EQ(box->property("notANumber").toBool(), marked) << typed;
        EXPECT_EQ(box->toolTip(), marked ? "not a number" : "") << typed;
        EXPECT_EQ(box->styleSheet().contains("red"), marked) << typed;
    }
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), "2.000000");
    EXPECT_FALSE(box->property("notANumber").toBool());
    qt().setText(IDC_SCRIPT_NAME, "");
    qt().listSetSelection(IDC_STAGE_LIST, 1);
    const std::tuple<int, QKeyCombination, int> rows[] = {
        // control, keys, command
        {IDC_ROTATE_SPEED, Qt::Key_Return, IDC_SUBMIT},
        {IDC_SUBDIVIDE, Qt::KeypadModifier | Qt::Key_Enter, IDC_SUBMIT},
        {IDC_FRAME_NAME, Qt::Key_Return, IDC_FRAME_ADD},
        {IDC_SCRIPT_NAME, Qt::Key_Return, IDC_SCRIPT_ADD},
        {IDC_STAGE_LIST, Qt::ALT | Qt::Key_Up, IDM_STAGE_MOVE_UP},
        {IDC_ROTATE_SPEED, Qt::ALT | Qt::Key_Down, IDM_STAGE_MOVE_DOWN},
        {IDC_STAGE_LIST, Qt::CTRL | Qt::Key_C, IDM_STAGE_COPY},
        {IDC_STAGE_LIST, Qt::CTRL | Qt::Key_V, IDM_STAGE_PASTE},
        {IDC_STAGE_LIST, Qt::Key_Delete, IDC_STAGE_DELETE},
        {IDC_SCRIPT_LIST, Qt::CTRL | Qt::Key_C, IDM_SCRIPT_COPY},
        {IDC_SCRIPT_LIST, Qt::CTRL | Qt::Key_V, IDM_SCRIPT_PASTE},
        {IDC_SCRIPT_LIST, Qt::Key_Delete, IDC_SCRIPT_DELETE},
    };
    for (const auto& [control, pressed, command] : rows) {
        qt().control(control)->setFocus();
        commands.clear();
        QTest::keyClick(qt().control(control), pressed.key(), pressed.keyboardModifiers());
        EXPECT_EQ(commands, std::vector{command}) << findCommand(command)->caption;
    }
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("a\n{\n\t{\n\t\tmap "));
}

// A right click selects and opens the list's Edit items; dragging a stage to the top is one move.
TEST_F(QtEditingTest, ListsOfferTheirCommandsOnARightClickAndStagesMoveByDrag) {
    startOnScreen();
    openScripts("a { { map stone.tga } { map glow.tga } { map water.tga } }", 0, 1);
    QWidget* stages = listView(IDC_STAGE_LIST)->viewport();
    const QPoint first = entryPlace(IDC_STAGE_LIST, 0);
    QTest::mouseClick(stages, Qt::RightButton, {}, first);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, first, stages->mapToGlobal(first));
    QApplication::sendEvent(stages, &rightClick);
    QMenu* menu = window()->contextMenu(IDC_STAGE_LIST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    EXPECT_EQ(menu->actions().size(), 5);
    EXPECT_EQ(menu->actions()[0], menuItem(IDM_STAGE_MOVE_UP));
    EXPECT_FALSE(menu->actions()[0]->isEnabled()) << "the right click selected the first stage";
    menu->close();
    EXPECT_EQ(window()->contextMenu(IDC_SCRIPT_LIST)->actions().size(), 3);
    QTest::mousePress(stages, Qt::LeftButton, {}, entryPlace(IDC_STAGE_LIST, 2));
    for (int row : {1, 0}) {
        const QPoint place = entryPlace(IDC_STAGE_LIST, row);
        QMouseEvent move(QEvent::MouseMove, place, stages->mapToGlobal(place), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(stages, &move);
    }
    QTest::mouseRelease(stages, Qt::LeftButton, {}, first);
    EXPECT_STREQ(g().library.scripts->stages->map, "water.tga");
    EXPECT_EQ(g().selection.currentStage, g().library.scripts->stages);
    EXPECT_STREQ(undoStepName(g().library.history), "Move Stage Up");
}

// At twice its size the controls neither overlap nor leave, the lists grow; the size is kept.
TEST_F(QtEditingTest, EditorWindowGrowsAndTheListsTakeTheRoom) {
    startOnScreen();
    QWidget* client = window()->centralWidget();
    const QSize least = window()->size();
    const int lists[] = {IDC_SCRIPT_LIST, IDC_STAGE_LIST, IDC_FRAME_LIST};
    std::vector<int> heights;
    for (int id : lists) heights.push_back(qt().control(id)->height());
    window()->resize(least * 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window()->size() == least * 2; }));
    std::vector<std::pair<QString, QRect>> places;
    for (QWidget* widget : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!widget->inherits("QGroupBox") && !widget->inherits("QSplitter") &&
            !dynamic_cast<GrowingPane*>(widget))
            places.push_back(
                {widget->objectName() + widget->property("text").toString(), widget->geometry()});
    ASSERT_EQ(places.size(), (size_t)EDITOR_TEMPLATE.controlCount - 3);
    for (size_t i = 0; i < places.size(); i++) {
        EXPECT_TRUE(client->rect().contains(places[i].second)) << places[i].first.toStdString();
        for (size_t j = 0; j < i; j++)
            EXPECT_FALSE(places[i].second.intersects(places[j].second))
                << places[i].first.toStdString() << " " << places[j].first.toStdString();
    }
    for (size_t i = 0; i < std::size(lists); i++)
        EXPECT_GT(qt().control(lists[i])->height(), heights[i] + 100) << lists[i];
    EXPECT_GT(qt().control(IDC_SCRIPT_LIST)->width(), 2 * qt().control(IDC_SCRIPT_ADD)->width());
    QSplitter* split = window()->listSplitter();
    split->setSizes({split->height() / 4, split->height() / 2});
    const QList<int> sizes = split->sizes();
    saveWindowPlaces(qt());

    app->tearDown();  // the next run
    app = std::make_unique<EditorApp>();
    startOnScreen();
    EXPECT_EQ(window()->size(), least * 2);
    EXPECT_EQ(window()->listSplitter()->sizes(), sizes);
}

// At 800 x 600 the preview draws as `veltra render --size 800x600`; the wheel zooms, Home fits.
TEST_F(QtEditingTest, PreviewOfAnotherShapeDrawsAsVeltraRenderAndZooms) {
    startOnScreen();
    PreviewWindow* preview = qt().previewWindow();
    preview->resize(800, 600);
    app->openFiles({EXAMPLE_FILE});
    pick(IDC_SCRIPT_LIST, 0);  // demo/stone_wall, its textures beside it
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return nextPreviewFrame(qt(), g().preview).width() == 800; }));
    const QImage shown = nextPreviewFrame(qt(), g().preview);
    const QString png = folder.filePath("render.png");
    EXPECT_EQ(QProcess::execute(VELTRA_PROGRAM, {"render", EXAMPLE_FILE, "demo/stone_wall",
                                                 "--time", "0.05", "--size", "800x600", "-o", png}),
              0);
    EXPECT_TRUE(shown == QImage(png).convertToFormat(QImage::Format_RGB888));
    EXPECT_EQ(shown.pixelColor(50, 300), QColor(0, 0, 255)) << "the background beside it";

    QWheelEvent wheel(QPointF(400, 300), preview->mapToGlobal(QPointF(400, 300)), {}, {0, 480},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview, &wheel);
    EXPECT_EQ(preview->title(), "VeltraEd Preview (200%)");
    EXPECT_EQ(g().preview.view.zoom, 2.0f);
    QTest::keyClick(preview, Qt::Key_Home);
    EXPECT_EQ(preview->title(), "VeltraEd Preview");
}
