#pragma once

#include <QObject>
#include <memory>

class TestProgramFolder;
namespace webhost {
class LocalPageServer;
}

class LocalPageServerTest : public QObject {
    Q_OBJECT
public:
    LocalPageServerTest();
    ~LocalPageServerTest() override;

private slots:
    void initTestCase();
    void requests_data();
    void requests();
    void onlyOwnHostsAreAnswered_data();
    void onlyOwnHostsAreAnswered();
    void hostRule_data();
    void hostRule();
    void testAddressAnswersConstantBody();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<webhost::LocalPageServer> m_server;
};
