#pragma once

#include <QString>

#include <cstdint>

namespace platform {

// Handles of the registry's predefined root keys.
namespace hkey {
constexpr std::uint32_t ClassesRoot = 0x80000000;
constexpr std::uint32_t CurrentUser = 0x80000001;
constexpr std::uint32_t LocalMachine = 0x80000002;
constexpr std::uint32_t Users = 0x80000003;
} // namespace hkey

// Reads value `SubKeyRef` of key `KeyName` under `KeyRoot` into `KeyVal`: a text value as it
// is, cut before its first character of code 0; a 32-bit number as decimal text; a value of
// another type leaves `KeyVal` as it was. Returns false, with `KeyVal` empty, when the key or
// the value is missing or the text does not fit the 1024-character buffer of the read.
//
// The registry is a store of the program's own, an INI file whose sections are full key paths
// (root name, "\", key path) and whose entries are values, as a registry export writes them:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO]
//   PATH=/usr/bin/kinfocenter
//   Count=dword:0000002a
//
// Text may be quoted to keep blanks at its ends; "hex:" values are of another type. Names are
// compared regardless of letter case, as the registry does. When the store does not name the
// system-information tool, a known system-information program on PATH stands in for it.
[[nodiscard]] bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName,
                               const QString& SubKeyRef, QString& KeyVal);

// The store file: "WinVrls-registry.ini" in the settings folder unless another file was set.
// Setting one returns the previous setting; an empty name restores the default.
QString setRegistryStore(const QString& fileName);

} // namespace platform
