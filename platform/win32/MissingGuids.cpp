// Class and interface identifiers that mingw-w64's import libraries do not carry, though its
// headers declare them. Values as the Windows SDK defines them.
#include <windows.h>
// (windows.h first: the COM headers need its types.)
#include <netfw.h>

// netfw.h: the firewall policy of Windows Vista and later.
extern "C" const GUID CLSID_NetFwPolicy2 = {
    0xe2b3c97f, 0x6ae1, 0x41ac, {0x81, 0x7a, 0xf6, 0xf9, 0x21, 0x66, 0xd7, 0xdd}};
extern "C" const GUID IID_INetFwPolicy2 = {
    0x98325047, 0xc671, 0x4174, {0x8d, 0x81, 0xde, 0xfc, 0xd3, 0xf0, 0x31, 0x86}};

// devpkey.h's DEVPKEY_* constants are not needed here: the device properties are asked for by
// the keys of platform/Devices.cpp, converted in Win32Devices.cpp.
