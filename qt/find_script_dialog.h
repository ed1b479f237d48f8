// Find Script: a name box whose completions, the library's best matches for
// what is typed, are listed beneath it as the user types. Up and Down move
// through them; Enter or a double click takes the highlighted one.
#pragma once

#include "platform.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

class FindScriptDialog : public QDialog {
    Q_OBJECT
  public:
    FindScriptDialog(const NameCompleter& completer, QWidget* parent);

    QLineEdit* nameBox() const { return name; }
    QListWidget* completions() const { return matches; }
    // The highlighted completion, or the typed text when none is listed.
    QString chosenName() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void complete(const QString& typed);

    NameCompleter completer;
    QLineEdit* name;
    QListWidget* matches;
};
