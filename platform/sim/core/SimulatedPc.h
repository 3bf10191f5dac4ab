#pragma once

#include <QString>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <typeindex>

#include "Facility.h"
#include "Machine.h"

namespace platform::sim {

// One simulated Windows PC opened by this process, with the interfaces of its facilities.
//
// Opening never fails outright: a folder that is not a machine, or whose state is corrupt, gives
// a PC whose error() says why (naming the file) and whose state store refuses every read and
// write, so each facility answers the errors it documents for unreachable state.
class SimulatedPc {
public:
    enum class Open {
        Existing,     // the folder must hold a machine
        SeedIfEmpty,  // an empty or missing folder is first created from the default profile
    };

    SimulatedPc(const QString& directory, const Facilities& facilities, Open mode);
    ~SimulatedPc();
    SimulatedPc(const SimulatedPc&) = delete;
    SimulatedPc& operator=(const SimulatedPc&) = delete;

    bool isOpen() const { return m_error.isEmpty(); }
    // Empty when open, else a one-line reason naming the file at fault.
    QString error() const { return m_error; }

    Machine& machine() { return *m_machine; }
    const Machine& machine() const { return *m_machine; }
    const Facilities& facilities() const { return m_facilities; }
    // The description of the facility whose document is `name`, or null.
    const FacilityDescription* facility(const QString& name) const;
    // The program of the registered facilities by its Windows name (a path, any letter case,
    // with or without ".exe"), or null.
    const SimProgram* program(const QString& name) const;

    // The interface a facility provided. Every interface the platform layer declares is
    // provided by one registered facility.
    // The facilities are built at the first get(), in registration order.
    template <class Interface>
    Interface& get() const {
        return *static_cast<Interface*>(find(std::type_index(typeid(Interface))));
    }

    // The interface when a registered facility provides it, else null: for a facility that
    // follows another one where the PC has it.
    template <class Interface>
    Interface* tryGet() const {
        return static_cast<Interface*>(findOrNull(std::type_index(typeid(Interface))));
    }

    // For a facility's build function: `object` serves `Interface` for the life of the PC.
    template <class Interface>
    void provide(std::unique_ptr<Interface> object) const {
        const std::type_index type(typeid(Interface));
        release(type);
        m_objects[type] =
            Held{object.release(), [](void* p) { delete static_cast<Interface*>(p); }};
        m_order.push_back(type);
    }

private:
    struct Held {
        void* object = nullptr;
        void (*destroy)(void*) = nullptr;
    };

    void* find(std::type_index type) const;
    void* findOrNull(std::type_index type) const;
    void build() const;
    void release(std::type_index type) const;

    Facilities m_facilities;
    std::unique_ptr<Machine> m_machine;
    QString m_error;
    // Built once, by the first get() of any thread; a facility's build may get() those built
    // before it, on the same thread.
    mutable std::recursive_mutex m_buildLock;
    mutable std::atomic<bool> m_built{false};
    mutable bool m_building = false;
    mutable std::map<std::type_index, Held> m_objects;
    mutable std::vector<std::type_index> m_order;  // provided order; destroyed in reverse
};

}  // namespace platform::sim
