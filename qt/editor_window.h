// The editor window built from its template and the command table: real
// widgets placed in dialog units, each control named by its identifier
// (objectName is the number), and every notification of a control or menu
// item turned into command(id).
#pragma once

#include "dialog_units.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QListView>
#include <QMainWindow>

#include <vector>

struct DialogControl;
struct DialogTemplate;
class QKeyEvent;
class QMenu;
class QSplitter;

// The entries of a list box: lines of text held as the program gave them
// (UTF-8, one after another), made into QStrings only for the rows drawn, so
// that a list of a whole library of scripts is filled at once.
class EntryListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int count() const { return (int)starts.size() - 1; }
    QString text(int row) const;
    void fill(const char* const* texts, int count);  // replaces every entry
    void insert(int row, const char* text);
    void remove(int row);

  private:
    QByteArray bytes;
    std::vector<int> starts{0};  // of each entry in bytes, then the end
};

// A list box that reports like a notifying list box of the classic dialog
// manager: on a change of selection by the user, on a click or double click
// of an entry, and when it gains or loses the keyboard focus inside its
// window. Changes made by the program (with signals blocked) report nothing.
class NotifyingListBox : public QListView {
    Q_OBJECT
  public:
    explicit NotifyingListBox(QWidget* parent);

    EntryListModel& entries() { return entryModel; }
    const EntryListModel& entries() const { return entryModel; }
    int count() const { return entryModel.count(); }
    int selectedRow() const;  // -1 when none
    // Selects the row and shows it, or selects nothing for a row outside the list.
    void selectRow(int row);
    // An entry dragged onto another is reported (rowDragged) instead of
    // selecting the entries on the way.
    void setDragMovesRows(bool moves) { dragMovesRows = moves; }

  signals:
    void notified();
    void rowDragged(int from, int to);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void onClicked();
    void onSelectionChanged();

    EntryListModel entryModel;
    bool selectionReportedInPress = false;
    bool dragMovesRows = false;
    bool dragging = false;
    int pressedRow = -1;
    QPoint pressedAt;
};

// A part of the window that places its controls (children of the client
// area) at their template places as it moves and grows: its stretching control (a list) and what
// frames it grow with its new height and the controls below move down; lists and edit boxes widen
// with its new width, and buttons right of its middle move along.
class GrowingPane : public QWidget {
  public:
    GrowingPane(QWidget* parent, QSize baseSize);
    // place: at the pane's base size, in its coordinates.
    void addControl(QWidget* widget, const QRect& place, bool stretches, bool widens);
    QSize baseSize() const { return base; }

  protected:
    void resizeEvent(QResizeEvent*) override { placeControls(); }
    void moveEvent(QMoveEvent*) override { placeControls(); }

  private:
    void placeControls();

    struct Placed {
        QWidget* widget;
        QRect place;
        bool widens;
    };
    QSize base;
    QRect stretching;
    std::vector<Placed> placed;
};

// The property of an edit box that holds the text the program last showed in
// it, which Escape puts back.
extern const char* const SHOWN_TEXT;

// The text of a caption with its mnemonic marked: "Selected Stage &Only".
QString withMnemonic(const char* caption, char mnemonic);

class EditorWindow : public QMainWindow {
    Q_OBJECT
  public:
    // The window of the template with the menu bar of the command table.
    explicit EditorWindow(const DialogTemplate& dialog);

    QWidget* control(int id) const { return controls.value(id); }
    QAction* menuAction(int id) const { return menuActions.value(id); }
    // The right-click menu of a list (its items are the Edit menu's), or null.
    QMenu* contextMenu(int listId) const { return contextMenus.value(listId); }
    // Between the script list's part and the stage list's part of the window.
    QSplitter* listSplitter() const { return splitter; }
    const DialogUnits& dialogUnits() const { return units; }
    void centerOnScreen();

  signals:
    void command(int id);
    void closeRequested();
    void filesDropped(const QStringList& paths);
    void stageDragged(int from, int to);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildPanes(QWidget* client, QSize base);
    QWidget* createControl(const DialogControl& control, QWidget* parent);
    GrowingPane* paneOf(const DialogControl& control, QPoint& origin) const;
    void placeControl(QWidget* widget, const DialogControl& control, GrowingPane* pane,
                      QPoint origin);
    void buildMenuBar();
    void buildContextMenus();
    QMenu* popupFor(const QString& path);
    bool runControlKey(QWidget* widget, const QKeyEvent* key);

    DialogUnits units;
    QSplitter* splitter = nullptr;
    GrowingPane* scriptPane = nullptr;
    GrowingPane* stagePane = nullptr;
    GrowingPane* panel = nullptr;
    QHash<int, QWidget*> controls;
    QHash<int, QAction*> menuActions;
    QHash<QString, QMenu*> popups;
    QHash<int, QMenu*> contextMenus;
};
