#include "app/StoredSettings.h"

#include "platform/SettingsStore.h"

#include <QDir>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace settings {

namespace {

const QString AppName = QStringLiteral("WinVrls");
const QString StartUp = QStringLiteral("StartUp");
const QString Default = QStringLiteral("Default");

QString read(const QString& section, const QString& key) {
    return platform::getSetting(AppName, section, key, QString());
}

void write(const QString& section, const QString& key, const QString& value) {
    platform::saveSetting(AppName, section, key, value);
}

// Placement values are single-precision numbers, held within MaxPlacementTwips either way.
double readSingle(const QString& key, double defaultValue) {
    bool ok = false;
    const float value = read(StartUp, key).trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return defaultValue;
    return std::clamp<double>(value, -MaxPlacementTwips, MaxPlacementTwips);
}

// The shortest decimal text that reads back as the same single-precision number.
QString singleText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    return QString::fromLatin1(text, result.ptr - text);
}

// Option values are 16-bit integers.
int readInteger(const QString& key, int defaultValue) {
    bool ok = false;
    const short value = read(Default, key).trimmed().toShort(&ok);
    return ok ? value : defaultValue;
}

bool readBoolean(const QString& key, bool defaultValue) {
    const QString text = read(Default, key).trimmed();
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return defaultValue;
}

} // namespace

Placement readPlacement() {
    const Placement defaults;
    return {readSingle(QStringLiteral("Top"), defaults.top),
            readSingle(QStringLiteral("Left"), defaults.left),
            readSingle(QStringLiteral("Height"), defaults.height),
            readSingle(QStringLiteral("Width"), defaults.width)};
}

void writePlacement(const Placement& placement) {
    write(StartUp, QStringLiteral("Top"), singleText(placement.top));
    write(StartUp, QStringLiteral("Left"), singleText(placement.left));
    write(StartUp, QStringLiteral("Height"), singleText(placement.height));
    write(StartUp, QStringLiteral("Width"), singleText(placement.width));
}

QString defaultFilePath() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:");
#else
    return QDir::homePath();
#endif
}

int readKeyType() {
    return readInteger(QStringLiteral("KeyType"), DefaultKeyType);
}

bool readStartPass() {
    return readBoolean(QStringLiteral("StartPass"), DefaultStartPass);
}

int readAppMode() {
    return readInteger(QStringLiteral("AppMode"), DefaultAppMode);
}

QString readFilePath() {
    return platform::getSetting(AppName, Default, QStringLiteral("FilePath"), defaultFilePath());
}

void writeKeyType(int keyType) {
    write(Default, QStringLiteral("KeyType"), QString::number(keyType));
}

void writeStartPass(bool startPass) {
    write(Default, QStringLiteral("StartPass"),
          startPass ? QStringLiteral("True") : QStringLiteral("False"));
}

void writeAppMode(int appMode) {
    write(Default, QStringLiteral("AppMode"), QString::number(appMode));
}

void writeFilePath(const QString& filePath) {
    write(Default, QStringLiteral("FilePath"), filePath);
}

} // namespace settings
