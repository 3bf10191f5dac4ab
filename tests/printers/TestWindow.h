#pragma once

#include <QList>

#include "printers/PrinterRecords.h"
#include "webhost/WindowList.h"
#include "webhost/WindowMessages.h"

// A window of this process that keeps the printer messages it receives.
class TestWindow : public webhost::MessageTarget {
public:
    struct Received {
        unsigned message = 0;
        webhost::WParam wParam = 0;
        PrinterAPI::PrinterChangeInfo info;
    };

    TestWindow() : m_handle(webhost::windowList::allocateHandle()) {
        webhost::windowList::add(m_handle, this, QStringLiteral("TestWindow"));
    }
    ~TestWindow() override { webhost::windowList::remove(m_handle); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    webhost::LResult windowProc(webhost::WindowMessage& message) override {
        Received received{message.message, message.wParam, {}};
        if (auto* payload = message.payloadAs<PrinterAPI::PrinterChangePayload>()) {
            received.info = payload->info;
        }
        messages.append(received);
        return 0;
    }

    webhost::WindowHandle handle() const { return m_handle; }

    // The first change message about `printer` with a flag of `change`, or null.
    const Received* find(const QString& printer, quint32 change) const {
        for (const Received& received : messages) {
            if (received.message == PrinterAPI::kMsgPrinterChange &&
                received.info.printerName == printer && (received.info.dwChanged & change)) {
                return &received;
            }
        }
        return nullptr;
    }

    QList<Received> messages;

private:
    webhost::WindowHandle m_handle;
};
