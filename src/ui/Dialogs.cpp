#include "ui/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

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

} // namespace tavrel
