#pragma once

#include <QByteArray>
#include <QPointer>
#include <memory>

#include "BaseWindow.h"
#include "WebView.h"

class QLineEdit;

namespace webhost {
class TrayIcon;
}

namespace webhost {

// A native window that hosts one web view: page loading, local page serving, the framework's
// page functions and the framework window procedure. MainBlkWindow and the other web windows
// derive from it and replace windowProc() and onLoadingFinished().
//
// Create with new; the object deletes itself when its native window is destroyed.
class BaseBlkWinow : public BaseWindow {
public:
    BaseBlkWinow(WindowHandle owner, bool createAsModal, const QByteArray& startUrl);
    ~BaseBlkWinow() override;

    // Window creation: copies the settings, creates the native window and its view, binds the
    // framework's page functions and loads the start URL. False when the native window could
    // not be created (the object then stays without a view).
    bool create(const WindowSettings& settings, const FrameFlags& frame,
                const WindowOptions& options, bool tempLocalStorage, bool tempCookie,
                int showCommand);

    WebView* view() const { return m_view.get(); }
    QWidget* viewWidget() const override;
    const QString& caption() const { return m_caption; }
    const QByteArray& host() const { return m_host; }
    const QString& localStoragePath() const { return m_localStoragePath; }
    const QString& cookiePath() const { return m_cookiePath; }
    void loadUrl(const QString& url);
    // The window's notification-area icon, created on first use; it goes with the window.
    TrayIcon& trayIcon();

    // The framework window procedure.
    LResult windowProc(WindowMessage& message) override;
    // Called when the page finished loading: publishes the globals "handle" and "pid".
    virtual void onLoadingFinished();

    // Calls a page function and waits for its result (UI thread only). Only for the calls whose
    // answer matters: waiting runs a nested event loop.
    JsValue callPage(const QByteArray& name, const QList<JsValue>& args);
    // Calls a page function without waiting; calls keep their order with callPage's.
    void notifyPage(const QByteArray& name, const QList<JsValue>& args);

    // The paths of the temporary web storage under the user's temporary folder.
    static QString tempLocalStoragePath();
    static QString tempCookiePath();

protected:
    // Derived windows bind their own page functions here, before the first page loads.
    virtual void bindPageFunctions() {}
    // 0x467, the tray icon's events; the tray itself is added by the tray module.
    virtual LResult onTrayMessage(WindowMessage& message);
    void layout();

private:
    void copySettings(const WindowSettings& settings, const FrameFlags& frame,
                      const WindowOptions& options);
    void createView();
    void configureView();
    void connectViewEvents();
    void createAddressBar();
    void enableDevTools();
    void releaseView();
    void paintBackground(WindowMessage& message);
    LResult onSysCommand(WindowMessage& message);
    LResult onChildClosed(WindowMessage& message);
    LResult onSecondInstance();

    WindowHandle m_pendingOwner = 0;
    bool m_pendingModal = false;
    QByteArray m_startUrl;
    QString m_caption;
    QByteArray m_host;
    int m_devTools = 0;
    int m_enableHotkey = 0;
    QString m_localStoragePath;
    QString m_cookiePath;
    std::unique_ptr<WebView> m_view;
    QPointer<QLineEdit> m_addressBar;
    std::unique_ptr<TrayIcon> m_trayIcon;
};

}  // namespace webhost
