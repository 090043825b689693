#include "analysis/HarmonicTableForm.h"

#include "ui/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tavrel {

namespace {

// The note's names read best from the left; every other cell is a number.
bool IsTextColumn(int column) {
    return column == 2 || column == 3;
}

} // namespace

HarmonicTableForm::HarmonicTableForm(const AnalysisState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_rows(HarmonicTableRows(state)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("倍音の表"));
    const QString recording = QFileInfo(state.FileName).completeBaseName();
    m_fileStem = recording.isEmpty() ? QStringLiteral("harmonics") : recording + "-harmonics";

    const QStringList header = HarmonicTableHeader();
    Table = new QTableWidget(int(m_rows.size()), int(header.size()), this);
    Table->setHorizontalHeaderLabels(header);
    Table->verticalHeader()->hide(); // the first column numbers the rows already
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const QStringList cells = HarmonicTableCells(m_rows[std::size_t(r)]);
        for (int c = 0; c < int(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignVCenter |
                                   (IsTextColumn(c) ? Qt::AlignLeft : Qt::AlignRight));
            Table->setItem(r, c, item);
        }
    }
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 4);
    Table->resizeColumnsToContents();

    CmdCopy = new QPushButton(QStringLiteral("コピー(&C)"), this);
    CmdSave = new QPushButton(QStringLiteral("CSVで保存…(&S)"), this);
    CmdEnd = new QPushButton(QStringLiteral("閉じる(&E)"), this);
    for (QPushButton* b : {CmdCopy, CmdSave, CmdEnd})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdCopy);
    buttons->addWidget(CmdSave);
    buttons->addStretch();
    buttons->addWidget(CmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table);
    layout->addLayout(buttons);

    // Wide enough for every column, high enough for twenty rows.
    const int width = Table->horizontalHeader()->length() + 2 * Table->frameWidth() +
                      Table->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24;
    resize(width, Table->horizontalHeader()->height() + 20 * Table->rowHeight(0) + 60);

    connect(CmdCopy, &QPushButton::clicked, this, &HarmonicTableForm::CmdCopy_Click);
    connect(CmdSave, &QPushButton::clicked, this, &HarmonicTableForm::CmdSave_Click);
    connect(CmdEnd, &QPushButton::clicked, this, &QDialog::close);
}

void HarmonicTableForm::CmdCopy_Click() {
    QGuiApplication::clipboard()->setText(HarmonicTableText(m_rows));
}

void HarmonicTableForm::CmdSave_Click() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = m_dialogs.SaveFile(this, QStringLiteral("CSV ファイル|*.csv"),
                                            QDir(folder).filePath(m_fileStem + ".csv"));
    if (path.isEmpty())
        return;
    // Written whole or not at all: a full disk must not leave half a table
    // where an earlier one stood.
    const QByteArray csv = HarmonicTableCsv(m_rows);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit())
        return;
    m_dialogs.MessageBox(this,
                         QStringLiteral("CSV ファイルを保存できませんでした。\n%1")
                             .arg(QDir::toNativeSeparators(path)),
                         false);
}

} // namespace tavrel
