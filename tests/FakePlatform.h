#pragma once
// Everything the windows need of the machine, with dialogs scripted as a person would answer.

#include "Fakes.h"

#include "app/Platform.h"
#include "ui/Dialogs.h"

#include <QDialog>
#include <QPointer>
#include <QPrinter>

namespace tavrel::test {

struct FakeDialogs : Dialogs {
    void MessageBox(QWidget*, const QString& text, bool withExclamation) override {
        messages.push_back(text);
        exclamation = withExclamation;
    }
    QString OpenFile(QWidget*, const QString& filter, const QString& startDir) override {
        lastFilter = filter;
        lastStartDir = startDir;
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

    std::vector<QString> messages;
    QString nextPath, lastFilter, lastStartDir;
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
};

} // namespace tavrel::test
