#include "platform/sim/lsa/SimLsa.h"

#include "platform/LocalUsers.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/lsa/LsaDocument.h"

namespace platform::sim::lsa {

namespace {

using namespace platform::lsaapi;

struct WellKnownAccount {
    const char* sid;
    const char* domain;
    const char* name;
    SidType type;
};

// The accounts every Windows PC has (well-known SIDs, KB 243330), with the names of an
// English-language installation.
constexpr WellKnownAccount kWellKnown[] = {
    {"S-1-1-0", "", "Everyone", SidType::WellKnownGroup},
    {"S-1-5-11", "NT AUTHORITY", "Authenticated Users", SidType::WellKnownGroup},
    {"S-1-5-18", "NT AUTHORITY", "SYSTEM", SidType::WellKnownGroup},
    {"S-1-5-19", "NT AUTHORITY", "LOCAL SERVICE", SidType::WellKnownGroup},
    {"S-1-5-20", "NT AUTHORITY", "NETWORK SERVICE", SidType::WellKnownGroup},
    {"S-1-5-32-544", "BUILTIN", "Administrators", SidType::Alias},
    {"S-1-5-32-545", "BUILTIN", "Users", SidType::Alias},
    {"S-1-5-32-546", "BUILTIN", "Guests", SidType::Alias},
    {"S-1-5-32-547", "BUILTIN", "Power Users", SidType::Alias},
    {"S-1-5-32-551", "BUILTIN", "Backup Operators", SidType::Alias},
    {"S-1-5-32-555", "BUILTIN", "Remote Desktop Users", SidType::Alias},
};

// Names and SIDs of one PC, as LookupAccountName/LookupAccountSid see them.
class Accounts {
public:
    Accounts(const QString& machineSid, const QString& computer,
             const std::vector<UserAccount>& users)
        : m_machineSid(machineSid), m_computer(computer), m_users(users) {}

    bool sidOf(const QString& account, QString& sid, AccountName& name) const {
        if (isSidString(account)) {
            sid = account.toUpper();
            return nameOf(sid, name);
        }
        const int slash = account.indexOf(QLatin1Char('\\'));
        const QString domain = slash < 0 ? QString() : account.left(slash);
        const QString user = slash < 0 ? account : account.mid(slash + 1);
        for (const WellKnownAccount& known : kWellKnown) {
            if (user.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0 &&
                (slash < 0 ||
                 domain.compare(QLatin1String(known.domain), Qt::CaseInsensitive) == 0)) {
                sid = QLatin1String(known.sid);
                name = {QString::fromLatin1(known.name).toStdWString(),
                        QString::fromLatin1(known.domain).toStdWString(), known.type};
                return true;
            }
        }
        if (slash >= 0 && domain.compare(m_computer, Qt::CaseInsensitive) != 0 &&
            domain != QLatin1String(".")) {
            return false;
        }
        for (const UserAccount& local : m_users) {
            if (user.compare(QString::fromStdWString(local.name), Qt::CaseInsensitive) == 0) {
                sid = m_machineSid + QLatin1Char('-') + QString::number(local.relativeId);
                name = {local.name, m_computer.toStdWString(), SidType::User};
                return true;
            }
        }
        return false;
    }

    bool nameOf(const QString& sid, AccountName& name) const {
        for (const WellKnownAccount& known : kWellKnown) {
            if (sid.compare(QLatin1String(known.sid), Qt::CaseInsensitive) == 0) {
                name = {QString::fromLatin1(known.name).toStdWString(),
                        QString::fromLatin1(known.domain).toStdWString(), known.type};
                return true;
            }
        }
        const QString prefix = m_machineSid + QLatin1Char('-');
        if (!sid.startsWith(prefix, Qt::CaseInsensitive)) {
            return false;
        }
        bool ok = false;
        const std::uint32_t rid = sid.mid(prefix.size()).toUInt(&ok);
        for (const UserAccount& local : m_users) {
            if (ok && local.relativeId == rid) {
                name = {local.name, m_computer.toStdWString(), SidType::User};
                return true;
            }
        }
        return false;
    }

    // The SID an entry of the rights table stands for; empty for a name of no account.
    QString sidOfEntry(const QString& entry) const {
        QString sid;
        AccountName unused;
        if (isSidString(entry)) {
            return entry.toUpper();
        }
        return sidOf(entry, sid, unused) ? sid : QString();
    }

private:
    QString m_machineSid;
    QString m_computer;
    std::vector<UserAccount> m_users;
};

class SimLsaPolicy;

class SimLsa : public Lsa {
public:
    SimLsa(StateStore& store, bool elevated, const QString& computer, const LocalUsers& users)
        : m_store(store), m_elevated(elevated), m_computer(computer), m_users(users) {}

    NtStatus openPolicy(std::uint32_t access, std::unique_ptr<LsaPolicy>& policy) override;

    win32::Error lookupName(const std::wstring& name, SidString& sid,
                            AccountName& account) override {
        LsaState state;
        std::vector<UserAccount> users;
        if (!read(state, users)) {
            return kNoneMapped;
        }
        QString found;
        if (!accounts(state, users).sidOf(QString::fromStdWString(name), found, account)) {
            return kNoneMapped;
        }
        sid = found.toStdWString();
        return win32::kSuccess;
    }

    win32::Error lookupSid(const SidString& sid, AccountName& account) override {
        LsaState state;
        std::vector<UserAccount> users;
        if (!read(state, users)) {
            return kNoneMapped;
        }
        return accounts(state, users).nameOf(QString::fromStdWString(sid), account)
                   ? win32::kSuccess
                   : kNoneMapped;
    }

    bool read(LsaState& state, std::vector<UserAccount>& users) const {
        QJsonObject document;
        QString error;
        if (!m_store.read(QLatin1String(kLsaFacility), document, error) ||
            !readLsaState(document, QLatin1String(kLsaFacility), state, error)) {
            qCWarning(lcSim).noquote() << error;
            return false;
        }
        // Without the user list only the well-known accounts resolve.
        m_users.enumerate(users);
        return true;
    }

    Accounts accounts(const LsaState& state, const std::vector<UserAccount>& users) const {
        return Accounts(state.machineSid, m_computer, users);
    }

    StateStore& store() { return m_store; }

private:
    StateStore& m_store;
    bool m_elevated;
    QString m_computer;
    const LocalUsers& m_users;
};

class SimLsaPolicy : public LsaPolicy {
public:
    SimLsaPolicy(SimLsa& lsa, std::uint32_t access) : m_lsa(lsa), m_access(access) {}

    NtStatus accountsWithRight(const std::wstring& right, std::vector<SidString>& result) override {
        result.clear();
        constexpr std::uint32_t kNeeded = kPolicyLookupNames | kPolicyViewLocalInformation;
        if ((m_access & kNeeded) != kNeeded) {
            return kStatusAccessDenied;
        }
        LsaState state;
        std::vector<UserAccount> users;
        if (!m_lsa.read(state, users)) {
            return kStatusInternalDbCorruption;
        }
        const QString name = knownRightName(QString::fromStdWString(right));
        if (name.isEmpty()) {
            return kStatusNoSuchPrivilege;
        }
        const Accounts accounts = m_lsa.accounts(state, users);
        for (const QString& entry : state.rights.value(name)) {
            const QString sid = accounts.sidOfEntry(entry);
            if (!sid.isEmpty()) {
                result.push_back(sid.toStdWString());
            }
        }
        return result.empty() ? kStatusNoMoreEntries : kStatusSuccess;
    }

    NtStatus addRight(const SidString& account, const std::wstring& right) override {
        return change(account, right, true);
    }

    NtStatus removeRight(const SidString& account, const std::wstring& right) override {
        return change(account, right, false);
    }

private:
    NtStatus change(const SidString& account, const std::wstring& right, bool add) {
        if ((m_access & kPolicyLookupNames) == 0) {
            return kStatusAccessDenied;
        }
        const QString sid = QString::fromStdWString(account).toUpper();
        if (!isSidString(sid)) {
            return kStatusInvalidParameter;
        }
        const QString name = knownRightName(QString::fromStdWString(right));
        if (name.isEmpty()) {
            return kStatusNoSuchPrivilege;
        }
        std::vector<UserAccount> users;
        LsaState unused;
        if (!m_lsa.read(unused, users)) {
            return kStatusInternalDbCorruption;
        }
        NtStatus status = kStatusSuccess;
        QString error;
        const bool written = m_lsa.store().update(
            QLatin1String(kLsaFacility),
            [&](QJsonObject& document) {
                LsaState state;
                QString readError;
                if (!readLsaState(document, QLatin1String(kLsaFacility), state, readError)) {
                    status = kStatusInternalDbCorruption;
                    return false;
                }
                const Accounts accounts = m_lsa.accounts(state, users);
                const bool holdsAny = holdsAnyRight(state, accounts, sid);
                QStringList& holders = state.rights[name];
                const auto held = [&](const QString& entry) {
                    return accounts.sidOfEntry(entry) == sid;
                };
                const bool holds = std::any_of(holders.begin(), holders.end(), held);
                if (add) {
                    if (holds) {
                        return false;
                    }
                    if (!holdsAny && (m_access & kPolicyCreateAccount) == 0) {
                        status = kStatusAccessDenied;
                        return false;
                    }
                    holders << sid;
                } else {
                    if (!holdsAny) {
                        status = kStatusObjectNameNotFound;
                        return false;
                    }
                    if (!holds) {
                        return false;
                    }
                    holders.erase(std::remove_if(holders.begin(), holders.end(), held),
                                  holders.end());
                }
                StateStore::replaceKeepingChangeCount(document, lsaStateJson(state));
                return true;
            },
            error);
        if (!written) {
            qCWarning(lcSim).noquote() << error;
            return kStatusInternalDbCorruption;
        }
        return status;
    }

    static bool holdsAnyRight(const LsaState& state, const Accounts& accounts, const QString& sid) {
        for (const QStringList& holders : state.rights) {
            for (const QString& entry : holders) {
                if (accounts.sidOfEntry(entry) == sid) {
                    return true;
                }
            }
        }
        return false;
    }

    SimLsa& m_lsa;
    std::uint32_t m_access;
};

NtStatus SimLsa::openPolicy(std::uint32_t access, std::unique_ptr<LsaPolicy>& policy) {
    policy.reset();
    if (!m_elevated && (access & ~kPolicyLookupNames) != 0) {
        return kStatusAccessDenied;
    }
    policy = std::make_unique<SimLsaPolicy>(*this, access);
    return kStatusSuccess;
}

}  // namespace

std::unique_ptr<Lsa> makeSimLsa(StateStore& store, bool elevated, const QString& computerName,
                                const LocalUsers& users) {
    return std::make_unique<SimLsa>(store, elevated, computerName, users);
}

}  // namespace platform::sim::lsa
