#include "texture_folders_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TextureFoldersDialog::TextureFoldersDialog(const QStringList& folders, int maxCount,
                                           QWidget* parent)
    : QDialog(parent), maxCount(maxCount) {
    setWindowTitle(tr("Texture Folders"));
    list = new QListWidget(this);
    list->addItems(folders);
    addButton = new QPushButton(tr("&Add..."), this);
    removeButton = new QPushButton(tr("&Remove"), this);
    upButton = new QPushButton(tr("Move &Up"), this);
    downButton = new QPushButton(tr("Move &Down"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {addButton, removeButton, upButton, downButton}) {
        button->setAutoDefault(false);
        side->addWidget(button);
    }
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(list);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);

    connect(addButton, &QPushButton::clicked, this, &TextureFoldersDialog::chooseFolderToAdd);
    connect(removeButton, &QPushButton::clicked, this, &TextureFoldersDialog::removeSelected);
    connect(upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(list, &QListWidget::currentRowChanged, this, &TextureFoldersDialog::updateButtons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateButtons();
    resize(480, 260);
}

QStringList TextureFoldersDialog::folders() const {
    QStringList paths;
    for (int i = 0; i < list->count(); i++) paths << list->item(i)->text();
    return paths;
}

void TextureFoldersDialog::addFolder(const QString& path) {
    if (path.isEmpty() || list->count() >= maxCount) return;
    list->addItem(path);
    list->setCurrentRow(list->count() - 1);
}

void TextureFoldersDialog::chooseFolderToAdd() {
    QFileDialog dialog(this, tr("Add Texture Folder"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        addFolder(dialog.selectedFiles().first());
}

void TextureFoldersDialog::removeSelected() {
    delete list->takeItem(list->currentRow());
    updateButtons();
}

void TextureFoldersDialog::moveSelected(int step) {
    const int from = list->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= list->count()) return;
    list->insertItem(to, list->takeItem(from));
    list->setCurrentRow(to);
}

void TextureFoldersDialog::updateButtons() {
    const int row = list->currentRow();
    addButton->setEnabled(list->count() < maxCount);
    removeButton->setEnabled(row >= 0);
    upButton->setEnabled(row > 0);
    downButton->setEnabled(row >= 0 && row < list->count() - 1);
}
