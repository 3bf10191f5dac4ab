#include <QtTest>

#include "CommandLineCases.h"
#include "TestMain.h"
#include "platform/Processes.h"

namespace {

QStringList toQt(const std::vector<std::wstring>& parts) {
    QStringList list;
    for (const std::wstring& part : parts) {
        list.append(QString::fromStdWString(part));
    }
    return list;
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void splitsAsWindowsDoes_data() { addSplitRows(); }
    void splitsAsWindowsDoes() {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(toQt(platform::splitCommandLine(line.toStdWString())), expected);
    }

    void quotedArgumentsComeBack_data() { addRoundTripRows(); }
    void quotedArgumentsComeBack() {
        QFETCH(QStringList, arguments);
        std::wstring line = L"prog";
        for (const QString& argument : arguments) {
            line += L" " + platform::quoteArgument(argument.toStdWString());
        }
        QCOMPARE(toQt(platform::splitCommandLine(line)), QStringList{"prog"} + arguments);
    }

    void argumentsAfterProgram_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("plain") << "prog a \"b c\""
                               << "a \"b c\"";
        QTest::newRow("quoted program") << "\"C:\\x y\\p.exe\"   -q"
                                        << "-q";
        QTest::newRow("none") << "prog"
                              << "";
    }
    void argumentsAfterProgram() {
        QFETCH(QString, line);
        QFETCH(QString, arguments);
        QCOMPARE(QString::fromStdWString(platform::commandLineArguments(line.toStdWString())),
                 arguments);
    }
};

namespace {
const bool registered = registerTest<CommandLineTest>("CommandLineTest");
}
#include "CommandLineTest.moc"
