#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Wmi.h"

namespace platform::sim {

// One WMI object: property name (as WMI spells it) to value.
using WmiProperties = std::map<std::wstring, WmiValue>;

// The WMI classes a simulated PC serves, and the steps at which reaching WMI fails there.
struct WmiModel {
    std::map<std::wstring, std::vector<WmiProperties>> classes;  // class name, lower case
    // Where reaching WMI fails: "" (never), "com", "locator", "connect", "blanket", or "query".
    std::wstring failAt;
};

// The part of a WQL query the simulated PC understands: SELECT * FROM <class>, optionally with
// one condition "WHERE <property> = '<text>'" or "!=" (as the product asks).
struct WqlQuery {
    std::wstring className;
    std::wstring property;  // empty: no condition
    bool notEqual = false;
    std::wstring value;
};

// Parses a query; false when it is not of that form.
bool parseWql(const std::wstring& wql, WqlQuery& query);

// Whether an object satisfies the query's condition. WQL compares strings without regard to
// case; an object without the property (NULL) satisfies neither = nor !=.
bool matchesWql(const WqlQuery& query, const WmiProperties& object);

}  // namespace platform::sim
