#pragma once

#include <QLineEdit>

namespace webhost {

class BaseBlkWinow;

// The address bar of a web window (shown when editVisible). On Enter its line is
// - "…inject…": the developer globals "test" (an object) and "popup" (a function) are defined;
// - "javascript:" + script: the script runs in the view;
// - "call…": the page's document URL, title and cookie are shown in message boxes;
// - anything else: loaded as URL.
class AddressBar : public QLineEdit {
public:
    static constexpr int kMaxLength = 1023;

    enum class Action { Inject, RunScript, ShowDocument, Load };
    static Action classify(const QString& line);

    AddressBar(QWidget* parent, BaseBlkWinow& window);

private:
    void onEnter();
    void injectTestGlobals();
    void showDocumentInfo();

    BaseBlkWinow& m_window;
};

}  // namespace webhost
