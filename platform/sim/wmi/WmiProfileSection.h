#pragma once

#include <QString>

#include <QJsonObject>

#include "WmiModel.h"
#include "platform/sim/core/Profile.h"

namespace platform::sim {

// The profile's "wmi" section: where the PC's WMI objects come from and which step of reaching
// WMI fails.
//
//   "wmi": {
//       "source": "profile",            // or "host": the hardware classes are this machine's
//       "failAt": "",                    // optional: com, locator, connect, blanket or query
//       "classes": {                     // objects by class; string = VT_BSTR, whole number =
//           "Win32_Processor": [{"Name": "...", "NumberOfCores": 4}],   // VT_I4, null = VT_NULL
//           ...
//       }
//   }
//
// With "host", the operating-system class still comes from the profile.
ProfileSection wmiProfileSection();

inline const QLatin1String kWmiFacility{"wmi"};

// The model a WMI state document describes; host hardware is read when its source says so.
WmiModel wmiModelFromDocument(const QJsonObject& document);

}  // namespace platform::sim
