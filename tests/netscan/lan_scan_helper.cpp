// Runs one network-printer scan on the process's simulated PC and prints what it reports, one
// line per event: "printer IP|MFG|MDL", "progress C T E M N", "finish STATE", and at the end
// "seconds S". With an argument N, the scan is interrupted N milliseconds after its start.
// The LAN test runs it inside the client namespace of the test LAN.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

#include "netscan/PrinterSearcherThread.h"

using netscan::PrinterSearcher;
using netscan::PrinterSearcherThread;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    PrinterSearcherThread::registerMetaTypes(PrinterSearcher::kNetworkPrinters);
    PrinterSearcherThread searcher(PrinterSearcher::kNetworkPrinters, nullptr);
    QObject::connect(&searcher, &PrinterSearcherThread::netPrinter, &app,
                     [](const netscan::NetPrinterInfo& printer) {
                         std::printf("printer %s|%s|%s\n", printer.ip.c_str(),
                                     printer.manufacturer.c_str(), printer.model.c_str());
                     });
    QObject::connect(&searcher, &PrinterSearcherThread::progress, &app,
                     [](int current, int total, int event, int machine, int machines) {
                         std::printf("progress %d %d %d %d %d\n", current, total, event, machine,
                                     machines);
                     });
    QObject::connect(&searcher, &PrinterSearcherThread::finish, &app,
                     [&searcher] { std::printf("finish %d\n", searcher.state.load()); });
    QObject::connect(&searcher, &QThread::finished, &app, &QCoreApplication::quit);
    QElapsedTimer clock;
    clock.start();
    searcher.start();
    if (argc > 1) {
        QTimer::singleShot(QByteArray(argv[1]).toInt(), &app,
                           [&searcher] { searcher.state = PrinterSearcher::kInterruptRequested; });
    }
    const int result = app.exec();
    searcher.wait();
    std::printf("seconds %.2f\n", clock.elapsed() / 1000.0);
    return result;
}
