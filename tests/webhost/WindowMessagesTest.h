#pragma once

#include <QObject>

// Window messages across threads, and the ownership of their payloads.
class WindowMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void postFromWorkerRunsOnUiThread();
    void sendFromWorkerWaitsForTheResult();
    void sendOnUiThreadCallsDirectly();
    void payloadFreedOnce_data();
    void payloadFreedOnce();
    void findByClassIgnoresLetterCase();
};
