#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Services.h"
#include "platform/win32/Backend.h"

namespace win32 = platform::win32;
namespace svc = platform::svc;

// The service control manager backend on the system's own Spooler service, which the tests stop
// and start again (they leave it running).
class ServicesBackendTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kPlannedStop = 0x4004000B;  // planned, application, minor 11
    static constexpr std::chrono::seconds kSettleTime{30};

    std::unique_ptr<platform::ServiceHandle> spooler(std::uint32_t access) {
        std::unique_ptr<platform::ServiceManager> manager;
        EXPECT_EQ(platform::services().openManager(svc::kManagerConnect, manager), win32::kSuccess);
        std::unique_ptr<platform::ServiceHandle> service;
        if (manager) {
            // The name in another letter case: the manager does not mind.
            EXPECT_EQ(manager->openService(L"spooler", access, service), win32::kSuccess);
        }
        return service;
    }

    // The state once it is no longer pending, or the last pending one after kSettleTime.
    static std::uint32_t settledState(platform::ServiceHandle& service) {
        const auto deadline = std::chrono::steady_clock::now() + kSettleTime;
        platform::ServiceStatusProcess status;
        while (service.queryStatusProcess(status) == win32::kSuccess &&
               (status.currentState == svc::kStartPending ||
                status.currentState == svc::kStopPending) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return status.currentState;
    }
};

TEST_F(ServicesBackendTest, UnknownServiceDoesNotExist) {
    std::unique_ptr<platform::ServiceManager> manager;
    ASSERT_EQ(platform::services().openManager(svc::kManagerConnect, manager), win32::kSuccess);
    std::unique_ptr<platform::ServiceHandle> service;
    EXPECT_EQ(manager->openService(L"CorvantaNoSuchService", svc::kQueryStatus, service),
              svc::kErrorServiceDoesNotExist);
    EXPECT_FALSE(service);
}

TEST_F(ServicesBackendTest, BothStatusReadsAgree) {
    const auto service = spooler(svc::kQueryStatus);
    ASSERT_TRUE(service);
    platform::ServiceStatus status;
    platform::ServiceStatusProcess full;
    ASSERT_EQ(service->queryStatus(status), win32::kSuccess);
    ASSERT_EQ(service->queryStatusProcess(full), win32::kSuccess);
    EXPECT_GE(status.currentState, svc::kStopped);
    EXPECT_LE(status.currentState, svc::kPaused);
    EXPECT_EQ(full.serviceType & svc::kWin32OwnProcess, status.serviceType & svc::kWin32OwnProcess);
    if (full.currentState == svc::kRunning) {
        EXPECT_NE(full.processId, 0u);
    }
}

// Each call needs its own access right on the handle.
TEST_F(ServicesBackendTest, CallsWithoutTheirRightAreDenied) {
    const auto service = spooler(svc::kQueryStatus);
    ASSERT_TRUE(service);
    platform::ServiceStatus status;
    EXPECT_EQ(service->stop(kPlannedStop, std::wstring(), status), win32::kAccessDenied);
    EXPECT_EQ(service->start(), win32::kAccessDenied);
    EXPECT_EQ(service->changeConfig(svc::kNoChange, svc::kAutoStart, svc::kNoChange),
              win32::kAccessDenied);
}

// A stop reason needs exactly one of the unplanned, custom and planned flags; the request is
// refused before anything happens to the service.
TEST_F(ServicesBackendTest, StopReasonWithoutOneGeneralFlagIsRefused) {
    const auto service = spooler(svc::kAllAccess);
    ASSERT_TRUE(service);
    for (const std::uint32_t reason : {0x0004000Bu, 0x5004000Bu}) {
        platform::ServiceStatus status;
        EXPECT_EQ(service->stop(reason, std::wstring(), status), win32::kInvalidParameter)
            << std::hex << reason;
    }
}

TEST_F(ServicesBackendTest, StopsAndStartsAgain) {
    const auto service = spooler(svc::kAllAccess);
    ASSERT_TRUE(service);
    if (settledState(*service) == svc::kStopped) {
        ASSERT_EQ(service->start(), win32::kSuccess);
        ASSERT_EQ(settledState(*service), svc::kRunning);
    }
    EXPECT_EQ(service->start(), svc::kErrorServiceAlreadyRunning);

    platform::ServiceStatus afterStop;
    ASSERT_EQ(service->stop(kPlannedStop, L"stopped by the backend test", afterStop),
              win32::kSuccess);
    EXPECT_TRUE(afterStop.currentState == svc::kStopPending ||
                afterStop.currentState == svc::kStopped)
        << afterStop.currentState;
    ASSERT_EQ(settledState(*service), svc::kStopped);
    platform::ServiceStatus stopped;
    EXPECT_EQ(service->stop(kPlannedStop, std::wstring(), stopped), svc::kErrorServiceNotActive);
    EXPECT_EQ(stopped.currentState, svc::kStopped);

    EXPECT_EQ(service->changeConfig(svc::kNoChange, svc::kAutoStart, svc::kNoChange),
              win32::kSuccess);
    ASSERT_EQ(service->start(), win32::kSuccess);
    EXPECT_EQ(settledState(*service), svc::kRunning);
}
