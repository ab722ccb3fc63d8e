#include "app/HandOffRecords.h"

#include "platform/ProcessIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <array>

namespace handoff {

namespace {

const QString FilesGroup = QStringLiteral("Files");
const QString ForcedKey = QStringLiteral("ForcedPutAways");

QSettings openStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("WinVrls"),
                     QStringLiteral("HandOff"));
}

// Writes the store with its folder and file readable by their owner only: the paths and
// origins of taken-out files are nobody else's business.
void save(QSettings& store) {
    const QString folder = QFileInfo(store.fileName()).absolutePath();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    store.sync();
    QFile::setPermissions(store.fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

const QStringList StampKeys{QStringLiteral("Size"), QStringLiteral("Modified"),
                            QStringLiteral("Changed"), QStringLiteral("Inode"),
                            QStringLiteral("Device")};

// A path as one key: its separators would otherwise open sub-groups.
QString keyOf(const QString& file) {
    return QString::fromLatin1(file.toUtf8().toHex());
}

} // namespace

void remember(const HandOffRecord& record) {
    QSettings store = openStore();
    store.beginGroup(FilesGroup);
    store.beginGroup(keyOf(record.file));
    store.setValue(QStringLiteral("File"), record.file);
    store.setValue(QStringLiteral("Owner"), record.owner);
    store.setValue(QStringLiteral("LockerFile"), record.lockerFile);
    store.setValue(QStringLiteral("KeyType"), record.keyType);
    if (record.appHeader)
        store.setValue(QStringLiteral("AppHeader"), *record.appHeader);
    if (record.stamp) {
        const platform::FileStamp& stamp = *record.stamp;
        const std::array<qint64, 5> values{stamp.size, stamp.modified, stamp.changed,
                                           qint64(stamp.inode), qint64(stamp.device)};
        for (std::size_t i = 0; i < values.size(); ++i)
            store.setValue(StampKeys.at(qsizetype(i)), values.at(i));
    }
    store.setValue(QStringLiteral("Openers"), record.openers);
    store.endGroup();
    store.endGroup();
    save(store);
}

void forget(const QString& file) {
    QSettings store = openStore();
    store.beginGroup(FilesGroup);
    store.remove(keyOf(file));
    store.endGroup();
    save(store);
}

QList<HandOffRecord> remembered() {
    QSettings store = openStore();
    store.beginGroup(FilesGroup);
    QList<HandOffRecord> records;
    for (const QString& key : store.childGroups()) {
        store.beginGroup(key);
        HandOffRecord record;
        record.file = store.value(QStringLiteral("File")).toString();
        record.owner = store.value(QStringLiteral("Owner")).toString();
        record.lockerFile = store.value(QStringLiteral("LockerFile")).toString();
        record.keyType = store.value(QStringLiteral("KeyType")).toInt();
        if (store.contains(QStringLiteral("AppHeader")))
            record.appHeader = store.value(QStringLiteral("AppHeader")).toString();
        if (store.contains(StampKeys.front())) {
            std::array<qint64, 5> values{};
            for (std::size_t i = 0; i < values.size(); ++i)
                values.at(i) = store.value(StampKeys.at(qsizetype(i))).toLongLong();
            record.stamp = platform::FileStamp{values[0], values[1], values[2], quint64(values[3]),
                                               quint64(values[4])};
        }
        record.openers = store.value(QStringLiteral("Openers")).toStringList();
        store.endGroup();
        records.append(record);
    }
    return records;
}

std::optional<HandOffRecord> heldByLiveCopy(const QString& file) {
    for (const HandOffRecord& record : remembered()) {
        if (record.file == file && platform::processTagAlive(record.owner))
            return record;
    }
    return std::nullopt;
}

void addForcedPutAway(const QString& lockerFile) {
    QSettings store = openStore();
    store.setValue(ForcedKey, store.value(ForcedKey).toStringList() << lockerFile);
    save(store);
}

QStringList takeForcedPutAways() {
    QSettings store = openStore();
    const QStringList lockerFiles = store.value(ForcedKey).toStringList();
    store.remove(ForcedKey);
    save(store);
    return lockerFiles;
}

} // namespace handoff

bool HandOffRecord::changed() const {
    // A file whose take out never completed has no stamp: nothing of the user's is in it.
    const std::optional<platform::FileStamp> now = platform::regularFileStamp(file);
    return stamp && now && *now != *stamp;
}
