#include "editor_window.h"

#include "commands.h"
#include "control_ids.h"
#include "dialog_templates.h"
#include "editor.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>

#include <cstring>
#include <functional>

const char* const SHOWN_TEXT = "shownText";

// A number box whose text is not a number: a red frame and a tooltip.
static void markNumberBox(QLineEdit* edit, bool accepted) {
    if (edit->property("notANumber").toBool() == !accepted) return;
    edit->setProperty("notANumber", !accepted);
    edit->setToolTip(accepted ? QString() : QStringLiteral("not a number"));
    edit->setStyleSheet(accepted ? QString()
                                 : QStringLiteral("QLineEdit { border: 1px solid red; }"));
}

// The keys a menu row's command takes in a control, shown after its caption
// ("\tCtrl+C") without being bound: they act only in that control.
static QString controlKeyHint(int command) {
    for (int i = 0; i < CONTROL_KEY_COUNT; i++)
        if (CONTROL_KEYS[i].command == command)
            return QLatin1Char('\t') + QString::fromUtf8(CONTROL_KEYS[i].keys);
    return QString();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count()) return QVariant();
    return text(index.row());
}

QString EntryListModel::text(int row) const {
    return QString::fromUtf8(bytes.constData() + starts[row], starts[row + 1] - starts[row]);
}

void EntryListModel::fill(const char* const* texts, int count) {
    beginResetModel();
    bytes.clear();
    starts.assign(1, 0);
    starts.reserve(count + 1);
    for (int i = 0; i < count; i++) {
        bytes.append(texts[i]);
        starts.push_back(bytes.size());
    }
    endResetModel();
}

void EntryListModel::insert(int row, const char* text) {
    const int length = (int)strlen(text);
    beginInsertRows(QModelIndex(), row, row);
    bytes.insert(starts[row], text, length);
    starts.insert(starts.begin() + row + 1, starts[row] + length);
    for (size_t i = row + 2; i < starts.size(); i++) starts[i] += length;
    endInsertRows();
}

void EntryListModel::remove(int row) {
    const int length = starts[row + 1] - starts[row];
    beginRemoveRows(QModelIndex(), row, row);
    bytes.remove(starts[row], length);
    starts.erase(starts.begin() + row + 1);
    for (size_t i = row + 1; i < starts.size(); i++) starts[i] -= length;
    endRemoveRows();
}

NotifyingListBox::NotifyingListBox(QWidget* parent) : QListView(parent) {
    setModel(&entryModel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Entries are one line of plain text: measuring one measures them all,
    // so a library of thousands of scripts is laid out at once.
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &NotifyingListBox::onSelectionChanged);
    connect(this, &QListView::clicked, this, &NotifyingListBox::onClicked);
    connect(this, &QListView::doubleClicked, this, &NotifyingListBox::notified);
}

// The focus moving when the whole window is activated or deactivated (a modal
// dialog opening over the editor, a menu or drop-down popping up) is not a
// focus change inside the window; reporting it would run the command that
// opened the dialog a second time, nested in itself.
static bool isFocusChangeInsideWindow(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

void NotifyingListBox::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    if (isFocusChangeInsideWindow(event)) emit notified();
}

void NotifyingListBox::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    if (isFocusChangeInsideWindow(event)) emit notified();
}

void NotifyingListBox::mousePressEvent(QMouseEvent* event) {
    selectionReportedInPress = false;
    dragging = false;
    pressedRow = indexAt(event->position().toPoint()).row();
    pressedAt = event->position().toPoint();
    QListView::mousePressEvent(event);
}

// While an entry is dragged the entries under the pointer are not selected.
void NotifyingListBox::mouseMoveEvent(QMouseEvent* event) {
    if (!dragMovesRows || pressedRow < 0 || !(event->buttons() & Qt::LeftButton))
        return QListView::mouseMoveEvent(event);
    const QPoint moved = event->position().toPoint() - pressedAt;
    dragging = dragging || moved.manhattanLength() >= QApplication::startDragDistance();
}

// Dropped below the last entry, the entry goes last.
void NotifyingListBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool dropped = dragging && event->button() == Qt::LeftButton;
    dragging = false;
    QListView::mouseReleaseEvent(event);
    if (!dropped) return;
    int row = indexAt(event->position().toPoint()).row();
    if (row < 0 && event->position().y() > 0) row = count() - 1;
    if (row >= 0 && row != pressedRow) emit rowDragged(pressedRow, row);
}

int NotifyingListBox::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void NotifyingListBox::selectRow(int row) {
    if (row >= 0 && row < count()) {
        const QModelIndex index = entryModel.index(row);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    } else {
        clearSelection();
    }
}

// The selection model is not the list: the program's changes, made with the
// list's signals blocked, are told apart here.
void NotifyingListBox::onSelectionChanged() {
    if (signalsBlocked()) return;
    selectionReportedInPress = true;
    emit notified();
}

// A click that selected a new entry has been reported with the selection.
void NotifyingListBox::onClicked() {
    if (!selectionReportedInPress) emit notified();
    selectionReportedInPress = false;
}

GrowingPane::GrowingPane(QWidget* parent, QSize baseSize) : QWidget(parent), base(baseSize) {
    setMinimumSize(baseSize);
}

void GrowingPane::addControl(QWidget* widget, const QRect& place, bool stretches, bool widens) {
    if (stretches) stretching = place;
    placed.push_back({widget, place, widens});
    placeControls();
}

// The controls are the client area's, not the pane's: a control may reach out
// of its part of the window (Submit, grown to fit its caption, does).
void GrowingPane::placeControls() {
    const int wider = width() - base.width(), taller = height() - base.height();
    for (const Placed& control : placed) {
        QRect place = control.place;
        if (place.top() > stretching.top())
            place.translate(0, taller);
        else if (place.bottom() >= stretching.bottom())
            place.setHeight(place.height() + taller);
        if (control.widens)
            place.setWidth(place.width() + wider);
        else if (place.left() > base.width() / 2)
            place.translate(wider, 0);
        control.widget->setGeometry(
            place.translated(mapTo(control.widget->parentWidget(), QPoint())));
    }
}

namespace {

// The client area: the template's size at least, its parts placed on each resize.
class ClientArea : public QWidget {
  public:
    ClientArea(QWidget* parent, QSize base, std::function<void()> placeParts)
        : QWidget(parent), place(std::move(placeParts)) {
        setMinimumSize(base);
    }
    QSize sizeHint() const override { return minimumSize(); }

  protected:
    void resizeEvent(QResizeEvent*) override { place(); }

  private:
    std::function<void()> place;
};

// Where the parts of the editor's template meet, in dialog units: the lists
// left of the panel, and the script list's buttons above the stage list.
constexpr int PANEL_LEFT = 147;
constexpr int SCRIPT_PART_BOTTOM = 196;
constexpr int STAGE_PART_TOP = 198;

}  // namespace

// The lists take the new room: the script and stage lists share the new
// height (a splitter between them moves the share) and all the new width;
// the panel keeps its width and its layout, and its frame list grows.
void EditorWindow::buildPanes(QWidget* client, QSize base) {
    const int listsWidth = units.toPixelsX(PANEL_LEFT);
    splitter = new QSplitter(Qt::Vertical, client);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(units.toPixelsY(STAGE_PART_TOP) - units.toPixelsY(SCRIPT_PART_BOTTOM));
    scriptPane = new GrowingPane(splitter, QSize(listsWidth, units.toPixelsY(SCRIPT_PART_BOTTOM)));
    stagePane = new GrowingPane(splitter,
                                QSize(listsWidth, base.height() - units.toPixelsY(STAGE_PART_TOP)));
    for (int i = 0; i < 2; i++) splitter->setStretchFactor(i, 1);
    panel = new GrowingPane(client, QSize(base.width() - listsWidth, base.height()));
}

EditorWindow::EditorWindow(const DialogTemplate& dialog) {
    setObjectName(QString::number(dialog.id));
    // "[*]" shows the unsaved mark where the window system puts it.
    setWindowTitle(QString::fromUtf8(dialog.caption) + QStringLiteral("[*]"));
    setAcceptDrops(true);
    setWindowFlags(templateWindowFlags(dialog));
    setFont(templateFont(dialog));
    units = DialogUnits::forFont(font());

    const QSize base(units.toPixelsX(dialog.width), units.toPixelsY(dialog.height));
    auto* client = new ClientArea(this, base, [this, base] {
        const QWidget* area = centralWidget();
        const int listsWidth = scriptPane->baseSize().width() + area->width() - base.width();
        splitter->setGeometry(0, 0, listsWidth, area->height());
        panel->setGeometry(listsWidth, 0, panel->baseSize().width(), area->height());
    });
    setCentralWidget(client);
    buildPanes(client, base);
    for (int i = 0; i < dialog.controlCount; i++) {
        const DialogControl& control = dialog.controls[i];
        QPoint origin;
        GrowingPane* pane = paneOf(control, origin);
        QWidget* widget = createControl(control, client);
        placeControl(widget, control, pane, origin);
        if (control.id != NO_CONTROL_ID) {
            widget->setObjectName(QString::number(control.id));
            controls.insert(control.id, widget);
        }
    }
    // Group boxes frame controls that follow them; keep them underneath.
    for (QGroupBox* group : client->findChildren<QGroupBox*>()) group->lower();

    // No control has the focus at first: the first click into a list box is
    // then reported as the list gaining it.
    client->setFocus();

    if (dialog.menuId) buildMenuBar();
    buildContextMenus();
    // The client area opens at the template's size, its least; the window adds the menu bar.
    setMinimumSize(minimumSizeHint());
    resize(minimumSizeHint());
    if (dialog.style & WINDOW_CENTERED)
        centerOnScreen();
    else
        move(units.toPixelsX(dialog.x), units.toPixelsY(dialog.y));
}

QWidget* EditorWindow::createControl(const DialogControl& control, QWidget* parent) {
    const QString caption = QString::fromUtf8(control.caption);
    const int id = control.id;
    switch (control.kind) {
        case CONTROL_STATIC_TEXT: {
            auto* label = new QLabel(caption, parent);
            Qt::Alignment alignment =
                (control.style & CONTROL_TEXT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
            alignment |= (control.style & CONTROL_TEXT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
            label->setAlignment(alignment);
            return label;
        }
        case CONTROL_GROUP_BOX: {
            // The frame's top line runs through the middle of the caption.
            auto* group = new QGroupBox(caption, parent);
            group->setStyleSheet(
                QStringLiteral(
                    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: "
                    "%1px; }"
                    "QGroupBox::title { subcontrol-origin: margin; left: %2px; padding: 0 2px; }")
                    .arg(units.fontHeight / 2)
                    .arg(units.toPixelsX(2)));
            return group;
        }
        case CONTROL_PUSH_BUTTON: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, id] { emit command(id); });
            return button;
        }
        case CONTROL_CHECK_BOX:
            return new QCheckBox(caption, parent);
        case CONTROL_EDIT: {
            auto* edit = new QLineEdit(parent);
            edit->installEventFilter(this);
            for (const PanelNumberBox& box : PANEL_NUMBER_BOXES)
                if (box.id == id)
                    connect(edit, &QLineEdit::textChanged, edit, [edit, id](const QString& text) {
                        markNumberBox(edit, numberBoxAccepts(id, text.toUtf8().constData()));
                    });
            return edit;
        }
        case CONTROL_DROP_DOWN_LIST: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            return combo;
        }
        case CONTROL_LIST_BOX: {
            auto* list = new NotifyingListBox(parent);
            if (!(control.style & CONTROL_VERTICAL_SCROLL))
                list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            if (control.style & CONTROL_NOTIFY)
                connect(list, &NotifyingListBox::notified, this, [this, id] { emit command(id); });
            list->installEventFilter(this);
            if (id == IDC_STAGE_LIST) {
                list->setDragMovesRows(true);
                connect(list, &NotifyingListBox::rowDragged, this, &EditorWindow::stageDragged);
            }
            return list;
        }
    }
    return new QWidget(parent);
}

// Places the control at its template rectangle, in its part of the window. A control that must show
// its caption whole grows to fit it: away from the text's alignment edge, so a right-aligned label
// still ends against its control. The part of the window that holds the control, and where it
// begins in the client area.
GrowingPane* EditorWindow::paneOf(const DialogControl& control, QPoint& origin) const {
    if (control.x >= PANEL_LEFT) {
        origin = QPoint(units.toPixelsX(PANEL_LEFT), 0);
        return panel;
    }
    const bool below = control.y >= STAGE_PART_TOP;
    origin = QPoint(0, below ? units.toPixelsY(STAGE_PART_TOP) : 0);
    return below ? stagePane : scriptPane;
}

void EditorWindow::placeControl(QWidget* widget, const DialogControl& control, GrowingPane* pane,
                                QPoint origin) {
    QRect rect = units.toPixels(control.x, control.y, control.width, control.height);
    if (control.style & CONTROL_FIT_CAPTION) {
        const int needed = widget->sizeHint().width();
        if (needed > rect.width()) {
            if (control.style & CONTROL_TEXT_RIGHT)
                rect.setLeft(rect.right() + 1 - needed);
            else
                rect.setWidth(needed);
        }
    }
    const bool list = control.kind == CONTROL_LIST_BOX;
    const bool widens = pane != panel && (list || control.kind == CONTROL_EDIT);
    pane->addControl(widget, rect.translated(-origin), list, widens);
}

QString withMnemonic(const char* caption, char mnemonic) {
    QString text = QString::fromUtf8(caption);
    const int at = mnemonic ? text.indexOf(QLatin1Char(mnemonic)) : -1;
    if (at >= 0) text.insert(at, QLatin1Char('&'));
    return text;
}

// The popup of a menu path, made (under its parent, after a separator when
// the row asks for one) the first time a row names it.
QMenu* EditorWindow::popupFor(const QString& path) {
    if (QMenu* made = popups.value(path)) return made;
    const MenuPopup* popup = nullptr;
    for (int i = 0; i < MENU_POPUP_COUNT; i++)
        if (path == QLatin1String(MENU_POPUPS[i].path)) popup = &MENU_POPUPS[i];
    const QString caption = popup ? withMnemonic(popup->caption, popup->mnemonic) : path;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    QMenu* made =
        slash < 0 ? menuBar()->addMenu(caption) : popupFor(path.left(slash))->addMenu(caption);
    popups.insert(path, made);
    return made;
}

// Radio items of one popup between two separators form one exclusive group.
void EditorWindow::buildMenuBar() {
    QHash<QMenu*, QActionGroup*> radioGroups;
    for (int i = 0; i < COMMAND_COUNT; i++) {
        const Command& row = COMMANDS[i];
        if (!row.menu) continue;
        const QString path = QString::fromUtf8(row.menu);
        const bool newPopup = !popups.contains(path);
        QMenu* popup = popupFor(path);
        if (row.style & MENU_SEPARATOR_BEFORE) {
            QMenu* lined = newPopup && path.contains(QLatin1Char('/'))
                               ? popupFor(path.left(path.lastIndexOf(QLatin1Char('/'))))
                               : popup;
            if (newPopup && lined != popup)
                lined->insertSeparator(popup->menuAction());
            else
                popup->addSeparator();
            radioGroups.remove(popup);
        }
        QAction* action =
            popup->addAction(withMnemonic(row.caption, row.mnemonic) + controlKeyHint(row.id));
        const int id = row.id;
        action->setObjectName(QString::number(id));
        if (row.shortcut)
            action->setShortcuts(QKeySequence::listFromString(QString::fromUtf8(row.shortcut)));
        action->setCheckable(row.style & (MENU_CHECK | MENU_RADIO));
        if (row.style & MENU_RADIO) {
            QActionGroup*& group = radioGroups[popup];
            if (!group) group = new QActionGroup(popup);
            group->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
        menuActions.insert(id, action);
    }
}

// The items of each list's context menu are the Edit menu's own actions, so
// they grey and run as those do.
void EditorWindow::buildContextMenus() {
    for (int i = 0; i < CONTEXT_MENU_ITEM_COUNT; i++) {
        const ContextMenuItem& item = CONTEXT_MENU_ITEMS[i];
        auto* list = qobject_cast<NotifyingListBox*>(control(item.list));
        QAction* action = menuAction(item.command);
        if (!list || !action) continue;
        QMenu*& menu = contextMenus[item.list];
        if (!menu) {
            menu = new QMenu(list);
            list->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(list, &QWidget::customContextMenuRequested, menu,
                    [list, menu](QPoint at) { menu->popup(list->viewport()->mapToGlobal(at)); });
        }
        menu->addAction(action);
    }
}

// Keys of the control key table and Escape, which puts back the text last shown.
bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const auto* key = static_cast<const QKeyEvent*>(event);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (edit && key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        edit->setText(edit->property(SHOWN_TEXT).toString());
        return true;
    }
    return runControlKey(widget, key);
}

bool EditorWindow::runControlKey(QWidget* widget, const QKeyEvent* key) {
    const int id = widget->objectName().toInt();
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    for (int i = 0; i < CONTROL_KEY_COUNT; i++) {
        const ControlKey& row = CONTROL_KEYS[i];
        const bool anyEdit = row.control == ANY_EDIT_BOX && qobject_cast<QLineEdit*>(widget);
        if (row.control != id && !anyEdit) continue;
        for (const QKeySequence& keys : QKeySequence::listFromString(QString::fromUtf8(row.keys)))
            if (keys.count() == 1 && keys[0] == pressed) {
                emit command(row.command);
                return true;
            }
    }
    return false;
}

// Files dragged from a file manager: local files only.
static QStringList localFiles(const QMimeData* data) {
    QStringList paths;
    if (!data) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void EditorWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    emit filesDropped(paths);
}

void EditorWindow::centerOnScreen() {
    const QScreen* where = screen();
    if (!where) return;
    QRect frame = frameGeometry();
    frame.moveCenter(where->availableGeometry().center());
    move(frame.topLeft());
}

// The close box asks; the program decides (it quits through its main loop).
void EditorWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}
