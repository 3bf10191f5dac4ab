#pragma once

#include <QString>

namespace webhost {

class BaseBlkWinow;

// The rule every web view applies to a navigation:
// - "exec://" + command line: the command line (the rest of the URL, not unescaped) is started
//   and the navigation cancelled;
// - "file://...": the URL as UTF-8, unescaped, without a leading "file:///", goes to the page
//   function "acceptFileBycpp" (this is how a file dropped on the page reaches it) and the
//   navigation is cancelled; off Windows a path that is not a drive path keeps its root
//   ("file:///tmp/a%20b.txt" gives "/tmp/a b.txt");
// - everything else goes on.
struct NavigationDecision {
    enum class Kind { Allow, Exec, AcceptFile };
    Kind kind = Kind::Allow;
    QString argument;  // the command line or the file path
};

NavigationDecision classifyNavigation(const QString& url);
// Applies the decision; answers whether the navigation may go on.
bool applyNavigationRule(const QString& url, BaseBlkWinow& window);

}  // namespace webhost
