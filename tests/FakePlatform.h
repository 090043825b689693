#pragma once
// Everything the windows need of the machine, with dialogs scripted as a person would answer.

#include "Fakes.h"

#include "app/Platform.h"
#include "ui/Dialogs.h"

#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QPrinter>

namespace tavrel::test {

struct FakeDialogs : Dialogs {
    void MessageBox(QWidget*, const QString& text, bool withExclamation) override {
        messages.push_back(text);
        exclamation = withExclamation;
    }
    QString OpenFile(QWidget*, const QString& filter, const QString& startDir) override {
        lastFilter = filter, lastStartDir = startDir;
        return nextPath;
    }
    bool ChoosePrinter(QWidget*, QPrinter& printer) override {
        if (preparePrinter)
            preparePrinter(printer);
        return acceptPrint;
    }
    void ShowModal(QDialog& dialog) override { // shown but not waited for: the test closes it
        modal = &dialog;
        dialog.show();
    }
    QAction* PopupMenu(QMenu& menu, const QPoint&) override { // the item named in `choose`
        menuItems.clear();
        QAction* chosen = nullptr;
        for (QAction* a : menu.actions()) {
            menuItems.push_back(a->text() + '|' + a->shortcut().toString());
            if (!a->isSeparator() && a->text() == choose)
                chosen = a;
        }
        return chosen;
    }
    // `item` chosen from the right-button menu of `picture`; answers the menu's items.
    std::vector<QString> Choose(auto* picture, const QString& item) {
        choose = item;
        emit picture->MenuRequested({});
        return menuItems;
    }
    QString SaveFile(QWidget*, const QString& filter, const QString& startPath) override {
        lastFilter = filter, lastStartDir = startPath;
        return nextSavePath;
    }
    bool RunWithProgress(QWidget*, const QString& label,
                         const std::function<void(const Progress&)>& work) override {
        progressLabels.push_back(label);
        bool cancelled = false;
        work([&](double fraction) { return !(cancelled |= fraction >= cancelAt); });
        return !cancelled;
    }

    std::vector<QString> messages, menuItems, progressLabels; // items: "text|key"
    QString nextPath, nextSavePath, lastFilter, lastStartDir, choose;
    double cancelAt = 2; // the fraction of a long task at which the user cancels it
    bool exclamation = false, acceptPrint = false; // the last message's icon
    std::function<void(QPrinter&)> preparePrinter;
    QPointer<QDialog> modal;
};

struct FakePlatform {
    FakeDialogs dialogs;
    FakeSoundOutput sound;
    FakeTickClock clock;
    FakeProgramStarter programs;
    FakeSoundInput microphone;
    Platform platform{dialogs, sound, clock, programs, microphone};

    // The same with a real sound output, or a real clock too, in place of the fakes.
    Platform With(SoundOutput& realSound) { return With(realSound, clock); }
    Platform With(SoundOutput& realSound, TickClock& realClock) {
        return {dialogs, realSound, realClock, programs, microphone};
    }
};

} // namespace tavrel::test
