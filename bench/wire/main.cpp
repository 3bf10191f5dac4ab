// Measures what the bridge does natively with one page argument that is a large object: reading
// its wire text, reading every member by name, and writing it back. A page that passes an object
// of n members must cost time linear in n (one argument of 40,000 keys once held the UI thread
// for 1.8 s).
#include <QByteArray>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>

#include "JsValue.h"

namespace {

constexpr int kSizes[] = {40000, 400000};
constexpr int kRuns = 5;

QByteArray objectWire(int members) {
    QByteArray wire = "[{";
    for (int i = 0; i < members; ++i) {
        wire += (i ? ",\"key" : "\"key") + QByteArray::number(i) + "\":" + QByteArray::number(i);
    }
    return wire + "}]";
}

struct Figures {
    double readMs = 0;
    double lookupMs = 0;
    double writeMs = 0;
};

Figures measureOnce(const QByteArray& wire, int members) {
    Figures figures;
    QElapsedTimer timer;
    timer.start();
    const webhost::JsValue args = webhost::JsValue::fromWire(wire);
    figures.readMs = timer.nsecsElapsed() / 1e6;
    const webhost::JsValue object = args.at(0);

    timer.restart();
    qint64 sum = 0;
    for (int i = 0; i < members; ++i) {
        sum += object.get("key" + QByteArray::number(i)).toInt();
    }
    figures.lookupMs = timer.nsecsElapsed() / 1e6;
    if (sum != qint64(members) * (members - 1) / 2) {
        QTextStream(stderr) << "members read wrongly\n";
    }

    timer.restart();
    const QByteArray written = args.toWire();
    figures.writeMs = timer.nsecsElapsed() / 1e6;
    if (written != wire) {
        QTextStream(stderr) << "wire text not written back unchanged\n";
    }
    return figures;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    QTextStream out(stdout);
    out << "one page argument, an object of n members (median of " << kRuns << " runs, ms)\n";
    out << "members      read   get-all     write\n";
    for (const int members : kSizes) {
        const QByteArray wire = objectWire(members);
        QList<double> read, lookup, write;
        for (int run = 0; run < kRuns; ++run) {
            const Figures f = measureOnce(wire, members);
            read << f.readMs;
            lookup << f.lookupMs;
            write << f.writeMs;
        }
        out << qSetFieldWidth(7) << members << qSetFieldWidth(10)
            << QString::number(median(read), 'f', 1) << QString::number(median(lookup), 'f', 1)
            << QString::number(median(write), 'f', 1) << qSetFieldWidth(0) << "\n";
    }
    return 0;
}
