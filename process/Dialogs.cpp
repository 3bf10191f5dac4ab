#include "Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

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

// One button of a box: the ID it answers, and Qt's standard button for it, or a text of its
// own where Qt has none (Try Again, Continue).
struct BoxButton {
    int id;
    QMessageBox::StandardButton standard;
    const char* text;
};

using ButtonSet = std::vector<BoxButton>;

// The buttons of each MB_* type, left to right as MessageBoxW shows them (winuser.h:
// MB_OK 0 ... MB_CANCELTRYCONTINUE 6).
const ButtonSet& buttonsOf(unsigned type) {
    static const ButtonSet kOk{{kIdOk, QMessageBox::Ok, nullptr}};
    static const std::array<ButtonSet, 7> kSets{{
        kOk,
        {{kIdOk, QMessageBox::Ok, nullptr}, {kIdCancel, QMessageBox::Cancel, nullptr}},
        {{kIdAbort, QMessageBox::Abort, nullptr},
         {kIdRetry, QMessageBox::Retry, nullptr},
         {kIdIgnore, QMessageBox::Ignore, nullptr}},
        {{kIdYes, QMessageBox::Yes, nullptr},
         {kIdNo, QMessageBox::No, nullptr},
         {kIdCancel, QMessageBox::Cancel, nullptr}},
        {{kIdYes, QMessageBox::Yes, nullptr}, {kIdNo, QMessageBox::No, nullptr}},
        {{kIdRetry, QMessageBox::Retry, nullptr}, {kIdCancel, QMessageBox::Cancel, nullptr}},
        {{kIdCancel, QMessageBox::Cancel, nullptr},
         {kIdTryAgain, QMessageBox::NoButton, "Try Again"},
         {kIdContinue, QMessageBox::NoButton, "Continue"}},
    }};
    return type < kSets.size() ? kSets[type] : kOk;
}

bool hasButton(const ButtonSet& buttons, int id) {
    return std::any_of(buttons.begin(), buttons.end(),
                       [id](const BoxButton& button) { return button.id == id; });
}

// The answer of a box that is backed out of: Cancel where the box has it (Escape and the close
// box answer IDCANCEL then), else No, else the first button (Abort; OK alone).
int backOutAnswer(const ButtonSet& buttons) {
    for (int id : {kIdCancel, kIdNo}) {
        if (hasButton(buttons, id))
            return id;
    }
    return buttons.front().id;
}

int headlessAnswer(const ButtonSet& buttons, bool accept) {
    return accept ? buttons.front().id : backOutAnswer(buttons);
}

QString answerName(int answer) {
    switch (answer) {
        case kIdCancel:
            return QStringLiteral("IDCANCEL");
        case kIdAbort:
            return QStringLiteral("IDABORT");
        case kIdRetry:
            return QStringLiteral("IDRETRY");
        case kIdIgnore:
            return QStringLiteral("IDIGNORE");
        case kIdYes:
            return QStringLiteral("IDYES");
        case kIdNo:
            return QStringLiteral("IDNO");
        case kIdTryAgain:
            return QStringLiteral("IDTRYAGAIN");
        case kIdContinue:
            return QStringLiteral("IDCONTINUE");
        default:
            return QStringLiteral("IDOK");
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

}  // namespace

bool isHeadless() {
    return !qEnvironmentVariableIsEmpty(kHeadlessVariable) || !canShowWidgets();
}

int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type) {
    const ButtonSet& buttons = buttonsOf(type & kButtonsMask);
    if (isHeadless()) {
        const int answer = headlessAnswer(buttons, headlessAccepts());
        logHeadless(QStringLiteral("messageBox"), caption, text, answerName(answer));
        return answer;
    }
    QMessageBox box(iconOf(type & kIconMask), caption, text, QMessageBox::NoButton, owner);
    std::vector<std::pair<QAbstractButton*, int>> answers;
    for (const BoxButton& button : buttons) {
        QAbstractButton* shown =
            button.text ? box.addButton(QString::fromLatin1(button.text), QMessageBox::AcceptRole)
                        : box.addButton(button.standard);
        answers.emplace_back(shown, button.id);
    }
    box.exec();
    for (const auto& [shown, id] : answers) {
        if (box.clickedButton() == shown)
            return id;
    }
    return backOutAnswer(buttons);
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
