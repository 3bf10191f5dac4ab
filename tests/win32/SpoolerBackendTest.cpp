#include <gtest/gtest.h>

#include <algorithm>

#include "TestPrinter.h"
#include "platform/Spooler.h"
#include "platform/win32/Backend.h"

namespace win32 = platform::win32;
namespace spool = platform::spool;

// The spooler backend on the system's spooler, with one queue added for these tests.
class SpoolerBackendTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kQueue = L"Corvanta Test Queue";
    static std::unique_ptr<TestPrinter> printer_;

    static void SetUpTestSuite() { printer_ = std::make_unique<TestPrinter>(kQueue); }
    static void TearDownTestSuite() { printer_.reset(); }

    void SetUp() override {
        if (!printer_->error().empty()) {
            GTEST_SKIP() << "no test queue: " << printer_->error();
        }
    }

    platform::Spooler& spooler_ = platform::spooler();

    std::unique_ptr<platform::PrinterHandle> opened(std::uint32_t access) {
        std::unique_ptr<platform::PrinterHandle> handle;
        EXPECT_EQ(spooler_.openPrinter(kQueue, access, handle), win32::kSuccess);
        return handle;
    }
};

std::unique_ptr<TestPrinter> SpoolerBackendTest::printer_;

TEST_F(SpoolerBackendTest, AddedQueueIsListed) {
    std::vector<platform::PrinterInfo2> printers;
    ASSERT_EQ(spooler_.enumPrinters2(spool::kEnumLocal, printers), win32::kSuccess);
    EXPECT_TRUE(std::any_of(printers.begin(), printers.end(),
                            [](const auto& printer) { return printer.printerName == kQueue; }));
    std::vector<platform::PrinterInfo1> names;
    ASSERT_EQ(spooler_.enumPrinters1(spool::kEnumLocal, names), win32::kSuccess);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [](const auto& printer) { return printer.name == kQueue; }));
}

TEST_F(SpoolerBackendTest, SizeOnlyCallAsksForABuffer) {
    platform::EnumerationSize size;
    EXPECT_EQ(spooler_.enumPrintersSize(spool::kEnumLocal, 2, size), win32::kInsufficientBuffer);
    EXPECT_GT(size.needed, 0u);
    EXPECT_EQ(size.returned, 0u);
}

TEST_F(SpoolerBackendTest, QueueIsReadAndChanged) {
    const std::unique_ptr<platform::PrinterHandle> handle = opened(spool::kPrinterAllAccess);
    ASSERT_TRUE(handle);
    platform::PrinterInfo2 info;
    ASSERT_EQ(handle->getPrinter2(info), win32::kSuccess);
    EXPECT_EQ(info.printerName, kQueue);
    EXPECT_EQ(info.portName, L"FILE:");
    info.comment = L"changed by the test";
    info.location = L"second floor";
    ASSERT_EQ(handle->setPrinter2(info), win32::kSuccess);
    platform::PrinterInfo2 again;
    ASSERT_EQ(handle->getPrinter2(again), win32::kSuccess);
    EXPECT_EQ(again.comment, info.comment);
    EXPECT_EQ(again.location, info.location);
    EXPECT_EQ(again.driverName, info.driverName);
}

TEST_F(SpoolerBackendTest, NewQueueHasNoJobs) {
    const std::unique_ptr<platform::PrinterHandle> handle = opened(spool::kPrinterRead);
    ASSERT_TRUE(handle);
    std::vector<platform::JobInfo1> jobs{platform::JobInfo1{}};
    const win32::Error error = handle->enumJobs1(0, 100, jobs);
    if (error == win32::kCallNotImplemented && win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's EnumJobsW is a stub that fails without a reason";
    }
    EXPECT_EQ(error, win32::kSuccess);
    EXPECT_TRUE(jobs.empty());
}

TEST_F(SpoolerBackendTest, UnknownQueueIsAnInvalidName) {
    std::unique_ptr<platform::PrinterHandle> handle;
    EXPECT_EQ(spooler_.openPrinter(L"Corvanta No Such Queue", spool::kPrinterRead, handle),
              win32::kInvalidPrinterName);
    EXPECT_FALSE(handle);
}

TEST_F(SpoolerBackendTest, DefaultPrinterIsSetAndRead) {
    std::wstring before;
    const win32::Error hadDefault = spooler_.defaultPrinter(before);
    ASSERT_EQ(spooler_.setDefaultPrinter(kQueue), win32::kSuccess);
    std::wstring now;
    EXPECT_EQ(spooler_.defaultPrinter(now), win32::kSuccess);
    EXPECT_EQ(now, kQueue);
    if (hadDefault == win32::kSuccess && !before.empty() && before != kQueue) {
        spooler_.setDefaultPrinter(before);
    }
}

TEST_F(SpoolerBackendTest, DriverCapabilities) {
    const std::int32_t color =
        spooler_.deviceCapabilities(kQueue, L"FILE:", spool::kDcColorDevice, nullptr);
    EXPECT_TRUE(color == 0 || color == 1) << color;
    std::vector<std::int32_t> resolutions;
    const std::int32_t count =
        spooler_.deviceCapabilities(kQueue, L"FILE:", spool::kDcEnumResolutions, &resolutions);
    ASSERT_GE(count, 0);
    EXPECT_EQ(resolutions.size(), static_cast<std::size_t>(count) * 2);
}

TEST_F(SpoolerBackendTest, ChangeNotificationTimesOut) {
    const std::unique_ptr<platform::PrinterHandle> handle = opened(spool::kPrinterRead);
    ASSERT_TRUE(handle);
    std::unique_ptr<platform::ChangeNotification> notification;
    const win32::Error error =
        handle->findFirstChange(spool::kChangePrinter | spool::kChangeJob, nullptr, notification);
    if (error != win32::kSuccess && win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's spooler has no change notifications (error " << error << ")";
    }
    ASSERT_EQ(error, win32::kSuccess);
    std::size_t index = 99;
    EXPECT_EQ(spooler_.waitForChange({notification.get()}, 0, index), spool::kErrorWaitTimeout);
}
