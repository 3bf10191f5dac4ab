// The baseline for Corvanta's start-up: a bare QWebEngineView in a bare process, loading a local
// page. It writes "ready" beside the page when the page has loaded, then ends.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString page = QString::fromLocal8Bit(argv[1]);
    QWebEngineView view;
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, [&](bool) {
        QFile ready(QFileInfo(page).dir().filePath(QStringLiteral("../ready")));
        ready.open(QIODevice::WriteOnly);
        ready.write("1");
        ready.close();
        view.close();
        QCoreApplication::quit();
    });
    view.resize(800, 600);
    view.show();
    view.load(QUrl::fromLocalFile(page));
    return QApplication::exec();
}
