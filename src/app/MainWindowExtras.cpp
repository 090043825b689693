// The main window's extras: what its pictures' right-button menus add to the
// lesson. Every one leaves the window as it was until it is chosen.
#include "app/MainWindow.h"

#include "analysis/HarmonicTableForm.h"
#include "analysis/PeriodEstimate.h"
#include "ui/Dialogs.h"
#include "ui/PictureBox.h"
#include "ui/PictureMenus.h"

#include <QAction>

namespace tavrel {

void MainWindow::SetUpExtras() {
    m_state.Extras = LoadExtras();

    mnuNoteNames = SwitchAction(this, QStringLiteral("基本振動数を音名で表示"),
                                Qt::CTRL | Qt::Key_N, m_state.Extras.NoteNames);
    connect(mnuNoteNames, &QAction::toggled, this, &MainWindow::mnuNoteNames_Click);

    mnuSuggestPeriod =
        CommandAction(this, QStringLiteral("周期を自動で探す"), Qt::CTRL | Qt::Key_T);
    connect(mnuSuggestPeriod, &QAction::triggered, this, &MainWindow::mnuSuggestPeriod_Click);

    mnuHarmonicTable = CommandAction(this, QStringLiteral("倍音の表…"), Qt::CTRL | Qt::Key_H);
    connect(mnuHarmonicTable, &QAction::triggered, this, &MainWindow::mnuHarmonicTable_Click);
}

void MainWindow::mnuNoteNames_Click(bool on) {
    m_state.Extras.NoteNames = on;
    SaveExtras(m_state.Extras);
    // The period's texts read the switch as they are drawn: drawing the kept
    // drawings again adds the line or leaves it out.
    Picture1->Replay();
}

void MainWindow::mnuSuggestPeriod_Click() {
    if (m_state.RegionChosen != 1) {
        m_dialogs.MessageBox(this, QStringLiteral("上の全波形をマウスでクリックしてください。"),
                             false);
        return;
    }
    const PeriodSuggestion p = SuggestPeriod(m_state);
    switch (p.verdict) {
    case PeriodVerdict::Silent:
        m_dialogs.MessageBox(this, QStringLiteral("音が小さすぎて周期を見つけられません。"), false);
        return;
    case PeriodVerdict::NoClearPeriod:
        m_dialogs.MessageBox(this,
                             QStringLiteral("はっきりした周期が見つかりません（雑音や、高さの変わる"
                                            "音では見つけられません）。手で１周期をクリックして"
                                            "ください。"),
                             false);
        return;
    case PeriodVerdict::Found:
        break;
    }
    // The marks are placed by the very clicks a student would make, so the
    // texts, the refusals and the next steps are theirs. A first mark set by
    // hand would take the suggestion's first as its second: that pair starts over.
    if (m_state.MarkPhase == 1)
        m_state.MarkPhase = 2;
    Picture1_MouseDown(1, 0, float(p.x1), 0);
    Picture1_MouseDown(1, 0, float(p.x2), 0);
}

void MainWindow::mnuHarmonicTable_Click() {
    if (!FftDoneOrSay())
        return;
    m_dialogs.ShowModal(*new HarmonicTableForm(m_state, m_dialogs, this));
}

} // namespace tavrel
