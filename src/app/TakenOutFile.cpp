#include "app/TakenOutFile.h"

#include "app/ContentDigest.h"
#include "ui/UiText.h"

#include "locker/Locker.h"
#include "locker/crypto/DataProtectLockedMemory.h"
#include "locker/stream/Wiping.h"
#include "platform/FileUseWatch.h"
#include "platform/HandOffFile.h"
#include "platform/ProcessIdentity.h"
#include "platform/ProcessLaunch.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Every hand-off alive, for an end of the program that destroys nothing.
std::vector<TakenOutFile*>& liveFiles() {
    static std::vector<TakenOutFile*> files;
    return files;
}

// `name` in the working directory, or nothing when that directory is gone (a path made from
// it then would point at the root folder).
QString pathInWorkingFolder(const QString& name) {
    const QString folder = QDir::currentPath();
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

// Two quiet checks in a row: a program that hands the file on to another one already running
// may end just before that one opens it.
constexpr int QuietChecks = 2;

} // namespace

QString TakenOutFile::freeName() {
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? Name : QStringLiteral("$temp%1.dat").arg(n);
        const QString path = pathInWorkingFolder(name);
        if (path.isEmpty() || !platform::entryExists(path))
            return name;
    }
}

TakenOutFile::TakenOutFile(const QString& name, QObject* parent)
    : QObject(parent), m_file(pathInWorkingFolder(name)) {
    if (m_file.fileName().isEmpty())
        throw platform::RuntimeError(platform::err::PathNotFound, ui::WorkingFolderGone.arg(name));
    m_record.file = m_file.fileName();
    m_record.owner = platform::currentProcessTag();
    try {
        platform::createOwnerOnly(m_file);
    } catch (const platform::RuntimeError& error) {
        throw platform::RuntimeError(
            error.number(),
            ui::HandOffNotCreated.arg(QDir::toNativeSeparators(QDir::currentPath()), name) +
                error.description());
    }
    handoff::remember(m_record);
    liveFiles().push_back(this);
    // exit() (as when the display connection is lost) skips every destructor. Registered
    // this late so that it runs before the static objects the clean-up uses are destroyed.
    static const bool AtExit = std::atexit(&TakenOutFile::endAllByForce) == 0;
    Q_UNUSED(AtExit);
    m_poll.setInterval(CheckInterval);
    connect(&m_poll, &QTimer::timeout, this, &TakenOutFile::check);
}

TakenOutFile::~TakenOutFile() {
    if (!m_finished)
        endByForce();
    std::erase(liveFiles(), this);
}

QString TakenOutFile::name() const {
    return QFileInfo(m_record.file).fileName();
}

void TakenOutFile::handTo(const QString& application, const QString& lockerFile,
                          const QString& password, locker::KeyType keyType,
                          const std::optional<QString>& appHeader) {
    platform::syncToDisk(m_file);
    m_file.close();
    m_record.lockerFile = QFileInfo(lockerFile).absoluteFilePath();
    m_record.keyType = locker::numberOf(keyType);
    m_record.appHeader = appHeader;
    m_record.stamp = platform::regularFileStamp(m_record.file);
    m_digest = contentDigest(m_record.file);
    const auto bytes = std::size_t(password.size()) * sizeof(QChar);
    m_password = std::make_unique<locker::dataprotect::LockedBytes>(bytes);
    std::memcpy(m_password->data(), password.constData(), bytes);
    handoff::remember(m_record);
    m_watch = new platform::FileUseWatch(m_record.file, this);
    connect(m_watch, &platform::FileUseWatch::saved, this, [this] {
        m_saved = true;
        Q_EMIT savedNow();
    });
    connect(m_watch, &platform::FileUseWatch::openersChanged, this, [this] {
        m_record.openers = m_watch->openers();
        handoff::remember(m_record);
    });
    m_leader = platform::currentProcessTag(); // no later than the program's own start
    m_group =
        platform::startProgram(application, {name()}, this, [this] { m_processRuns = false; });
    m_processRuns = true;
    m_poll.start();
}

void TakenOutFile::withPassword(const std::function<void(const QString&)>& use) const {
    QString password;
    if (m_password)
        password = QString(reinterpret_cast<const QChar*>(m_password->data()),
                           qsizetype(m_password->size() / sizeof(QChar)));
    try {
        use(password);
    } catch (...) {
        locker::wipe(password.data(), std::size_t(password.size()) * sizeof(QChar));
        throw;
    }
    locker::wipe(password.data(), std::size_t(password.size()) * sizeof(QChar));
}

bool TakenOutFile::used() {
    if (m_finished || !m_watch)
        return false;
    if (m_processRuns || platform::groupAlive(m_group, m_leader))
        return true;
    return !m_watch->users().isEmpty();
}

bool TakenOutFile::held() const {
    return !platform::holdersOf(m_record.file).isEmpty();
}

// Gone once somebody opened it and nobody uses it any more. A file nobody opened waits.
void TakenOutFile::check() {
    if (m_finished)
        return;
    if (used() || !m_watch->everOpened()) {
        m_idleChecks = 0;
        return;
    }
    if (++m_idleChecks >= QuietChecks)
        Q_EMIT unused();
}

bool TakenOutFile::changed() {
    const std::optional<platform::FileStamp> now = platform::regularFileStamp(m_record.file);
    if (!m_record.stamp || !now || *now == *m_record.stamp)
        return false;
    stopWatching();
    return contentDigest(m_record.file) != m_digest;
}

void TakenOutFile::stopWatching() {
    if (m_watch)
        m_watch->stopLease();
}

void TakenOutFile::remove() {
    m_finished = true;
    m_poll.stop();
    stopWatching();
    m_file.close();
    QFile::remove(m_record.file);
    handoff::forget(m_record.file);
    m_password.reset();
}

void TakenOutFile::keepForNextStart() {
    m_finished = true;
    m_poll.stop();
    stopWatching();
    m_password.reset();
}

void TakenOutFile::endByForce() {
    m_finished = true;
    m_poll.stop();
    stopWatching();
    if (changed()) {
        QString target;
        try {
            target = reserveNameBeside(m_record.lockerFile);
            withPassword([&](const QString& password) {
                locker::putAway(m_record.file, target, password,
                                locker::keyTypeFromNumber(m_record.keyType), m_record.appHeader);
            });
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
    for (TakenOutFile* file : liveFiles()) {
        if (file->live())
            file->endByForce();
    }
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
            if (!platform::entryExists(name))
                throw;
        }
    }
}
