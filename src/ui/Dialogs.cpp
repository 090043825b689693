#include "ui/Dialogs.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace tavrel {

QString QtFilterFromPairs(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

void QtDialogs::MessageBox(QWidget* parent, const QString& text, bool exclamation) {
    QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, QString(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

QString QtDialogs::OpenFile(QWidget* parent, const QString& filter, const QString& startDir) {
    const QString qtFilter =
        QtFilterFromPairs(filter.isEmpty() ? QStringLiteral("すべてのファイル|*.*") : filter);
    QFileDialog dialog(parent, QString(), startDir, qtFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QString();
    return path;
}

bool QtDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::ShowModal(QDialog& dialog) {
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.exec();
}

QAction* QtDialogs::PopupMenu(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

QString QtDialogs::SaveFile(QWidget* parent, const QString& filter, const QString& startPath) {
    QFileDialog dialog(parent, QString(), startPath, QtFilterFromPairs(filter));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString suffix = QFileInfo(startPath).suffix();
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix); // a name typed without one gets the proposed one
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

bool QtDialogs::RunWithProgress(QWidget* parent, const QString& label,
                                const std::function<void(const Progress&)>& work) {
    std::atomic<bool> cancelled = false, finished = false;
    std::atomic<int> permille = 0;
    std::thread worker([&] {
        work([&](double fraction) {
            permille = int(std::clamp(fraction, 0.0, 1.0) * 1000);
            return !cancelled;
        });
        finished = true;
    });

    // Clicks and keys wait until the dialog is up; from then on it is modal,
    // and its cancel button must take a click.
    QElapsedTimer since;
    since.start();
    QEventLoop loop;
    QTimer poll;
    QPointer<QProgressDialog> dialog;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished || (!dialog && since.elapsed() >= ProgressAfterMs))
            loop.quit();
        else if (dialog)
            dialog->setValue(permille);
    });
    poll.start(20);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        dialog = new QProgressDialog(label, QStringLiteral("キャンセル"), 0, 1000, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->setMinimumDuration(0);
        QObject::connect(dialog, &QProgressDialog::canceled, [&] { cancelled = true; });
        dialog->setValue(permille);
        dialog->show();
        loop.exec(); // left at once if the program is ending: the work is cancelled then
        if (!finished)
            cancelled = true;
        if (dialog)
            dialog->close();
    }
    worker.join();
    return !cancelled;
}

} // namespace tavrel
