// View > Problems: a dock under the lists with the reader's notes on every
// opened file, grouped per file with counts. Double-click or Enter on a note
// selects its script (and stage) as a click on the lists would.
#pragma once

#include <QDockWidget>

#include <functional>

struct EditorContext;
class QTreeWidget;
class QTreeWidgetItem;

class ProblemsDock : public QDockWidget {
    Q_OBJECT
  public:
    explicit ProblemsDock(QWidget* parent);

    // Lists the context's problems anew when they changed since last shown.
    // Lists the problems of the files in use anew when they changed since.
    void showProblems(const EditorContext& g, const std::vector<bool>& inUse);
    QTreeWidget* tree() const { return list; }
    // "N problems in M files", for the status bar.
    static QString summary(const EditorContext& g, const std::vector<bool>& inUse);

    // The note chosen: its file (an index of the library's files) and offset.
    std::function<void(int file, size_t offset)> placeChosen;

  private:
    void choose(QTreeWidgetItem* item);

    QTreeWidget* list;
    std::vector<uint32_t> shownGenerations;
    std::vector<bool> shownFiles;
};
