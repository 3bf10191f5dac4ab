// Adding and removing a queue is not part of the spooler interface (the product never does
// it), so this test helper makes the calls itself.
#include "TestPrinter.h"

#include <windows.h>
// (windows.h first: winspool.h needs its types.)
#include <winspool.h>

#include <string>

namespace {

constexpr wchar_t kDriver[] = L"Wine PostScript Driver";
constexpr wchar_t kPort[] = L"FILE:";
constexpr wchar_t kProcessor[] = L"WinPrint";

// Installs the driver from wineps.drv when the prefix does not have it yet.
bool ensureDriver() {
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriver);
    driver.pEnvironment = nullptr;
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"generic.ppd");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    return AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) ||
           GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

}  // namespace

TestPrinter::TestPrinter(std::wstring name) : name_(std::move(name)) {
    ensureDriver();
    std::wstring printerName = name_;
    PRINTER_INFO_2W info{};
    info.pPrinterName = &printerName[0];
    info.pPortName = const_cast<wchar_t*>(kPort);
    info.pDriverName = const_cast<wchar_t*>(kDriver);
    info.pPrintProcessor = const_cast<wchar_t*>(kProcessor);
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    const HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) {
        error_ = "AddPrinterW failed with " + std::to_string(GetLastError());
        return;
    }
    ClosePrinter(printer);
    added_ = true;
}

TestPrinter::~TestPrinter() {
    if (!added_) {
        return;
    }
    std::wstring printerName = name_;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterW(&printerName[0], &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}
