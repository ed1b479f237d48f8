#include "script_text_pane.h"

#include "script_file.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <set>

constexpr int TYPING_PAUSE_MS = 300;
constexpr int GUTTER_MARGIN = 4;

// A wave or blend name: one the reader gives back by its own name.
static bool isValueName(const QString& word) {
    const QByteArray bytes = word.toUtf8();
    return word.compare(QLatin1String(waveTypeName(waveTypeFromName(bytes.constData()))),
                        Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String(blendFactorName(blendFactorFromName(bytes.constData()))),
                        Qt::CaseInsensitive) == 0;
}

// Colours the words of the script format, and underlines the marks (the
// reader's notes) that the text box holds.
class ScriptHighlighter : public QSyntaxHighlighter {
  public:
    ScriptHighlighter(ScriptTextEdit* edit) : QSyntaxHighlighter(edit->document()), box(edit) {
        scriptKeyword.setForeground(QColor(0x1a, 0x3f, 0x9c));
        scriptKeyword.setFontWeight(QFont::Bold);
        stageKeyword.setForeground(QColor(0x1a, 0x3f, 0x9c));
        number.setForeground(QColor(0x0a, 0x7d, 0x32));
        valueName.setForeground(QColor(0x8a, 0x2b, 0x8a));
        brace.setFontWeight(QFont::Bold);
    }

  protected:
    void highlightBlock(const QString& text) override {
        int at = 0;
        while (at < text.size()) {
            while (at < text.size() && isSpace(text[at])) at++;
            int end = at;
            while (end < text.size() && !isSpace(text[end])) end++;
            if (end > at) setFormat(at, end - at, formatOf(text.mid(at, end - at)));
            at = end;
        }
        underlineMarks(currentBlock().position(), text.size());
    }

  private:
    static bool isSpace(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

    QTextCharFormat formatOf(const QString& word) const {
        if (word == QLatin1String("{") || word == QLatin1String("}")) return brace;
        const KeywordLevel level = keywordLevel(word.toUtf8().constData());
        if (level == SCRIPT_KEYWORD) return scriptKeyword;
        if (level == STAGE_KEYWORD) return stageKeyword;
        bool isNumber = false;
        word.toDouble(&isNumber);
        if (isNumber) return number;
        return isValueName(word) ? valueName : QTextCharFormat();
    }

    // The marks are in text order.
    void underlineMarks(int blockStart, int length) {
        const std::vector<TextSpan>& marks = box->markSpans;
        auto mark = std::lower_bound(marks.begin(), marks.end(), blockStart,
                                     [](const TextSpan& span, int at) { return span.end <= at; });
        for (; mark != marks.end() && mark->begin < blockStart + length; ++mark) {
            const int from = std::max(mark->begin, blockStart) - blockStart;
            const int to = std::min(mark->end, blockStart + length) - blockStart;
            QTextCharFormat marked = format(from);  // a mark is one word: one format
            marked.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            marked.setUnderlineColor(Qt::red);
            setFormat(from, to - from, marked);
        }
    }

    ScriptTextEdit* box;
    QTextCharFormat scriptKeyword, stageKeyword, number, valueName, brace;
};

// The gutter beside the text: its painting is the text box's.
class LineGutter : public QWidget {
  public:
    explicit LineGutter(ScriptTextEdit* edit) : QWidget(edit), box(edit) {}
    QSize sizeHint() const override { return QSize(box->gutterWidth(), 0); }

  protected:
    void paintEvent(QPaintEvent* event) override { box->paintGutter(event); }

  private:
    ScriptTextEdit* box;
};

ScriptTextEdit::ScriptTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("scriptTextEdit"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    gutter = new LineGutter(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(gutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ScriptTextEdit::updateGutter);
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

constexpr int COLUMNS_SHOWN = 56;
constexpr int LEAST_COLUMNS = 24;
constexpr int LEAST_LINES = 4;

QSize ScriptTextEdit::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return QSize(gutterWidth() + COLUMNS_SHOWN * metrics.horizontalAdvance(QLatin1Char('x')),
                 LEAST_LINES * metrics.lineSpacing());
}

QSize ScriptTextEdit::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return QSize(gutterWidth() + LEAST_COLUMNS * metrics.horizontalAdvance(QLatin1Char('x')),
                 LEAST_LINES * metrics.lineSpacing());
}

void ScriptTextEdit::setFirstLine(int line) {
    if (line == numberedFrom) return;
    numberedFrom = line;
    setViewportMargins(gutterWidth(), 0, 0, 0);
    gutter->update();
}

int ScriptTextEdit::gutterWidth() const {
    const int last = numberedFrom + std::max(1, blockCount()) - 1;
    const int digits = QString::number(last).size();
    return 2 * GUTTER_MARGIN + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void ScriptTextEdit::updateGutter(const QRect& rect, int dy) {
    if (dy)
        gutter->scroll(0, dy);
    else
        gutter->update(0, rect.y(), gutter->width(), rect.height());
}

void ScriptTextEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    gutter->setGeometry(QRect(area.left(), area.top(), gutterWidth(), area.height()));
}

// The line numbers of the blocks in sight, as Qt's Code Editor example paints them.
void ScriptTextEdit::paintGutter(QPaintEvent* event) {
    QPainter painter(gutter);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top())
            painter.drawText(0, top, gutter->width() - GUTTER_MARGIN, fontMetrics().height(),
                             Qt::AlignRight, QString::number(numberedFrom + block.blockNumber()));
        block = block.next();
        top += height;
    }
}

static bool matches(const QKeyEvent* key, const char* keys) {
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    for (const QKeySequence& sequence : QKeySequence::listFromString(QLatin1String(keys)))
        if (sequence.count() == 1 && sequence[0] == pressed) return true;
    return false;
}

static const char UNDO_KEYS[] = "Ctrl+Z";
static const char REDO_KEYS[] = "Ctrl+Shift+Z; Ctrl+Y";
static const char FIND_KEYS[] = "Ctrl+F";

bool ScriptTextEdit::isOwnKey(const QKeyEvent* key) const {
    if (matches(key, FIND_KEYS)) return true;
    if (matches(key, UNDO_KEYS)) return ownsUndo && ownsUndo();
    if (matches(key, REDO_KEYS)) return document()->isRedoAvailable();
    return false;
}

// Keys the box takes before the window's shortcuts see them; the undo keys
// it does not take go on to Edit > Undo and Redo.
bool ScriptTextEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool routed =
            matches(key, FIND_KEYS) || matches(key, UNDO_KEYS) || matches(key, REDO_KEYS);
        if (routed) {
            event->setAccepted(isOwnKey(key));
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

// A mark's note over it.
bool ScriptTextEdit::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QPlainTextEdit::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int at = cursorForPosition(help->pos()).position();
    for (size_t i = 0; i < markSpans.size(); i++)
        if (markSpans[i].begin <= at && at < markSpans[i].end) {
            QToolTip::showText(help->globalPos(), markNotes[i], viewport());
            return true;
        }
    QToolTip::hideText();
    return true;
}

void ScriptTextEdit::keyPressEvent(QKeyEvent* event) {
    if (matches(event, FIND_KEYS)) return emit findRequested();
    if (matches(event, UNDO_KEYS) && isOwnKey(event)) return undo();
    if (matches(event, REDO_KEYS) && isOwnKey(event)) return redo();
    QPlainTextEdit::keyPressEvent(event);
}

// The document position of each byte of UTF-8 text: the characters before
// it. A character beyond the 16-bit range counts two; "\r\n" is one line end.
static std::vector<int> charPositions(const std::string& text) {
    std::vector<int> at(text.size() + 1);
    int chars = 0;
    for (size_t i = 0; i < text.size(); i++) {
        at[i] = chars;
        const auto byte = (unsigned char)text[i];
        const bool continuation = (byte & 0xC0) == 0x80;
        const bool crBeforeLf = byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (!continuation && !crBeforeLf) chars += byte >= 0xF0 ? 2 : 1;
    }
    at[text.size()] = chars;
    return at;
}

ScriptTextPane::ScriptTextPane(QWidget* parent) : QDockWidget(tr("Text"), parent) {
    setObjectName(QStringLiteral("scriptText"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* holder = new QWidget(this);
    edit = new ScriptTextEdit(holder);
    highlighter = new ScriptHighlighter(edit);
    status = new QLabel(holder);
    status->setObjectName(QStringLiteral("scriptTextStatus"));
    status->hide();
    findBar = new QWidget(holder);
    findText = new QLineEdit(findBar);
    findText->setObjectName(QStringLiteral("scriptTextFind"));
    findText->setPlaceholderText(tr("Find in text"));
    findText->installEventFilter(this);
    auto* findLayout = new QHBoxLayout(findBar);
    findLayout->setContentsMargins(0, 0, 0, 0);
    findLayout->addWidget(new QLabel(tr("Find:"), findBar));
    findLayout->addWidget(findText);
    findBar->hide();
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    layout->addWidget(status);
    layout->addWidget(findBar);
    setWidget(holder);

    pause.setSingleShot(true);
    pause.setInterval(TYPING_PAUSE_MS);
    connect(&pause, &QTimer::timeout, this, &ScriptTextPane::typingPaused);
    connect(edit->document(), &QTextDocument::contentsChange, this,
            &ScriptTextPane::onContentsChange);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &ScriptTextPane::onCursorMoved);
    connect(edit, &ScriptTextEdit::findRequested, this, &ScriptTextPane::showFindBar);
    connect(findText, &QLineEdit::returnPressed, this, &ScriptTextPane::findNext);
    edit->ownsUndo = [this] { return typingUnapplied() && edit->document()->isUndoAvailable(); };
}

ScriptTextPane::~ScriptTextPane() = default;

std::string ScriptTextPane::typedText() const {
    return edit->toPlainText().toStdString();
}

// Typing undone back to the text applied leaves nothing to apply.
bool ScriptTextPane::typingUnapplied() const {
    return edit->toPlainText() != appliedText;
}

void ScriptTextPane::showView(const ScriptTextView& view) {
    const std::vector<int> chars = charPositions(view.text);
    QString text = QString::fromUtf8(view.text);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const bool same = text == edit->toPlainText();
    stageSpans.clear();
    for (const auto& [open, close] : view.stages)
        stageSpans.push_back(
            {chars[std::min(open, view.text.size())], chars[std::min(close, view.text.size())]});
    selectedStage = view.selectedStage;
    edit->setFirstLine(view.firstLine);
    setMarks(view, chars, same);
    if (!same) {
        showing = true;
        edit->setPlainText(text);
        showing = false;
        if (!view.typed) pause.stop();  // the typing it would apply is gone
    }
    if (!view.typed || view.status.empty()) appliedText = text;
    status->setText(QString::fromStdString(view.status));
    status->setVisible(!view.status.empty());
    const bool stageShown = selectedStage >= 0 && selectedStage < (int)stageSpans.size();
    if (stageShown && !view.typed && (!same || stageAtCursor() != selectedStage))
        placeCursor(stageSpans[selectedStage].begin);
}

// New marks: over the same text, the lines of the old and the new are
// highlighted again (a new text is highlighted whole).
void ScriptTextPane::setMarks(const ScriptTextView& view, const std::vector<int>& chars,
                              bool sameText) {
    std::vector<TextSpan> spans;
    std::vector<QString> notes;
    for (const ScriptTextMark& mark : view.marks) {
        const size_t end =
            std::min(mark.offset + std::max<size_t>(mark.length, 1), view.text.size());
        spans.push_back({chars[std::min(mark.offset, view.text.size())], chars[end]});
        notes.push_back(QString::fromStdString(mark.note));
    }
    std::vector<TextSpan> changed = edit->markSpans;
    changed.insert(changed.end(), spans.begin(), spans.end());
    std::vector<size_t> order(spans.size());
    for (size_t i = 0; i < order.size(); i++) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return spans[a].begin < spans[b].begin; });
    edit->markSpans.clear();
    edit->markNotes.clear();
    for (size_t i : order) {
        edit->markSpans.push_back(spans[i]);
        edit->markNotes.push_back(notes[i]);
    }
    if (!sameText) return;
    std::set<int> lines;
    for (const TextSpan& span : changed)
        lines.insert(edit->document()->findBlock(span.begin).blockNumber());
    for (int line : lines) highlighter->rehighlightBlock(edit->document()->findBlockByNumber(line));
}

// The marks and the stages follow the typing until the next view places
// them; what was inside an edit closes up at its start.
void ScriptTextPane::onContentsChange(int position, int removed, int added) {
    if (showing) return;
    const int edited = position + removed;
    auto follow = [&](int& at) {
        if (at >= edited)
            at += added - removed;
        else if (at > position)
            at = position;
    };
    for (std::vector<TextSpan>* spans : {&stageSpans, &edit->markSpans})
        for (TextSpan& span : *spans) {
            follow(span.begin);
            follow(span.end);
        }
    pause.start();
}

int ScriptTextPane::stageAtCursor() const {
    const int at = edit->textCursor().position();
    for (size_t i = 0; i < stageSpans.size(); i++)
        if (stageSpans[i].begin <= at && at <= stageSpans[i].end) return (int)i;
    return -1;
}

// The user's moves only, and not while the text differs from the library's.
void ScriptTextPane::onCursorMoved() {
    if (showing || typingUnapplied()) return;
    const int stage = stageAtCursor();
    if (stage < 0 || stage == selectedStage) return;
    selectedStage = stage;
    emit stageClicked(stage);
}

void ScriptTextPane::placeCursor(int position) {
    showing = true;
    QTextCursor cursor(edit->document());
    cursor.setPosition(std::min(position, edit->document()->characterCount() - 1));
    edit->setTextCursor(cursor);
    edit->centerCursor();
    showing = false;
}

void ScriptTextPane::goToFileLine(int line, int column) {
    const QTextBlock block = edit->document()->findBlockByNumber(line - edit->firstLine());
    if (!block.isValid()) return;
    const QByteArray bytes = block.text().toUtf8();
    const int chars = QString::fromUtf8(bytes.left(std::max(0, column))).size();
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + std::min(chars, block.length() - 1));
    edit->setTextCursor(cursor);
    edit->centerCursor();
}

void ScriptTextPane::showFindBar() {
    findBar->show();
    findText->setFocus();
    findText->selectAll();
}

// The next match after the cursor, from the top again past the last.
void ScriptTextPane::findNext() {
    const QString wanted = findText->text();
    if (wanted.isEmpty()) return;
    if (edit->find(wanted)) return;
    QTextCursor top(edit->document());
    edit->setTextCursor(top);
    edit->find(wanted);
}

bool ScriptTextPane::eventFilter(QObject* watched, QEvent* event) {
    const bool keyEvent =
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (watched != findText || !keyEvent) return QDockWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride && matches(key, FIND_KEYS)) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Escape) {
        edit->setFocus();  // first: hiding the focused box would pass the focus on
        findBar->hide();
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}
