#include <QtTest>

#include "TestMain.h"
#include "TestPrinter.h"
#include "platform/Spooler.h"

namespace win32 = platform::win32;
namespace spool = platform::spool;

namespace {

constexpr char kQueue[] = "Corvanta Test Queue";

bool containsQueue(const std::vector<platform::PrinterInfo2>& printers, const QString& name) {
    return std::any_of(printers.begin(), printers.end(), [&](const auto& printer) {
        return QString::fromStdWString(printer.printerName) == name;
    });
}

}  // namespace

// The spooler backend on the system's spooler, with one queue added for the test.
class SpoolerBackendTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPrinter> printer_;
    platform::Spooler& spooler() { return platform::spooler(); }

    std::unique_ptr<platform::PrinterHandle> open(std::uint32_t access) {
        std::unique_ptr<platform::PrinterHandle> handle;
        const win32::Error error =
            spooler().openPrinter(QString(kQueue).toStdWString(), access, handle);
        if (error != win32::kSuccess) {
            qWarning("OpenPrinter failed with %u", error);
        }
        return handle;
    }

private slots:
    void initTestCase() {
        printer_ = std::make_unique<TestPrinter>(kQueue);
        if (!printer_->error().isEmpty()) {
            QSKIP(qPrintable(printer_->error()));
        }
    }
    void cleanupTestCase() { printer_.reset(); }

    void addedQueueIsListed() {
        std::vector<platform::PrinterInfo2> printers;
        QCOMPARE(spooler().enumPrinters2(spool::kEnumLocal, printers), win32::kSuccess);
        QVERIFY(containsQueue(printers, kQueue));
        std::vector<platform::PrinterInfo1> names;
        QCOMPARE(spooler().enumPrinters1(spool::kEnumLocal, names), win32::kSuccess);
        QVERIFY(std::any_of(names.begin(), names.end(), [](const auto& printer) {
            return QString::fromStdWString(printer.name) == kQueue;
        }));
    }

    void sizeOnlyCallAsksForABuffer() {
        platform::EnumerationSize size;
        QCOMPARE(spooler().enumPrintersSize(spool::kEnumLocal, 2, size),
                 win32::kInsufficientBuffer);
        QVERIFY(size.needed > 0);
        QCOMPARE(size.returned, 0u);
    }

    void queueReadAndChanged() {
        const std::unique_ptr<platform::PrinterHandle> handle = open(spool::kPrinterAllAccess);
        QVERIFY(handle);
        platform::PrinterInfo2 info;
        QCOMPARE(handle->getPrinter2(info), win32::kSuccess);
        QCOMPARE(QString::fromStdWString(info.printerName), QString(kQueue));
        QCOMPARE(info.portName, std::wstring(L"FILE:"));
        info.comment = L"changed by the test";
        info.location = L"second floor";
        QCOMPARE(handle->setPrinter2(info), win32::kSuccess);
        platform::PrinterInfo2 again;
        QCOMPARE(handle->getPrinter2(again), win32::kSuccess);
        QCOMPARE(again.comment, info.comment);
        QCOMPARE(again.location, info.location);
        QCOMPARE(again.driverName, info.driverName);
    }

    void noJobsOnANewQueue() {
        const std::unique_ptr<platform::PrinterHandle> handle = open(spool::kPrinterRead);
        QVERIFY(handle);
        std::vector<platform::JobInfo1> jobs{platform::JobInfo1{}};
        QCOMPARE(handle->enumJobs1(0, 100, jobs), win32::kSuccess);
        QVERIFY(jobs.empty());
    }

    void unknownQueueIsAnInvalidName() {
        std::unique_ptr<platform::PrinterHandle> handle;
        QCOMPARE(spooler().openPrinter(L"Corvanta No Such Queue", spool::kPrinterRead, handle),
                 win32::kInvalidPrinterName);
        QVERIFY(!handle);
    }

    void defaultPrinterRoundTrip() {
        std::wstring before;
        const win32::Error hadDefault = spooler().defaultPrinter(before);
        QCOMPARE(spooler().setDefaultPrinter(QString(kQueue).toStdWString()), win32::kSuccess);
        std::wstring now;
        QCOMPARE(spooler().defaultPrinter(now), win32::kSuccess);
        QCOMPARE(QString::fromStdWString(now), QString(kQueue));
        if (hadDefault == win32::kSuccess && !before.empty()) {
            spooler().setDefaultPrinter(before);
        }
    }

    void driverCapabilities() {
        const std::int32_t color = spooler().deviceCapabilities(
            QString(kQueue).toStdWString(), L"FILE:", spool::kDcColorDevice, nullptr);
        QVERIFY2(color == 0 || color == 1, qPrintable(QString::number(color)));
        std::vector<std::int32_t> resolutions;
        const std::int32_t count = spooler().deviceCapabilities(
            QString(kQueue).toStdWString(), L"FILE:", spool::kDcEnumResolutions, &resolutions);
        QVERIFY(count >= 0);
        QCOMPARE(resolutions.size(), static_cast<std::size_t>(count) * 2);
    }

    void changeNotificationOrItsAbsence() {
        const std::unique_ptr<platform::PrinterHandle> handle = open(spool::kPrinterRead);
        QVERIFY(handle);
        std::unique_ptr<platform::ChangeNotification> notification;
        const win32::Error error =
            handle->findFirstChange(spool::kChangePrinter | spool::kChangeJob, nullptr,
                                    notification);
        if (error != win32::kSuccess) {
            QSKIP(qPrintable(QStringLiteral("the spooler gives no change notifications (error %1);"
                                            " Wine does not implement them")
                                 .arg(error)));
        }
        std::size_t index = 99;
        QCOMPARE(spooler().waitForChange({notification.get()}, 0, index),
                 spool::kErrorWaitTimeout);
    }
};

namespace {
const bool registered = registerTest<SpoolerBackendTest>("SpoolerBackendTest");
}

#include "SpoolerBackendTest.moc"
