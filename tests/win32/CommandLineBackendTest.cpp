// The portable command-line rules checked against the system's own CommandLineToArgvW.
#include <windows.h>
// (windows.h first: shellapi.h needs its types.)
#include <shellapi.h>

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

QStringList systemSplit(const QString& line) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(line.utf16()), &count);
    QStringList list;
    for (int i = 0; i < count; ++i) {
        list.append(QString::fromWCharArray(arguments[i]));
    }
    LocalFree(arguments);
    return list;
}

}  // namespace

class CommandLineBackendTest : public QObject {
    Q_OBJECT

private slots:
    void splitsAsTheSystemDoes_data() { addSplitRows(); }
    void splitsAsTheSystemDoes() {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        if (line.isEmpty()) {
            QSKIP("CommandLineToArgvW answers the program's own path for an empty line");
        }
        QCOMPARE(systemSplit(line), expected);
        QCOMPARE(toQt(platform::splitCommandLine(line.toStdWString())), systemSplit(line));
    }

    void quotedArgumentsReadBackBySystem_data() { addRoundTripRows(); }
    void quotedArgumentsReadBackBySystem() {
        QFETCH(QStringList, arguments);
        std::wstring line = L"prog";
        for (const QString& argument : arguments) {
            line += L" " + platform::quoteArgument(argument.toStdWString());
        }
        QCOMPARE(systemSplit(QString::fromStdWString(line)), QStringList{"prog"} + arguments);
    }
};

namespace {
const bool registered = registerTest<CommandLineBackendTest>("CommandLineBackendTest");
}

#include "CommandLineBackendTest.moc"
