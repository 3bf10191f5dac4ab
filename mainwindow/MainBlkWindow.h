#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>

#include "SearcherThread.h"
#include "TaskbarButton.h"
#include "webhost/BaseBlkWinow.h"

namespace mainwindow {

// The one main web window: it binds the page's commands, turns the messages of background work
// into page calls, and closes only when no scan runs any more.
//
// Created with new by start-up; it deletes itself when its native window is destroyed.
class MainBlkWindow : public QObject, public webhost::BaseBlkWinow {
    Q_OBJECT
public:
    explicit MainBlkWindow(const QByteArray& startUrl);
    ~MainBlkWindow() override;

    webhost::LResult windowProc(webhost::WindowMessage& message) override;
    // After each page load: tells the page a changed printer count, then publishes the globals.
    void onLoadingFinished() override;

    // The two scan slots: online search (kind 1) and share search (kind 2). A slot holds its
    // thread from the start until the thread has finished.
    enum SearchKind { kOnlineSearch = 1, kShareSearch = 2 };
    SearcherThread* searcher(SearchKind kind) const;
    // Puts a started searcher in its slot; its end empties the slot (see onSearcherFinished).
    void adoptSearcher(SearchKind kind, SearcherThread* thread);
    bool quitWhenIdle() const { return m_quitWhenIdle; }

    TaskbarButton& taskbar() { return m_taskbar; }

    QStringList serviceFilter() const { return m_serviceFilter; }
    void setServiceFilter(const QStringList& filter) { m_serviceFilter = filter; }

    std::array<int, 11>& shareEnvResults() { return m_shareEnvResults; }
    void endShareQuery() { m_shareQueryEnded = true; }
    void endShareReset() { m_shareResetEnded = true; }

public slots:
    void pciinfoResults(const QString& pcinfo);
    void printersInfoResults(const QString& printers);

protected:
    void bindPageFunctions() override;

private:
    webhost::LResult onSysClose();
    void onSearcherFinished(SearchKind kind);
    webhost::LResult onPrinterChange(webhost::WindowMessage& message);
    webhost::LResult onPackageFinished(webhost::WindowMessage& message);
    webhost::LResult onShareQueryResult();
    void pushPrinterCount();

    QPointer<SearcherThread> m_onlineSearcher;
    QPointer<SearcherThread> m_shareSearcher;
    bool m_quitWhenIdle = false;
    TaskbarButton m_taskbar;
    QStringList m_serviceFilter;
    std::array<int, 11> m_shareEnvResults{};
    bool m_shareQueryEnded = false;
    bool m_shareResetEnded = false;
    int m_printerCount = 0;
};

}  // namespace mainwindow
