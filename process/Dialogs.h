#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace process {

// Message box types and answers, numbered as MB_* and ID* are, since the page passes and
// reads these numbers (winuser.h; the values as the win32 API documentation lists them).
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbAbortRetryIgnore = 0x2;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbRetryCancel = 0x5;
constexpr unsigned kMbCancelTryContinue = 0x6;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

// The environment variable that makes every box and dialog answer by itself (tests, CI):
// "accept" answers a box's first button and picks nothing in file dialogs, "reject" answers
// the button that backs out (Cancel, No, Abort; OK when that is the only one).
// Each answered box is logged to standard error as one line.
constexpr const char* kHeadlessVariable = "CORVANTA_HEADLESS";

bool isHeadless();

// MessageBoxW: shows a modal box with the buttons of the type (owner may be null) and answers
// the ID of the button pressed. A type without a known button set shows OK alone.
int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type);

// The folder picker titled "Please, select a folder": the chosen path, or empty.
QString selectFolder(QWidget* owner);

// An open-file dialog with multiple selection: the chosen paths, or none.
QStringList selectFiles(QWidget* owner, const QString& title, const QString& folder,
                        const QString& filter);

}  // namespace process
