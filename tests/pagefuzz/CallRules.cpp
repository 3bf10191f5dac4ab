#include "CallRules.h"

#include <iterator>

using webhost::JsValue;

namespace {

constexpr int kOften = 10;
constexpr int kSeldom = 1;  // starts a program, or a thread that does

// Hosts that are this machine by address: nothing is resolved and nothing leaves it.
const QList<QByteArray> kLoopbackHosts = {"127.0.0.1", "127.0.0.2", "127.1.2.3"};

QByteArray safeName(ArgumentMaker& maker) {
    QByteArray name = maker.anyText().left(80);
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0' || c == '.') {
            c = '_';
        }
    }
    return name.isEmpty() ? QByteArray("f") : name;
}

// What a long run leaves behind stays bounded, and calls of one family (add, check and delete
// an entry; write, list and read a file) meet each other's results: most names come from a
// few that recur, now and then one is new.
constexpr int kRecurringNames = 16;
constexpr int kNewNameOneIn = 8;

QByteArray recurringName(ArgumentMaker& maker) {
    if (maker.oneIn(kNewNameOneIn)) {
        return safeName(maker);
    }
    return "name" + QByteArray::number(maker.below(kRecurringNames));
}

// Keeps the extra arguments a page may add after the ones that matter.
QList<JsValue> withExtras(ArgumentMaker& maker, QList<JsValue> args) {
    if (maker.oneIn(3)) {
        args += maker.anyArguments();
    } else if (maker.oneIn(4) && !args.isEmpty()) {
        args.removeLast();  // and a missing one
    }
    return args;
}

JsValue text(const QByteArray& utf8) {
    return JsValue::string(utf8);
}

// An entry of the startup list by a recurring name, or now and then anything at all.
QList<JsValue> startupEntry(ArgumentMaker& maker, const ScratchFolder&) {
    if (maker.oneIn(kNewNameOneIn)) {
        return maker.anyArguments();
    }
    return withExtras(maker, {text(recurringName(maker)), maker.anyValue()});
}

// A command line whose program is a file in the scratch folder that does not exist.
QByteArray missingProgram(ArgumentMaker& maker, const ScratchFolder& scratch) {
    return "\"" + scratch.anyPath(maker) + ".exe\" " + maker.anyText().left(200);
}

QList<JsValue> commandLine(ArgumentMaker& maker, const ScratchFolder& scratch) {
    return withExtras(maker, {text(missingProgram(maker, scratch)), maker.anyValue()});
}

QList<JsValue> asyncCommandLine(ArgumentMaker& maker, const ScratchFolder& scratch) {
    return withExtras(maker,
                      {text(missingProgram(maker, scratch)), maker.handle(), maker.anyNumber()});
}

QList<JsValue> scratchPath(ArgumentMaker& maker, const ScratchFolder& scratch) {
    return withExtras(maker, {text(scratch.anyPath(maker)), maker.anyValue()});
}

QList<JsValue> scratchWrite(ArgumentMaker& maker, const ScratchFolder& scratch) {
    return withExtras(maker, {text(scratch.anyPath(maker)), maker.anyValue()});
}

QList<JsValue> shellExecute(ArgumentMaker& maker, const ScratchFolder& scratch) {
    static const QList<QByteArray> kVerbs = {"open", "runas", "print", "", "explore"};
    return withExtras(
        maker, {maker.handle(), text(maker.pick(kVerbs)), text(scratch.anyPath(maker) + ".exe"),
                text(maker.anyText().left(200)), text(scratch.path.toUtf8()), maker.anyNumber()});
}

QList<JsValue> packagePath(ArgumentMaker& maker, const ScratchFolder& scratch) {
    static const QList<QByteArray> kSuffixes = {".exe", ".zip", ".EXE", ""};
    return withExtras(
        maker,
        {maker.anyValue(), text(scratch.anyPath(maker) + maker.pick(kSuffixes)), maker.anyValue()});
}

// A printer connection or a share of another host, by loopback address.
QList<JsValue> loopbackHostAndShare(ArgumentMaker& maker, const ScratchFolder&) {
    return withExtras(maker, {text(maker.pick(kLoopbackHosts)), text(maker.anyText().left(80))});
}

QList<JsValue> loopbackHost(ArgumentMaker& maker, const ScratchFolder&) {
    return withExtras(maker, {text(maker.pick(kLoopbackHosts))});
}

QList<JsValue> loopbackUncPath(ArgumentMaker& maker, const ScratchFolder&) {
    return withExtras(maker, {text("\\\\" + maker.pick(kLoopbackHosts) + "\\" + safeName(maker)),
                              text(maker.anyText().left(40)), text(maker.anyText().left(40))});
}

// Scan modes only (a scan probes the subnets of the PC's adapters, which the fixtures keep on
// loopback addresses).
QList<JsValue> scanMode(ArgumentMaker& maker, const ScratchFolder&) {
    return {JsValue::integer(maker.below(3))};
}

// Messages that end a window are sent only to the windows the fuzzer opened itself: the run
// needs its main window. Everything else goes anywhere.
QList<JsValue> sendMessage(ArgumentMaker& maker, const ScratchFolder&) {
    constexpr int kWmDestroy = 0x0002;
    constexpr int kWmClose = 0x0010;
    constexpr int kWmQuit = 0x0012;
    constexpr int kWmNcDestroy = 0x0082;
    constexpr int kWmSysCommand = 0x0112;
    constexpr int kWmUser = 0x0400;
    static const QList<int> kMessages = {0x464, 0x465, 0x467,  0x468,  0x469,  0x46A,  0x84E,
                                         0x84F, 0x850, 0x851,  0x853,  0x854,  0x855,  0x856,
                                         0x857, 0x858, 0x0113, 0x0005, 0x0014, kWmUser};
    int message = maker.oneIn(3) ? maker.anyNumber().toInt() : maker.pick(kMessages);
    if (message == kWmDestroy || message == kWmClose || message == kWmQuit ||
        message == kWmNcDestroy || message == kWmSysCommand) {
        message = kWmUser;
    }
    return withExtras(
        maker, {maker.handle(), JsValue::integer(message), maker.anyValue(), maker.anyValue()});
}

// Every page function of the build, also the commands still to come, with its rule.
constexpr CallRule kRules[] = {
    // Commands of the main window.
    {"startGetPcinfo", kOften, nullptr},
    {"printerList", kOften, nullptr},
    {"downDir", kOften, nullptr},
    {"startScan", kSeldom, scanMode},
    {"interrupt", kOften, nullptr},
    {"exec", kSeldom, commandLine},
    {"checkPrinterSpool", kOften, nullptr},
    {"checkOcrFont", kOften, nullptr},
    {"checkFirewall", kOften, nullptr},
    {"checkPrinterSharing", kOften, nullptr},
    {"checkPrinterQueue", kOften, nullptr},
    {"restartPrinterSpool", kSeldom, nullptr},
    {"installOcrFont", kSeldom, nullptr},
    {"enableFirewall", kSeldom, nullptr},
    {"enablePrinterSharing", kSeldom, nullptr},
    {"cleanPrinterQueue", kSeldom, nullptr},
    {"enumPrinters", kOften, nullptr},
    {"openManager", kSeldom, nullptr},
    {"printTestPage", kSeldom, nullptr},
    {"sharePrinter", kOften, nullptr},
    {"deletePrinter", kOften, nullptr},
    {"setDefaultPrinter", kOften, nullptr},
    {"viewPrintQueue", kSeldom, nullptr},
    {"addPrinter", kSeldom, nullptr},
    {"addPrinterConnection", kSeldom, loopbackHostAndShare},
    {"addPrinterConnectionAsync", kSeldom, loopbackHostAndShare},
    {"showPrintPreferencesPage", kSeldom, nullptr},
    {"showPrinterPropertiesPage", kSeldom, nullptr},
    {"resetSpool_firewall_queue", kSeldom, nullptr},
    {"installDriverPackage", kSeldom, packagePath},
    {"getPrinterInfo", kOften, nullptr},
    {"setUSBServiceFilter", kOften, nullptr},
    {"setNetDevOverCountUserHandle", kOften, nullptr},
    {"checkMMCExists", kOften, nullptr},
    {"queryShareEnv", kOften, nullptr},
    {"queryShareEnvAsync", kSeldom, nullptr},
    {"endQueryShareEnv", kOften, nullptr},
    {"resetShareEnvAsync", kSeldom, nullptr},
    {"endResetShareEnv", kOften, nullptr},
    {"getLocalIps", kOften, nullptr},
    {"getHostSharePrinter", kSeldom, loopbackHost},
    {"netAddConnection", kSeldom, loopbackUncPath},
    {"netCancelConnection", kSeldom, loopbackUncPath},
    // The framework's functions of every web window.
    {"createWindow", kOften, nullptr},
    {"createWindow2", kOften, nullptr},
    {"showWindow", kOften, nullptr},
    {"showWindow2", kOften, nullptr},
    {"closeWindow", kOften, nullptr},
    {"setDragRect", kOften, nullptr},
    {"resizeWindow", kOften, nullptr},
    {"sendMessage", kOften, sendMessage},
    {"enableWindow", kOften, nullptr},
    {"isWindow", kOften, nullptr},
    {"getParent", kOften, nullptr},
    {"getWindowRect", kOften, nullptr},
    {"enumDisplayMonitors", kOften, nullptr},
    {"setForegroundWindow", kOften, nullptr},
    {"loadurl", kOften, nullptr},
    {"shellNotifyIcon", kOften, nullptr},
    {"addToStartupList", kOften, startupEntry},
    {"checkStartupList", kOften, startupEntry},
    {"deleteFromStartupList", kOften, startupEntry},
    {"shellExecute", kSeldom, shellExecute},
    {"createProcessWithReturnedData", kSeldom, commandLine},
    {"createProcessWithReturnedDataAsync", kSeldom, asyncCommandLine},
    {"isProcessRunning", kSeldom, nullptr},
    {"openDirAndSelectFile", kSeldom, scratchPath},
    {"selectDir", kOften, nullptr},
    {"selectMultiFiles", kOften, nullptr},
    {"listDir", kOften, scratchPath},
    {"readTextFile", kOften, nullptr},
    {"writeTextToFile", kOften, scratchWrite},
    {"pathFileExists", kOften, nullptr},
    {"tempPath", kOften, nullptr},
    {"getCurrentModuleFileDirectory", kOften, nullptr},
    {"getModuleFileName", kOften, nullptr},
    {"shGetKnownFolderPath", kOften, nullptr},
    {"kernelVersion", kOften, nullptr},
    {"baseSystemInfo", kOften, nullptr},
    {"getDeviceid", kOften, nullptr},
    {"getComputerName", kOften, nullptr},
    {"getUserName", kOften, nullptr},
    {"getUserDefaultUILanguage", kOften, nullptr},
    {"formatMessage", kOften, nullptr},
    {"messageBox", kOften, nullptr},
    {"restartComputer", kOften, nullptr},
};

}  // namespace

QByteArray ScratchFolder::anyPath(ArgumentMaker& maker) const {
    return path.toUtf8() + "/" + recurringName(maker);
}

const CallRule* callRule(const QByteArray& name) {
    for (const CallRule& rule : kRules) {
        if (name == rule.name) {
            return &rule;
        }
    }
    return nullptr;
}
