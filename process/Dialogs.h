#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace process {

// Message box types and answers, numbered as MB_* and ID* are, since the page passes and
// reads these numbers.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNoCancel = 0x3;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// The environment variable that makes every box and dialog answer by itself (tests, CI):
// "accept" answers OK/Yes and picks nothing in file dialogs, "reject" answers Cancel/No.
// Each answered box is logged to standard error as one line.
constexpr const char* kHeadlessVariable = "CORVANTA_HEADLESS";

bool isHeadless();

// MessageBoxW: shows a modal box (owner may be null) and answers the button pressed.
int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type);

// The folder picker titled "Please, select a folder": the chosen path, or empty.
QString selectFolder(QWidget* owner);

// An open-file dialog with multiple selection: the chosen paths, or none.
QStringList selectFiles(QWidget* owner, const QString& title, const QString& folder,
                        const QString& filter);

}  // namespace process
