// Corvanta.exe started as the user starts it, from a program folder of its own: without the
// engine's DLL it tells the user and ends with 1; with a stand-in engine it binds the main
// window's 43 commands and the framework's page functions, answers the page's requests and
// calls, and ends by itself when the page closes its window.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/Processes.h"

namespace {

// What the page can call, with the argument count each is bound with: the main window's
// commands, then the framework's functions on every web window.
const std::map<std::string, int> kMainWindowCommands = {
    {"startGetPcinfo", 0},
    {"printerList", 5},
    {"downDir", 5},
    {"startScan", 1},
    {"interrupt", 1},
    {"exec", 1},
    {"checkPrinterSpool", 0},
    {"checkOcrFont", 0},
    {"checkFirewall", 0},
    {"checkPrinterSharing", 1},
    {"checkPrinterQueue", 1},
    {"restartPrinterSpool", 0},
    {"installOcrFont", 0},
    {"enableFirewall", 0},
    {"enablePrinterSharing", 1},
    {"cleanPrinterQueue", 1},
    {"enumPrinters", 1},
    {"openManager", 2},
    {"printTestPage", 2},
    {"sharePrinter", 2},
    {"deletePrinter", 2},
    {"setDefaultPrinter", 2},
    {"viewPrintQueue", 2},
    {"addPrinter", 2},
    {"addPrinterConnection", 2},
    {"addPrinterConnectionAsync", 2},
    {"showPrintPreferencesPage", 2},
    {"showPrinterPropertiesPage", 2},
    {"resetSpool_firewall_queue", 0},
    {"installDriverPackage", 3},
    {"getPrinterInfo", 0},
    {"setUSBServiceFilter", 1},
    {"setNetDevOverCountUserHandle", 3},
    {"checkMMCExists", 1},
    {"queryShareEnv", 0},
    {"queryShareEnvAsync", 1},
    {"endQueryShareEnv", 1},
    {"resetShareEnvAsync", 0},
    {"endResetShareEnv", 0},
    {"getLocalIps", 0},
    {"getHostSharePrinter", 1},
    {"netAddConnection", 3},
    {"netCancelConnection", 3},
};

const std::map<std::string, int> kFrameworkFunctions = {
    {"createWindow", 5},
    {"createWindow2", 5},
    {"showWindow", 2},
    {"showWindow2", 2},
    {"closeWindow", 1},
    {"setDragRect", 5},
    {"resizeWindow", 3},
    {"sendMessage", 3},
    {"enableWindow", 2},
    {"isWindow", 1},
    {"getParent", 1},
    {"getWindowRect", 1},
    {"enumDisplayMonitors", 0},
    {"setForegroundWindow", 1},
    {"loadurl", 0},
    {"shellNotifyIcon", 4},
    {"addToStartupList", 2},
    {"checkStartupList", 2},
    {"deleteFromStartupList", 1},
    {"shellExecute", 6},
    {"createProcessWithReturnedData", 0},
    {"createProcessWithReturnedDataAsync", 2},
    {"isProcessRunning", 1},
    {"openDirAndSelectFile", 0},
    {"selectDir", 0},
    {"selectMultiFiles", 4},
    {"listDir", 1},
    {"readTextFile", 1},
    {"writeTextToFile", 2},
    {"pathFileExists", 1},
    {"tempPath", 0},
    {"getCurrentModuleFileDirectory", 0},
    {"getModuleFileName", 1},
    {"shGetKnownFolderPath", 3},
    {"kernelVersion", 0},
    {"baseSystemInfo", 1},
    {"getDeviceid", 0},
    {"getComputerName", 2},
    {"getUserName", 4},
    {"getUserDefaultUILanguage", 0},
    {"formatMessage", 1},
    {"messageBox", 4},
    {"restartComputer", 1},
};

constexpr const char* kStartUrl = "http://ui.corvanta.test/index.html";
constexpr const wchar_t* kEngineDll = L"miniblink_4975_x32.dll";
constexpr int kRunTimeoutMs = 120000;

bool copyFile(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

// A folder the program runs from, as on the user's PC: Corvanta.exe, html\ and, when given,
// a DLL under the engine's name. The Qt DLLs and plugins stay in the build's program folder,
// found through PATH and QT_PLUGIN_PATH.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::wstring& engineDll) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"corvanta-engine-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++count_) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"html").c_str(), nullptr);
        const std::wstring build = testsupport::programFolder();
        ok_ = copyFile(build + L"Corvanta.exe", path_ + L"Corvanta.exe") &&
              copyFile(build + L"html\\index.html", path_ + L"html\\index.html");
        if (!engineDll.empty()) {
            ok_ = ok_ && copyFile(build + engineDll, path_ + kEngineDll);
        }
    }
    ~ProgramFolder() {
        for (const wchar_t* file :
             {L"Corvanta.exe", L"html\\index.html", kEngineDll, L"standin.log", L"qenb.x"}) {
            DeleteFileW((path_ + file).c_str());
        }
        RemoveDirectoryW((path_ + L"html").c_str());
        RemoveDirectoryW(path_.c_str());
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& path() const { return path_; }
    std::wstring logPath() const { return path_ + L"standin.log"; }

    std::vector<std::string> logLines() const {
        std::ifstream file(logPath().c_str());
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    static int count_;
    std::wstring path_;
    bool ok_ = false;
};
int ProgramFolder::count_ = 0;

struct CorvantaRun {
    bool started = false;
    bool ended = false;
    std::uint32_t exitCode = 0;
    std::string output;
};

// Starts Corvanta.exe from `folder` headless (offscreen, boxes answered and logged to its
// standard error) and waits for it to end.
CorvantaRun runCorvanta(const ProgramFolder& folder) {
    const std::wstring build = testsupport::programFolder();
    SetEnvironmentVariableW(L"QT_QPA_PLATFORM", L"offscreen");
    SetEnvironmentVariableW(L"CORVANTA_HEADLESS", L"accept");
    SetEnvironmentVariableW(L"QT_PLUGIN_PATH", build.c_str());
    SetEnvironmentVariableW(L"WKE_STANDIN_LOG", folder.logPath().c_str());
    SetEnvironmentVariableW(L"PATH", (build + L";" + testsupport::environment(L"PATH")).c_str());

    CorvantaRun run;
    platform::StartRequest request;
    request.commandLine = L"\"" + folder.path() + L"Corvanta.exe\"";
    request.workingDirectory = folder.path();
    request.captureOutput = true;
    std::unique_ptr<platform::Process> process;
    if (platform::processes().start(request, process) != 0) {
        return run;
    }
    run.started = true;
    char buffer[4096];
    for (long got; (got = process->readOutput(buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    run.ended = process->wait(kRunTimeoutMs);
    run.exitCode = process->exitCode();
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> linesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.compare(0, start.size(), start) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

std::size_t fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// The bound names with their counts, from the stand-in's log.
std::map<std::string, int> boundFunctions(const std::vector<std::string>& lines) {
    std::map<std::string, int> bound;
    for (const std::string& line : linesStartingWith(lines, "bind ")) {
        std::istringstream words(line.substr(5));
        std::string name;
        int count = -1;
        words >> name >> count;
        bound[name] = count;
    }
    return bound;
}

}  // namespace

TEST(EngineTest, WithoutTheEngineDllTheUserIsToldAndTheProgramEndsWithOne) {
    const ProgramFolder folder(L"");
    ASSERT_TRUE(folder.ok());
    const CorvantaRun run = runCorvanta(folder);
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.ended) << run.output;
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_TRUE(
        contains(run.output, "[headless] messageBox 提示: 加载miniblink失败，无法正常运行程序"))
        << run.output;
    EXPECT_TRUE(folder.logLines().empty());
}

class StandInEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new ProgramFolder(L"wke_standin.dll");
        ASSERT_TRUE(folder_->ok());
        run_ = new CorvantaRun(runCorvanta(*folder_));
        lines_ = new std::vector<std::string>(folder_->logLines());
    }
    static void TearDownTestSuite() {
        delete lines_;
        delete run_;
        delete folder_;
    }

    static ProgramFolder* folder_;
    static CorvantaRun* run_;
    static std::vector<std::string>* lines_;
};
ProgramFolder* StandInEngineTest::folder_ = nullptr;
CorvantaRun* StandInEngineTest::run_ = nullptr;
std::vector<std::string>* StandInEngineTest::lines_ = nullptr;

TEST_F(StandInEngineTest, TheProgramEndsByItselfWhenThePageClosesItsWindow) {
    ASSERT_TRUE(run_->started);
    ASSERT_TRUE(run_->ended) << run_->output;
    EXPECT_EQ(run_->exitCode, 0u) << run_->output;
    EXPECT_TRUE(hasLine(*lines_, "initialize"));
    EXPECT_TRUE(hasLine(*lines_, "page done")) << run_->output;
    EXPECT_FALSE(contains(run_->output, "wke api not found")) << run_->output;
}

TEST_F(StandInEngineTest, EveryCommandAndFrameworkFunctionIsBoundWithItsCount) {
    const std::map<std::string, int> bound = boundFunctions(*lines_);
    std::map<std::string, int> expected = kMainWindowCommands;
    expected.insert(kFrameworkFunctions.begin(), kFrameworkFunctions.end());
    ASSERT_EQ(kMainWindowCommands.size(), 43u);
    for (const auto& [name, count] : expected) {
        const auto found = bound.find(name);
        if (found == bound.end()) {
            ADD_FAILURE() << name << " is not bound";
        } else {
            EXPECT_EQ(found->second, count) << name;
        }
    }
    for (const auto& entry : bound) {
        EXPECT_EQ(expected.count(entry.first), 1u) << entry.first << " is bound but not expected";
    }
    // Bound once each, though every window binds the framework's functions.
    EXPECT_EQ(linesStartingWith(*lines_, "bind ").size(), expected.size());
}

TEST_F(StandInEngineTest, TheMainViewLoadsTheStartPage) {
    EXPECT_FALSE(linesStartingWith(*lines_, "view ").empty());
    EXPECT_TRUE(hasLine(*lines_, std::string("load ") + kStartUrl));
}

// The engine binds a name once for every view; each call reaches the functions of the view
// whose page made it.
TEST_F(StandInEngineTest, APageWindowHasTheFrameworkFunctionsButNotTheCommands) {
    const std::vector<std::string> created = linesStartingWith(*lines_, "call createWindow2(");
    ASSERT_EQ(created.size(), 1u);
    const std::string child = created[0].substr(created[0].find("-> ") + 3);
    EXPECT_EQ(linesStartingWith(*lines_, "view ").size(), 2u);
    EXPECT_TRUE(hasLine(*lines_, "load http://ui.corvanta.test/installmonitor.html"));
    EXPECT_TRUE(hasLine(*lines_, "call in second view isWindow(" + child + ") -> true"));
    EXPECT_TRUE(hasLine(*lines_, "call in second view checkMMCExists(7) -> undefined"));
    EXPECT_TRUE(hasLine(*lines_, "call checkMMCExists(7) -> false"));
}

TEST_F(StandInEngineTest, RequestsForTheHostAreAnsweredFromHtml) {
    const std::size_t size = fileSize(folder_->path() + L"html\\index.html");
    ASSERT_GT(size, 0u);
    EXPECT_TRUE(hasLine(*lines_, std::string("request ") + kStartUrl + " served text/html " +
                                     std::to_string(size)));
    EXPECT_TRUE(hasLine(*lines_, "request http://127.0.0.1:12222/test served text/html 10"));
    // Another site that only names the host in its address gets nothing from the program.
    EXPECT_TRUE(hasLine(
        *lines_, std::string("request http://pages.invalid/?copy=") + kStartUrl + " network"));
    // Nor does an address whose escaped path climbs out of the program folder.
    EXPECT_TRUE(hasLine(*lines_,
                        "request http://ui.corvanta.test/..%2F..%2F..%2F..%2F..%2F..%2F..%2F..%2F"
                        "windows%2Fwin.ini network"));
}

TEST_F(StandInEngineTest, ADroppedFileReachesThePageUnescapedAndTheNavigationStops) {
    EXPECT_TRUE(hasLine(*lines_, "navigation file:///C:/dropped%20files/a%25b.txt refused"));
    EXPECT_TRUE(hasLine(*lines_, "pagecall acceptFileBycpp(\"C:/dropped files/a%b.txt\")"));
    EXPECT_TRUE(hasLine(*lines_, std::string("navigation ") + kStartUrl + " allowed"));
}

TEST_F(StandInEngineTest, FinishedLoadingPublishesHandleAndPid) {
    EXPECT_EQ(linesStartingWith(*lines_, "global handle ").size(), 1u);
    EXPECT_EQ(linesStartingWith(*lines_, "global pid ").size(), 1u);
}

// Page values cross both ways: numbers and texts in, texts, objects and booleans out.
TEST_F(StandInEngineTest, BoundFunctionsAnswerThePage) {
    EXPECT_TRUE(hasLine(*lines_, "call baseSystemInfo(1) -> \"printer\""));
    const std::vector<std::string> rect = linesStartingWith(*lines_, "call getWindowRect(");
    ASSERT_EQ(rect.size(), 1u);
    EXPECT_TRUE(contains(rect[0], "-> {left:")) << rect[0];
    EXPECT_TRUE(contains(rect[0], ",bottom:")) << rect[0];
    EXPECT_EQ(linesStartingWith(*lines_, "call isWindow(").size(), 1u);
    EXPECT_TRUE(contains(linesStartingWith(*lines_, "call isWindow(").front(), "-> true"));
    EXPECT_TRUE(hasLine(*lines_, "call pathFileExists(\"C:\\windows\") -> true"));
    const std::vector<std::string> monitors =
        linesStartingWith(*lines_, "call enumDisplayMonitors(");
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_TRUE(contains(monitors[0], "-> [{left:")) << monitors[0];
    EXPECT_TRUE(hasLine(*lines_, "call checkMMCExists(7) -> false"));
}

TEST(PartialEngineTest, EachMissingEntryPointIsReportedAndTheProgramRunsOn) {
    const ProgramFolder folder(L"wke_standin_partial.dll");
    ASSERT_TRUE(folder.ok());
    const CorvantaRun run = runCorvanta(folder);
    ASSERT_TRUE(run.ended) << run.output;
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    for (const char* name : {"wkeSetDebugConfig", "wkeOnDownload2"}) {
        EXPECT_TRUE(contains(run.output,
                             std::string("[headless] messageBox ") + name + ": wke api not found"))
            << run.output;
    }
    EXPECT_EQ(linesStartingWith(folder.logLines(), "bind ").size(),
              kMainWindowCommands.size() + kFrameworkFunctions.size());
}
