#include "app/HandOffRecords.h"

#include "app/ContentDigest.h"

#include "platform/ProcessIdentity.h"

#include <QFile>
#include <QSettings>

namespace handoff {

namespace {

const QString FilesGroup = QStringLiteral("Files");
const QString ForcedKey = QStringLiteral("ForcedPutAways");

QSettings openStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("WinVrls"),
                     QStringLiteral("HandOff"));
}

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
    store.setValue(QStringLiteral("Digest"), QString::fromLatin1(record.digest.toHex()));
    store.endGroup();
    store.endGroup();
    store.sync();
}

void forget(const QString& file) {
    QSettings store = openStore();
    store.beginGroup(FilesGroup);
    store.remove(keyOf(file));
    store.endGroup();
    store.sync();
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
        record.digest =
            QByteArray::fromHex(store.value(QStringLiteral("Digest")).toString().toLatin1());
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
    store.sync();
}

QStringList takeForcedPutAways() {
    QSettings store = openStore();
    const QStringList lockerFiles = store.value(ForcedKey).toStringList();
    store.remove(ForcedKey);
    store.sync();
    return lockerFiles;
}

} // namespace handoff

bool HandOffRecord::changed() const {
    // A file whose take out never completed has no digest: nothing of the user's is in it.
    return !digest.isEmpty() && QFile::exists(file) && contentDigest(file) != digest;
}
