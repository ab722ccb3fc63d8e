#include "platform/SettingsStore.h"

#include <QSettings>

namespace platform {

QString getSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue) {
    // The native store in user scope, named after the application alone.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, appName);
    settings.beginGroup(section);
    return settings.value(key, defaultValue).toString();
}

void saveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& setting) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, appName);
    settings.beginGroup(section);
    settings.setValue(key, setting);
    settings.sync();
}

} // namespace platform
