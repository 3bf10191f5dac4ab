#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

#include "JsValue.h"

class QEventLoop;
class QWidget;
class LocalOnlyInterceptor;

namespace webhost {
class WebView;
}

// The product page from html/, loaded as the program loads it (the configured host through
// the loopback page server) in a real offscreen engine view. The program's commands are
// stubs that record their calls and answer from a table; page functions are called the way
// the program calls them.
class PageTest : public QObject {
    Q_OBJECT

public:
    PageTest();
    ~PageTest() override;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void everyPageFunctionIsDefined_data();
    void everyPageFunctionIsDefined();
    void screensLoad_data();
    void screensLoad();
    void languageFollowsTheSystem_data();
    void languageFollowsTheSystem();
    void languageSwitchesOnThePage();
    void keyboardReachesScreensAndDialogs();
    void titleBarDragsAndButtonsUseTheFramework();
    void actionsCallTheirCommand_data();
    void actionsCallTheirCommand();
    void pageFunctionsUpdateTheScreen_data();
    void pageFunctionsUpdateTheScreen();
    void printerChangesAreShownLive();
    void errorCodesAreExplained_data();
    void errorCodesAreExplained();
    void aSpoolerOnItsWayIsAskedAgain();
    void missingCommandBecomesAMessage_data();
    void missingCommandBecomesAMessage();
    void olderProgramKeepsEveryScreenWorking();
    void rendersEachScreen();
    void requestsStayOnTheServedHost();

private:
    struct Call {
        QByteArray name;
        webhost::JsValue args;
    };

    void bindStubs();
    void loadPage(const QString& missing = QString());
    void feedPrinters();
    void feedSampleResults();
    QString probe(const QString& expression);
    QList<Call> callsOf(const QByteArray& name) const;
    static QByteArray fixture(const QString& name);

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<webhost::WebView> m_view;
    std::unique_ptr<LocalOnlyInterceptor> m_interceptor;
    QHash<QByteArray, webhost::JsValue> m_answers;
    QList<Call> m_calls;
    bool m_loaded = false;
    QEventLoop* m_loadWait = nullptr;
    QString m_loadedMissing = QStringLiteral("<none>");
};
