#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode;
    QByteArray out;
    QString err;
};

// Runs vrl with `args`; the key password comes from the environment unless `password` is null.
Run vrl(const QStringList& args, const QString& password = QStringLiteral("key"),
        const QString& folder = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("VRL_PASSWORD"));
    if (!password.isNull())
        env.insert(QStringLiteral("VRL_PASSWORD"), password);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VRL_PROGRAM), args);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a bash script in `folder` with $VRL naming the program: bash's $'\xNN' gives file
// names bytes that QProcess's arguments could not carry.
Run script(const QString& folder, const QString& text) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VRL"), QStringLiteral(VRL_PROGRAM));
    env.insert(QStringLiteral("VRL_PASSWORD"), QStringLiteral("key"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), text});
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

struct stat statOf(const QByteArray& path) {
    struct stat info {};
    ::lstat(path.constData(), &info);
    return info;
}

mode_t modeOf(const QString& path) {
    return statOf(QFile::encodeName(path)).st_mode & 07777;
}

QByteArray attribute(const QString& path, const char* name) {
    QByteArray value(1 << 16, Qt::Uninitialized);
    const ssize_t size =
        ::getxattr(QFile::encodeName(path).constData(), name, value.data(), size_t(value.size()));
    return size < 0 ? QByteArray() : value.first(size);
}

// Owner read and write, the user 65534 read, mask read, others nothing: a mode of 0640.
QByteArray accessList() {
    QByteArray list;
    const auto add32 = [&](quint32 v) { list.append(reinterpret_cast<const char*>(&v), 4); };
    const auto entry = [&](quint16 tag, quint16 permissions, quint32 id) {
        list.append(reinterpret_cast<const char*>(&tag), 2);
        list.append(reinterpret_cast<const char*>(&permissions), 2);
        add32(id);
    };
    add32(2);
    entry(0x01, 6, quint32(-1));
    entry(0x02, 4, 65534);
    entry(0x04, 4, quint32(-1));
    entry(0x10, 4, quint32(-1));
    entry(0x20, 0, quint32(-1));
    return list;
}

// What an output name stands for; each is tried with every method.
enum OutputKind {
    ReplacedLockerKeepsMode,
    ReplacedPlaintextKeepsOwnerPart,
    ReplacedKeepsOwner,
    LinkChain,
    DanglingLink,
    ReplacedKeepsAttributes,
    Fifo,
    CharacterDevice,
    DescriptorToPipe,
    DescriptorToAppendedFile,
    ReadOnlyTarget,
    LongestName,
    TooLongName
};

} // namespace

class VrlTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void usageErrorsExitWithTwo_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("open"), u"a"_qs, u"b"_qs};
        QTest::newRow("one file") << QStringList{u"put"_qs, u"a"_qs};
        QTest::newRow("method out of range")
            << QStringList{u"put"_qs, u"--method"_qs, u"3"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("app mode on put")
            << QStringList{u"put"_qs, u"--app-mode"_qs, u"1"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("password as argument")
            << QStringList{u"take"_qs, u"--password"_qs, u"x"_qs, u"a"_qs, u"b"_qs};
        // The cross-password method records no application; it is the default method.
        QTest::newRow("app with method 2") << QStringList{
            u"put"_qs, u"--method"_qs, u"2"_qs, u"--app"_qs, u"/bin/x"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("app with the default method")
            << QStringList{u"put"_qs, u"--app"_qs, u"/bin/x"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("option after --")
            << QStringList{u"put"_qs, u"--"_qs, u"a"_qs, u"--method"_qs, u"0"_qs};
    }
    void usageErrorsExitWithTwo() {
        QFETCH(QStringList, args);
        const Run run = vrl(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains(u"usage"_qs));
    }

    void putAndTakeWithEveryMethod() {
        write(path("source"), "put away by vrl\n");
        for (const QString& method : {u"0"_qs, u"1"_qs, u"2"_qs}) {
            QCOMPARE(
                vrl({u"put"_qs, u"--method"_qs, method, path("source"), path("locker")}).exitCode,
                0);
            const Run run = vrl({u"take"_qs, u"--method"_qs, method, path("locker"), u"-"_qs});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.out, QByteArray("put away by vrl\n"));
        }
    }

    void recordedApplicationIsPrinted() {
        write(path("source"), "data");
        QCOMPARE(vrl({u"put"_qs, u"--method"_qs, u"1"_qs, u"--app"_qs, u"/usr/bin/app"_qs,
                      path("source"), path("locker")})
                     .exitCode,
                 0);
        Run run = vrl({u"take"_qs, u"--method"_qs, u"1"_qs, path("locker"), path("out")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains(u"application: /usr/bin/app"_qs));
        QCOMPARE(read(path("out")), QByteArray("data"));
        // Other modes leave the header in front of the data.
        run = vrl({u"take"_qs, u"--method"_qs, u"1"_qs, u"--app-mode"_qs, u"0"_qs, path("locker"),
                   u"-"_qs});
        QCOMPARE(run.out, QByteArray("vrls/usr/bin/appvrlsdata"));
    }

    void passwordFromAFile() {
        write(path("source"), "data");
        write(path("pw"), "from file\r\nsecond line\n");
        QCOMPARE(vrl({u"put"_qs, u"--method"_qs, u"0"_qs, u"--password-file"_qs, path("pw"),
                      path("source"), path("locker")},
                     QString())
                     .exitCode,
                 0);
        const Run run =
            vrl({u"take"_qs, u"--method"_qs, u"0"_qs, path("locker"), u"-"_qs}, u"from file"_qs);
        QCOMPARE(run.out, QByteArray("data"));
        // A pipe serves as well as a file.
        const Run piped = script(m_dir.path(), u"env -u VRL_PASSWORD \"$VRL\" take --method 0 "
                                               "--password-file <(echo 'from file') locker -"_qs);
        QCOMPARE(piped.out, QByteArray("data"));
        // A missing password file is a file error, not an empty password.
        const Run missing =
            vrl({u"take"_qs, u"--password-file"_qs, path("nothing"), path("locker"), u"-"_qs},
                QString());
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains(u"(53)"_qs));
        // An endless file without a line end is refused after a few KiB, not read into a
        // memory that grows until the program dies.
        const Run endless = script(m_dir.path(), u"ulimit -v 1000000; env -u VRL_PASSWORD "
                                                 "\"$VRL\" take --method 0 --password-file "
                                                 "/dev/zero locker -"_qs);
        QCOMPARE(endless.exitCode, 1);
        QVERIFY2(endless.err.contains(u"/dev/zero: パスワードファイルの 1 行目が長すぎます。"_qs),
                 qPrintable(endless.err));
        // A FIFO is waited for until its writer comes, not read as empty.
        const Run fifo = script(m_dir.path(), u"mkfifo pwfifo && (sleep 1; echo 'from file' > "
                                              "pwfifo) & env -u VRL_PASSWORD \"$VRL\" take "
                                              "--method 0 --password-file pwfifo locker -"_qs);
        QCOMPARE(fifo.out, QByteArray("data"));
    }

    // Names that are not UTF-8 stay apart and reach the file system as given; a message
    // names such a file with its own bytes.
    void namesReachTheFileSystemByteForByte_data() {
        QTest::addColumn<QString>("method");
        for (const char* method : {"0", "1", "2"})
            QTest::newRow(method) << QString::fromLatin1(method);
    }
    void namesReachTheFileSystemByteForByte() {
        QFETCH(QString, method);
        QTemporaryDir dir;
        const Run run = script(dir.path(), QStringLiteral(R"(m=%1
printf A > $'\x83\x65\x83\x58\x83\x67'; printf B > b
"$VRL" put --method $m $'\x83\x65\x83\x58\x83\x67' $'\xe9t\xe9.vrl' &&
"$VRL" put --method $m b $'\xe8t\xe8.vrl' &&
"$VRL" take --method $m $'\xe9t\xe9.vrl' - && "$VRL" take --method $m $'\xe8t\xe8.vrl' - &&
"$VRL" put --method $m $'\xff' x.vrl 2>&1; "$VRL" put --method $m $'a\nb\x1b' x.vrl 2>&1)")
                                               .arg(method));
        const QByteArray folder = QFile::encodeName(dir.path()) + '/';
        const bool bothNamesExist = ::access((folder + "\xe9t\xe9.vrl").constData(), F_OK) == 0 &&
                                    ::access((folder + "\xe8t\xe8.vrl").constData(), F_OK) == 0;
        script(dir.path(), u"rm -f -- *"_qs); // names QTemporaryDir could not remove
        // Control characters are shown escaped: a name cannot break a message into lines.
        QCOMPARE(run.out, QByteArray("ABvrl: \xff: ファイルが見つかりません。 (53)\n"
                                     "vrl: a\\nb\\x1b: ファイルが見つかりません。 (53)\n"));
        QVERIFY(bothNamesExist);
    }

    void outputsByKind_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("kind");
        const char* const kinds[] = {"locker keeps its mode",
                                     "plaintext keeps owner part",
                                     "owner kept where the user may set it",
                                     "chain of links",
                                     "dangling link",
                                     "attributes and ACL kept",
                                     "FIFO",
                                     "character device",
                                     "descriptor to a pipe",
                                     "descriptor to an appended file",
                                     "read-only target",
                                     "name of 255 bytes",
                                     "name of 256 bytes"};
        for (const char* method : {"0", "1", "2"})
            for (int kind = ReplacedLockerKeepsMode; kind <= TooLongName; ++kind)
                QTest::newRow(QByteArray(kinds[kind]).append(", method ").append(method))
                    << QString::fromLatin1(method) << kind;
    }
    void outputsByKind() {
        QFETCH(QString, method);
        QFETCH(int, kind);
        QTemporaryDir dir;
        const auto at = [&](const QString& name) { return dir.filePath(name); };
        write(at(u"source"_qs), "plaintext");
        const QStringList m{u"--method"_qs, method};
        QCOMPARE(
            vrl(QStringList{u"put"_qs} + m + QStringList{at(u"source"_qs), at(u"L"_qs)}).exitCode,
            0);
        const auto take = [&](const QString& output) {
            return vrl(QStringList{u"take"_qs} + m + QStringList{at(u"L"_qs), output});
        };
        switch (kind) {
        case ReplacedLockerKeepsMode:
            write(at(u"old"_qs), "old");
            QFile::setPermissions(at(u"old"_qs), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ReadGroup);
            QCOMPARE(vrl(QStringList{u"put"_qs} + m + QStringList{at(u"source"_qs), at(u"old"_qs)})
                         .exitCode,
                     0);
            QCOMPARE(modeOf(at(u"old"_qs)), mode_t(0640));
            break;
        case ReplacedPlaintextKeepsOwnerPart:
            write(at(u"old"_qs), "old");
            QVERIFY(::chmod(QFile::encodeName(at(u"old"_qs)).constData(), 0764) == 0);
            QCOMPARE(take(at(u"old"_qs)).exitCode, 0);
            QCOMPARE(modeOf(at(u"old"_qs)), mode_t(0700));
            QCOMPARE(read(at(u"old"_qs)), QByteArray("plaintext"));
            break;
        case ReplacedKeepsOwner:
            if (::geteuid() != 0)
                QSKIP("only the superuser may give a file to another user");
            write(at(u"old"_qs), "old");
            QVERIFY(::chown(QFile::encodeName(at(u"old"_qs)).constData(), 65534, 65534) == 0);
            QCOMPARE(take(at(u"old"_qs)).exitCode, 0);
            QCOMPARE(statOf(QFile::encodeName(at(u"old"_qs))).st_uid, uid_t(65534));
            QCOMPARE(statOf(QFile::encodeName(at(u"old"_qs))).st_gid, gid_t(65534));
            break;
        case LinkChain:
            QVERIFY(QDir(dir.path()).mkdir(u"sub"_qs));
            write(at(u"sub/real"_qs), "old");
            QVERIFY(QFile::link(u"sub/real"_qs, at(u"link2"_qs)));
            QVERIFY(QFile::link(u"link2"_qs, at(u"link1"_qs)));
            QCOMPARE(take(at(u"link1"_qs)).exitCode, 0);
            QCOMPARE(QFileInfo(at(u"link1"_qs)).symLinkTarget(), at(u"link2"_qs));
            QCOMPARE(read(at(u"sub/real"_qs)), QByteArray("plaintext"));
            break;
        case DanglingLink:
            QVERIFY(QFile::link(u"new"_qs, at(u"link"_qs)));
            QCOMPARE(take(at(u"link"_qs)).exitCode, 0);
            QVERIFY(QFileInfo(at(u"link"_qs)).isSymLink());
            QCOMPARE(read(at(u"new"_qs)), QByteArray("plaintext"));
            break;
        case ReplacedKeepsAttributes: {
            // The user's attributes stay with both; the ACL only with the locker, since a
            // plaintext is never opened to others.
            for (const QString& name : {u"locker"_qs, u"plain"_qs}) {
                const QByteArray file = QFile::encodeName(at(name));
                write(at(name), "old");
                if (::setxattr(file.constData(), "user.note", "kept", 4, 0) != 0 ||
                    ::setxattr(file.constData(), "system.posix_acl_access",
                               accessList().constData(), size_t(accessList().size()), 0) != 0)
                    QSKIP("the file system here has no extended attributes or ACLs");
            }
            const QByteArray acl = attribute(at(u"locker"_qs), "system.posix_acl_access");
            QCOMPARE(
                vrl(QStringList{u"put"_qs} + m + QStringList{at(u"source"_qs), at(u"locker"_qs)})
                    .exitCode,
                0);
            QCOMPARE(take(at(u"plain"_qs)).exitCode, 0);
            QCOMPARE(attribute(at(u"locker"_qs), "user.note"), QByteArray("kept"));
            QCOMPARE(attribute(at(u"locker"_qs), "system.posix_acl_access"), acl);
            QCOMPARE(modeOf(at(u"locker"_qs)), mode_t(0640));
            QCOMPARE(attribute(at(u"plain"_qs), "user.note"), QByteArray("kept"));
            QCOMPARE(attribute(at(u"plain"_qs), "system.posix_acl_access"), QByteArray());
            QCOMPARE(read(at(u"plain"_qs)), QByteArray("plaintext"));
            break;
        }
        case Fifo: {
            QVERIFY(::mkfifo(QFile::encodeName(at(u"fifo"_qs)).constData(), 0600) == 0);
            QProcess reader;
            reader.start(u"cat"_qs, {at(u"fifo"_qs)});
            QCOMPARE(take(at(u"fifo"_qs)).exitCode, 0);
            QVERIFY(reader.waitForFinished(30000));
            QCOMPARE(reader.readAllStandardOutput(), QByteArray("plaintext"));
            QVERIFY(S_ISFIFO(statOf(QFile::encodeName(at(u"fifo"_qs))).st_mode));
            break;
        }
        case CharacterDevice:
            QCOMPARE(take(u"/dev/null"_qs).exitCode, 0);
            QVERIFY(S_ISCHR(statOf("/dev/null").st_mode));
            break;
        case DescriptorToPipe: {
            // The link of a pipe's descriptor names no file ("pipe:[...]").
            const Run run =
                script(dir.path(), u"\"$VRL\" take --method %1 L /dev/stdout && "
                                   "\"$VRL\" take --method %1 L /dev/fd/3 3>&1 >&-"_qs.arg(method));
            QCOMPARE(run.out, QByteArray("plaintextplaintext"));
            break;
        }
        case DescriptorToAppendedFile: {
            // Appended to as ">>" asked, not replaced; a descriptor open for reading only is
            // refused and its file left as it is.
            write(at(u"log"_qs), "first\n");
            const Run run =
                script(dir.path(), u"\"$VRL\" take --method %1 L /dev/stdout >>log && "
                                   "\"$VRL\" take --method %1 L /proc/self/fd/4 4>>log && "
                                   "\"$VRL\" take --method %1 L /dev/stdin <log"_qs.arg(method));
            QVERIFY2(run.exitCode == 1 && run.err.contains(u"/dev/stdin"_qs) &&
                         run.err.contains(u"(70)"_qs),
                     qPrintable(run.err));
            QCOMPARE(read(at(u"log"_qs)), QByteArray("first\nplaintextplaintext"));
            break;
        }
        case ReadOnlyTarget: {
            write(at(u"old"_qs), "old");
            QFile::setPermissions(at(u"old"_qs), QFileDevice::ReadOwner | QFileDevice::ReadUser);
            const Run run = take(at(u"old"_qs));
            QCOMPARE(run.exitCode, 1);
            QVERIFY(run.err.contains(u"(70)"_qs) && run.err.contains(at(u"old"_qs)));
            QCOMPARE(read(at(u"old"_qs)), QByteArray("old"));
            QCOMPARE(modeOf(at(u"old"_qs)), mode_t(0400));
            break;
        }
        case LongestName:
            QCOMPARE(take(at(QString(255, u'n'))).exitCode, 0);
            QCOMPARE(read(at(QString(255, u'n'))), QByteArray("plaintext"));
            break;
        case TooLongName: {
            const Run run = take(at(QString(256, u'n')));
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(u"(52)"_qs), qPrintable(run.err));
            break;
        }
        }
        // Nothing but what the case made: no temporary file, no stray output.
        for (const QString& name :
             QDir(dir.path()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot))
            QVERIFY2(!name.startsWith(u'.'), qPrintable(name));
    }

    // The reader of standard output went away while SIGPIPE is ignored: the write fails
    // with EPIPE, which is a failure, not a success.
    void standardOutputWithoutReaderFails() {
        QTemporaryDir dir;
        write(dir.filePath(u"big"_qs), QByteArray(1 << 20, 'x'));
        const Run run = script(dir.path(), u"\"$VRL\" put --method 0 big L && trap '' PIPE && "
                                           "\"$VRL\" take --method 0 L - | head -c 1 >/dev/null; "
                                           "echo ${PIPESTATUS[0]}"_qs);
        QCOMPARE(run.out, QByteArray("1\n"));
        QVERIFY2(run.err.contains(u"標準出力"_qs) && run.err.contains(u"(57)"_qs),
                 qPrintable(run.err));
        // Closed by the caller: said in words, and no file opened later takes its place.
        const Run closed = script(dir.path(), u"\"$VRL\" take --method 0 L - >&-"_qs);
        QCOMPARE(closed.exitCode, 1);
        QVERIFY2(closed.err.contains(u"標準出力が閉じられています。 (68)"_qs),
                 qPrintable(closed.err));
        QCOMPARE(read(dir.filePath(u"big"_qs)), QByteArray(1 << 20, 'x'));
    }

    // Clear messages where the engine used to say "division by zero" or only "overflow";
    // "--" lets a name begin with "-".
    void messages_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");
        for (const char* method : {"0", "1", "2"})
            QTest::addRow("empty password, method %s", method)
                << QStringList{u"put"_qs, u"--method"_qs, QString::fromLatin1(method), u"source"_qs,
                               u"L"_qs}
                << QString() << u"鍵のパスワードが空です。 (5)"_qs;
        for (const char* method : {"0", "1"})
            QTest::addRow("full-width password, method %s", method)
                << QStringList{u"put"_qs, u"--method"_qs, QString::fromLatin1(method), u"source"_qs,
                               u"L"_qs}
                << u"鍵"_qs << u"鍵のパスワードに全角文字"_qs;
        QTest::newRow("full-width application")
            << QStringList{u"put"_qs,         u"--method"_qs, u"0"_qs, u"--app"_qs,
                           u"/bin/アプリ"_qs, u"source"_qs,   u"L"_qs}
            << u"key"_qs << u"vrl: /bin/アプリ: アプリケーションのパスに全角文字"_qs;
        QTest::newRow("application path holding the marker")
            << QStringList{u"put"_qs,         u"--method"_qs, u"1"_qs, u"--app"_qs,
                           u"/opt/vrls/x"_qs, u"source"_qs,   u"L"_qs}
            << u"key"_qs << u"vrl: /opt/vrls/x: アプリケーションのパスに「vrls」"_qs;
        QTest::newRow("missing source is named")
            << QStringList{u"put"_qs, u"--method"_qs, u"1"_qs, u"nothing"_qs, u"L"_qs} << u"key"_qs
            << u"vrl: nothing: ファイルが見つかりません。 (53)"_qs;
        QTest::newRow("wrong password names the locker")
            << QStringList{u"take"_qs, u"--method"_qs, u"2"_qs, u"locked"_qs, u"-"_qs}
            << u"other"_qs << u"vrl: locked: 鍵のパスワードが違います。"_qs;
    }
    void messages() {
        QFETCH(QStringList, args);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        write(dir.filePath(u"source"_qs), "data");
        QCOMPARE(vrl({u"put"_qs, u"source"_qs, u"locked"_qs}, u"key"_qs, dir.path()).exitCode, 0);
        const Run run = vrl(args, password.isNull() ? u""_qs : password, dir.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(expected), qPrintable(run.err));
        QVERIFY(!QFile::exists(dir.filePath(u"L"_qs)));
    }

    void doubleDashEndsOptions() {
        write(path("source"), "data");
        QCOMPARE(vrl({u"put"_qs, u"--method"_qs, u"0"_qs, u"--"_qs, path("source"), u"-x.vrl"_qs},
                     u"key"_qs, m_dir.path())
                     .exitCode,
                 0);
        QCOMPARE(vrl({u"take"_qs, u"--method"_qs, u"0"_qs, u"--"_qs, u"-x.vrl"_qs, u"-"_qs},
                     u"key"_qs, m_dir.path())
                     .out,
                 QByteArray("data"));
    }

    void failuresExitWithOneAndTheWindowsMessage() {
        write(path("empty"), {});
        Run run = vrl({u"put"_qs, u"--method"_qs, u"0"_qs, path("empty"), path("locker2")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(u"このファイルはこの施錠方式ではしまうことができません。"_qs));
        QVERIFY(!QFile::exists(path("locker2")));
        run = vrl({u"take"_qs, u"--method"_qs, u"1"_qs, path("empty"), path("out2")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(u"このファイルは正しい施錠がなされていません。"_qs));
        run = vrl({u"take"_qs, u"--method"_qs, u"0"_qs, path("missing"), path("out2")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(u"(53)"_qs));
        QVERIFY(!QFile::exists(path("out2")));
        QVERIFY(!QFile::exists(path("missing")));
    }
};

QTEST_GUILESS_MAIN(VrlTest)
#include "tst_vrl.moc"
