// The real dialogs, answered by a timer the way a person would, so that the
// seam the program uses is itself known to work.
#include "TestWav.h"

#include "app/SettingsDialogs.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tavrel;

// Answers the first visible window of type W; the count turns 1 once it has.
// Unanswered or left open, every dialog is rejected after 5 s, so that a
// fault fails the test instead of hanging it.
template <typename W> std::shared_ptr<int> AnswerWhenShown(std::function<void(W*)> answer) {
    auto answered = std::make_shared<int>(0);
    auto* timer = new QTimer(qApp); // owned by the application, so none outlives the run
    QObject::connect(timer, &QTimer::timeout, [=, ticks = 0, target = QPointer<W>()]() mutable {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<W*>(w); d && d->isVisible() && !*answered) {
                *answered = 1;
                answer(target = d);
                return;
            }
        const bool finished = *answered && (!target || !target->isVisible());
        if (finished || ++ticks > 250) {
            timer->stop();
            timer->deleteLater();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && !finished)
                    d->done(QDialog::Rejected);
        }
    });
    timer->start(20);
    return answered;
}

TEST(QtDialogs, AnsweredAsAPersonWould) {
    QtDialogs dialogs;
    auto box = AnswerWhenShown<QMessageBox>([](QMessageBox* b) {
        EXPECT_EQ(std::tuple(b->text(), b->windowTitle(), b->icon()),
                  std::tuple(QStringLiteral("認識できないファイル形式です。"), QString(),
                             QMessageBox::Warning));
        b->button(QMessageBox::Ok)->click();
    });
    dialogs.MessageBox(nullptr, QStringLiteral("認識できないファイル形式です。"), true);
    EXPECT_EQ(*box, 1);

    // A file typed into the open dialog, which starts in the folder given
    // and shows the program's filter; then the dialog cancelled.
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.filePath("a.wav"), test::PcmWav(1, 8, 8000, {1, 2, 3})));
    auto open = AnswerWhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(d->nameFilters(), QStringList{"サウンド (*.wav)"});
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("a.wav");
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    EXPECT_EQ(dialogs.OpenFile(nullptr, QStringLiteral("サウンド|*.wav"), dir.path()),
              dir.filePath("a.wav"));
    auto cancel = AnswerWhenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_TRUE(dialogs.OpenFile(nullptr, QStringLiteral("サウンド|*.wav"), dir.path()).isEmpty());
    EXPECT_EQ(*open + *cancel, 2);
    EXPECT_EQ(QtFilterFromPairs("すべてのファイル|*.*|波形|*.wav;*.wave"),
              "すべてのファイル (*.*);;波形 (*.wav *.wave)");

    QPrinter printer;
    auto print = AnswerWhenShown<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
    EXPECT_FALSE(dialogs.ChoosePrinter(nullptr, printer));
    auto* form = new Form1; // deleted when closed
    auto modal = AnswerWhenShown<Form1>([](Form1* f) { f->Cmd_End->click(); });
    dialogs.ShowModal(*form); // returns once closed
    EXPECT_EQ(*print + *modal, 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
