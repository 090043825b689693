#pragma once
// 倍音の表: the analysed period's harmonics 1 ... 41 as a read-only table, to
// copy into a spreadsheet or save as CSV. It shows the analysis as it was
// when opened; the window is modal, so that cannot change underneath it.

#include "analysis/HarmonicTable.h"
#include "state/AnalysisState.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableWidget;

namespace tavrel {

class Dialogs;

class HarmonicTableForm : public QDialog {
    Q_OBJECT
public:
    HarmonicTableForm(const AnalysisState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    QTableWidget* Table;
    QPushButton* CmdCopy;
    QPushButton* CmdSave;
    QPushButton* CmdEnd;

    // Handlers.
    void CmdCopy_Click();
    void CmdSave_Click();

private:
    Dialogs& m_dialogs;
    std::vector<HarmonicRow> m_rows;
    QString m_fileStem; // the proposed CSV file's name, without its extension
};

} // namespace tavrel
