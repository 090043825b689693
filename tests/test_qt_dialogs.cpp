// The real dialogs, driven by a timer the way a person would answer them, so
// that the seam the program uses is itself known to work.
#include "FakeDialogs.h"
#include "TestWav.h"

#include "app/SettingsDialogs.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace tavrel;

namespace {

// Polls until a modal window of type W is up, then answers it. Gives up
// (closing every window) after a few seconds so that a fault cannot hang CI.
template <typename W> void AnswerWhenShown(std::function<void(W*)> answer, bool* answered) {
    auto* timer = new QTimer;
    auto started = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<W*>(w); dialog && dialog->isVisible()) {
                *answered = true;
                timer->stop();
                timer->deleteLater();
                answer(dialog);
                return;
            }
        }
        if (++*started > 250) {
            timer->stop();
            timer->deleteLater();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->reject();
        }
    });
    timer->start(20);
}

} // namespace

TEST(QtDialogs, MessageBoxShowsTheTextWithOkAndNoTitleOfItsOwn) {
    QtDialogs dialogs;
    bool answered = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    AnswerWhenShown<QMessageBox>(
        [&](QMessageBox* box) {
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
            box->button(QMessageBox::Ok)->click();
        },
        &answered);
    dialogs.MessageBox(nullptr, QStringLiteral("認識できないファイル形式です。"), true);
    EXPECT_TRUE(answered);
    EXPECT_EQ(text, "認識できないファイル形式です。");
    EXPECT_TRUE(title.isEmpty());
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtDialogs, OpenFileReturnsTheChosenPathOrNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.wav");
    ASSERT_TRUE(test::WriteBytes(path, test::PcmWav(1, 8, 8000, {1, 2, 3})));
    QtDialogs dialogs;
    bool answered = false;
    QString startedIn;
    QStringList filters;
    AnswerWhenShown<QFileDialog>(
        [&](QFileDialog* d) {
            startedIn = d->directory().absolutePath();
            filters = d->nameFilters();
            d->selectFile(path);
            QMetaObject::invokeMethod(d, "accept");
        },
        &answered);
    EXPECT_EQ(dialogs.OpenFile(nullptr, QStringLiteral("サウンド|*.wav"), dir.path()), path);
    EXPECT_TRUE(answered);
    EXPECT_EQ(startedIn, QDir(dir.path()).absolutePath());
    EXPECT_EQ(filters, QStringList{"サウンド (*.wav)"});

    answered = false;
    AnswerWhenShown<QFileDialog>([](QFileDialog* d) { d->reject(); }, &answered);
    EXPECT_TRUE(dialogs.OpenFile(nullptr, QStringLiteral("サウンド|*.wav"), dir.path()).isEmpty());
    EXPECT_TRUE(answered);
}

TEST(QtDialogs, FilterPairsBecomeQtFilters) {
    EXPECT_EQ(QtFilterFromPairs("サウンド|*.wav"), "サウンド (*.wav)");
    EXPECT_EQ(QtFilterFromPairs("すべてのファイル|*.*|波形|*.wav;*.wave"),
              "すべてのファイル (*.*);;波形 (*.wav *.wave)");
}

TEST(QtDialogs, CancelledPrintDialogReportsCancel) {
    QtDialogs dialogs;
    QPrinter printer;
    bool answered = false;
    AnswerWhenShown<QPrintDialog>([](QPrintDialog* d) { d->reject(); }, &answered);
    EXPECT_FALSE(dialogs.ChoosePrinter(nullptr, printer));
    EXPECT_TRUE(answered);
}

TEST(QtDialogs, ModalWindowReturnsWhenClosed) {
    QtDialogs dialogs;
    auto* form = new Form1;
    bool answered = false;
    AnswerWhenShown<Form1>(
        [](Form1* f) {
            EXPECT_TRUE(f->isModal() || f->windowModality() != Qt::NonModal);
            f->Cmd_End->click();
        },
        &answered);
    dialogs.ShowModal(*form);
    EXPECT_TRUE(answered);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
