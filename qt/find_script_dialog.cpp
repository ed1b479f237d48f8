#include "find_script_dialog.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

FindScriptDialog::FindScriptDialog(const NameCompleter& names, QWidget* parent)
    : QDialog(parent), completer(names) {
    setWindowTitle(tr("Find Script"));
    name = new QLineEdit(this);
    name->setObjectName(QStringLiteral("scriptName"));
    name->installEventFilter(this);
    matches = new QListWidget(this);
    matches->setObjectName(QStringLiteral("completions"));
    matches->setFocusPolicy(Qt::NoFocus);  // the keys stay with the name box
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Script &name:"), this));
    layout->addWidget(name);
    layout->addWidget(matches);
    layout->addWidget(buttons);
    qobject_cast<QLabel*>(layout->itemAt(0)->widget())->setBuddy(name);

    connect(name, &QLineEdit::textEdited, this, &FindScriptDialog::complete);
    connect(matches, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(360, 320);
}

void FindScriptDialog::complete(const QString& typed) {
    constexpr int MOST_SHOWN = 100;
    const char* found[MOST_SHOWN];
    const int count =
        completer.complete(completer.context, typed.toUtf8().constData(), found, MOST_SHOWN);
    matches->clear();
    for (int i = 0; i < count; i++) matches->addItem(QString::fromUtf8(found[i]));
    if (count > 0) matches->setCurrentRow(0);
}

QString FindScriptDialog::chosenName() const {
    const QListWidgetItem* current = matches->currentItem();
    return current ? current->text() : name->text();
}

bool FindScriptDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == name && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0;
        if (step && matches->count() > 0) {
            matches->setCurrentRow(qBound(0, matches->currentRow() + step, matches->count() - 1));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
