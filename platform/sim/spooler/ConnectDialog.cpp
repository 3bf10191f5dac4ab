#include "ConnectDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <iostream>

namespace platform::sim::spooler {

namespace {

constexpr const char* kHeadlessVariable = "CORVANTA_HEADLESS";
constexpr const char* kHeadlessPrinterVariable = "CORVANTA_HEADLESS_PRINTER";
constexpr const char* kReject = "reject";

win32::Error connectHeadless(const std::function<win32::Error(const QString&)>& connect) {
    const QByteArray answer = qgetenv(kHeadlessVariable);
    const QString path = QString::fromLocal8Bit(qgetenv(kHeadlessPrinterVariable));
    if (answer == kReject || path.isEmpty()) {
        std::cerr << "connect to printer dialog: cancelled (headless)\n";
        return win32::kCancelled;
    }
    const win32::Error error = connect(path);
    std::cerr << "connect to printer dialog: " << path.toStdString() << " -> " << error
              << " (headless)\n";
    return error;
}

class ConnectDialog : public QDialog {
public:
    ConnectDialog() {
        setWindowTitle(QStringLiteral("Connect to a printer"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("Shared printer (\\\\computer\\printer):")));
        m_path = new QLineEdit;
        m_path->setPlaceholderText(QStringLiteral("\\\\computer\\printer"));
        layout->addWidget(m_path);
        m_message = new QLabel;
        layout->addWidget(m_message);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }

    QString path() const { return m_path->text().trimmed(); }
    void showError(win32::Error error) {
        m_message->setText(
            QStringLiteral("Windows cannot connect to the printer (error %1).").arg(error));
    }

private:
    QLineEdit* m_path = nullptr;
    QLabel* m_message = nullptr;
};

}  // namespace

win32::Error runConnectDialog(std::intptr_t,
                              const std::function<win32::Error(const QString& path)>& connect) {
    if (qEnvironmentVariableIsSet(kHeadlessVariable)) {
        return connectHeadless(connect);
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return win32::kNotSupported;  // no window system in this process
    }
    ConnectDialog dialog;
    while (dialog.exec() == QDialog::Accepted) {
        const win32::Error error = connect(dialog.path());
        if (error == win32::kSuccess) {
            return error;
        }
        dialog.showError(error);
    }
    return win32::kCancelled;
}

}  // namespace platform::sim::spooler
