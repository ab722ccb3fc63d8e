#include "app/TakenOutFile.h"

#include "app/ContentDigest.h"
#include "ui/UiText.h"

#include "locker/Locker.h"
#include "platform/FileUseWatch.h"
#include "platform/HandOffFile.h"
#include "platform/ProcessIdentity.h"
#include "platform/ProcessLaunch.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Every hand-off alive, for an end of the program that destroys nothing.
std::vector<TakenOutFile*>& live() {
    static std::vector<TakenOutFile*> files;
    return files;
}

// "$temp.dat" in the working directory, or nothing when that directory is gone (a path made
// from it then would point at the root folder).
QString handOffPath() {
    const QString folder = QDir::currentPath();
    return folder.isEmpty() ? QString() : folder + u'/' + TakenOutFile::Name;
}

} // namespace

TakenOutFile::TakenOutFile(QObject* parent) : QObject(parent), m_file(handOffPath()) {
    if (m_file.fileName().isEmpty())
        throw platform::RuntimeError(platform::err::PathNotFound, ui::WorkingFolderGone.arg(Name));
    if (!removeStale())
        throw platform::RuntimeError(platform::err::PermissionDenied);
    m_record.file = m_file.fileName();
    m_record.owner = platform::currentProcessTag();
    try {
        platform::createOwnerOnly(m_file);
    } catch (const platform::RuntimeError& error) {
        throw platform::RuntimeError(
            error.number(),
            ui::HandOffNotCreated.arg(QDir::toNativeSeparators(QDir::currentPath()), Name) +
                error.description());
    }
    handoff::remember(m_record);
    live().push_back(this);
    // exit() (as when the display connection is lost) skips every destructor. Registered
    // this late so that it runs before the static objects the clean-up uses are destroyed.
    static const bool AtExit = std::atexit(&TakenOutFile::endAllByForce) == 0;
    Q_UNUSED(AtExit);
    m_poll.setInterval(std::chrono::seconds(1));
    connect(&m_poll, &QTimer::timeout, this, &TakenOutFile::check);
}

TakenOutFile::~TakenOutFile() {
    if (!m_finished)
        endByForce();
    std::erase(live(), this);
}

void TakenOutFile::handTo(const QString& application, const QString& lockerFile,
                          const QString& password, locker::KeyType keyType,
                          const std::optional<QString>& appHeader) {
    m_file.close();
    m_record.lockerFile = QFileInfo(lockerFile).absoluteFilePath();
    m_record.keyType = locker::numberOf(keyType);
    m_record.appHeader = appHeader;
    m_record.digest = contentDigest(m_record.file);
    m_password = password;
    handoff::remember(m_record);
    m_watch = new platform::FileUseWatch(m_record.file, this);
    connect(m_watch, &platform::FileUseWatch::opened, this, [this] {
        if (!m_processRuns)
            m_openedSinceEnd = true;
    });
    connect(m_watch, &platform::FileUseWatch::released, this, &TakenOutFile::check);
    platform::startProgram(application, {Name}, this, [this] { processEnded(); });
    m_processRuns = true;
    m_running.start();
}

void TakenOutFile::processEnded() {
    m_processRuns = false;
    m_readerAwaited = m_running.elapsed() < LauncherRun.count();
    m_waiting.start();
    m_poll.start();
    check();
}

// Gone when nobody has it open and, after a launcher, its reader has come or too long passed.
void TakenOutFile::check() {
    if (m_finished || m_processRuns)
        return;
    if (platform::openInOtherProcess(m_record.file)) {
        m_readerAwaited = false;
        return;
    }
    if (m_readerAwaited && !m_openedSinceEnd && m_waiting.elapsed() < ReaderWait.count())
        return;
    Q_EMIT unused();
}

void TakenOutFile::remove() {
    m_finished = true;
    m_poll.stop();
    m_file.close();
    QFile::remove(m_record.file);
    handoff::forget(m_record.file);
}

void TakenOutFile::keepForNextStart() {
    m_finished = true;
    m_poll.stop();
}

void TakenOutFile::endByForce() {
    m_finished = true;
    m_poll.stop();
    if (m_record.changed()) {
        QString target;
        try {
            target = reserveNameBeside(m_record.lockerFile);
            locker::putAway(m_record.file, target, m_password,
                            locker::keyTypeFromNumber(m_record.keyType), m_record.appHeader);
            handoff::addForcedPutAway(target);
        } catch (const std::exception&) {
            if (!target.isEmpty())
                QFile::remove(target);
            keepForNextStart();
            return;
        }
    }
    remove();
}

void TakenOutFile::endAllByForce() {
    // endByForce leaves the objects in the list; their destructors take them out.
    for (TakenOutFile* file : live()) {
        if (file->inUse())
            file->endByForce();
    }
}

bool TakenOutFile::removeStale() {
    const QString path = handOffPath();
    if (path.isEmpty() || (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()))
        return true;
    if (handoff::heldByLiveCopy(path))
        return false;
    QFile::remove(path);
    handoff::forget(path);
    return true;
}

QString TakenOutFile::reserveNameBeside(const QString& lockerFile) {
    const QFileInfo original(lockerFile);
    const QString suffix = original.suffix().isEmpty() ? QString() : u'.' + original.suffix();
    for (int n = 2;; ++n) {
        const QString name = original.dir().filePath(original.completeBaseName() +
                                                     QStringLiteral(" (%1)").arg(n) + suffix);
        QFile reserved(name);
        try {
            platform::createOwnerOnly(reserved);
            return name;
        } catch (const platform::RuntimeError&) {
            if (!QFileInfo::exists(name))
                throw;
        }
    }
}
