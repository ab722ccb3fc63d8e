#include "platform/AnsiCodePage.h"
#include "platform/NativeName.h"
#include "platform/RemovedOnSignal.h"
#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {
QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}
} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void ansiCodePageHasSingleByteCodesOnly() {
        QCOMPARE(toAnsiBytes(QStringLiteral("Az~\\\uFF61\uFF9F")), QByteArray("Az~\\\xA1\xDF"));
        QCOMPARE(errorOf([] { (void)toAnsiBytes(QStringLiteral("あ")); }), err::Overflow);
        QCOMPARE(errorOf([] { (void)toAnsiBytes(QStringLiteral("\u00E9")); }), err::Overflow);
        // Every byte reads back as one character; single-byte codes round-trip.
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = fromAnsiBytes(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0xB1), QChar(0xFF71));
        QCOMPARE(text.at(0x81), QChar(QChar::ReplacementCharacter));
        QCOMPARE(toAnsiBytes(fromAnsiBytes("vrls/usr/bin/\xB1vrls")),
                 QByteArray("vrls/usr/bin/\xB1vrls"));
    }

    // Any bytes come back as they were, so two names never become one; valid UTF-8 reads as
    // the user interface has it, and no invalid form decodes to another character ("\xC0\xAF"
    // must not become "/").
    void nativeNamesRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("ASCII") << QByteArray("plain.txt") << true;
        QTest::newRow("Japanese") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC.vrl") << true;
        QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x94\x92") << true;
        QTest::newRow("Latin-1") << QByteArray("\xE9t\xE9") << false;
        QTest::newRow("Shift_JIS") << QByteArray("\x83\x65\x83\x58\x83\x67") << false;
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF"
                                                      "b")
                                        << false;
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB2\x80") << false;
        QTest::newRow("cut sequence") << QByteArray("x\xE3\x81") << false;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    }
    void nativeNamesRoundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        const QString name = nameFromNative(bytes);
        QCOMPARE(nativeName(name), bytes);
        QCOMPARE(name == QString::fromUtf8(bytes), utf8);
        QVERIFY(!name.contains(u'/') || bytes.contains('/'));
    }

    // A registered file goes when SIGTERM ends the process, which still ends by that signal;
    // one whose registration ended stays.
    void registeredFileIsRemovedWhenASignalEndsTheProcess() {
        const QTemporaryDir dir;
        const QByteArray removed = QFile::encodeName(dir.filePath(QStringLiteral("plain")));
        const QByteArray kept = QFile::encodeName(dir.filePath(QStringLiteral("kept")));
        for (const QByteArray& path : {removed, kept})
            QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly);
        const pid_t child = ::fork();
        if (child == 0) {
            { const RemovedOnSignal released(kept); }
            const RemovedOnSignal registered(removed);
            ::raise(SIGTERM);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        QVERIFY(!QFile::exists(QFile::decodeName(removed)));
        QVERIFY(QFile::exists(QFile::decodeName(kept)));
    }

    void systemErrorsMapOntoTheSystemsNumbers() {
        QCOMPARE(errorNumberFromErrno(ENOENT, false), err::FileNotFound);
        QCOMPARE(errorNumberFromErrno(ENOENT, true), err::PathNotFound);
        QCOMPARE(errorNumberFromErrno(EACCES, true), err::PermissionDenied);
        QCOMPARE(errorNumberFromErrno(ENOSPC, true), err::DiskFull);
        QCOMPARE(errorNumberFromErrno(EIO, false), err::DeviceIo);
        QCOMPARE(errorNumberFromErrno(ENAMETOOLONG, true), err::BadFileName);
        QVERIFY(!RuntimeError(err::DiskFull).description().isEmpty());
    }

    void replacingFileTakesTheTargetsPlaceOnlyOnCommit() {
        const QString target = m_dir.filePath(QStringLiteral("target"));
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup);
        {
            ReplacingFile abandoned(target);
            abandoned.device().write("never seen");
        }
        QCOMPARE(readAll(target), QByteArray("old"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        ReplacingFile replacement(target);
        replacement.device().write("new");
        QCOMPARE(readAll(target), QByteArray("old"));
        replacement.commit();
        QCOMPARE(readAll(target), QByteArray("new"));
        QVERIFY(QFile::permissions(target) & QFileDevice::ReadGroup);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void replacingFileForPlaintextIsPrivate() {
        const QString target = m_dir.filePath(QStringLiteral("plain"));
        ReplacingFile file(target, ReplacingFile::Access::OwnerOnly);
        file.device().write("secret");
        file.commit();
        QCOMPARE(QFile::permissions(target) &
                     (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
    }

    void replacingFileRefusesImpossibleTargets() {
        QCOMPARE(errorOf([&] { ReplacingFile(m_dir.filePath(QStringLiteral("no/such/x"))); }),
                 err::PathNotFound);
        QCOMPARE(errorOf([&] { ReplacingFile(m_dir.path()); }), err::PathFileAccess);
        QCOMPARE(errorOf([] { ReplacingFile unnamed{QString()}; }), err::BadFileName);
        // A lone surrogate that no file name's bytes give.
        QCOMPARE(errorOf([&] { ReplacingFile(m_dir.filePath(QString(QChar(0xD800)))); }),
                 err::BadFileName);
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"
