#include "SystemDescription.h"

#include "MachineId.h"
#include "VersionInfo.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace process {

namespace {

constexpr wchar_t kSoftwarePrefix[] = L"SOFTWARE\\";
constexpr wchar_t kPackageNameValue[] = L"PackageName";
constexpr char kNoPackageName[] = "empty";
constexpr char kFixedSelector6Text[] = "5";
constexpr char kFixedSelector8Text[] = "1.0.0.0";

enum Selector {
    kFileVersion = 0,
    kProductName = 1,
    kPackageName = 2,
    kMachineIdentifier = 3,
    kWow64 = 4,
    kSystemVersion = 5,
    kFixed5 = 6,
    kKernelVersion = 7,
    kFixedVersion = 8,
    kChannel = 9,
};

QString architectureName(platform::ProcessorArchitecture architecture) {
    switch (architecture) {
        case platform::ProcessorArchitecture::Amd64:
            return QStringLiteral("amd64");
        case platform::ProcessorArchitecture::Arm:
            return QStringLiteral("arm");
        case platform::ProcessorArchitecture::Arm64:
            return QStringLiteral("arm64");
        case platform::ProcessorArchitecture::Ia64:
            return QStringLiteral("ia64");
        case platform::ProcessorArchitecture::X86:
            break;
    }
    return QStringLiteral("x86");
}

QString systemVersion() {
    const platform::WindowsVersion version = platform::systemInfo().version();
    return QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.build);
}

QString readPackageName(const ProductSection& product) {
    std::wstring value;
    const std::wstring path = kSoftwarePrefix + product.subkey.toStdWString();
    const auto error = platform::reg::readString(platform::registry(), product.hRootKey, path,
                                                 kPackageNameValue, value);
    return error == 0 ? QString::fromStdWString(value) : QString::fromLatin1(kNoPackageName);
}

// Read once per process: the first caller's product section decides.
QString packageName(const ProductSection& product) {
    static const QString name = readPackageName(product);
    return name;
}

}  // namespace

QString kernelVersion() {
    const QString architecture = architectureName(platform::systemInfo().nativeArchitecture());
    return architecture + QStringLiteral(" NT ") + systemVersion();
}

QString baseSystemInfo(int selector, const ProductSection& product) {
    switch (selector) {
        case kFileVersion:
            return VersionInfo::ofProgram().fileVersion().toString();
        case kProductName:
            return product.productName;
        case kPackageName:
            return packageName(product);
        case kMachineIdentifier:
            return machineIdentifier();
        case kWow64:
            return platform::systemInfo().isWow64() ? QStringLiteral("true")
                                                    : QStringLiteral("false");
        case kSystemVersion:
            return systemVersion();
        case kFixed5:
            return QString::fromLatin1(kFixedSelector6Text);
        case kKernelVersion:
            return kernelVersion();
        case kFixedVersion:
            return QString::fromLatin1(kFixedSelector8Text);
        case kChannel:
            return product.channel;
        default:
            // 10 named a member the function is bound without; negative and 11 and above name
            // nothing.
            return {};
    }
}

}  // namespace process
