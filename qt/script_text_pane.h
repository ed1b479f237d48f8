// View > Script Text: a dock beside the stage panel with the selected
// script's text, its lines numbered as its file numbers them, highlighted,
// the reader's notes underlined with their text as tooltips, and a line
// under it saying why typing is not applied. Typing is handed on a short
// pause after the last key (typingPaused); the cursor moved into a stage's
// braces picks that stage (stageClicked). Ctrl+F finds in the text while it
// has the focus; Ctrl+Z undoes the pane's typing while some is not yet
// applied, and leaves the key to Edit > Undo otherwise.
#pragma once

#include "platform.h"

#include <QDockWidget>
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class ScriptHighlighter;

// A place of the text in characters of the document (not bytes).
struct TextSpan {
    int begin;
    int end;
};

// The text box: a line-number gutter, the marks' tooltips, and the keys that
// the pane keeps from the window's shortcuts.
class ScriptTextEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ScriptTextEdit(QWidget* parent);

    // Room for a stage's lines side by side with the panel.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void setFirstLine(int line);
    int firstLine() const { return numberedFrom; }
    int gutterWidth() const;
    void paintGutter(QPaintEvent* event);
    // The notes under the text, for tooltips: spans in document characters,
    // in text order.
    std::vector<TextSpan> markSpans;
    std::vector<QString> markNotes;
    // Whether Ctrl+Z goes to the box's own undo rather than to Edit > Undo.
    std::function<bool()> ownsUndo;

  signals:
    void findRequested();

  protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void updateGutter(const QRect& rect, int dy);
    bool isOwnKey(const QKeyEvent* key) const;

    QWidget* gutter;
    int numberedFrom = 1;
};

class ScriptTextPane : public QDockWidget {
    Q_OBJECT
  public:
    explicit ScriptTextPane(QWidget* parent);
    ~ScriptTextPane() override;

    // Shows a view: a typed view of the text held keeps the cursor and the
    // box's undo; any other text replaces the box's, the cursor at the
    // selected stage's "{" (left where it is when already inside it).
    void showView(const ScriptTextView& view);
    // The box's text in UTF-8 with "\n" line ends.
    std::string typedText() const;
    // Puts the cursor on that line of the file (as the gutter numbers it)
    // at that column of bytes, when the text holds it.
    void goToFileLine(int line, int column);
    // The text differs from what was last applied or shown: typing not yet
    // handed on, or handed on and refused.
    bool typingUnapplied() const;

    ScriptTextEdit* editor() const { return edit; }
    QLabel* statusLine() const { return status; }
    QLineEdit* findBox() const { return findText; }
    QTimer& typingTimer() { return pause; }

  signals:
    // A pause after the last key: the text is ready to apply.
    void typingPaused();
    // The user moved the cursor into the braces of another stage.
    void stageClicked(int stage);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onContentsChange(int position, int removed, int added);
    void onCursorMoved();
    void placeCursor(int position);
    void showFindBar();
    void findNext();
    void setMarks(const ScriptTextView& view, const std::vector<int>& chars, bool sameText);
    int stageAtCursor() const;

    ScriptTextEdit* edit;
    ScriptHighlighter* highlighter;
    QLabel* status;
    QWidget* findBar;
    QLineEdit* findText;
    QTimer pause;
    std::vector<TextSpan> stageSpans;  // each stage's "{" to its "}"
    int selectedStage = -1;
    QString appliedText;   // the text last shown by the program
    bool showing = false;  // the program changes the box: no typing, no click
};
