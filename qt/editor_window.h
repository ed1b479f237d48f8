// The editor window built from its template and menu: real widgets placed in
// dialog units, each control named by its identifier (objectName is the
// number), and every notification of a control turned into command(id).
#pragma once

#include "dialog_units.h"

#include <QHash>
#include <QListWidget>
#include <QMainWindow>

struct DialogControl;
struct DialogTemplate;
struct MenuBarTemplate;
struct MenuTemplate;
class QMenu;

// A list box that reports like a notifying list box of the classic dialog
// manager: on a change of selection by the user, on a click or double click
// of an entry, and when it gains or loses the keyboard focus inside its
// window. Changes made by the program (with signals blocked) report nothing.
class NotifyingListBox : public QListWidget {
    Q_OBJECT
public:
    explicit NotifyingListBox(QWidget* parent);

signals:
    void notified();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void onClicked();
    void onSelectionChanged();

    bool selectionReportedInPress = false;
};

class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    EditorWindow(const DialogTemplate& dialog, const MenuBarTemplate& menuBar);

    QWidget* control(int id) const { return controls.value(id); }
    QAction* menuAction(int id) const { return menuActions.value(id); }
    const DialogUnits& dialogUnits() const { return units; }
    void centerOnScreen();

signals:
    void command(int id);
    void closeRequested();
    void filesDropped(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* createControl(const DialogControl& control, QWidget* parent);
    void placeControl(QWidget* widget, const DialogControl& control);
    void buildMenu(QMenu* popup, const MenuTemplate& menu);

    DialogUnits units;
    QHash<int, QWidget*> controls;
    QHash<int, QAction*> menuActions;
};
