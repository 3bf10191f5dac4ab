#include "PrintUiCommandLines.h"

#include <array>

namespace PrinterAPI {

namespace {

constexpr const char* kEntry = "printui.dll,PrintUIEntry";
constexpr QChar kQuote = QLatin1Char('"');
constexpr std::array<const char*, 3> kWizardOptions = {" /il", " /ip", " /im"};

QString entry(const char* options) {
    return QLatin1String(kEntry) + QLatin1String(options);
}

QString quoted(const QString& text) {
    return kQuote + text + kQuote;
}

// A space, /n, the quoted name, a space.
QString namePart(const QString& queue) {
    return QStringLiteral(" /n") + quoted(queue) + QLatin1Char(' ');
}

}  // namespace

bool isPrintUiSafeName(const QString& queue) {
    return !queue.contains(kQuote);
}

QString testPageArguments(const QString& queue) {
    return entry(" /k ") + namePart(queue) + QStringLiteral(" /b ") +
           quoted(QStringLiteral("Test Page"));
}

QString queueWindowArguments(const QString& queue) {
    return entry(" /o ") + namePart(queue);
}

QString preferencesArguments(const QString& queue) {
    return entry(" /e /n ") + quoted(queue);
}

QString propertiesArguments(const QString& queue) {
    return entry(" /p /n ") + quoted(queue);
}

QString wizardArguments(int wizard) {
    if (wizard < 0 || wizard >= static_cast<int>(kWizardOptions.size())) {
        return {};
    }
    return entry(kWizardOptions[static_cast<std::size_t>(wizard)]);
}

QString rundll32CommandLine(const QString& arguments) {
    return QLatin1String(kRundll32Path) + QLatin1Char(' ') + arguments;
}

}  // namespace PrinterAPI
