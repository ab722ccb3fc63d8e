#pragma once

#include "app/HandOffRecords.h"
#include "locker/Locker.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace locker::dataprotect {
class LockedBytes;
}
namespace platform {
class FileUseWatch;
}

// A file in the working directory through which a take out hands the taken-out bytes to an
// application, by its relative name: "$temp.dat", or "$temp2.dat", "$temp3.dat", ... when
// that name is taken. It is created owner-only and exclusively. Once handed over it lives
// while the started program or anything it started runs, while any process has it open, and
// while any process that opened it since runs; then it reports `unused`, and its owner
// finishes it: a changed file may be put back, then it is deleted. A file nobody ever opened
// stays until its owner ends it. Ended by force (or destroyed unfinished), it puts a changed
// file away into a new locker file beside the original and deletes itself. Its record in the
// settings folder lives as long as the file does; the key password stays in locked memory.
class TakenOutFile : public QObject {
    Q_OBJECT

public:
    static inline const QString Name = QStringLiteral("$temp.dat");
    // How often whether anyone still uses the file is looked at; it goes after two looks in a
    // row found nobody.
    static inline std::chrono::milliseconds CheckInterval = std::chrono::seconds(1);

    // The first name of the pattern at which nothing lies in the working directory.
    [[nodiscard]] static QString freeName();
    // Claims `name` in the working directory for writing; raises the runtime error.
    explicit TakenOutFile(const QString& name = Name, QObject* parent = nullptr);
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
    [[nodiscard]] QString name() const;
    // Runs `use` with the key password it was taken out with; the text is wiped afterwards.
    void withPassword(const std::function<void(const QString&)>& use) const;
    // True until finished.
    [[nodiscard]] bool live() const { return !m_finished; }
    // True once an application has completed a write to it or put a new file under its name.
    [[nodiscard]] bool saved() const { return m_saved; }
    // True while the started program (or anything it started) runs, or a process has the
    // file open or has opened it and still runs.
    [[nodiscard]] bool used();
    // True while a process other than this one has the file open.
    [[nodiscard]] bool held() const;
    // True when the file differs from what the take out wrote. Reads it, so the watch's lease
    // is let go first: only for the end of its life.
    [[nodiscard]] bool changed();
    // Deletes the file and its record.
    void remove();
    // Leaves the file and its record for the next start to offer again.
    void keepForNextStart();
    // Puts a changed file away into a new locker file beside the original, then deletes it;
    // a file that cannot be put away stays, with its record, for the next start.
    void endByForce();

    // Ends every live hand-off by force: for an end of the program that skips the event loop.
    static void endAllByForce();
    // A free name beside `lockerFile` ("name (2).ext", ...), created empty so that nothing
    // else takes it before a locker file is written over it; raises the runtime error.
    static QString reserveNameBeside(const QString& lockerFile);

Q_SIGNALS:
    // Everyone who used the file has ended; repeated every second until it is finished.
    void unused();
    // An application saved it (see saved()).
    void savedNow();

private:
    void check();
    void stopWatching();

    QFile m_file;
    HandOffRecord m_record;
    QByteArray m_digest; // of the content as taken out; never leaves memory
    std::unique_ptr<locker::dataprotect::LockedBytes> m_password;
    platform::FileUseWatch* m_watch = nullptr;
    QTimer m_poll;
    qint64 m_group = 0;
    QString m_leader;
    bool m_processRuns = false;
    int m_idleChecks = 0;
    bool m_saved = false;
    bool m_finished = false;
};
