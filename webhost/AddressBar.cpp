#include "AddressBar.h"

#include "BaseBlkWinow.h"
#include "process/Dialogs.h"

namespace webhost {
namespace {

const QString kInject = QStringLiteral("inject");
const QString kJavaScript = QStringLiteral("javascript:");
const QString kCall = QStringLiteral("call");

// "popup" shows its argument; both globals are aids for developers poking at a page.
const QString kPopupScript =
    QStringLiteral("window.popup = function (text) { window.alert(String(text)); };");

}  // namespace

AddressBar::Action AddressBar::classify(const QString& line) {
    if (line.contains(kInject)) {
        return Action::Inject;
    }
    if (line.startsWith(kJavaScript)) {
        return Action::RunScript;
    }
    if (line.startsWith(kCall)) {
        return Action::ShowDocument;
    }
    return Action::Load;
}

AddressBar::AddressBar(QWidget* parent, BaseBlkWinow& window)
    : QLineEdit(parent), m_window(window) {
    setMaxLength(kMaxLength);
    connect(this, &QLineEdit::returnPressed, this, &AddressBar::onEnter);
}

void AddressBar::onEnter() {
    WebView* view = m_window.view();
    if (!view) {
        return;
    }
    const QString line = text().left(kMaxLength);
    switch (classify(line)) {
        case Action::Inject:
            injectTestGlobals();
            break;
        case Action::RunScript:
            view->runScript(line.mid(kJavaScript.size()));
            break;
        case Action::ShowDocument:
            showDocumentInfo();
            break;
        case Action::Load:
            view->loadUrl(line);
            break;
    }
}

void AddressBar::injectTestGlobals() {
    JsValue test = JsValue::emptyObject();
    test.set("handle", JsValue::integer(m_window.handle()));
    m_window.view()->setGlobal("test", test);
    m_window.view()->runScript(kPopupScript);
}

void AddressBar::showDocumentInfo() {
    WebView* view = m_window.view();
    process::messageBox(window(), view->url(), QStringLiteral("URL"), process::kMbOk);
    process::messageBox(window(), view->title(), QStringLiteral("title"), process::kMbOk);
    process::messageBox(window(), view->cookies(), QStringLiteral("cookie"), process::kMbOk);
}

}  // namespace webhost
