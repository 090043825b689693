#pragma once
// The settings dialog (Form4) and the version dialog (Form1).

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace tavrel {

struct AnalysisState;
class Dialogs;

// Settings: amplitude normalisation of the magnified plot and the raw level
// that counts as zero. Modeless; its values reach the shared state only when
// "閉じる" is pressed, and closing it destroys it.
class Form4 : public QDialog {
    Q_OBJECT
public:
    Form4(AnalysisState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* Label2;
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* Label3;
    QPushButton* Cmd_End;

    void Form_Load();
    void Cmd_End_Click();

private:
    AnalysisState& m_state;
    Dialogs& m_dialogs;
};

// The version dialog, shown modally.
class Form1 : public QDialog {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label3;
    QPushButton* Cmd_End;

    void Cmd_End_Click();
};

// The message shown when the zero level typed in the settings does not fit.
extern const char* const RefLevelRangeMessage;

} // namespace tavrel
