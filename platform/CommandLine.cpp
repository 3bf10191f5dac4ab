#include <cstddef>

#include "Processes.h"

// Splitting and quoting as CommandLineToArgvW does it. The program name (first argument) follows
// its own rule: a quoted name runs to the next quote and an unquoted one to the first blank, and
// backslashes are taken literally in both. The arguments after it follow these rules:
//   - blanks (space, tab) outside quotes end an argument;
//   - 2n backslashes and a quote give n backslashes, and the quote opens or closes quoting;
//   - 2n+1 backslashes and a quote give n backslashes and a literal quote;
//   - backslashes not followed by a quote are literal;
//   - in a run of quotes, every third quote counts as a literal quote: so "" inside quotes gives
//     a quote and ends the quoted part, and """ outside quotes gives a single literal quote.
namespace platform {

namespace {

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Quoting state within one run of quotes: 0 outside quotes, 1 inside, 2 just closed. A third
// quote in a run emits a literal quote and leaves quoting (the state returns to 0).
constexpr int kQuoteCycle = 3;

std::size_t readProgramName(const std::wstring& line, std::wstring& name) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        for (i = 1; i < line.size() && line[i] != L'"'; ++i) {
            name += line[i];
        }
        return i < line.size() ? i + 1 : i;
    }
    for (; i < line.size() && !isBlank(line[i]); ++i) {
        name += line[i];
    }
    return i;
}

class ArgumentReader {
public:
    explicit ArgumentReader(const std::wstring& line) : line_(line) {}

    std::vector<std::wstring> readFrom(std::size_t pos) {
        pos_ = pos;
        while (skipBlanks()) {
            arguments_.push_back(readOne());
        }
        return std::move(arguments_);
    }

private:
    bool skipBlanks() {
        while (pos_ < line_.size() && isBlank(line_[pos_])) {
            ++pos_;
        }
        return pos_ < line_.size();
    }

    std::wstring readOne() {
        std::wstring argument;
        int quoteState = 0;
        while (pos_ < line_.size()) {
            const wchar_t c = line_[pos_];
            if (isBlank(c) && quoteState == 0) {
                break;
            }
            if (c == L'\\') {
                readBackslashes(argument, quoteState);
            } else if (c == L'"') {
                ++pos_;
                readQuoteRun(argument, quoteState, 1);
            } else {
                argument += c;
                ++pos_;
            }
        }
        return argument;
    }

    void readBackslashes(std::wstring& argument, int& quoteState) {
        std::size_t count = 0;
        while (pos_ < line_.size() && line_[pos_] == L'\\') {
            ++count;
            ++pos_;
        }
        const bool beforeQuote = pos_ < line_.size() && line_[pos_] == L'"';
        if (!beforeQuote) {
            argument.append(count, L'\\');
            return;
        }
        argument.append(count / 2, L'\\');
        ++pos_;  // the quote
        if (count % 2 == 1) {
            argument += L'"';
            readQuoteRun(argument, quoteState, 0);
        } else {
            readQuoteRun(argument, quoteState, 1);
        }
    }

    // Called after the quote at the start of a run has been consumed; `counted` says whether that
    // quote takes part in the quoting (1) or was an escaped literal (0).
    void readQuoteRun(std::wstring& argument, int& quoteState, int counted) {
        quoteState += counted;
        while (pos_ < line_.size() && line_[pos_] == L'"') {
            ++pos_;
            if (++quoteState == kQuoteCycle) {
                argument += L'"';
                quoteState = 0;
            }
        }
        if (quoteState == 2) {
            quoteState = 0;
        }
    }

    const std::wstring& line_;
    std::size_t pos_ = 0;
    std::vector<std::wstring> arguments_;
};

bool needsQuotes(const std::wstring& argument) {
    return argument.empty() || argument.find_first_of(L" \t\n\v\"") != std::wstring::npos;
}

}  // namespace

std::vector<std::wstring> splitCommandLine(const std::wstring& commandLine) {
    // CommandLineToArgvW answers the program's own path for an empty line; without a program to
    // name here, an empty line has no arguments.
    if (commandLine.empty()) {
        return {};
    }
    std::wstring program;
    const std::size_t rest = readProgramName(commandLine, program);
    std::vector<std::wstring> arguments = ArgumentReader(commandLine).readFrom(rest);
    arguments.insert(arguments.begin(), program);
    return arguments;
}

std::wstring commandLineArguments(const std::wstring& commandLine) {
    std::wstring program;
    std::size_t rest = readProgramName(commandLine, program);
    while (rest < commandLine.size() && isBlank(commandLine[rest])) {
        ++rest;
    }
    return commandLine.substr(rest);
}

std::wstring quoteArgument(const std::wstring& argument) {
    if (!needsQuotes(argument)) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Backslashes before the closing quote are doubled so that they stay backslashes.
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

}  // namespace platform
