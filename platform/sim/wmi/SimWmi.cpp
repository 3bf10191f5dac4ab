#include "SimWmi.h"

#include <optional>
#include <utility>

namespace platform::sim {

namespace {

constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005);

class SimWmiObject : public WmiObject {
public:
    explicit SimWmiObject(WmiProperties properties) : m_properties(std::move(properties)) {}

    HResult get(const std::wstring& property, WmiValue& value) const override {
        const auto found = m_properties.find(property);
        if (found == m_properties.end())
            return kWbemENotFound;
        value = found->second;
        return kSOk;
    }

private:
    WmiProperties m_properties;
};

class SimWmiEnumerator : public WmiEnumerator {
public:
    explicit SimWmiEnumerator(std::vector<WmiProperties> objects) : m_objects(std::move(objects)) {}

    HResult next(std::unique_ptr<WmiObject>& object) override {
        if (m_next >= m_objects.size()) {
            object.reset();
            return kSFalse;
        }
        object = std::make_unique<SimWmiObject>(m_objects[m_next++]);
        return kSOk;
    }

private:
    std::vector<WmiProperties> m_objects;
    std::size_t m_next = 0;
};

class SimWmiService : public WmiService {
public:
    explicit SimWmiService(WmiModel model) : m_model(std::move(model)) {}

    HResult setProxyBlanket() override {
        return m_model.failAt == L"blanket" ? kEAccessDenied : kSOk;
    }

    HResult execQuery(const std::wstring& wql, std::unique_ptr<WmiEnumerator>& result) override {
        if (m_model.failAt == L"query")
            return kRpcEServerUnavailable;
        WqlQuery query;
        if (!parseWql(wql, query))
            return kWbemEInvalidQuery;
        const auto found = m_model.classes.find(query.className);
        if (found == m_model.classes.end())
            return kWbemEInvalidClass;
        std::vector<WmiProperties> matching;
        for (const WmiProperties& object : found->second) {
            if (matchesWql(query, object))
                matching.push_back(object);
        }
        result = std::make_unique<SimWmiEnumerator>(std::move(matching));
        return kSOk;
    }

private:
    WmiModel m_model;
};

class SimWmi : public Wmi {
public:
    explicit SimWmi(std::function<WmiModel()> loadModel) : m_loadModel(std::move(loadModel)) {}

    HResult initializeCom() override { return m_loadModel().failAt == L"com" ? kEFail : kSOk; }
    void uninitializeCom() override {}

    HResult connect(const std::wstring& wmiNamespace, std::unique_ptr<WmiService>& service,
                    int& stage) override {
        WmiModel model = m_loadModel();
        stage = 0;
        if (model.failAt == L"locator")
            return kEFail;
        stage = 1;
        if (model.failAt == L"connect" || !isCimV2(wmiNamespace))
            return kWbemEInvalidNamespace;
        service = std::make_unique<SimWmiService>(std::move(model));
        return kSOk;
    }

private:
    static constexpr HResult kWbemEInvalidNamespace = static_cast<HResult>(0x8004100E);

    static bool isCimV2(const std::wstring& wmiNamespace) {
        std::wstring lower;
        for (wchar_t c : wmiNamespace)
            lower += static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
        return lower == L"root\\cimv2";
    }

    std::function<WmiModel()> m_loadModel;
    static thread_local std::optional<WmiModel> t_model;
};

thread_local std::optional<WmiModel> SimWmi::t_model;

}  // namespace

std::unique_ptr<Wmi> makeSimWmi(std::function<WmiModel()> loadModel) {
    return std::make_unique<SimWmi>(std::move(loadModel));
}

}  // namespace platform::sim
