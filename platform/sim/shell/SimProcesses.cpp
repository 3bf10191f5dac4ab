#include "platform/sim/shell/SimProcesses.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <filesystem>
#include <iostream>

#include "platform/posix/PosixProcesses.h"
#include "platform/sim/core/Wow64Program.h"
#include "platform/sim/shell/SimCommandResolver.h"

namespace platform::sim {

namespace {

constexpr wchar_t kExeSuffix[] = L".exe";
constexpr std::size_t kExeSuffixLength = 4;
// Corvanta's own programs, shipped beside it under their lower-case names without ".exe".
constexpr std::array<const wchar_t*, 3> kOwnPrograms = {L"corvanta", L"kestrune", L"dumper"};
// Windows programs that never run from this machine, whether or not a facility of the
// simulated PC serves them yet; "shutdown" is among them so that no command line ever reaches
// this machine's own.
constexpr std::array<const wchar_t*, 7> kWindowsPrograms = {
    L"rundll32", L"mmc", L"control", L"powershell", L"explorer", L"shutdown", L"fontview"};
// The one of them that lives in the Windows folder itself, out of reach of the redirection.
constexpr wchar_t kWindowsFolderProgram[] = L"explorer";
constexpr wchar_t kCommandInterpreter[] = L"cmd";
constexpr char kSimTool[] = "corvanta-sim";
constexpr char kSimToolProgramCommand[] = "program";
constexpr char kShell[] = "/bin/sh";
constexpr char kUrlMarker[] = "://";

std::wstring lowerCase(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

bool hasExeSuffix(const std::wstring& name) {
    return name.size() > kExeSuffixLength &&
           lowerCase(name.substr(name.size() - kExeSuffixLength)) == kExeSuffix;
}

// Management-console documents open in mmc, as their file association says on Windows.
bool isConsoleDocument(const std::wstring& name) {
    static const std::wstring kConsoleSuffix = L".msc";
    return name.size() > kConsoleSuffix.size() &&
           lowerCase(name.substr(name.size() - kConsoleSuffix.size())) == kConsoleSuffix;
}

std::wstring fileName(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The file name in lower case, without ".exe".
std::wstring programStem(const std::wstring& path) {
    std::wstring name = lowerCase(fileName(path));
    return hasExeSuffix(name) ? name.substr(0, name.size() - kExeSuffixLength) : name;
}

template <std::size_t N>
bool isOneOf(const std::wstring& stem, const std::array<const wchar_t*, N>& names) {
    return std::any_of(names.begin(), names.end(), [&](const wchar_t* n) { return stem == n; });
}

bool hasDriveLetter(const std::wstring& path) {
    return path.size() >= 2 && std::iswalpha(path[0]) && path[1] == L':';
}

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// What cmd runs: the text after "/c" or "/k", past any other switches.
std::wstring commandOfInterpreter(const std::wstring& tail) {
    std::size_t i = 0;
    while (i < tail.size() && tail[i] == L'/') {
        std::size_t end = i;
        while (end < tail.size() && !isBlank(tail[end])) {
            ++end;
        }
        const std::wstring option = lowerCase(tail.substr(i, end - i));
        while (end < tail.size() && isBlank(tail[end])) {
            ++end;
        }
        i = end;
        if (option == L"/c" || option == L"/k") {
            break;
        }
    }
    return tail.substr(i);
}

std::vector<std::string> utf8Arguments(const std::vector<std::wstring>& parts, std::size_t from) {
    std::vector<std::string> arguments;
    for (std::size_t i = from; i < parts.size(); ++i) {
        arguments.push_back(posix::toUtf8(parts[i]));
    }
    return arguments;
}

std::string inProgramFolder(const SimProcessesConfig& config, const std::string& name) {
    return posix::toUtf8(config.programFolder) + "/" + name;
}

// Corvanta's own program named with a folder of this machine ("/opt/corvanta\Kestrune.exe")
// is in that folder; by a Windows path or by name alone, it is in the program folder.
std::string ownProgramPath(const SimProcessesConfig& config, const std::wstring& program,
                           const std::string& name) {
    const auto slash = program.find_last_of(L"\\/");
    if (program.empty() || program[0] != L'/' || slash == std::wstring::npos) {
        return inProgramFolder(config, name);
    }
    return posix::toUtf8(program.substr(0, slash)) + "/" + name;
}

ResolvedCommand make(CommandKind kind, std::string program, std::vector<std::string> arguments) {
    ResolvedCommand resolved{kind, {std::move(program)}};
    resolved.argv.insert(resolved.argv.end(), arguments.begin(), arguments.end());
    return resolved;
}

// cmd /c "X": when the text after the switch starts with a quote, cmd drops that quote and the
// last one of the line and runs the rest (the rule "cmd /?" gives for /C and /K when the
// quoted text is not exactly one existing program name).
std::wstring withoutOuterQuotes(const std::wstring& command) {
    if (command.empty() || command.front() != L'"') {
        return command;
    }
    const std::size_t last = command.find_last_of(L'"');
    std::wstring inner = command.substr(1, last == 0 ? std::wstring::npos : last - 1);
    if (last != 0 && last + 1 < command.size()) {
        inner += command.substr(last + 1);
    }
    return inner;
}

ResolvedCommand resolveInterpreter(const std::wstring& commandLine,
                                   const SimProcessesConfig& config) {
    const std::wstring command =
        withoutOuterQuotes(commandOfInterpreter(commandLineArguments(commandLine)));
    ResolvedCommand inner = resolveCommandLine(command, config);
    // A Windows program run through cmd is still the simulated PC's; the rest is shell work.
    if (inner.kind != CommandKind::Host) {
        return inner;
    }
    return make(CommandKind::Shell, kShell, {"-c", posix::toUtf8(command)});
}

// The Windows program name that the process list shows for a process of this machine.
std::wstring windowsExeName(const posix::ProcessRow& row) {
    const auto& arguments = row.arguments;
    if (arguments.size() > 2 && std::filesystem::path(arguments[0]).filename() == kSimTool &&
        arguments[1] == kSimToolProgramCommand) {
        return posix::fromUtf8(arguments[2]) + kExeSuffix;
    }
    const std::wstring& name = row.entry.exeName;
    return hasExeSuffix(name) ? name : name + kExeSuffix;
}

class SimProcesses final : public Processes {
public:
    explicit SimProcesses(SimProcessesConfig config) : config_(std::move(config)) {}

    win32::Error start(const StartRequest& request, std::unique_ptr<Process>& process) override {
        const ResolvedCommand resolved = resolveCommandLine(request.commandLine, config_);
        posix::SpawnOptions options;
        options.workingDirectory = hostPath(request.workingDirectory);
        options.newProcessGroup = request.newProcessGroup;
        options.captureOutput = request.captureOutput;
        options.variables = programView(resolved, request.nativeSystemFolder);
        return posix::spawn(resolved.argv, options, process);
    }

    win32::Error shellExecute(const std::wstring& verb, const std::wstring& file,
                              const std::wstring& parameters, const std::wstring& directory,
                              ShowMode, std::unique_ptr<Process>* process) override {
        return execute(verb, file, parameters, directory, false, process);
    }

    win32::Error shellExecuteNative(const std::wstring& verb, const std::wstring& file,
                                    const std::wstring& parameters, const std::wstring& directory,
                                    ShowMode, std::unique_ptr<Process>* process) override {
        return execute(verb, file, parameters, directory, true, process);
    }

    // ShellExecuteExW; `native`: the system's own folder for a program in System32.
    win32::Error execute(const std::wstring& verb, const std::wstring& file,
                         const std::wstring& parameters, const std::wstring& directory, bool native,
                         std::unique_ptr<Process>* process) {
        if (lowerCase(verb) == L"runas" && !config_.consentGiven) {
            return win32::kCancelled;  // the user declined the elevation prompt
        }
        const std::wstring line = quoteProgram(file) + L" " + parameters;
        const ResolvedCommand resolved = resolveCommandLine(line, config_);
        if (resolved.argv.empty()) {
            return win32::kFileNotFound;
        }
        const bool served =
            resolved.kind != CommandKind::Host && resolved.kind != CommandKind::WindowsPath;
        if (served || posix::findExecutable(resolved.argv[0])) {
            return startForShell(resolved.argv, directory, programView(resolved, native), process);
        }
        return openDocument(verb, resolved.argv[0]);
    }

    win32::Error list(std::vector<ProcessEntry>& processes) override {
        std::vector<posix::ProcessRow> rows;
        const win32::Error error = posix::listProcesses(rows);
        processes.clear();
        for (const posix::ProcessRow& row : rows) {
            ProcessEntry entry = row.entry;
            entry.exeName = windowsExeName(row);
            processes.push_back(std::move(entry));
        }
        return error;
    }

    std::uint32_t currentProcessId() const override { return posix::currentProcessId(); }
    std::uint32_t currentThreadId() const override { return posix::currentThreadId(); }
    std::wstring currentProgramPath() const override { return posix::currentProgramPath(); }
    bool isRunAsAdmin() const override { return config_.runAsAdmin; }
    bool isElevated() const override { return config_.elevated; }

    win32::Error restartComputer(std::uint32_t flags, std::uint32_t reason) override {
        return config_.recordRestart ? config_.recordRestart(flags, reason) : win32::kNotSupported;
    }

private:
    static std::wstring quoteProgram(const std::wstring& file) {
        const bool blank = file.find_first_of(L" \t") != std::wstring::npos;
        return blank ? L"\"" + file + L"\"" : file;
    }

    std::string hostPath(const std::wstring& path) const {
        if (hasDriveLetter(path) && config_.hostPath) {
            return posix::toUtf8(config_.hostPath(path));
        }
        return posix::toUtf8(path);
    }

    // Which of its two programs a Windows program from System32 is: the 32-bit one when this
    // process is a 32-bit program on a 64-bit PC and did not ask for the system's own folder.
    std::vector<std::string> programView(const ResolvedCommand& resolved, bool native) const {
        const bool inSystemFolder = resolved.kind == CommandKind::SimProgram &&
                                    resolved.argv.size() > 2 &&
                                    resolved.argv[2] != posix::toUtf8(kWindowsFolderProgram);
        if (!inSystemFolder) {
            return {};
        }
        const bool wow64Program = config_.wow64 && !native;
        return {std::string(kWow64ProgramVariable) + (wow64Program ? "=1" : "=0")};
    }

    win32::Error startForShell(const std::vector<std::string>& argv, const std::wstring& directory,
                               std::vector<std::string> variables,
                               std::unique_ptr<Process>* process) {
        posix::SpawnOptions options;
        options.workingDirectory = hostPath(directory);
        options.variables = std::move(variables);
        std::unique_ptr<Process> started;
        const win32::Error error = posix::spawn(argv, options, started);
        if (error == win32::kSuccess && process) {
            *process = std::move(started);
        }
        return error;
    }

    // A folder, a document or an address: the PC would show it in its viewer. Nothing of this
    // machine is started for it; the request is logged and succeeds.
    static win32::Error openDocument(const std::wstring& verb, const std::string& target) {
        std::error_code ignored;
        if (target.find(kUrlMarker) == std::string::npos &&
            !std::filesystem::exists(target, ignored)) {
            return win32::kFileNotFound;
        }
        std::cerr << "shellExecute: " << posix::toUtf8(verb) << " \"" << target
                  << "\": shown by the simulated PC, nothing started\n";
        return win32::kSuccess;
    }

    SimProcessesConfig config_;
};

}  // namespace

ResolvedCommand resolveCommandLine(const std::wstring& commandLine,
                                   const SimProcessesConfig& config) {
    const std::vector<std::wstring> parts = splitCommandLine(commandLine);
    if (parts.empty() || parts[0].empty()) {
        return {};
    }
    const std::wstring& program = parts[0];
    const std::wstring stem = programStem(program);
    const std::vector<std::string> arguments = utf8Arguments(parts, 1);
    if (hasExeSuffix(fileName(program)) && isOneOf(stem, kOwnPrograms)) {
        return make(CommandKind::OwnProgram, ownProgramPath(config, program, posix::toUtf8(stem)),
                    arguments);
    }
    if (stem == kCommandInterpreter) {
        return resolveInterpreter(commandLine, config);
    }
    if (isConsoleDocument(fileName(program))) {
        std::vector<std::string> toolArguments = {kSimToolProgramCommand, "mmc"};
        toolArguments.insert(toolArguments.end(), posix::toUtf8(program));
        toolArguments.insert(toolArguments.end(), arguments.begin(), arguments.end());
        return make(CommandKind::SimProgram, inProgramFolder(config, kSimTool), toolArguments);
    }
    if (isOneOf(stem, kWindowsPrograms) ||
        std::find(config.simPrograms.begin(), config.simPrograms.end(), stem) !=
            config.simPrograms.end()) {
        std::vector<std::string> toolArguments = {kSimToolProgramCommand, posix::toUtf8(stem)};
        toolArguments.insert(toolArguments.end(), arguments.begin(), arguments.end());
        return make(CommandKind::SimProgram, inProgramFolder(config, kSimTool), toolArguments);
    }
    if (hasDriveLetter(program) && config.hostPath) {
        return make(CommandKind::WindowsPath, posix::toUtf8(config.hostPath(program)), arguments);
    }
    return make(CommandKind::Host, posix::toUtf8(program), arguments);
}

std::unique_ptr<Processes> makeSimProcesses(SimProcessesConfig config) {
    return std::make_unique<SimProcesses>(std::move(config));
}

}  // namespace platform::sim
