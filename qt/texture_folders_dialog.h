// Texture Folders: the folders searched for texture names, in search order,
// with Add, Remove, Move Up and Move Down.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TextureFoldersDialog : public QDialog {
    Q_OBJECT
  public:
    TextureFoldersDialog(const QStringList& folders, int maxCount, QWidget* parent);

    QStringList folders() const;
    QListWidget* folderList() const { return list; }
    // Adds a folder as the Add button does after its folder dialog.
    void addFolder(const QString& path);

  private:
    void chooseFolderToAdd();
    void removeSelected();
    void moveSelected(int step);
    void updateButtons();

    QListWidget* list;
    QPushButton* addButton;
    QPushButton* removeButton;
    QPushButton* upButton;
    QPushButton* downButton;
    int maxCount;
};
