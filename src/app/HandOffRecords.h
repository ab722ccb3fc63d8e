#pragma once

#include "platform/HandOffFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Where each file handed to an application lies and what it came from, kept in the settings
// folder (readable by its owner only) from the take out until the file is gone, so that a
// start after a crash finds a file left behind. Neither the key password nor anything drawn
// from the content is kept: whether the file changed is told from its stamp alone.
struct HandOffRecord {
    QString file;       // absolute path of the handed-over file
    QString owner;      // the program copy that handed it over (platform::currentProcessTag)
    QString lockerFile; // the locker file it was taken out of
    int keyType = 0;    // the locking method's number, as stored
    std::optional<QString> appHeader; // the application header of that locker file
    // The file as the completed take out left it; nothing while the take out runs.
    std::optional<platform::FileStamp> stamp;
    QStringList openers; // process tags of every process seen opening it

    // True when a regular file is there and it is not the one the completed take out wrote.
    [[nodiscard]] bool changed() const;
};

namespace handoff {

void remember(const HandOffRecord& record);
void forget(const QString& file);
[[nodiscard]] QList<HandOffRecord> remembered();
// The record of a file that a running copy of the program holds, if any.
[[nodiscard]] std::optional<HandOffRecord> heldByLiveCopy(const QString& file);

// Locker files written when the program was ended by force, to be named at the next start.
void addForcedPutAway(const QString& lockerFile);
[[nodiscard]] QStringList takeForcedPutAways();

} // namespace handoff
