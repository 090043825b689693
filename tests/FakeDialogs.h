#pragma once
// A scripted stand-in for everything that would wait for a person.

#include "ui/Dialogs.h"

#include <QDialog>
#include <QPointer>
#include <QPrinter>
#include <functional>
#include <vector>

namespace tavrel::test {

struct ShownMessage {
    QString text;
    bool exclamation;
};

struct FakeDialogs : Dialogs {
    void MessageBox(QWidget*, const QString& text, bool exclamation) override {
        messages.push_back({text, exclamation});
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

    std::vector<ShownMessage> messages;
    QString nextPath, lastFilter, lastStartDir;
    bool acceptPrint = false;
    std::function<void(QPrinter&)> preparePrinter;
    QPointer<QDialog> modal;
};

} // namespace tavrel::test
