#include "app/SettingsDialogs.h"

#include "state/AnalysisState.h"
#include "state/Numbers.h"
#include "ui/Canvas.h"
#include "ui/Dialogs.h"
#include "ui/FitText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace tavrel {

const char* const RefLevelRangeMessage =
    "補正値は -32768 から 32767 までの数で入力してください。";

static QFont GothicFont(double points) {
    QFont f = JapaneseFont(points);
    QStringList families = f.families();
    families.prepend(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setFamilies(families);
    return f;
}

Form4::Form4(AnalysisState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogs(dialogs) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("設定"));
    setFixedSize(345, 227);

    Label2 = new QLabel(QStringLiteral("①表示における振幅の規格化"), this);
    Label2->setGeometry(32, 16, 273, 25);
    Label2->setFont(GothicFont(11.25));
    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(64, 40, 177, 65);
    Option1 = new QRadioButton(QStringLiteral("する"), Frame1);
    Option1->setGeometry(24, 32, 57, 17);
    Option2 = new QRadioButton(QStringLiteral("しない"), Frame1);
    Option2->setGeometry(104, 32, 65, 17);
    Label1 = new QLabel(QStringLiteral("②音声データの基準電圧の補正値"), this);
    Label1->setGeometry(32, 120, 225, 17);
    Label1->setFont(GothicFont(11.25));
    Text1 = new QLineEdit(QStringLiteral("128"), this);
    Text1->setGeometry(256, 120, 41, 18);
    Label3 = new QLabel(QStringLiteral("(ノートパソコン内蔵マイクデータの場合105程度の値)"), this);
    Label3->setGeometry(48, 152, 281, 17);
    Cmd_End = new QPushButton(QStringLiteral("閉じる"), this);
    Cmd_End->setGeometry(104, 184, 89, 25);

    for (QLabel* label : {Label1, Label2, Label3})
        FitLabelText(label);

    connect(Cmd_End, &QPushButton::clicked, this, &Form4::Cmd_End_Click);
    Form_Load();
}

void Form4::Form_Load() {
    Option1->setChecked(m_state.AmpNormalize == 1);
    Option2->setChecked(m_state.AmpNormalize == 0);
    // The level in effect (128 until it is changed): closing without an edit
    // must not put back a level the user had chosen.
    Text1->setText(QString::number(m_state.RefLevel));
}

void Form4::Cmd_End_Click() {
    if (!Text1->text().isEmpty()) {
        const double level = RoundHalfEven(LenientNumber(Text1->text()));
        if (!(level >= -32768.0 && level <= 32767.0)) {
            // Nothing is stored: the user corrects the number and closes again.
            m_dialogs.MessageBox(this, QString::fromUtf8(RefLevelRangeMessage), false);
            return;
        }
        m_state.RefLevel = static_cast<std::int16_t>(level);
    }
    if (Option1->isChecked())
        m_state.AmpNormalize = 1;
    else if (Option2->isChecked())
        m_state.AmpNormalize = 0;
    close();
}

Form1::Form1(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(320, 176);

    Label1 = new QLabel(QStringLiteral("TavrelVer16　2004.11.23"), this);
    Label1->setGeometry(24, 16, 280, 28);
    Label1->setFont(GothicFont(12));
    Label3 = new QLabel(QStringLiteral(
                            "16bit ステレオデータ　　　　　　　　　  サンプリング周波数22.05KHz対応   "
                            "WinNT2000対応　声紋自動表示　  振幅規格化選択可能"),
                        this);
    Label3->setWordWrap(true);
    Label3->setGeometry(24, 56, 180, 48);
    Cmd_End = new QPushButton(QStringLiteral("閉じる"), this);
    Cmd_End->setGeometry(116, 128, 89, 25);
    FitLabelText(Label1);
    // The feature list was laid out for a narrower font; it keeps its width
    // and takes the lines it needs rather than shrinking past reading.
    Label3->setFixedHeight(std::max(48, Label3->heightForWidth(180)));
    const int buttonTop = std::max(128, Label3->geometry().bottom() + 12);
    Cmd_End->move(116, buttonTop);
    setFixedSize(320, buttonTop + 25 + 24);
    connect(Cmd_End, &QPushButton::clicked, this, &Form1::Cmd_End_Click);
}

void Form1::Cmd_End_Click() { close(); }

} // namespace tavrel
