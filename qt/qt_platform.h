// The platform on Qt: the editor window's controls, the modal file dialogs
// and message boxes over it, and the preview window with its OpenGL context
// and 50 ms redraw timer. The application (editor_app.h) runs the commands
// that the editor window reports and draws at each redrawTick.
#pragma once

#include "platform.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class EditorWindow;
class PreviewWindow;
class QOpenGLContext;
class QWidget;
class ScriptTextPane;

class QtPlatform final : public QObject, public Platform {
    Q_OBJECT
  public:
    QtPlatform();
    ~QtPlatform() override;

    // Start-up steps: the windows are made hidden, then shown.
    void createEditorWindow();
    void createPreviewWindow();
    void showWindows();  // the preview first, then the editor
    void bringEditorToFront();

    EditorWindow* editorWindow() const { return editor.get(); }
    PreviewWindow* previewWindow() const { return preview.get(); }
    // View > Script Text, docked beside the panel; owned by the editor window.
    ScriptTextPane* scriptTextPane() const { return textPane; }
    QWidget* control(int id) const;  // null when the editor has no such control
    QOpenGLContext* previewContext() const { return context.get(); }
    bool redrawTimerActive() const { return redrawTimer.isActive(); }
    int redrawTicks() const { return ticks; }
    int framesSwapped() const { return swaps; }

    // Each finished frame before its buffers are swapped (the frame is still
    // in the back buffer), for tests and diagnostics.
    std::function<void()> frameObserver;

    void setText(int id, const char* text) override;
    int getText(int id, char* buf, int size) override;
    void setCheck(int id, bool checked) override;
    bool isChecked(int id) override;
    void comboReset(int id) override;
    void comboAdd(int id, const char* text) override;
    void comboSetSelection(int id, int index) override;
    int comboSelection(int id) override;
    int comboItemText(int id, int index, char* buf, int size) override;
    void listReset(int id) override;
    int listAdd(int id, const char* text) override;
    void listFill(int id, const char* const* texts, int count) override;
    int listInsert(int id, int index, const char* text) override;
    int listDelete(int id, int index) override;
    int listCount(int id) override;
    int listSelection(int id) override;
    void listSetSelection(int id, int index) override;
    int listItemText(int id, int index, char* buf, int size) override;
    bool askFileName(FileDialogRequest& request) override;
    void showMessageBox(const char* caption, const char* text) override;
    int askChoice(const char* caption, const char* text, const char* const* buttons,
                  int count) override;
    bool askScriptName(char* name, int size, const NameCompleter& completer) override;
    bool askFolderList(char (*paths)[MAX_PATH_SIZE], int& count, int maxCount) override;
    void setClipboardText(const char* text) override;
    std::string clipboardText() override;
    bool createPreviewContext() override;
    void makePreviewCurrent() override;
    void swapPreviewBuffers() override;
    void destroyPreviewContext() override;
    void previewSize(int& width, int& height) override;
    void showScriptText(const ScriptTextView& view) override;
    std::string typedScriptText() override;
    void startRedrawTimer() override;
    void stopRedrawTimer() override;

  signals:
    // Each tick of the redraw timer.
    void redrawTick();

  private:
    void onRedrawTick();

    template <class Widget>
    Widget* controlOfKind(int id) const;

    std::unique_ptr<EditorWindow> editor;
    std::unique_ptr<PreviewWindow> preview;
    std::unique_ptr<QOpenGLContext> context;
    ScriptTextPane* textPane = nullptr;
    QTimer redrawTimer;
    int ticks = 0;
    int swaps = 0;
};
