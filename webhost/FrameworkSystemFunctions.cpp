// The framework's page functions for processes, files, dialogs and facts about the system.
#include <QDir>
#include <thread>

#include "FrameworkBinding.h"
#include "FrameworkPayloads.h"
#include "ProductSettings.h"
#include "ProgramFolder.h"
#include "Win32MessageText.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"
#include "process/Dialogs.h"
#include "process/FileHelpers.h"
#include "process/MachineId.h"
#include "process/ProcessLauncher.h"
#include "process/SystemDescription.h"

namespace webhost::framework {
namespace {

// Several chosen files reach the page as one text; '|' cannot occur in a Windows path.
const QString kFileListSeparator = QStringLiteral("|");

QWidget* ownerWidget(WindowHandle handle) {
    BaseWindow* window = BaseWindow::fromHandle(handle);
    return window ? window->widget() : nullptr;
}

platform::ShowMode showModeOf(int showCommand) {
    switch (showCommand) {
        case 0:
            return platform::ShowMode::Hidden;
        case 2:
        case 6:
        case 7:
            return platform::ShowMode::Minimized;
        case 3:
            return platform::ShowMode::Maximized;
        default:
            return platform::ShowMode::Normal;
    }
}

JsValue shellExecute(const JsCall& call, BaseBlkWinow&) {
    const platform::win32::Error error = platform::processes().shellExecute(
        call.textArg(1).toStdWString(), call.textArg(2).toStdWString(),
        call.textArg(3).toStdWString(), call.textArg(4).toStdWString(), showModeOf(call.intArg(5)),
        nullptr);
    return JsValue::integer(error);
}

JsValue createProcessWithReturnedData(const JsCall& call, BaseBlkWinow&) {
    return text(process::runAndCapture(call.textArg(0)));
}

// The capture runs on its own thread; its output reaches the given window as 0x46A and from
// there the page through "processDataMsgByCpp".
JsValue createProcessWithReturnedDataAsync(const JsCall& call, BaseBlkWinow&) {
    const QString commandLine = call.textArg(0);
    const WindowHandle window = call.intArg(1);
    const int id = call.intArg(2);
    std::thread([commandLine, window, id] {
        auto output = std::make_unique<TextPayload>(process::runAndCapture(commandLine));
        sendMessage(window, kMsgProcessData, 0, id, std::move(output));
    }).detach();
    return JsValue();
}

JsValue isProcessRunning(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(process::isProcessRunning(call.textArg(0)));
}

JsValue openDirAndSelectFile(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(process::openDirAndSelectFile(call.textArg(0)));
}

JsValue selectDir(const JsCall& call, BaseBlkWinow& self) {
    QWidget* owner = call.argCount() > 0 ? ownerWidget(call.intArg(0)) : self.widget();
    return text(process::selectFolder(owner));
}

JsValue selectMultiFiles(const JsCall& call, BaseBlkWinow& self) {
    const QStringList files =
        process::selectFiles(self.widget(), call.textArg(0), call.textArg(1), call.textArg(2));
    return text(files.join(kFileListSeparator));
}

JsValue listDir(const JsCall& call, BaseBlkWinow&) {
    JsValue names = JsValue::emptyArray();
    for (const QString& name : process::listDir(call.textArg(0), call.textArg(1))) {
        names.append(text(name));
    }
    return names;
}

JsValue readTextFile(const JsCall& call, BaseBlkWinow&) {
    return JsValue::string(process::readTextFile(call.textArg(0)));
}

JsValue writeTextToFile(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(process::writeTextToFile(call.textArg(0), call.utf8Arg(1)));
}

JsValue pathFileExists(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(process::pathFileExists(call.textArg(0)));
}

JsValue tempPath(const JsCall&, BaseBlkWinow&) {
    return text(platform::systemInfo().tempFolder());
}

JsValue getCurrentModuleFileDirectory(const JsCall&, BaseBlkWinow&) {
    return text(QDir::toNativeSeparators(programFolder()));
}

JsValue getModuleFileName(const JsCall&, BaseBlkWinow&) {
    return text(QDir::toNativeSeparators(programFilePath()));
}

JsValue shGetKnownFolderPath(const JsCall&, BaseBlkWinow&) {
    return text(platform::systemInfo().knownFolder(platform::KnownFolder::Downloads));
}

JsValue kernelVersion(const JsCall&, BaseBlkWinow&) {
    return text(process::kernelVersion());
}

JsValue baseSystemInfo(const JsCall& call, BaseBlkWinow&) {
    return text(process::baseSystemInfo(call.intArg(0), productSection()));
}

JsValue getDeviceid(const JsCall&, BaseBlkWinow&) {
    return text(process::machineIdentifier());
}

JsValue getComputerName(const JsCall&, BaseBlkWinow&) {
    return text(platform::systemInfo().computerName());
}

JsValue getUserName(const JsCall&, BaseBlkWinow&) {
    return text(platform::systemInfo().userName());
}

JsValue getUserDefaultUILanguage(const JsCall&, BaseBlkWinow&) {
    return JsValue::integer(platform::systemInfo().userDefaultUiLanguage());
}

JsValue formatMessage(const JsCall& call, BaseBlkWinow&) {
    return text(win32MessageText(static_cast<quint32>(call.intArg(0))));
}

JsValue messageBox(const JsCall& call, BaseBlkWinow&) {
    return JsValue::integer(process::messageBox(ownerWidget(call.intArg(0)), call.textArg(1),
                                                call.textArg(2),
                                                static_cast<unsigned>(call.intArg(3))));
}

JsValue restartComputer(const JsCall& call, BaseBlkWinow&) {
    return JsValue::boolean(process::restartComputer(static_cast<quint32>(call.intArg(0)),
                                                     static_cast<quint32>(call.intArg(1))));
}

const PageFunctionEntry kSystemFunctions[] = {
    {"shellExecute", 6, shellExecute},
    {"createProcessWithReturnedData", 0, createProcessWithReturnedData},
    {"createProcessWithReturnedDataAsync", 2, createProcessWithReturnedDataAsync},
    {"isProcessRunning", 1, isProcessRunning},
    {"openDirAndSelectFile", 0, openDirAndSelectFile},
    {"selectDir", 0, selectDir},
    {"selectMultiFiles", 4, selectMultiFiles},
    {"listDir", 1, listDir},
    {"readTextFile", 1, readTextFile},
    {"writeTextToFile", 2, writeTextToFile},
    {"pathFileExists", 1, pathFileExists},
    {"tempPath", 0, tempPath},
    {"getCurrentModuleFileDirectory", 0, getCurrentModuleFileDirectory},
    {"getModuleFileName", 1, getModuleFileName},
    {"shGetKnownFolderPath", 3, shGetKnownFolderPath},
    {"kernelVersion", 0, kernelVersion},
    {"baseSystemInfo", 1, baseSystemInfo},
    {"getDeviceid", 0, getDeviceid},
    {"getComputerName", 2, getComputerName},
    {"getUserName", 4, getUserName},
    {"getUserDefaultUILanguage", 0, getUserDefaultUILanguage},
    {"formatMessage", 1, formatMessage},
    {"messageBox", 4, messageBox},
    {"restartComputer", 1, restartComputer},
};

}  // namespace

void bindSystemFunctions(WebView& view, BaseBlkWinow* window) {
    bindAll(view, window, kSystemFunctions);
}

}  // namespace webhost::framework
