#pragma once

#include <QString>

// A print queue made for one test on the system's spooler and removed again: the Wine
// PostScript driver on port FILE:, the one printer a fresh Wine prefix can add.
class TestPrinter {
public:
    explicit TestPrinter(const QString& name);
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    // Empty when the queue was added, else why not.
    QString error() const { return error_; }
    QString name() const { return name_; }

private:
    QString name_;
    QString error_;
    bool added_ = false;
};
