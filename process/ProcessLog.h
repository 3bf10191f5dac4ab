#pragma once

#include <QLoggingCategory>

// Traces of the process utilities (the debugger output of the Windows build).
Q_DECLARE_LOGGING_CATEGORY(lcProcess)
