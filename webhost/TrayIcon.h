#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <memory>

#include "JsValue.h"
#include "WindowMessages.h"

class QSystemTrayIcon;

namespace webhost {

class BaseBlkWinow;

// The notification-area icon a page can put on its window: a tip, a page function for a
// double-click and a menu whose items call page functions. Its events reach the window as
// message 0x467 with the mouse message in lParam, and a chosen menu item as WM_COMMAND, as on
// Windows; the window procedure hands both back here.
class TrayIcon {
public:
    // Shell_NotifyIcon's commands.
    static constexpr int kAdd = 0;
    static constexpr int kModify = 1;
    static constexpr int kDelete = 2;
    // The tip keeps at most this many characters.
    static constexpr int kMaxTipLength = 127;
    // The mouse messages the icon reports.
    static constexpr LParam kLeftDoubleClick = 0x0203;
    static constexpr LParam kRightButtonDown = 0x0204;

    struct MenuEntry {
        int id = 0;
        QByteArray function;
        QString label;
    };

    explicit TrayIcon(WindowHandle window);
    ~TrayIcon();

    // shellNotifyIcon: takes the options object's double-click function and menu, then adds,
    // changes or removes the icon. False when the desktop has no notification area or the
    // command is unknown.
    bool notify(int command, const QString& tip, int iconId, const JsValue& options);

    // 0x467 and WM_COMMAND of the window.
    LResult onTrayMessage(const WindowMessage& message, BaseBlkWinow& window);
    // True when the command was a menu entry's (and its page function was called).
    bool onMenuCommand(int id, BaseBlkWinow& window);

    QString tip() const { return m_tip; }
    const QVector<MenuEntry>& menuEntries() const { return m_entries; }
    QByteArray doubleClickFunction() const { return m_doubleClickFunction; }

private:
    void readOptions(const JsValue& options);
    bool show(int iconId);
    void showMenu(BaseBlkWinow& window);

    WindowHandle m_window;
    QString m_tip;
    QByteArray m_doubleClickFunction;
    QVector<MenuEntry> m_entries;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

}  // namespace webhost
