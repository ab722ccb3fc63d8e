#pragma once

#include <QString>

namespace platform {

// The per-user application settings store: text values addressed by application name,
// section and key. A missing key, section or store gives the default.
[[nodiscard]] QString getSetting(const QString& appName, const QString& section, const QString& key,
                                 const QString& defaultValue);

// Stores a value; the store is written out before this returns.
void saveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& setting);

} // namespace platform
