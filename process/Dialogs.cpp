#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTextStream>

namespace process {

namespace {

constexpr char kRejectPolicy[] = "reject";
constexpr unsigned kButtonsMask = 0xF;
constexpr unsigned kIconMask = 0xF0;
constexpr char kFolderDialogTitle[] = "Please, select a folder";

bool headlessAccepts() {
    return qEnvironmentVariable(kHeadlessVariable) != QLatin1String(kRejectPolicy);
}

// Widgets need a QApplication; a process without one (a console tool) answers by policy too.
bool canShowWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void logHeadless(const QString& what, const QString& caption, const QString& text,
                 const QString& answer) {
    QTextStream(stderr) << "[headless] " << what << ' ' << caption << ": " << text << " -> "
                        << answer << '\n';
}

int headlessAnswer(unsigned buttons, bool accept) {
    switch (buttons) {
        case kMbOkCancel:
            return accept ? kIdOk : kIdCancel;
        case kMbYesNo:
            return accept ? kIdYes : kIdNo;
        case kMbYesNoCancel:
            return accept ? kIdYes : kIdCancel;
        default:
            return kIdOk;  // a box with one button has one answer
    }
}

QString answerName(int answer) {
    switch (answer) {
        case kIdCancel:
            return QStringLiteral("IDCANCEL");
        case kIdYes:
            return QStringLiteral("IDYES");
        case kIdNo:
            return QStringLiteral("IDNO");
        default:
            return QStringLiteral("IDOK");
    }
}

QMessageBox::StandardButtons buttonsOf(unsigned buttons) {
    switch (buttons) {
        case kMbOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case kMbYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case kMbYesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconOf(unsigned icon) {
    switch (icon) {
        case kMbIconError:
            return QMessageBox::Critical;
        case kMbIconQuestion:
            return QMessageBox::Question;
        case kMbIconWarning:
            return QMessageBox::Warning;
        case kMbIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int answerOf(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return kIdCancel;
        case QMessageBox::Yes:
            return kIdYes;
        case QMessageBox::No:
            return kIdNo;
        default:
            return kIdOk;
    }
}

}  // namespace

bool isHeadless() {
    return !qEnvironmentVariableIsEmpty(kHeadlessVariable) || !canShowWidgets();
}

int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type) {
    const unsigned buttons = type & kButtonsMask;
    if (isHeadless()) {
        const int answer = headlessAnswer(buttons, headlessAccepts());
        logHeadless(QStringLiteral("messageBox"), caption, text, answerName(answer));
        return answer;
    }
    QMessageBox box(iconOf(type & kIconMask), caption, text, buttonsOf(buttons), owner);
    return answerOf(box.exec());
}

QString selectFolder(QWidget* owner) {
    const QString title = QString::fromLatin1(kFolderDialogTitle);
    if (isHeadless()) {
        logHeadless(QStringLiteral("selectFolder"), title, QString(), QStringLiteral("(none)"));
        return {};
    }
    return QFileDialog::getExistingDirectory(owner, title);
}

QStringList selectFiles(QWidget* owner, const QString& title, const QString& folder,
                        const QString& filter) {
    if (isHeadless()) {
        logHeadless(QStringLiteral("selectFiles"), title, folder, QStringLiteral("(none)"));
        return {};
    }
    return QFileDialog::getOpenFileNames(owner, title, folder, filter);
}

}  // namespace process
