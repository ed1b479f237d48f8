#include "editor_window.h"

#include "commands.h"

#include "dialog_templates.h"

#include <QActionGroup>
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

#include <cstring>

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
    QListView::mousePressEvent(event);
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

EditorWindow::EditorWindow(const DialogTemplate& dialog) {
    setObjectName(QString::number(dialog.id));
    // "[*]" shows the unsaved mark where the window system puts it.
    setWindowTitle(QString::fromUtf8(dialog.caption) + QStringLiteral("[*]"));
    setAcceptDrops(true);
    setWindowFlags(templateWindowFlags(dialog));
    setFont(templateFont(dialog));
    units = DialogUnits::forFont(font());

    auto* client = new QWidget(this);
    client->setFixedSize(units.toPixelsX(dialog.width), units.toPixelsY(dialog.height));
    setCentralWidget(client);
    for (int i = 0; i < dialog.controlCount; i++) {
        const DialogControl& control = dialog.controls[i];
        QWidget* widget = createControl(control, client);
        placeControl(widget, control);
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
    // The client area keeps the template's size; the window adds the menu bar.
    setFixedSize(sizeHint());
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
        case CONTROL_EDIT:
            return new QLineEdit(parent);
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
            return list;
        }
    }
    return new QWidget(parent);
}

// Places the control at its template rectangle. A control that must show its
// caption whole grows to fit it: away from the text's alignment edge, so a
// right-aligned label still ends against its control.
void EditorWindow::placeControl(QWidget* widget, const DialogControl& control) {
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
    widget->setGeometry(rect);
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
        QAction* action = popup->addAction(withMnemonic(row.caption, row.mnemonic));
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
