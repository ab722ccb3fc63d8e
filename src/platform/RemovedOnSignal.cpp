#include "platform/RemovedOnSignal.h"

#include "platform/RuntimeError.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int SlotCount = 32;
constexpr int NameCapacity = 256;

enum SlotState : int { Free, Filling, Armed };

struct Slot {
    std::atomic<int> state{Free};
    int folderFd = -1;
    char name[NameCapacity] = {};
};

Slot slots[SlotCount];
struct sigaction previousActions[NSIG];
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the table lock-free");

void onSignal(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : slots) {
        if (slot.state.load(std::memory_order_acquire) == Armed)
            ::unlinkat(slot.folderFd, slot.name, 0);
    }
    const struct sigaction& previous = previousActions[signal];
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL &&
        previous.sa_handler != SIG_IGN) {
        // A handler of the program's own (the window's orderly end) decides what follows;
        // this one stays installed for the files registered after it.
        previous.sa_handler(signal);
    } else {
        // Blocked while this handler runs: delivered to the previous disposition on return.
        ::sigaction(signal, &previous, nullptr);
        ::raise(signal);
    }
    errno = savedErrno;
}

void installHandlers() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        for (const int signal : Signals)
            sigaddset(&action.sa_mask, signal);
        for (const int signal : Signals) {
            ::sigaction(signal, nullptr, &previousActions[signal]);
            if (previousActions[signal].sa_handler != SIG_IGN)
                ::sigaction(signal, &action, nullptr);
        }
    });
}

int claimSlot(int folderFd, const QByteArray& name) {
    if (name.isEmpty() || name.size() >= NameCapacity)
        throw RuntimeError(err::BadFileName);
    installHandlers();
    for (int i = 0; i < SlotCount; ++i) {
        int expected = Free;
        if (slots[i].state.compare_exchange_strong(expected, Filling)) {
            slots[i].folderFd = folderFd;
            std::memcpy(slots[i].name, name.constData(), size_t(name.size()));
            slots[i].name[name.size()] = '\0';
            slots[i].state.store(Armed, std::memory_order_release);
            return i;
        }
    }
    throw RuntimeError(err::OutOfMemory);
}

} // namespace

RemovedOnSignal::RemovedOnSignal(int folderFd, const QByteArray& name)
    : m_slot(claimSlot(folderFd, name)) {}

RemovedOnSignal::RemovedOnSignal(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : path.first(qMax<qsizetype>(slash, 1));
    m_ownedFolderFd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_ownedFolderFd < 0)
        throw RuntimeError(errorNumberFromErrno(errno, true));
    try {
        m_slot = claimSlot(m_ownedFolderFd, path.sliced(slash + 1));
    } catch (...) {
        ::close(m_ownedFolderFd);
        throw;
    }
}

RemovedOnSignal::~RemovedOnSignal() {
    slots[m_slot].state.store(Free, std::memory_order_release);
    if (m_ownedFolderFd >= 0)
        ::close(m_ownedFolderFd);
}

} // namespace platform
