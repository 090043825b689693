#pragma once
// Everything that waits for a person sits behind this seam: message boxes,
// the open-file and print dialogs, and modal windows. The program uses the
// Qt implementation; tests put in a scripted one, so no test ever blocks.

#include <QString>

class QDialog;
class QPrinter;
class QWidget;

namespace tavrel {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box with the text and an OK button; the program gives it no
    // title of its own.
    virtual void MessageBox(QWidget* parent, const QString& text, bool exclamation) = 0;

    // The open-file dialog. filter pairs descriptions with patterns,
    // "サウンド|*.wav"; startDir is where it opens. Returns the chosen full
    // path of an existing file, or an empty text on cancel or any failure.
    virtual QString OpenFile(QWidget* parent, const QString& filter, const QString& startDir) = 0;

    // The print dialog: fills in the chosen printer; false when cancelled.
    virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;

    // Shows a window modally and returns when it is closed.
    virtual void ShowModal(QDialog& dialog) = 0;
};

class QtDialogs : public Dialogs {
public:
    void MessageBox(QWidget* parent, const QString& text, bool exclamation) override;
    QString OpenFile(QWidget* parent, const QString& filter, const QString& startDir) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
    void ShowModal(QDialog& dialog) override;
};

// "サウンド|*.wav|すべてのファイル|*.*" in the file dialog's own notation.
QString QtFilterFromPairs(const QString& filter);

} // namespace tavrel
