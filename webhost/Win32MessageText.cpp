#include "Win32MessageText.h"

#include <QHash>

namespace webhost {
namespace {

const QHash<quint32, const char*>& messageTable() {
    static const QHash<quint32, const char*> table{
        {0, "The operation completed successfully."},
        {1, "Incorrect function."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough memory resources are available to process this command."},
        {13, "The data is invalid."},
        {50, "The request is not supported."},
        {53, "The network path was not found."},
        {87, "The parameter is incorrect."},
        {122, "The data area passed to a system call is too small."},
        {123, "The filename, directory name, or volume label syntax is incorrect."},
        {183, "Cannot create a file when that file already exists."},
        {234, "More data is available."},
        {259, "No more data is available."},
        {740, "The requested operation requires elevation."},
        {1018,
         "Illegal operation attempted on a registry key that has been marked for "
         "deletion."},
        {1060, "The specified service does not exist as an installed service."},
        {1223, "The operation was canceled by the user."},
        {1400, "Invalid window handle."},
        {1722, "The RPC server is unavailable."},
        {1801, "The printer name is invalid."},
    };
    return table;
}

}  // namespace

QString win32MessageText(quint32 code) {
    const auto it = messageTable().constFind(code);
    if (it == messageTable().constEnd()) {
        return QStringLiteral("unknown error %1").arg(code);
    }
    return QString::fromLatin1(it.value()) + QStringLiteral("\r\n");
}

}  // namespace webhost
