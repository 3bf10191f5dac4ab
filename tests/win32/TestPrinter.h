#pragma once

#include <string>

// A print queue made for one test on the system's spooler and removed again: the Wine
// PostScript driver on port FILE:, the one printer a fresh Wine prefix can add.
class TestPrinter {
public:
    explicit TestPrinter(std::wstring name);
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    // Empty when the queue was added, else why not.
    const std::string& error() const { return error_; }
    const std::wstring& name() const { return name_; }

private:
    std::wstring name_;
    std::string error_;
    bool added_ = false;
};
