#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>

#include "SearcherThread.h"
#include "TaskbarButton.h"
#include "sharing/ShareEnvRuns.h"
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
    // A new share-environment run clears its own end flag (and the query its results) and
    // supersedes the one before: that run stops at its next step and its late reports are
    // dropped. The end commands mute the current run.
    void startShareQuery();
    void startShareRepair();
    void endShareQuery();
    void endShareReset();

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
    // Whether a share-run message comes from the current, unended run (a message without a
    // run, as a page may send one, counts as the current run's).
    static bool isLiveShareMessage(const webhost::WindowMessage& message,
                                   const std::shared_ptr<sharing::ShareRun>& run);
    void pushPrinterCount();

    QPointer<SearcherThread> m_onlineSearcher;
    QPointer<SearcherThread> m_shareSearcher;
    bool m_quitWhenIdle = false;
    TaskbarButton m_taskbar;
    QStringList m_serviceFilter;
    std::array<int, 11> m_shareEnvResults{};
    std::uint64_t m_shareRunCount = 0;
    // The latest runs; their end flags are what the page's end commands set.
    std::shared_ptr<sharing::ShareRun> m_shareQuery;
    std::shared_ptr<sharing::ShareRun> m_shareReset;
    int m_printerCount = 0;
};

}  // namespace mainwindow
