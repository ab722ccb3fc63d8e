#pragma once

#include <QByteArray>

// The names of the temporary files written beside a target where the file system has no
// unnamed temporary files: ".vrl-PID-XXXXXX.tmp", the writer's process id and six random
// characters. The name does not grow with the target's, so it fits every folder that holds
// the target. The writer holds an exclusive lock on the file while it writes it.
namespace platform {

// A fresh name for a file written by this process.
[[nodiscard]] QByteArray newTemporaryName();

// The longest name newTemporaryName gives.
[[nodiscard]] qsizetype longestTemporaryName();

// Removes the temporary files left in the folder `folderFd` by writers that were killed:
// only names of the pattern above, regular files owned by this user, that no writer holds
// locked and whose writer's process is gone.
void sweepStaleTemporaries(int folderFd);

} // namespace platform
