#include "platform/AnsiCodePage.h"
#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

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
        QCOMPARE(ToAnsiBytes(QStringLiteral("Az~\\\uFF61\uFF9F")), QByteArray("Az~\\\xA1\xDF"));
        QCOMPARE(errorOf([] { (void)ToAnsiBytes(QStringLiteral("あ")); }), err::Overflow);
        QCOMPARE(errorOf([] { (void)ToAnsiBytes(QStringLiteral("\u00E9")); }), err::Overflow);
        // Every byte reads back as one character; single-byte codes round-trip.
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = FromAnsiBytes(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0xB1), QChar(0xFF71));
        QCOMPARE(text.at(0x81), QChar(QChar::ReplacementCharacter));
        QCOMPARE(ToAnsiBytes(FromAnsiBytes("vrls/usr/bin/\xB1vrls")),
                 QByteArray("vrls/usr/bin/\xB1vrls"));
    }

    void systemErrorsMapOntoTheSystemsNumbers() {
        QCOMPARE(ErrorNumberFromErrno(ENOENT, false), err::FileNotFound);
        QCOMPARE(ErrorNumberFromErrno(ENOENT, true), err::PathNotFound);
        QCOMPARE(ErrorNumberFromErrno(EACCES, true), err::PermissionDenied);
        QCOMPARE(ErrorNumberFromErrno(ENOSPC, true), err::DiskFull);
        QCOMPARE(ErrorNumberFromErrno(EIO, false), err::DeviceIo);
        QCOMPARE(ErrorNumberFromErrno(ENAMETOOLONG, true), err::BadFileName);
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
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"
