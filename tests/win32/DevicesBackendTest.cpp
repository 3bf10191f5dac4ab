#include <gtest/gtest.h>

#include <windows.h>

#include "platform/Devices.h"
#include "platform/win32/Backend.h"

namespace win32 = platform::win32;
namespace dev = platform::dev;
namespace devpkey = platform::devpkey;

namespace {

// GUID_DEVINTERFACE_USBPRINT.
platform::Guid usbPrintInterface() {
    platform::Guid guid;
    platform::Guid::parse(L"{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}", guid);
    return guid;
}

}  // namespace

// SetupAPI and the configuration manager on the system's own device tree.
class DevicesBackendTest : public ::testing::Test {
protected:
    platform::Devices& devices_ = platform::devices();

    // Wine's configuration manager locates no node: CM_Locate_DevNode_ExW is a stub there that
    // answers CR_FAILURE.
    bool locatesNodes() {
        std::uint32_t root = 0;
        const dev::ConfigRet result =
            devices_.locateDevNode(std::wstring(), dev::kCmLocateDevNodeNormal, root);
        return result == dev::kCrSuccess ||
               !(result == dev::kCrFailure && platform::win32::runningUnderWine());
    }

    std::unique_ptr<platform::DeviceInfoSet> presentDevices() {
        std::unique_ptr<platform::DeviceInfoSet> set;
        EXPECT_EQ(devices_.classDevices(nullptr, dev::kDigcfAllClasses | dev::kDigcfPresent, set),
                  win32::kSuccess);
        return set;
    }
};

TEST_F(DevicesBackendTest, SetOfNoClassNeedsAllClasses) {
    std::unique_ptr<platform::DeviceInfoSet> set;
    EXPECT_EQ(devices_.classDevices(nullptr, dev::kDigcfPresent, set), win32::kInvalidParameter);
    EXPECT_FALSE(set);
}

// Every device of the set has an instance ID whose node is the device's own, and its
// properties read the same through both calls.
TEST_F(DevicesBackendTest, DevicesAreFoundAgainByTheirInstanceId) {
    const auto set = presentDevices();
    ASSERT_TRUE(set);
    const bool locates = locatesNodes();
    platform::DeviceInfoData device;
    std::uint32_t index = 0;
    for (; set->enumDeviceInfo(index, device) == win32::kSuccess; ++index) {
        std::wstring id;
        ASSERT_EQ(set->deviceInstanceId(device, id), win32::kSuccess);
        ASSERT_FALSE(id.empty());
        if (locates) {
            std::uint32_t node = 0;
            EXPECT_EQ(devices_.locateDevNode(id, dev::kCmLocateDevNodeNormal, node),
                      dev::kCrSuccess)
                << std::string(id.begin(), id.end());
            EXPECT_EQ(node, device.devInst);
        }

        platform::DeviceValue byKey;
        ASSERT_EQ(set->deviceProperty(device, devpkey::kInstanceId, byKey), win32::kSuccess);
        EXPECT_EQ(byKey.type, dev::kPropTypeString);
        EXPECT_EQ(byKey.text, id);

        platform::DeviceValue hardwareIds;
        const win32::Error error =
            set->registryProperty(device, dev::kSpdrpHardwareId, hardwareIds);
        if (error == win32::kSuccess) {
            EXPECT_EQ(hardwareIds.type, dev::kRegMultiSz);
            platform::DeviceValue sameByKey;
            ASSERT_EQ(set->deviceProperty(device, devpkey::kHardwareIds, sameByKey),
                      win32::kSuccess);
            EXPECT_EQ(sameByKey.type, dev::kPropTypeStringList);
            EXPECT_EQ(sameByKey.strings, hardwareIds.strings);
        } else {
            EXPECT_EQ(error, win32::kInvalidData);
        }
    }
    EXPECT_EQ(set->enumDeviceInfo(index, device), win32::kNoMoreItems);
    if (index == 0) {
        GTEST_SKIP() << "the system lists no present device";
    }
}

TEST_F(DevicesBackendTest, UnknownRegistryPropertyIsInvalid) {
    const auto set = presentDevices();
    ASSERT_TRUE(set);
    platform::DeviceInfoData device;
    if (set->enumDeviceInfo(0, device) != win32::kSuccess) {
        GTEST_SKIP() << "the system lists no present device";
    }
    platform::DeviceValue value;
    const win32::Error unknown = set->registryProperty(device, 0x7FFF, value);
    if (unknown == win32::kCallNotImplemented && platform::win32::runningUnderWine()) {
        GTEST_SKIP() << "Wine's SetupDiGetDeviceRegistryPropertyW fails for an unknown property "
                        "without saying why";
    }
    EXPECT_EQ(unknown, win32::kInvalidParameter);
    // A device the set never handed out is not one of its devices.
    platform::DeviceInfoData stranger;
    stranger.devInst = 0xFFFF;
    EXPECT_EQ(set->registryProperty(stranger, dev::kSpdrpDeviceDesc, value),
              win32::kInvalidParameter);
}

TEST_F(DevicesBackendTest, RootIsLocatedAndReenumerated) {
    if (!locatesNodes()) {
        GTEST_SKIP() << "Wine's CM_Locate_DevNode_ExW is a stub that answers CR_FAILURE";
    }
    std::uint32_t root = 0;
    ASSERT_EQ(devices_.locateDevNode(std::wstring(), dev::kCmLocateDevNodeNormal, root),
              dev::kCrSuccess);
    EXPECT_EQ(devices_.reenumerateDevNode(root, dev::kCmReenumerateNormal), dev::kCrSuccess);
    std::uint32_t node = 0;
    EXPECT_NE(
        devices_.locateDevNode(L"CORVANTA\\NO_SUCH_DEVICE\\0", dev::kCmLocateDevNodeNormal, node),
        dev::kCrSuccess);
}

TEST_F(DevicesBackendTest, InterfaceSetEndsWithNoMoreItems) {
    const platform::Guid usbPrint = usbPrintInterface();
    std::unique_ptr<platform::DeviceInfoSet> set;
    ASSERT_EQ(
        devices_.classDevices(&usbPrint, dev::kDigcfDeviceInterface | dev::kDigcfPresent, set),
        win32::kSuccess);
    platform::DeviceInterfaceData data;
    std::uint32_t index = 0;
    while (set->enumDeviceInterfaces(usbPrint, index, data) == win32::kSuccess) {
        EXPECT_EQ(data.interfaceClassGuid, usbPrint);
        EXPECT_FALSE(data.devicePath.empty());
        std::wstring id;
        EXPECT_EQ(set->deviceInstanceId(data.device, id), win32::kSuccess);
        ++index;
    }
    EXPECT_EQ(set->enumDeviceInterfaces(usbPrint, index, data), win32::kNoMoreItems);
}

// A window registers for the arrival and removal of USB printer interfaces and unregisters
// with the registration's end.
TEST_F(DevicesBackendTest, WindowRegistersForInterfaceNotifications) {
    const HWND window = CreateWindowExW(0, L"STATIC", L"devices test", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    std::unique_ptr<platform::DeviceNotification> registration;
    EXPECT_EQ(devices_.registerDeviceNotification(reinterpret_cast<std::intptr_t>(window),
                                                  usbPrintInterface(), registration),
              win32::kSuccess);
    EXPECT_TRUE(registration);
    registration.reset();
    DestroyWindow(window);
}
