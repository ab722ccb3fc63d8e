#pragma once

#include "app/HandOffRecords.h"
#include "locker/Locker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace platform {
class FileUseWatch;
}

// "$temp.dat", the file in the working directory through which a take out hands the
// taken-out bytes to an application, by its relative name. It is created owner-only and
// exclusively; one that a running copy of the program holds is refused (70), a stale one is
// replaced. Once handed over it stays while the started program runs and while any process
// has it open; after a quick end of the started program (a launcher handing the file on) it
// waits for the real reader to open and close it, at most ReaderWait. Then it reports
// `unused`, and its owner finishes it: a changed file may be put back, then it is deleted.
// Ended by force (or destroyed unfinished), it puts a changed file away into a new locker
// file beside the original and deletes itself. Its record in the settings folder lives as
// long as the file does.
class TakenOutFile : public QObject {
    Q_OBJECT

public:
    static inline const QString Name = QStringLiteral("$temp.dat");
    // How long a file handed on by a launcher waits for its reader to open it.
    static inline std::chrono::milliseconds ReaderWait = std::chrono::minutes(2);
    // A started program that ends sooner than this is taken for a launcher.
    static constexpr std::chrono::milliseconds LauncherRun = std::chrono::seconds(5);

    // Claims "$temp.dat" in the working directory for writing; raises the runtime error.
    explicit TakenOutFile(QObject* parent = nullptr);
    // Ends the file by force when it was not finished.
    ~TakenOutFile() override;
    TakenOutFile(const TakenOutFile&) = delete;
    TakenOutFile& operator=(const TakenOutFile&) = delete;

    [[nodiscard]] QFile& device() { return m_file; }
    // The take out has written the file from `lockerFile`: remembers where it lies, its
    // content and its origin, and starts `application` with it.
    void handTo(const QString& application, const QString& lockerFile, const QString& password,
                locker::KeyType keyType, const std::optional<QString>& appHeader);

    [[nodiscard]] const HandOffRecord& record() const { return m_record; }
    [[nodiscard]] const QString& password() const { return m_password; }
    // True until finished: an application may still want the file.
    [[nodiscard]] bool inUse() const { return !m_finished; }
    // Deletes the file and its record.
    void remove();
    // Leaves the file and its record for the next start to offer again.
    void keepForNextStart();
    // Puts a changed file away into a new locker file beside the original, then deletes it;
    // a file that cannot be put away stays, with its record, for the next start.
    void endByForce();

    // Ends every live hand-off by force: for an end of the program that skips the event loop.
    static void endAllByForce();
    // Removes a "$temp.dat" in the working directory that no running copy holds; false when
    // one does.
    static bool removeStale();
    // A free name beside `lockerFile` ("name (2).ext", ...), created empty so that nothing
    // else takes it before a locker file is written over it; raises the runtime error.
    static QString reserveNameBeside(const QString& lockerFile);

Q_SIGNALS:
    // Nobody uses the file any more; repeated every second until it is finished.
    void unused();

private:
    void processEnded();
    void check();

    QFile m_file;
    HandOffRecord m_record;
    QString m_password;
    platform::FileUseWatch* m_watch = nullptr;
    QTimer m_poll;
    QElapsedTimer m_running;
    QElapsedTimer m_waiting;
    bool m_processRuns = false;
    bool m_readerAwaited = false;
    bool m_openedSinceEnd = false;
    bool m_finished = false;
};
