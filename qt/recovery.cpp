#include "recovery.h"

#include "editor.h"
#include "script_file.h"
#include "script_sources.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include <unistd.h>

#include <chrono>

static QString lockPathFor(const QString& copy) {
    QString lockPath = copy;
    lockPath.replace(QStringLiteral(".txt"), QStringLiteral(".lock"));
    return lockPath;
}

QString RecoveryKeeper::stateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/veltraed");
}

// Beside each copy, where its scripts came from.
static QString originsOf(const QString& copy) {
    return copy + QStringLiteral(".origins");
}

RecoveryKeeper::RecoveryKeeper(EditorContext& editor) : g(editor) {
    QDir().mkpath(stateFolder());
    ownCopy = stateFolder() + QStringLiteral("/recovery-%1.txt").arg(getpid());
    lock = std::make_unique<QLockFile>(lockPathFor(ownCopy));
    lock->setStaleLockTime(0);  // held for the whole run, however long
    lock->tryLock(0);
    delay.setSingleShot(true);
    delay.setInterval(DELAY_MS);
    connect(&delay, &QTimer::timeout, this, [this] { slices.start(); });
    slices.setInterval(0);
    connect(&slices, &QTimer::timeout, this, &RecoveryKeeper::copySlice);
    seenEdits = g.library.editCount;
}

static void freeScripts(Script* scripts) {
    LibrarySnapshot held;
    held.head = scripts;
    freeSnapshot(held);
}

RecoveryKeeper::~RecoveryKeeper() {
    if (writer.joinable()) writer.join();
    freeScripts(beingWritten);
    freeSnapshot(snapshot);
}

void RecoveryKeeper::libraryMayHaveChanged() {
    // A Save changes no record but the unsaved state.
    const bool unsaved = libraryHasUnsavedChanges(g.library.history);
    if (g.library.editCount == seenEdits && unsaved == copyWanted) return;
    seenEdits = g.library.editCount;
    copyWanted = unsaved;
    slices.stop();
    if (!copyWanted) {
        delay.stop();
        freeSnapshot(snapshot);
        if (!writing) removeCopy();
        return;
    }
    if (writing)
        writeAgain = true;
    else
        delay.start();
}

void RecoveryKeeper::copySlice() {
    const auto start = std::chrono::steady_clock::now();
    const bool complete = continueSnapshot(g.library, snapshot, SLICE_SECONDS);
    const double spent =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    longestSliceSeconds = std::max(longestSliceSeconds, spent);
    if (!complete) return;
    slices.stop();
    startWriting();
}

// The thread owns the copy of the library until it reports back.
void RecoveryKeeper::startWriting() {
    if (writer.joinable()) writer.join();
    writing = true;
    const QByteArray path = QFile::encodeName(ownCopy);
    const Script* scripts = beingWritten = snapshot.head;
    snapshot.head = nullptr;
    freeSnapshot(snapshot);
    // Where each script came from, so that a restored library saves back to its files.
    const std::string origins = describeOrigins(g.library, scripts);
    const QByteArray originsPath = QFile::encodeName(originsOf(ownCopy));
    writer = std::thread([this, path, scripts, origins, originsPath] {
        replaceFileWithText(originsPath.constData(), origins);
        writeScriptList(scripts, path.constData());
        QMetaObject::invokeMethod(this, &RecoveryKeeper::writingDone, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::writingDone() {
    if (writer.joinable()) writer.join();
    writing = false;
    freeScripts(beingWritten);
    beingWritten = nullptr;
    written++;
    if (!copyWanted) {
        removeCopy();
    } else if (writeAgain) {
        writeAgain = false;
        delay.start();
    }
    emit copyWritten();
}

void RecoveryKeeper::removeCopy() {
    QFile::remove(ownCopy);
    QFile::remove(originsOf(ownCopy));
}

void RecoveryKeeper::finish(bool keepCopy) {
    delay.stop();
    slices.stop();
    if (writer.joinable()) writer.join();
    writing = false;
    freeScripts(beingWritten);
    beingWritten = nullptr;
    freeSnapshot(snapshot);
    if (!keepCopy) removeCopy();
    lock->unlock();
}

// A copy whose lock can be taken belongs to no running editor.
static QStringList abandonedCopies(const QString& ownCopy) {
    QStringList found;
    const QDir folder(RecoveryKeeper::stateFolder());
    const QStringList names =
        folder.entryList({QStringLiteral("recovery-*.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (path == ownCopy) continue;
        QLockFile other(lockPathFor(path));
        other.setStaleLockTime(0);
        if (!other.tryLock(0)) continue;
        other.unlock();
        found << path;
    }
    return found;
}

void RecoveryKeeper::offerRestore(QWidget* parent) {
    for (const QString& path : abandonedCopies(ownCopy)) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("VeltraEd"),
                        QStringLiteral("VeltraEd did not close normally. "
                                       "Restore the unsaved library?"),
                        QMessageBox::NoButton, parent);
        QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Discard);
        box.setDefaultButton(restore);
        box.exec();
        if (box.clickedButton() != restore) {
            QFile::remove(path);
            QFile::remove(originsOf(path));
            continue;
        }
        QFile origins(originsOf(path));
        const QByteArray described = origins.open(QIODevice::ReadOnly) ? origins.readAll() : "";
        restoreLibraryCopy(g, QFile::encodeName(path).constData(), described.toStdString());
        // The copy becomes this editor's own until the next Save or clean quit.
        QFile::remove(ownCopy);
        QFile::rename(path, ownCopy);
        QFile::remove(originsOf(ownCopy));
        QFile::rename(originsOf(path), originsOf(ownCopy));
        seenEdits = g.library.editCount;
        copyWanted = true;
    }
}
