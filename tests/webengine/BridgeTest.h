#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

#include "JsValue.h"

class QWidget;
class TestProgramFolder;
namespace webhost {
class WebView;
}

// The bridge in a real engine view: a page served by the local page server calls bound native
// functions, and native code calls the page's functions.
class BridgeTest : public QObject {
    Q_OBJECT
public:
    BridgeTest();
    ~BridgeTest() override;

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void pageArgumentsReachNative_data();
    void pageArgumentsReachNative();
    void nativeResultsReachPage_data();
    void nativeResultsReachPage();
    void callGlobalAnswersPageResult_data();
    void callGlobalAnswersPageResult();
    void callGlobalDuringPageCallDoesNotHang();
    void postedCallsKeepTheirOrder();
    void bindingAfterLoadReachesCurrentPage();
    void pageLoadsFromServerWithXhrAndFetch();
    void onlyLoopbackNamesResolve_data();
    void onlyLoopbackNamesResolve();
    void navigationReachesHandler_data();
    void navigationReachesHandler();
    void engineNavigationToFileReachesHandler();
    void cookiesOfThePageAreReported();
    void viewOutlivingItsWindowIsInert();

private:
    void bindTestFunctions();
    void loadTestPage();
    QString runAndAwaitReport(const QString& script);

    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<webhost::WebView> m_view;
    webhost::JsValue m_recordedArgs;
    webhost::JsValue m_answer;
    QStringList m_reports;
    QStringList m_navigations;
    bool m_loaded = false;
};
