// The recovery copy: while the library has unsaved changes, a copy of it in
// the file format under the user's state folder ($XDG_STATE_HOME/veltraed,
// else ~/.local/state/veltraed), written a little after the last change.
// The copy of the library is made in short slices between preview frames
// and written by a thread of its own. Each running editor has its own file,
// guarded by a lock file; a copy whose lock nobody holds was left by an
// editor that did not close normally, and is offered at start.
#pragma once

#include "library_snapshot.h"

struct EditorContext;

#include <QLockFile>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

class QWidget;

class RecoveryKeeper : public QObject {
    Q_OBJECT
  public:
    explicit RecoveryKeeper(EditorContext& editor);
    ~RecoveryKeeper() override;

    static QString stateFolder();
    QString copyPath() const { return ownCopy; }

    // At start: asks about each copy left by an editor that did not close
    // normally. Restore reads it as File, Open does, marks the library as
    // unsaved and keeps the copy as this editor's own; Discard removes it.
    void offerRestore(QWidget* parent);
    // After every command: schedules a copy, or removes it once nothing is unsaved.
    void libraryMayHaveChanged();
    // At a clean quit: waits for a write under way, then removes the copy
    // unless keepCopy.
    void finish(bool keepCopy);

    // The longest slice spent copying the library, in seconds (diagnostics).
    double longestSlice() const { return longestSliceSeconds; }
    int copiesWritten() const { return written; }

    static constexpr int DELAY_MS = 1500;           // after the last change
    static constexpr double SLICE_SECONDS = 0.004;  // well inside a 50 ms frame

  signals:
    void copyWritten();

  private:
    void copySlice();
    void startWriting();
    void writingDone();
    void removeCopy();

    EditorContext& g;
    QString ownCopy;
    std::unique_ptr<QLockFile> lock;
    QTimer delay;
    QTimer slices;
    LibrarySnapshot snapshot;        // being copied, a slice at a time
    Script* beingWritten = nullptr;  // owned; read by the writer thread
    std::thread writer;
    std::atomic<bool> writing{false};
    bool copyWanted = false;  // the library has unsaved changes
    bool writeAgain = false;  // changed while a write was under way
    uint64_t seenEdits = 0;
    double longestSliceSeconds = 0;
    int written = 0;
};
