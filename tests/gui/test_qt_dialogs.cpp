// The real dialogs, answered by a timer as a person would: the seam itself works.
#include "WavTestFiles.h"

#include "app/SettingsDialogs.h"
#include "ui/Dialogs.h"

#include <QTest>
#include <QtPrintSupport>
#include <QtWidgets>
#include <gtest/gtest.h>
#include <thread>

using namespace tavrel;

// Answers the first visible window of type W, once; unanswered or left open,
// every dialog is rejected after 5 s, so that a fault fails instead of hanging.
template <typename W> std::shared_ptr<bool> AnswerWhenShown(std::function<void(W*)> answer) {
    auto answered = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp); // owned by the application, so none outlives the run
    QObject::connect(timer, &QTimer::timeout, [=, ticks = 0, target = QPointer<W>()]() mutable {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<W*>(w); d && d->isVisible() && !*answered)
                return *answered = true, answer(target = d);
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

    // The open dialog starts in the folder given, with the program's filter.
    QTemporaryDir dir;
    wavtest::WriteFile(dir, "a.wav", {});
    auto open = AnswerWhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(d->nameFilters(), (QStringList{"波形 (*.wav *.wave)", "すべて (*.*)"}));
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("a.wav"); // typed
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    EXPECT_EQ(dialogs.OpenFile(nullptr, QStringLiteral("波形|*.wav;*.wave|すべて|*.*"), dir.path()),
              dir.filePath("a.wav"));

    QPrinter printer;
    auto print = AnswerWhenShown<QPrintDialog>([](QPrintDialog* d) { d->reject(); });
    EXPECT_FALSE(dialogs.ChoosePrinter(nullptr, printer));
    // Saving proposes a name and keeps its suffix; a pop-up menu answers with the item chosen.
    auto save = AnswerWhenShown<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("picture");
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    EXPECT_EQ(dialogs.SaveFile(nullptr, QStringLiteral("PNG 画像|*.png"), dir.filePath("wave.png")),
              dir.filePath("picture.png"));
    QMenu menu;
    QAction* two = (menu.addAction("one"), menu.addAction("two"));
    auto pick = AnswerWhenShown<QMenu>([](QMenu* m) {
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(m, key);
    });
    EXPECT_EQ(dialogs.PopupMenu(menu, QPoint(10, 10)), two);

    // Work done within half a second shows no dialog; longer work shows one whose cancel
    // button stops it.
    const auto quick = AnswerWhenShown<QProgressDialog>([](QProgressDialog*) {});
    EXPECT_TRUE(dialogs.RunWithProgress(nullptr, "quick", [](const Dialogs::Progress& p) {
        for (int i = 0; i <= 10; ++i)
            p(i / 10.0), std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }));
    EXPECT_FALSE(*quick);
    auto cancel = AnswerWhenShown<QProgressDialog>([](QProgressDialog* d) {
        EXPECT_EQ(d->labelText(), "読み込み中…");
        QTimer::singleShot(100, d, [d] { d->findChild<QPushButton*>()->click(); });
    });
    bool stopped = false;
    const QDeadlineTimer took(3000);
    EXPECT_FALSE(dialogs.RunWithProgress(nullptr, "読み込み中…", [&](const Dialogs::Progress& p) {
        for (int i = 0; i < 1000 && !stopped; ++i)
            stopped = !p(i / 1000.0), std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }));
    EXPECT_TRUE(stopped && *cancel && !took.hasExpired()) << took.remainingTime();

    auto* form = new Form1; // deleted when closed
    auto modal = AnswerWhenShown<Form1>([](Form1* f) { f->Cmd_End->click(); });
    dialogs.ShowModal(*form); // returns once closed
    EXPECT_TRUE(*box && *open && *print && *modal && *save && *pick);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
