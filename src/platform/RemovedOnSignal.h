#pragma once

#include <QByteArray>

namespace platform {

// Removes a file when the process is ended by SIGINT, SIGTERM or SIGHUP while this object
// lives: a file that must not outlive an interrupted operation (a temporary file holding a
// prefix of the output, a plaintext file handed to another program). The signal handler
// unlinks the registered names from a fixed table, which is async-signal-safe, then gives
// the signal to the disposition that was there before (by default: the process ends; a
// handler of the program's own, such as the window's orderly end, is called and this one
// stays installed).
// A signal that was ignored when the first file was registered stays ignored.
//
// The folder is given as an open descriptor, so that the handler needs no path and the name
// stays right even if the working directory changes; it must stay open while registered.
class RemovedOnSignal {
public:
    // Registers `name` (at most 255 bytes) in the folder `folderFd`. Raises out of memory (7)
    // when too many files are registered at once.
    RemovedOnSignal(int folderFd, const QByteArray& name);
    // The file `path` (absolute or relative to the working directory of this moment).
    explicit RemovedOnSignal(const QByteArray& path);
    ~RemovedOnSignal();

    RemovedOnSignal(const RemovedOnSignal&) = delete;
    RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

private:
    int m_slot = -1;
    int m_ownedFolderFd = -1;
};

} // namespace platform
