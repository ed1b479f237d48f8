#include "qt_platform.h"

#include "dialog_templates.h"
#include "editor_window.h"
#include "find_script_dialog.h"
#include "preview_window.h"
#include "script_text_pane.h"
#include "texture_folders_dialog.h"
#include "window_places.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPushButton>
#include <QSignalBlocker>

#include <cstring>

constexpr int REDRAW_PERIOD_MS = 50;

// Copies UTF-8 text into buf, cut to at most size - 1 bytes without splitting
// a character; returns the number of bytes copied.
static int copyOut(const QByteArray& text, char* buf, int size) {
    if (!buf || size <= 0) return 0;
    int n = qMin<int>(text.size(), size - 1);
    if (n < text.size())
        while (n > 0 && (uchar(text[n]) & 0xC0) == 0x80) n--;
    memcpy(buf, text.constData(), n);
    buf[n] = '\0';
    return n;
}

static int copyItemOut(const QString& text, bool exists, char* buf, int size) {
    if (!exists) {
        if (buf && size > 0) buf[0] = '\0';
        return -1;
    }
    return copyOut(text.toUtf8(), buf, size);
}

static QString fromCore(const char* text) {
    return QString::fromUtf8(text ? text : "");
}

QtPlatform::QtPlatform() {
    redrawTimer.setInterval(REDRAW_PERIOD_MS);
    redrawTimer.setTimerType(Qt::PreciseTimer);
    connect(&redrawTimer, &QTimer::timeout, this, &QtPlatform::onRedrawTick);
}

QtPlatform::~QtPlatform() {
    redrawTimer.stop();
    destroyPreviewContext();
}

void QtPlatform::createEditorWindow() {
    editor = std::make_unique<EditorWindow>(EDITOR_TEMPLATE);
    textPane = new ScriptTextPane(editor.get());
    editor->addDockWidget(Qt::RightDockWidgetArea, textPane);
}

void QtPlatform::createPreviewWindow() {
    preview = std::make_unique<PreviewWindow>(PREVIEW_TEMPLATE);
    preview->create();  // made hidden, ready for a context before it is shown
}

void QtPlatform::showWindows() {
    if (preview) preview->show();
    if (editor) editor->show();
}

void QtPlatform::bringEditorToFront() {
    if (!editor) return;
    editor->raise();
    editor->activateWindow();
}

QWidget* QtPlatform::control(int id) const {
    return editor ? editor->control(id) : nullptr;
}

template <class Widget>
Widget* QtPlatform::controlOfKind(int id) const {
    return qobject_cast<Widget*>(control(id));
}

void QtPlatform::onRedrawTick() {
    ticks++;
    emit redrawTick();
}

// Edit boxes and check boxes

// The text shown is kept for Escape to put back.
void QtPlatform::setText(int id, const char* text) {
    auto* edit = controlOfKind<QLineEdit>(id);
    if (!edit) return;
    edit->setText(fromCore(text));
    edit->setProperty(SHOWN_TEXT, edit->text());
}

int QtPlatform::getText(int id, char* buf, int size) {
    const auto* edit = controlOfKind<QLineEdit>(id);
    return copyOut(edit ? edit->text().toUtf8() : QByteArray(), buf, size);
}

void QtPlatform::setCheck(int id, bool checked) {
    if (auto* box = controlOfKind<QCheckBox>(id)) box->setChecked(checked);
}

bool QtPlatform::isChecked(int id) {
    const auto* box = controlOfKind<QCheckBox>(id);
    return box && box->isChecked();
}

// Drop-down lists. A combo box selects its first entry by itself when it is
// filled; the editor's lists keep no selection until one is set.

void QtPlatform::comboReset(int id) {
    if (auto* combo = controlOfKind<QComboBox>(id)) {
        const QSignalBlocker quiet(combo);
        combo->clear();
    }
}

void QtPlatform::comboAdd(int id, const char* text) {
    auto* combo = controlOfKind<QComboBox>(id);
    if (!combo) return;
    const QSignalBlocker quiet(combo);
    const int selected = combo->currentIndex();
    combo->addItem(fromCore(text));
    combo->setCurrentIndex(selected);
}

void QtPlatform::comboSetSelection(int id, int index) {
    auto* combo = controlOfKind<QComboBox>(id);
    if (!combo) return;
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

int QtPlatform::comboSelection(int id) {
    const auto* combo = controlOfKind<QComboBox>(id);
    return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : NO_SELECTION;
}

int QtPlatform::comboItemText(int id, int index, char* buf, int size) {
    const auto* combo = controlOfKind<QComboBox>(id);
    const bool exists = combo && index >= 0 && index < combo->count();
    return copyItemOut(exists ? combo->itemText(index) : QString(), exists, buf, size);
}

// List boxes. The program's own changes send no notification.

void QtPlatform::listReset(int id) {
    if (auto* list = controlOfKind<NotifyingListBox>(id)) {
        const QSignalBlocker quiet(list);
        list->entries().fill(nullptr, 0);
    }
}

int QtPlatform::listAdd(int id, const char* text) {
    auto* list = controlOfKind<NotifyingListBox>(id);
    if (!list) return -1;
    const QSignalBlocker quiet(list);
    list->entries().insert(list->count(), text);
    return list->count() - 1;
}

void QtPlatform::listFill(int id, const char* const* texts, int count) {
    if (auto* list = controlOfKind<NotifyingListBox>(id)) {
        const QSignalBlocker quiet(list);
        list->entries().fill(texts, count);
    }
}

// Selects index, or nothing when it is outside the list, and shows it.
static void selectQuietly(NotifyingListBox* list, int index) {
    const QSignalBlocker quiet(list);
    list->selectRow(index);
}

// Entries move around a selection the way a classic list box keeps it: the
// selected entry stays selected wherever it moves, and deleting it leaves
// the list without a selection (a view would pass it to a neighbour).
int QtPlatform::listInsert(int id, int index, const char* text) {
    auto* list = controlOfKind<NotifyingListBox>(id);
    if (!list || index < 0 || index > list->count()) return -1;
    const int selected = listSelection(id);
    {
        const QSignalBlocker quiet(list);
        list->entries().insert(index, text);
    }
    selectQuietly(list, selected != NO_SELECTION && selected >= index ? selected + 1 : selected);
    return index;
}

int QtPlatform::listDelete(int id, int index) {
    auto* list = controlOfKind<NotifyingListBox>(id);
    if (!list || index < 0 || index >= list->count()) return -1;
    const int selected = listSelection(id);
    {
        const QSignalBlocker quiet(list);
        list->entries().remove(index);
    }
    selectQuietly(list, selected == index  ? NO_SELECTION
                        : selected > index ? selected - 1
                                           : selected);
    return list->count();
}

int QtPlatform::listCount(int id) {
    const auto* list = controlOfKind<NotifyingListBox>(id);
    return list ? list->count() : 0;
}

int QtPlatform::listSelection(int id) {
    const auto* list = controlOfKind<NotifyingListBox>(id);
    const int row = list ? list->selectedRow() : -1;
    return row < 0 ? NO_SELECTION : row;
}

void QtPlatform::listSetSelection(int id, int index) {
    if (auto* list = controlOfKind<NotifyingListBox>(id)) selectQuietly(list, index);
}

int QtPlatform::listItemText(int id, int index, char* buf, int size) {
    const auto* list = controlOfKind<NotifyingListBox>(id);
    const bool exists = list && index >= 0 && index < list->count();
    return copyItemOut(exists ? list->entries().text(index) : QString(), exists, buf, size);
}

// Modal dialogs over the editor window. Their event loops keep the redraw
// timer running, so the preview draws on while they are open.

static QString nameFilter(const FileDialogRequest& request) {
    QString patterns = fromCore(request.filterPattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    const QString name =
        request.filterName ? fromCore(request.filterName) : QStringLiteral("All files");
    return QStringLiteral("%1 (%2)").arg(name, patterns);
}

// The file dialog of the editor. For Save it refuses, and stays open on, a
// path whose folder does not exist, as it refuses a missing file for Open;
// the write then fails only for reasons the dialog cannot see.
class EditorFileDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && !files.isEmpty() && !QFileInfo(files.first()).isDir()) {
            const QDir folder = QFileInfo(files.first()).dir();
            if (!folder.exists()) {
                QMessageBox::warning(
                    this, windowTitle(),
                    tr("%1\nFolder not found.\nPlease verify the correct path was given.")
                        .arg(QDir::toNativeSeparators(folder.path())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

bool QtPlatform::askFileName(FileDialogRequest& request) {
    EditorFileDialog dialog(editor.get());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmReplace);
    dialog.setFileMode(request.save    ? QFileDialog::AnyFile
                       : request.paths ? QFileDialog::ExistingFiles
                                       : QFileDialog::ExistingFile);
    if (request.title) dialog.setWindowTitle(fromCore(request.title));
    // Any file may be picked too: script files do not always end in .txt.
    dialog.setNameFilters({nameFilter(request), QStringLiteral("All files (*)")});
    if (request.save && request.defaultExt) {
        QString suffix = fromCore(request.defaultExt);
        if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
    }
    if (request.path && request.path[0])
        dialog.selectFile(QFile::decodeName(request.path));
    else if (!lastDialogFolder(request.save).isEmpty())
        dialog.setDirectory(lastDialogFolder(request.save));

    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    makePreviewCurrent();
    if (!accepted || !request.path) return false;
    // A path that does not fit the caller's buffer is refused, not cut.
    const QByteArray path = QFile::encodeName(dialog.selectedFiles().first());
    if (path.size() >= request.pathSize) return false;
    copyOut(path, request.path, request.pathSize);
    if (request.paths) {
        request.paths->clear();
        for (const QString& file : dialog.selectedFiles())
            request.paths->push_back(QFile::encodeName(file).toStdString());
    }
    rememberDialogFolder(request.save, dialog.selectedFiles().first());
    return true;
}

void QtPlatform::showMessageBox(const char* caption, const char* text) {
    QMessageBox box(QMessageBox::Critical, fromCore(caption), fromCore(text), QMessageBox::Ok,
                    editor.get());
    box.exec();
    makePreviewCurrent();
}

// A question of many lines (every word a save would drop) shows its first
// ones and all of them under Show Details: the box and its buttons stay on
// the screen.
constexpr int CHOICE_LINES_SHOWN = 12;
static void setChoiceText(QMessageBox& box, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() <= CHOICE_LINES_SHOWN) return box.setText(text);
    box.setText(lines.mid(0, CHOICE_LINES_SHOWN).join(QLatin1Char('\n')) +
                QStringLiteral("\n\nand %1 more lines (Show Details).")
                    .arg(lines.size() - CHOICE_LINES_SHOWN));
    box.setDetailedText(text);
}

int QtPlatform::askChoice(const char* caption, const char* text, const char* const* buttons,
                          int count) {
    QMessageBox box(QMessageBox::Warning, fromCore(caption), {}, QMessageBox::NoButton,
                    editor.get());
    setChoiceText(box, fromCore(text));
    QList<QAbstractButton*> added;
    for (int i = 0; i < count; i++) {
        const bool last = i == count - 1 && count > 1;
        added << box.addButton(fromCore(buttons[i]),
                               last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    if (!added.isEmpty()) box.setDefaultButton(qobject_cast<QPushButton*>(added.last()));
    box.exec();
    makePreviewCurrent();
    return (int)added.indexOf(box.clickedButton());
}

bool QtPlatform::askScriptName(char* name, int size, const NameCompleter& completer) {
    FindScriptDialog dialog(completer, editor.get());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    makePreviewCurrent();
    if (!accepted) return false;
    copyOut(dialog.chosenName().toUtf8(), name, size);
    return true;
}

bool QtPlatform::askFolderList(char (*paths)[MAX_PATH_SIZE], int& count, int maxCount) {
    QStringList folders;
    for (int i = 0; i < count; i++) folders << QFile::decodeName(paths[i]);
    TextureFoldersDialog dialog(folders, maxCount, editor.get());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    makePreviewCurrent();
    if (!accepted) return false;
    count = 0;
    for (const QString& folder : dialog.folders()) {
        const QByteArray path = QFile::encodeName(folder);
        if (count < maxCount && path.size() < MAX_PATH_SIZE)
            copyOut(path, paths[count++], MAX_PATH_SIZE);
    }
    return true;
}

void QtPlatform::setClipboardText(const char* text) {
    QGuiApplication::clipboard()->setText(fromCore(text));
}

std::string QtPlatform::clipboardText() {
    return QGuiApplication::clipboard()->text().toUtf8().toStdString();
}

// The preview's rendering context

bool QtPlatform::createPreviewContext() {
    if (context) return true;
    if (!preview) return false;
    auto made = std::make_unique<QOpenGLContext>();
    made->setFormat(previewSurfaceFormat());
    if (!made->create() || !made->makeCurrent(preview.get())) return false;
    context = std::move(made);
    return true;
}

// Each frame's viewport: the whole window as it is now.
void QtPlatform::previewSize(int& width, int& height) {
    const qreal scale = preview ? preview->devicePixelRatio() : 1;
    width = preview ? qRound(preview->width() * scale) : 0;
    height = preview ? qRound(preview->height() * scale) : 0;
}

void QtPlatform::makePreviewCurrent() {
    if (context) context->makeCurrent(preview.get());
}

// A window that cannot be seen (minimized, not yet mapped) is drawn but not
// presented.
void QtPlatform::swapPreviewBuffers() {
    if (!context) return;
    if (frameObserver) frameObserver();
    swaps++;
    if (preview->isExposed()) context->swapBuffers(preview.get());
}

void QtPlatform::destroyPreviewContext() {
    if (!context) return;
    context->doneCurrent();
    context.reset();
}

// The script text pane

void QtPlatform::showScriptText(const ScriptTextView& view) {
    if (textPane) textPane->showView(view);
}

std::string QtPlatform::typedScriptText() {
    return textPane ? textPane->typedText() : std::string();
}

void QtPlatform::startRedrawTimer() {
    redrawTimer.start();
}
void QtPlatform::stopRedrawTimer() {
    redrawTimer.stop();
}
