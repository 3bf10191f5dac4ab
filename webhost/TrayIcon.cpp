#include "TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

#include "BaseBlkWinow.h"

namespace webhost {

namespace {

// One popup menu for the process, built from the entries known at the first right-click and
// kept for good; later changes to the entries change what its items call, not its items.
class TrayMenu {
public:
    static TrayMenu& instance() {
        static TrayMenu menu;
        return menu;
    }

    void popup(const QVector<TrayIcon::MenuEntry>& entries, WindowHandle owner) {
        if (!m_menu) {
            m_menu = std::make_unique<QMenu>();
            for (const TrayIcon::MenuEntry& entry : entries)
                addItem(entry);
        }
        m_owner = owner;
        m_menu->popup(QCursor::pos());
    }

private:
    void addItem(const TrayIcon::MenuEntry& entry) {
        const int id = entry.id;
        QObject::connect(
            m_menu->addAction(entry.label), &QAction::triggered, m_menu.get(),
            [this, id] { postMessage(m_owner, kWmCommand, static_cast<WParam>(id), 0); });
    }

    std::unique_ptr<QMenu> m_menu;
    WindowHandle m_owner = 0;
};

QIcon iconFor(int /*iconId*/) {
    // The program's own icon stands for its icon resources.
    const QIcon own = QApplication::windowIcon();
    return own.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : own;
}

}  // namespace

TrayIcon::TrayIcon(WindowHandle window) : m_window(window) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::readOptions(const JsValue& options) {
    const JsValue doubleClick = options.get("LBTN_DBCLK");
    if (!doubleClick.isUndefined())
        m_doubleClickFunction = doubleClick.get("function").toUtf8();
    const JsValue menu = options.get("RBTN_CLK").get("menu");
    if (!menu.isArray())
        return;
    m_entries.clear();
    for (int i = 0; i < menu.length(); ++i) {
        const JsValue item = menu.at(i);
        m_entries.append(
            {item.get("id").toInt(), item.get("function").toUtf8(), item.get("text").toText()});
    }
}

bool TrayIcon::show(int iconId) {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        const WindowHandle window = m_window;
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated,
                         [window](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::DoubleClick)
                                 postMessage(window, kMsgTrayIcon, 0, kLeftDoubleClick);
                             else if (reason == QSystemTrayIcon::Context)
                                 postMessage(window, kMsgTrayIcon, 0, kRightButtonDown);
                         });
    }
    m_icon->setIcon(iconFor(iconId & 0xFFFF));
    m_icon->setToolTip(m_tip);
    m_icon->show();
    return true;
}

bool TrayIcon::notify(int command, const QString& tip, int iconId, const JsValue& options) {
    m_tip = tip.left(kMaxTipLength);
    readOptions(options);
    switch (command) {
        case kAdd:
        case kModify:
            return show(iconId);
        case kDelete:
            if (!m_icon)
                return false;
            m_icon.reset();
            return true;
        default:
            return false;
    }
}

void TrayIcon::showMenu(BaseBlkWinow& window) {
    if (QWidget* native = window.widget()) {
        native->raise();
        native->activateWindow();
    }
    TrayMenu::instance().popup(m_entries, m_window);
}

LResult TrayIcon::onTrayMessage(const WindowMessage& message, BaseBlkWinow& window) {
    if (message.lParam == kLeftDoubleClick && !m_doubleClickFunction.isEmpty())
        window.notifyPage(m_doubleClickFunction, {});
    else if (message.lParam == kRightButtonDown)
        showMenu(window);
    return 0;
}

bool TrayIcon::onMenuCommand(int id, BaseBlkWinow& window) {
    for (const MenuEntry& entry : m_entries) {
        if (entry.id == id) {
            window.notifyPage(entry.function, {});
            return true;
        }
    }
    return false;
}

}  // namespace webhost
