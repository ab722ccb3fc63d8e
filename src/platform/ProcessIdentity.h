#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// A running process told apart from any later one that reuses its number: the process
// number and its start time, as text that can be stored.
[[nodiscard]] QString currentProcessTag();
// The tag of process `pid`; empty when it does not run.
[[nodiscard]] QString processTag(qint64 pid);

// True while the process of `tag` (from currentProcessTag) still runs; one that has ended
// and only waits to be reaped counts as ended.
[[nodiscard]] bool processTagAlive(const QString& tag);

// True while any process of the process group `group` runs, as long as that group's leader
// `leaderTag` was its founder (a later group reusing the number does not count).
[[nodiscard]] bool groupAlive(qint64 group, const QString& leaderTag);

// The processes of this user that now wait in an open() until a file lease is let go.
[[nodiscard]] QStringList waitingForLease();

} // namespace platform
