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

QString Read(const QString& section, const QString& key) {
    return platform::GetSetting(AppName, section, key, QString());
}

void Write(const QString& section, const QString& key, const QString& value) {
    platform::SaveSetting(AppName, section, key, value);
}

// Placement values are single-precision numbers, held within MaxPlacementTwips either way.
double ReadSingle(const QString& key, double defaultValue) {
    bool ok = false;
    const float value = Read(StartUp, key).trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return defaultValue;
    return std::clamp<double>(value, -MaxPlacementTwips, MaxPlacementTwips);
}

// The shortest decimal text that reads back as the same single-precision number.
QString SingleText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    return QString::fromLatin1(text, result.ptr - text);
}

// Option values are 16-bit integers.
int ReadInteger(const QString& key, int defaultValue) {
    bool ok = false;
    const short value = Read(Default, key).trimmed().toShort(&ok);
    return ok ? value : defaultValue;
}

bool ReadBoolean(const QString& key, bool defaultValue) {
    const QString text = Read(Default, key).trimmed();
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return defaultValue;
}

} // namespace

Placement ReadPlacement() {
    const Placement defaults;
    return {ReadSingle(QStringLiteral("Top"), defaults.top),
            ReadSingle(QStringLiteral("Left"), defaults.left),
            ReadSingle(QStringLiteral("Height"), defaults.height),
            ReadSingle(QStringLiteral("Width"), defaults.width)};
}

void WritePlacement(const Placement& placement) {
    Write(StartUp, QStringLiteral("Top"), SingleText(placement.top));
    Write(StartUp, QStringLiteral("Left"), SingleText(placement.left));
    Write(StartUp, QStringLiteral("Height"), SingleText(placement.height));
    Write(StartUp, QStringLiteral("Width"), SingleText(placement.width));
}

QString DefaultFilePath() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:");
#else
    return QDir::homePath();
#endif
}

int ReadKeyType() {
    return ReadInteger(QStringLiteral("KeyType"), DefaultKeyType);
}

bool ReadStartPass() {
    return ReadBoolean(QStringLiteral("StartPass"), DefaultStartPass);
}

int ReadAppMode() {
    return ReadInteger(QStringLiteral("AppMode"), DefaultAppMode);
}

QString ReadFilePath() {
    return platform::GetSetting(AppName, Default, QStringLiteral("FilePath"), DefaultFilePath());
}

void WriteKeyType(int keyType) {
    Write(Default, QStringLiteral("KeyType"), QString::number(keyType));
}

void WriteStartPass(bool startPass) {
    Write(Default, QStringLiteral("StartPass"),
          startPass ? QStringLiteral("True") : QStringLiteral("False"));
}

void WriteAppMode(int appMode) {
    Write(Default, QStringLiteral("AppMode"), QString::number(appMode));
}

void WriteFilePath(const QString& filePath) {
    Write(Default, QStringLiteral("FilePath"), filePath);
}

} // namespace settings
