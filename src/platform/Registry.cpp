#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// A store larger than this is not a store of this program.
constexpr qint64 MaxStoreBytes = 1 << 20;
// The read's buffer, the terminating character included.
constexpr qsizetype BufferChars = 1024;

enum class ValueType { Text, Number, Other };

struct StoredValue {
    ValueType type;
    QString text;
};

QString& storeOverride() {
    static QString fileName;
    return fileName;
}

QString storeFile() {
    if (!storeOverride().isEmpty())
        return storeOverride();
    // The folder of the settings store; asked in INI form, which names a file everywhere.
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, u"WinVrls"_s);
    return QFileInfo(settings.fileName()).absolutePath() + u"/WinVrls-registry.ini"_s;
}

std::optional<QString> rootName(std::uint32_t root) {
    switch (root) {
    case hkey::ClassesRoot:
        return u"HKEY_CLASSES_ROOT"_s;
    case hkey::CurrentUser:
        return u"HKEY_CURRENT_USER"_s;
    case hkey::LocalMachine:
        return u"HKEY_LOCAL_MACHINE"_s;
    case hkey::Users:
        return u"HKEY_USERS"_s;
    default:
        return std::nullopt;
    }
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The text of entry `name` in section `section` of the store; the first one when repeated.
std::optional<QString> storedEntry(const QString& section, const QString& name) {
    QFile file(storeFile());
    if (file.size() > MaxStoreBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromUtf8(file.readAll());
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            // A broken section line ends the section before it without opening another.
            inSection =
                line.endsWith(u']') && sameName(line.sliced(1).chopped(1).trimmed(), section);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inSection && equals > 0 && sameName(line.first(equals).trimmed(), name))
            return line.sliced(equals + 1).trimmed().toString();
    }
    return std::nullopt;
}

bool isHexNumber(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return false;
    for (const QChar c : digits) {
        if (!(c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f')))
            return false;
    }
    return true;
}

// Reads an entry as the registry's value read sees it; nothing when it cannot be read.
std::optional<StoredValue> interpret(const QString& entry) {
    if (entry.startsWith(u"dword:"_s, Qt::CaseInsensitive)) {
        const QStringView digits = QStringView(entry).sliced(6);
        if (!isHexNumber(digits))
            return std::nullopt;
        return StoredValue{ValueType::Number, QString::number(digits.toUInt(nullptr, 16))};
    }
    if (entry.startsWith(u"hex:"_s, Qt::CaseInsensitive) ||
        (entry.startsWith(u"hex("_s, Qt::CaseInsensitive) && entry.contains(u"):"_s)))
        return StoredValue{ValueType::Other, {}};
    QString text = entry;
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.sliced(1).chopped(1);
    if (text.size() + 1 > BufferChars)
        return std::nullopt;
    if (const qsizetype end = text.indexOf(QChar(0)); end >= 0)
        text.truncate(end);
    return StoredValue{ValueType::Text, text};
}

bool namesSysInfoPath(std::uint32_t root, const QString& keyName, const QString& valueName) {
    return root == hkey::LocalMachine &&
           sameName(keyName, u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO") &&
           sameName(valueName, u"PATH");
}

// A known system-information program on PATH.
std::optional<StoredValue> sysInfoOnPath() {
    static const std::array Names{u"kinfocenter"_s, u"hardinfo2"_s, u"hardinfo"_s};
    for (const QString& name : Names) {
        if (QString program = QStandardPaths::findExecutable(name); !program.isEmpty())
            return StoredValue{ValueType::Text, std::move(program)};
    }
    return std::nullopt;
}

} // namespace

bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                 QString& KeyVal) {
    std::optional<StoredValue> value;
    if (const std::optional<QString> root = rootName(KeyRoot)) {
        const QString section = KeyName.isEmpty() ? *root : *root + u'\\' + KeyName;
        if (const std::optional<QString> entry = storedEntry(section, SubKeyRef))
            value = interpret(*entry);
    }
    if (!value && namesSysInfoPath(KeyRoot, KeyName, SubKeyRef))
        value = sysInfoOnPath();
    if (!value) {
        KeyVal.clear();
        return false;
    }
    if (value->type != ValueType::Other)
        KeyVal = value->text;
    return true;
}

QString setRegistryStore(const QString& fileName) {
    return std::exchange(storeOverride(), fileName);
}

} // namespace platform
