#include "platform/sim/users/SimLocalUsers.h"

#include <QJsonArray>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::users {

namespace {

const QLatin1String kAccounts("accounts");
const QLatin1String kName("name");
const QLatin1String kRid("rid");
const QLatin1String kFlags("flags");
const QLatin1String kComment("comment");

bool readAccount(const QJsonValue& value, const QString& path, LocalAccount& account,
                 QString& error) {
    QJsonObject object;
    quint64 rid = 0;
    quint64 flags = account.flags;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, {kName, kRid, kFlags, kComment}, path, error) ||
        !json::readString(object, kName, path, false, account.name, error) ||
        !json::readUnsigned(object, kRid, path, false, 0xFFFFFFFF, rid, error) ||
        !json::readUnsigned(object, kFlags, path, true, 0xFFFFFFFF, flags, error) ||
        !json::readString(object, kComment, path, true, account.comment, error)) {
        return false;
    }
    if (account.name.isEmpty()) {
        error = QStringLiteral("%1 must not be empty").arg(json::memberPath(path, kName));
        return false;
    }
    account.relativeId = static_cast<std::uint32_t>(rid);
    account.flags = static_cast<std::uint32_t>(flags);
    return true;
}

class SimLocalUsers : public LocalUsers {
public:
    SimLocalUsers(StateStore& store, bool elevated) : m_store(store), m_elevated(elevated) {}

    win32::Error getInfo1(const std::wstring& name, UserInfo1& info) const override {
        std::vector<LocalAccount> accounts;
        if (const win32::Error error = read(accounts)) {
            return error;
        }
        const LocalAccount* account = findAccount(accounts, QString::fromStdWString(name));
        if (account == nullptr) {
            return platform::users::kUserNotFound;
        }
        info = {account->name.toStdWString(), account->comment.toStdWString(), account->flags};
        return win32::kSuccess;
    }

    win32::Error setFlags(const std::wstring& name, std::uint32_t flags) override {
        if (!m_elevated) {
            return win32::kAccessDenied;
        }
        win32::Error result = win32::kSuccess;
        QString error;
        const bool written = m_store.update(
            QLatin1String(kUsersFacility),
            [&](QJsonObject& document) {
                std::vector<LocalAccount> accounts;
                QString readError;
                if (!readUsersDocument(document, accounts, readError)) {
                    result = kStateUnreadable;
                    return false;
                }
                LocalAccount* account = findAccount(accounts, QString::fromStdWString(name));
                if (account == nullptr) {
                    result = platform::users::kUserNotFound;
                    return false;
                }
                const std::uint32_t kept = account->flags & platform::users::kAccountTypeMask;
                const std::uint32_t next = (flags & ~platform::users::kAccountTypeMask) | kept;
                if (next == account->flags) {
                    return false;
                }
                account->flags = next;
                StateStore::replaceKeepingChangeCount(document, usersDocument(accounts));
                return true;
            },
            error);
        if (!written) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnwritable;
        }
        return result;
    }

    win32::Error enumerate(std::vector<UserAccount>& list) const override {
        list.clear();
        std::vector<LocalAccount> accounts;
        if (const win32::Error error = read(accounts)) {
            return error;
        }
        for (const LocalAccount& account : accounts) {
            list.push_back({account.name.toStdWString(), account.relativeId});
        }
        return win32::kSuccess;
    }

private:
    win32::Error read(std::vector<LocalAccount>& accounts) const {
        QJsonObject document;
        QString error;
        if (!m_store.read(QLatin1String(kUsersFacility), document, error) ||
            !readUsersDocument(document, accounts, error)) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnreadable;
        }
        return win32::kSuccess;
    }

    StateStore& m_store;
    bool m_elevated;
};

}  // namespace

bool readAccounts(const QJsonValue& list, const QString& path, std::vector<LocalAccount>& accounts,
                  QString& error) {
    accounts.clear();
    if (!list.isArray()) {
        error = QStringLiteral("%1 must be a list of accounts").arg(path);
        return false;
    }
    const QJsonArray entries = list.toArray();
    for (int i = 0; i < entries.size(); ++i) {
        LocalAccount account;
        const QString entryPath = json::indexPath(path, i);
        if (!readAccount(entries.at(i), entryPath, account, error)) {
            return false;
        }
        if (findAccount(accounts, account.name) != nullptr) {
            error = QStringLiteral("%1: a second account named %2").arg(entryPath, account.name);
            return false;
        }
        accounts.push_back(account);
    }
    return true;
}

bool readUsersDocument(const QJsonObject& document, std::vector<LocalAccount>& accounts,
                       QString& error) {
    const QString path = QLatin1String(kUsersFacility);
    if (!json::rejectUnknownFields(
            document, {kAccounts, QLatin1String(StateStore::kChangeCountField)}, path, error)) {
        return false;
    }
    if (!document.contains(kAccounts)) {
        accounts.clear();
        return true;
    }
    return readAccounts(document.value(kAccounts), json::memberPath(path, kAccounts), accounts,
                        error);
}

QJsonObject usersDocument(const std::vector<LocalAccount>& accounts) {
    QJsonArray list;
    for (const LocalAccount& account : accounts) {
        QJsonObject entry{{kName, account.name},
                          {kRid, double(account.relativeId)},
                          {kFlags, double(account.flags)}};
        if (!account.comment.isEmpty()) {
            entry.insert(kComment, account.comment);
        }
        list.append(entry);
    }
    return {{kAccounts, list}};
}

LocalAccount* findAccount(std::vector<LocalAccount>& accounts, const QString& name) {
    for (LocalAccount& account : accounts) {
        if (account.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &account;
        }
    }
    return nullptr;
}

std::unique_ptr<LocalUsers> makeSimLocalUsers(StateStore& store, bool elevated) {
    return std::make_unique<SimLocalUsers>(store, elevated);
}

}  // namespace platform::sim::users
