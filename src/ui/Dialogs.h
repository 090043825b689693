#pragma once
// Everything that waits for a person sits behind this seam: message boxes,
// the open-file and print dialogs, and modal windows. The program uses the
// Qt implementation; tests put in a scripted one, so no test ever blocks.

#include <QString>
#include <functional>

class QAction;
class QDialog;
class QMenu;
class QPoint;
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

    // A pop-up menu at a point of the screen: the action chosen, or nullptr
    // when the menu was dismissed. The caller triggers nothing itself.
    virtual QAction* PopupMenu(QMenu& menu, const QPoint& globalPos) = 0;

    // The save-file dialog: filter as for OpenFile, startPath the file name
    // proposed (with its folder). Asks before replacing a file. Returns the
    // chosen full path, or an empty text on cancel or any failure.
    virtual QString SaveFile(QWidget* parent, const QString& filter, const QString& startPath) = 0;

    // Runs `work` on a worker thread and returns when it has finished.
    // Meanwhile windows keep painting but clicks and keys wait; when it takes
    // longer than about half a second, a modal progress dialog with `label`
    // and a cancel button appears. `work` reports how far it has come (0 ... 1)
    // through the function it is handed, which returns false once the user
    // has cancelled: `work` should then stop soon. `work` must not touch any
    // window. True when it ran to its end without a cancel.
    using Progress = std::function<bool(double fraction)>;
    virtual bool RunWithProgress(QWidget* parent, const QString& label,
                                 const std::function<void(const Progress&)>& work) = 0;
};

class QtDialogs : public Dialogs {
public:
    void MessageBox(QWidget* parent, const QString& text, bool exclamation) override;
    QString OpenFile(QWidget* parent, const QString& filter, const QString& startDir) override;
    bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
    void ShowModal(QDialog& dialog) override;
    QAction* PopupMenu(QMenu& menu, const QPoint& globalPos) override;
    QString SaveFile(QWidget* parent, const QString& filter, const QString& startPath) override;
    bool RunWithProgress(QWidget* parent, const QString& label,
                         const std::function<void(const Progress&)>& work) override;

    // How long work runs before the progress dialog appears: a load that is
    // over sooner shows no flash of a dialog.
    static constexpr int ProgressAfterMs = 500;
};

// "サウンド|*.wav|すべてのファイル|*.*" in the file dialog's own notation.
QString QtFilterFromPairs(const QString& filter);

} // namespace tavrel
