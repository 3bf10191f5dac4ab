#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

namespace platform::sim {

// The simulated PC's state: one JSON document per facility in <machine>/state/<facility>.json.
//
// Every update takes an exclusive lock on <facility>.lock, reads the document, changes it and
// replaces the file by an atomic rename, so two processes writing at once lose nothing and a
// process killed while writing leaves the old or the new document, never a mix. Reads take no
// lock: the rename makes every read see one whole document. Each update that changes a document
// raises its "changeCount", so a reader can tell whether it has seen the latest state.
//
// A document that does not parse is an error naming its file; it is never reset or rewritten.
class StateStore {
public:
    explicit StateStore(const QString& directory);
    // A store of a machine that could not be opened: every read, update and write fails with
    // `reason`, so the facilities on it answer their own errors for unreachable state.
    static StateStore refusing(const QString& directory, const QString& reason);

    QString directory() const { return m_directory; }
    QString documentPath(const QString& facility) const;

    // A facility without a document reads as an empty object.
    bool read(const QString& facility, QJsonObject& document, QString& error) const;

    // Changes the document under the facility's lock. `mutate` answers true when it changed the
    // document and it is to be written back; false leaves the file alone.
    using Mutation = std::function<bool(QJsonObject& document)>;
    bool update(const QString& facility, const Mutation& mutate, QString& error);

    // Replaces the document as a whole (seeding a new machine), also under the lock.
    bool write(const QString& facility, const QJsonObject& document, QString& error);

    static quint64 changeCount(const QJsonObject& document);
    // Inside an update: `document` becomes `replacement`, keeping the change count it had.
    static void replaceKeepingChangeCount(QJsonObject& document, QJsonObject replacement);

    // Inside an update: appends `entry` to the array `field`, a record of what programs asked
    // the PC for (restarts, Explorer windows, printer dialogs). Only the latest kLoggedRequests
    // are kept, so that a program asking again and again does not make every later read of
    // the document slower.
    static void appendToRequestLog(QJsonObject& document, const QString& field,
                                   const QJsonValue& entry);

    static inline const QLatin1String kChangeCountField{"changeCount"};
    static constexpr int kLoggedRequests = 100;

private:
    bool writeDocument(const QString& facility, const QJsonObject& document, QString& error);
    QString lockPath(const QString& facility) const;

    QString m_directory;
    QString m_refusal;  // empty for an open store
};

}  // namespace platform::sim
