#include "ui/PictureMenus.h"

#include "ui/Dialogs.h"
#include "ui/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QStandardPaths>
#include <algorithm>

namespace tavrel {

QAction* CommandAction(QObject* parent, const QString& text, const QKeySequence& key) {
    auto* a = new QAction(text, parent);
    a->setShortcut(key);
    return a;
}

QAction* SwitchAction(QObject* parent, const QString& text, const QKeySequence& key, bool checked) {
    QAction* a = CommandAction(parent, text, key);
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

PictureMenus::PictureMenus(QWidget& window, Dialogs& dialogs)
    : QObject(&window), m_window(window), m_dialogs(dialogs) {
    Save = CommandAction(&window, QStringLiteral("画像を保存…"), Qt::CTRL | Qt::Key_S);
    Copy = CommandAction(&window, QStringLiteral("画像をコピー"), Qt::CTRL | Qt::Key_C);
    window.addAction(Save);
    window.addAction(Copy);
    connect(Save, &QAction::triggered, this, &PictureMenus::SaveTarget);
    connect(Copy, &QAction::triggered, this, &PictureMenus::CopyTarget);
}

void PictureMenus::Add(PictureBox& picture, const QList<QAction*>& own, const QString& fileStem) {
    m_entries.push_back({&picture, own, fileStem});
    m_window.addActions(own);
    connect(&picture, &PictureBox::MenuRequested, this,
            [this, p = &picture](const QPoint& at) { ShowMenu(*p, at); });
}

void PictureMenus::ShowMenu(PictureBox& picture, const QPoint& globalPos) {
    const auto e = std::find_if(m_entries.begin(), m_entries.end(),
                                [&](const Entry& x) { return x.picture == &picture; });
    if (e == m_entries.end())
        return;
    QMenu menu(&m_window);
    menu.addActions(e->own);
    if (!e->own.isEmpty())
        menu.addSeparator();
    menu.addAction(Save);
    menu.addAction(Copy);
    QAction* chosen = m_dialogs.PopupMenu(menu, globalPos);
    if (!chosen)
        return;
    m_menuTarget = &*e;
    chosen->trigger();
    m_menuTarget = nullptr;
}

const PictureMenus::Entry* PictureMenus::Target() const {
    if (m_menuTarget)
        return m_menuTarget;
    const QWidget* under = QApplication::widgetAt(QCursor::pos());
    for (const Entry& e : m_entries)
        if (e.picture && e.picture == under)
            return &e;
    return m_entries.empty() || !m_entries.front().picture ? nullptr : &m_entries.front();
}

void PictureMenus::SaveTarget() {
    const Entry* e = Target();
    if (!e)
        return;
    const QImage image = e->picture->Pic().Image(); // as it is now, not when the dialog closes
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString path = m_dialogs.SaveFile(&m_window, QStringLiteral("PNG 画像|*.png"),
                                            QDir(folder).filePath(e->fileStem + ".png"));
    if (path.isEmpty())
        return;
    if (!image.save(path, "PNG"))
        m_dialogs.MessageBox(&m_window,
                             QStringLiteral("画像を保存できませんでした。\n%1")
                                 .arg(QDir::toNativeSeparators(path)),
                             false);
}

void PictureMenus::CopyTarget() {
    if (const Entry* e = Target())
        QGuiApplication::clipboard()->setImage(e->picture->Pic().Image());
}

} // namespace tavrel
