// Test helper: writes registry values to a simulated PC as fast as it can, so that tests can
// run several writers at once or kill one in the middle of a write.
//   platform_sim_writer MACHINE PREFIX COUNT SIZE
// sets COUNT values (0: until killed) named PREFIX<n> under HKCU\Software\CorvantaTest, each a
// REG_SZ of SIZE characters that all equal the last digit of n. After the first value it prints
// "written".
#include <QString>

#include <cstdio>
#include <memory>

#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/registry/SimRegistry.h"

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: platform_sim_writer MACHINE PREFIX COUNT SIZE\n");
        return 2;
    }
    QString error;
    const std::unique_ptr<platform::sim::Machine> machine = platform::sim::Machine::open(
        QString::fromLocal8Bit(argv[1]), platform::sim::registeredFacilities(), error);
    if (!machine) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const long count = std::atol(argv[3]);
    const int size = std::atoi(argv[4]);
    platform::sim::SimRegistry registry(machine->store());
    std::unique_ptr<platform::RegistryKey> key;
    if (registry.createKey(platform::RegistryRoot::CurrentUser, L"Software\\CorvantaTest",
                           platform::kKeyAllAccess, key) != platform::win32::kSuccess) {
        return 1;
    }
    for (long n = 0; count == 0 || n < count; ++n) {
        const std::wstring data(static_cast<std::size_t>(size),
                                static_cast<wchar_t>(L'0' + n % 10));
        const std::vector<std::uint8_t> bytes = platform::reg::encodeString(data);
        const std::wstring name = (prefix + QString::number(n)).toStdWString();
        if (key->setValue(name, platform::kRegSz, bytes.data(),
                          static_cast<std::uint32_t>(bytes.size())) != platform::win32::kSuccess) {
            return 1;
        }
        if (n == 0) {
            std::puts("written");  // tells a test that kills the writer that writing is under way
            std::fflush(stdout);
        }
    }
    return 0;
}
