#pragma once

#include <QString>

// In a headless run (tests, CI) the page's dialogs must not wait for a person: the environment
// variable CORVANTA_HEADLESS says how they are answered ("accept" or "reject"), and each
// answered dialog is logged to standard error.
namespace webhost::headless {

bool isHeadless();
bool accepts();
void log(const QString& kind, const QString& text, bool accepted);

}  // namespace webhost::headless
