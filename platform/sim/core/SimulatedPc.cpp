#include "SimulatedPc.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sim/core/SimLogging.h"

namespace platform::sim {

SimulatedPc::SimulatedPc(const QString& directory, const Facilities& facilities, Open mode)
    : m_facilities(facilities) {
    m_machine = mode == Open::SeedIfEmpty ? Machine::openOrSeed(directory, facilities, m_error)
                                          : Machine::open(directory, facilities, m_error);
    if (m_machine == nullptr) {
        if (m_error.isEmpty()) {
            m_error = QStringLiteral("%1: the simulated PC cannot be opened").arg(directory);
        }
        m_machine = Machine::refusing(directory, m_error);
    }
}

void SimulatedPc::build() const {
    const std::lock_guard<std::recursive_mutex> lock(m_buildLock);
    if (m_building) {
        return;  // a facility's build asking for one built before it
    }
    m_building = true;
    for (const FacilityDescription& facility : m_facilities) {
        if (facility.build != nullptr) {
            facility.build(const_cast<SimulatedPc&>(*this));
        }
    }
    m_built.store(true, std::memory_order_release);
}

SimulatedPc::~SimulatedPc() {
    // A facility may hold on to one built before it: the last built goes first.
    for (auto type = m_order.rbegin(); type != m_order.rend(); ++type) {
        release(*type);
    }
}

void SimulatedPc::release(std::type_index type) const {
    const auto held = m_objects.find(type);
    if (held != m_objects.end()) {
        held->second.destroy(held->second.object);
        m_objects.erase(held);
    }
}

void* SimulatedPc::findOrNull(std::type_index type) const {
    if (!m_built.load(std::memory_order_acquire)) {
        build();
    }
    const auto held = m_objects.find(type);
    return held == m_objects.end() ? nullptr : held->second.object;
}

void* SimulatedPc::find(std::type_index type) const {
    void* object = findOrNull(type);
    if (object == nullptr) {
        // A build without the facility that serves an interface it uses: a programming error
        // that no caller could recover from.
        qCCritical(lcSim) << "no facility of the simulated PC provides" << type.name();
        std::abort();
    }
    return object;
}

const FacilityDescription* SimulatedPc::facility(const QString& name) const {
    const auto found = std::find_if(
        m_facilities.begin(), m_facilities.end(),
        [&name](const FacilityDescription& facility) { return facility.name == name; });
    return found == m_facilities.end() ? nullptr : &*found;
}

const SimProgram* SimulatedPc::program(const QString& name) const {
    return findSimProgram(m_facilities, name);
}

}  // namespace platform::sim
