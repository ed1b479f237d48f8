#include "problems_dock.h"

#include "editor_context.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

constexpr int FILE_ROLE = Qt::UserRole;
constexpr int OFFSET_ROLE = Qt::UserRole + 1;

ProblemsDock::ProblemsDock(QWidget* parent) : QDockWidget(tr("Problems"), parent) {
    setObjectName(QStringLiteral("problems"));
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("problemList"));
    list->setHeaderHidden(true);
    list->setRootIsDecorated(true);
    list->setUniformRowHeights(true);
    setWidget(list);
    // A double click, or Enter on the keyboard.
    connect(list, &QTreeWidget::itemActivated, this, &ProblemsDock::choose);
}

QString ProblemsDock::summary(const EditorContext& g, const std::vector<bool>& inUse) {
    size_t problems = 0;
    size_t files = 0;
    for (size_t i = 0; i < inUse.size(); i++) {
        if (!inUse[i]) continue;
        files++;
        if (i < g.fileProblems.size()) problems += g.fileProblems[i].problems.size();
    }
    return QStringLiteral("%1 problem%2 in %3 file%4")
        .arg(problems)
        .arg(problems == 1 ? "" : "s")
        .arg(files)
        .arg(files == 1 ? "" : "s");
}

// "12:3: 'glow' is not a stage keyword; skipped [unknown-word]", the file
// being the group's.
static QString noteText(const Problem& problem) {
    QString text = QString::fromStdString(problemText(problem));
    const QString file = QString::fromStdString(problem.file) + QLatin1Char(':');
    return text.startsWith(file) ? text.mid(file.size()) : text;
}

void ProblemsDock::showProblems(const EditorContext& g, const std::vector<bool>& inUse) {
    std::vector<uint32_t> generations;
    for (const FileProblems& file : g.fileProblems) generations.push_back(file.generation);
    if (generations == shownGenerations && inUse == shownFiles) return;
    shownGenerations = generations;
    shownFiles = inUse;
    list->clear();
    for (size_t i = 0; i < g.fileProblems.size() && i < inUse.size(); i++) {
        const std::vector<Problem>& problems = g.fileProblems[i].problems;
        if (problems.empty() || !inUse[i]) continue;
        const QString path = QString::fromStdString(g.library.files[i].path);
        auto* group = new QTreeWidgetItem(
            list, {QStringLiteral("%1 (%2)").arg(QFileInfo(path).fileName()).arg(problems.size())});
        group->setToolTip(0, path);
        for (const Problem& problem : problems) {
            auto* note = new QTreeWidgetItem(group, {noteText(problem)});
            note->setData(0, FILE_ROLE, (int)i);
            note->setData(0, OFFSET_ROLE, (qulonglong)problem.offset);
        }
        group->setExpanded(true);
    }
}

void ProblemsDock::choose(QTreeWidgetItem* item) {
    if (!item || !item->data(0, FILE_ROLE).isValid() || !placeChosen) return;
    placeChosen(item->data(0, FILE_ROLE).toInt(), (size_t)item->data(0, OFFSET_ROLE).toULongLong());
}
