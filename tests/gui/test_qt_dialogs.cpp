// The real dialogs, driven by a timer the way a person would answer them, so
// that the seam the program uses is itself known to work.
#include "FakeDialogs.h"
#include "TestWav.h"

#include "app/SettingsDialogs.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tavrel;

namespace {

// Polls until a modal window of type W is up, then answers it; returns a flag
// that turns true once it has. If the answer does not close that window, or
// none shows, every dialog is rejected after a few seconds, so that a fault
// fails the test instead of hanging the run.
template <typename W> std::shared_ptr<bool> AnswerWhenShown(std::function<void(W*)> answer) {
    auto answered = std::make_shared<bool>(false);
    auto target = std::make_shared<QPointer<W>>();
    auto ticks = std::make_shared<int>(0);
    auto* timer = new QTimer(qApp); // owned by the application, so none outlives the run
    QObject::connect(timer, &QTimer::timeout, [=] {
        ++*ticks;
        if (!*answered) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<W*>(w); dialog && dialog->isVisible()) {
                    *answered = true;
                    *target = dialog;
                    answer(dialog);
                    return;
                }
        }
        const bool finished = *answered && (!*target || !(*target)->isVisible());
        if (finished || *ticks > 250) {
            timer->stop();
            timer->deleteLater();
            if (!finished)
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                        d->done(QDialog::Rejected);
        }
    });
    timer->start(20);
    return answered;
}

} // namespace

TEST(QtDialogs, MessageBoxShowsTheTextWithOkAndNoTitleOfItsOwn) {
    QtDialogs dialogs;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    auto answered = AnswerWhenShown<QMessageBox>(
        [&](QMessageBox* box) {
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
            box->button(QMessageBox::Ok)->click();
        });
    dialogs.MessageBox(nullptr, QStringLiteral("認識できないファイル形式です。"), true);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(text, "認識できないファイル形式です。");
    EXPECT_TRUE(title.isEmpty());
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtDialogs, OpenFileReturnsTheChosenPathOrNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.wav");
    ASSERT_TRUE(test::WriteBytes(path, test::PcmWav(1, 8, 8000, {1, 2, 3})));
    QtDialogs dialogs;
    QString startedIn;
    QStringList filters;
    auto answered = AnswerWhenShown<QFileDialog>(
        [&](QFileDialog* d) {
            startedIn = d->directory().absolutePath();
            filters = d->nameFilters();
            // As a person would: type the name and press Open.
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QFileInfo(path).fileName());
            QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
        });
    EXPECT_EQ(dialogs.OpenFile(nullptr, QStringLiteral("サウンド|*.wav"), dir.path()), path);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(startedIn, QDir(dir.path()).absolutePath());
    EXPECT_EQ(filters, QStringList{"サウンド (*.wav)"});

    auto cancelled = AnswerWhenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_TRUE(dialogs.OpenFile(nullptr, QStringLiteral("サウンド|*.wav"), dir.path()).isEmpty());
    EXPECT_TRUE(*cancelled);
}

TEST(QtDialogs, FilterPairsBecomeQtFilters) {
    EXPECT_EQ(QtFilterFromPairs("サウンド|*.wav"), "サウンド (*.wav)");
    EXPECT_EQ(QtFilterFromPairs("すべてのファイル|*.*|波形|*.wav;*.wave"),
              "すべてのファイル (*.*);;波形 (*.wav *.wave)");
}

TEST(QtDialogs, CancelledPrintDialogReportsCancel) {
    QtDialogs dialogs;
    QPrinter printer;
    auto answered = AnswerWhenShown<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
    EXPECT_FALSE(dialogs.ChoosePrinter(nullptr, printer));
    EXPECT_TRUE(*answered);
}

TEST(QtDialogs, ModalWindowReturnsWhenClosed) {
    QtDialogs dialogs;
    auto* form = new Form1;
    auto answered = AnswerWhenShown<Form1>(
        [](Form1* f) {
            EXPECT_TRUE(f->isModal() || f->windowModality() != Qt::NonModal);
            f->Cmd_End->click();
        });
    dialogs.ShowModal(*form);
    EXPECT_TRUE(*answered);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
