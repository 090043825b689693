#pragma once
// The menu a picture area shows on the right button: the window's own items
// for that picture first, then saving its picture as a PNG file and copying
// it to the clipboard. Every item is also an action of the window, so its
// keyboard shortcut works without the menu: a shortcut for saving or copying
// takes the picture under the pointer (the first picture when the pointer is
// over none).

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QPoint;
class QWidget;

namespace tavrel {

class Dialogs;
class PictureBox;

// A menu item with its shortcut, owned by `parent` (a QActionGroup parent
// also makes it one of that group). Callers connect it themselves.
QAction* CommandAction(QObject* parent, const QString& text, const QKeySequence& key);

// The same as a switch, shown on or off as `checked` says. It is set before
// the caller connects to it, so setting it up does not act on it.
QAction* SwitchAction(QObject* parent, const QString& text, const QKeySequence& key, bool checked);

class PictureMenus : public QObject {
    Q_OBJECT
public:
    PictureMenus(QWidget& window, Dialogs& dialogs);

    // `fileStem` names the saved file ("whole-wave" proposes whole-wave.png in
    // the user's Pictures folder). The actions are added to the window.
    void Add(PictureBox& picture, const QList<QAction*>& own, const QString& fileStem);

    QAction* Save; // 画像を保存…
    QAction* Copy; // 画像をコピー

    // Shows `picture`'s menu at a point of the screen and triggers the item
    // chosen, for that picture.
    void ShowMenu(PictureBox& picture, const QPoint& globalPos);

private:
    struct Entry {
        QPointer<PictureBox> picture;
        QList<QAction*> own;
        QString fileStem;
    };
    const Entry* Target() const;
    void SaveTarget();
    void CopyTarget();

    QWidget& m_window;
    Dialogs& m_dialogs;
    std::vector<Entry> m_entries;
    const Entry* m_menuTarget = nullptr; // while a menu's item runs
};

} // namespace tavrel
