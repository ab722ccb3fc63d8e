// vrl under the fault library (faults.cpp): every failure of the output on every method
// leaves the previous target as it was and nothing beside it, and standard output reports
// it; kills and a source that changes while read leave nothing either; every output file is
// synced before it takes its name and its folder after.
#include "support/CallRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

namespace {

constexpr int Methods = 3;
const QString Password = QStringLiteral("key");

enum Target { OverLocker, OverOutput, ToStandardOutput, ToNewFile };
const char* const TargetNames[] = {"put over a locker", "take over a file", "take to stdout",
                                   "take to a new file"};

struct Fault {
    const char* name;
    QStringList environment;
    int number;               // the error reported, 0 when the output must come out whole
    const char* words = "";   // what the message must say besides the number
    bool sparesPipes = false; // standard output (a pipe) comes out whole
};

// Each fault on its own, then the named temporary file under a failure, then the limits on
// resources: a thread that cannot start only means fewer lanes.
const Fault Faults[] = {
    {"disk full at the first byte", {u"VRL_FAULT_ERRNO=ENOSPC"_qs}, 61},
    {"disk full after 100000 bytes",
     {u"VRL_FAULT_ERRNO=ENOSPC"_qs, u"VRL_FAULT_AFTER=100000"_qs},
     61},
    {"I/O error in the second MiB", {u"VRL_FAULT_ERRNO=EIO"_qs, u"VRL_FAULT_AFTER=1048577"_qs}, 57},
    {"short writes", {u"VRL_FAULT_SHORT=1000"_qs}, 0},
    {"no unnamed temporary files", {u"VRL_FAULT_NO_TMPFILE=1"_qs}, 0},
    {"no unnamed temporary files, disk full",
     {u"VRL_FAULT_NO_TMPFILE=1"_qs, u"VRL_FAULT_ERRNO=ENOSPC"_qs, u"VRL_FAULT_AFTER=100000"_qs},
     61},
    {"no thread can start", {u"VRL_FAULT_THREADS=0"_qs}, 0},
    {"the second thread cannot start", {u"VRL_FAULT_THREADS=1"_qs}, 0},
    {"no memory block of 1 MiB", {u"VRL_FAULT_ALLOC_LIMIT=1048576"_qs}, 7, "メモリが足りません"},
    {"file-size limit of 100000 bytes", {u"VRL_FAULT_FSIZE=100000"_qs}, 61, "上限", true},
    {"the file's sync fails", {u"VRL_FAULT_SYNC_ERRNO=EIO"_qs}, 57, "", true},
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray hashOf(const QString& path) {
    return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
}

// Every name in `folder`, hidden ones included.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(13);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// vrl under the fault library, started; the caller waits or kills.
void start(QProcess& process, const QStringList& args, const QStringList& faults) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"VRL_PASSWORD"_qs, Password);
    env.insert(u"LD_PRELOAD"_qs, QStringLiteral(VRL_FAULTS));
    env.insert(u"ASAN_OPTIONS"_qs, u"verify_asan_link_order=0"_qs);
    for (const QString& setting : faults)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(env);
    // A test run from a background job inherits an ignored SIGINT, which vrl rightly keeps.
    process.setChildProcessModifier([] { ::signal(SIGINT, SIG_DFL); });
    process.start(QStringLiteral(VRL_PROGRAM), args);
    process.closeWriteChannel();
}

struct Run {
    int exitCode;
    QByteArray out;
    QString err;
};

Run vrl(const QStringList& args, const QStringList& faults = {}) {
    QProcess process;
    start(process, args, faults);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

QString method(int m) {
    return QString::number(m);
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray m_source;
    int m_folders = 0;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString locker(int m) const { return path(u"locker"_qs + method(m)); }
    QString newFolder() {
        const QString folder = path(u"case"_qs + QString::number(++m_folders));
        QDir().mkpath(folder);
        return folder;
    }

    // A writer stalled after 100000 bytes of `locker` in `folder`, with unnamed temporary
    // files unsupported; `go` lets it go on.
    void startStalled(QProcess& process, const QString& folder, int m, const QString& source) {
        start(process, {u"put"_qs, u"--method"_qs, method(m), source, folder + u"/locker"_qs},
              {u"VRL_FAULT_NO_TMPFILE=1"_qs, u"VRL_FAULT_STALL_AFTER=100000"_qs,
               u"VRL_FAULT_STALL_READY="_qs + folder + u".ready"_qs,
               u"VRL_FAULT_STALL_GO="_qs + folder + u".go"_qs});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + u".ready"_qs), 60000);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_source = randomBytes(3 << 20);
        writeFile(path(u"source"_qs), m_source);
        for (int m = 0; m < Methods; ++m)
            QCOMPARE(
                vrl({u"put"_qs, u"--method"_qs, method(m), path(u"source"_qs), locker(m)}).exitCode,
                0);
    }

    void outputFaultsOnEveryMethod_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");
        for (const Fault& fault : Faults)
            for (int m = 0; m < Methods; ++m)
                for (int target : {OverLocker, OverOutput, ToStandardOutput})
                    QTest::addRow("%s, method %d, %s", fault.name, m, TargetNames[target])
                        << m << target << fault.environment
                        << (fault.sparesPipes && target == ToStandardOutput ? 0 : fault.number)
                        << QString::fromUtf8(fault.words);
    }
    void outputFaultsOnEveryMethod() {
        QFETCH(int, m);
        QFETCH(int, target);
        QFETCH(QStringList, faults);
        QFETCH(int, number);
        QFETCH(QString, words);
        const QString folder = newFolder();
        const QString name = target == OverLocker ? u"locker"_qs : u"out"_qs;
        const QString output = folder + u'/' + name;
        writeFile(output, "the previous file");
        const QByteArray before = hashOf(output);

        const QStringList args =
            target == OverLocker
                ? QStringList{u"put"_qs, u"--method"_qs, method(m), path(u"source"_qs), output}
                : QStringList{u"take"_qs, u"--method"_qs, method(m), locker(m),
                              target == ToStandardOutput ? u"-"_qs : output};
        const Run run = vrl(args, faults);
        QCOMPARE(entries(folder), QStringList{name});
        if (number == 0) {
            QCOMPARE(run.exitCode, 0);
            const QByteArray taken =
                target == OverLocker
                    ? vrl({u"take"_qs, u"--method"_qs, method(m), output, u"-"_qs}).out
                : target == OverOutput ? fileBytes(output)
                                       : run.out;
            QVERIFY(taken == m_source);
            return;
        }
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"(%1)"_qs.arg(number)), qPrintable(run.err));
        // Running out of memory is about no file in particular.
        if (number != 7)
            QVERIFY2(run.err.contains(target == ToStandardOutput ? u"標準出力"_qs : output),
                     qPrintable(run.err));
        QVERIFY2(run.err.contains(words), qPrintable(run.err));
        QCOMPARE(hashOf(output), before);
        if (target == ToStandardOutput)
            QVERIFY(run.out.size() < m_source.size());
    }

    // The written file reaches the disk before it takes the target's name (its last write
    // before its sync, the sync before the rename), and the folder's sync follows the rename.
    void writersSyncFileBeforeNameAndFolderAfter_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("faults");
        for (int m = 0; m < Methods; ++m) {
            for (int target : {OverLocker, OverOutput, ToNewFile})
                QTest::addRow("method %d, %s", m, TargetNames[target])
                    << m << target << QStringList{};
            QTest::addRow("method %d, %s, named temporary file", m, TargetNames[ToNewFile])
                << m << int(ToNewFile) << QStringList{u"VRL_FAULT_NO_TMPFILE=1"_qs};
        }
    }
    void writersSyncFileBeforeNameAndFolderAfter() {
        QFETCH(int, m);
        QFETCH(int, target);
        QFETCH(QStringList, faults);
        const QString folder = newFolder();
        const QString output = folder + (target == OverLocker ? u"/locker"_qs : u"/out"_qs);
        if (target != ToNewFile)
            writeFile(output, "the previous file");
        const QString record = folder + u".record"_qs;
        const QStringList args =
            target == OverLocker
                ? QStringList{u"put"_qs, u"--method"_qs, method(m), path(u"source"_qs), output}
                : QStringList{u"take"_qs, u"--method"_qs, method(m), locker(m), output};
        QCOMPARE(vrl(args, faults + QStringList{u"VRL_FAULT_RECORD="_qs + record}).exitCode, 0);

        const QStringList calls = testsupport::recordedCalls(record);
        QVERIFY2(testsupport::replacementOf(calls, output).durable(),
                 calls.join(u'\n').toUtf8().constData());
    }

    // A writer ended by a signal while its named temporary file holds part of the output:
    // the file goes with it; after SIGKILL the next write in that folder sweeps it.
    void interruptedWriterLeavesNothing_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("signal");
        for (int m = 0; m < Methods; ++m) {
            QTest::addRow("SIGINT, method %d", m) << m << SIGINT;
            QTest::addRow("SIGTERM, method %d", m) << m << SIGTERM;
            QTest::addRow("SIGHUP, method %d", m) << m << SIGHUP;
            QTest::addRow("SIGKILL, method %d", m) << m << SIGKILL;
        }
    }
    void interruptedWriterLeavesNothing() {
        QFETCH(int, m);
        QFETCH(int, signal);
        const QString folder = newFolder();
        writeFile(folder + u"/locker"_qs, "the previous locker");
        QProcess writer;
        startStalled(writer, folder, m, path(u"source"_qs));
        QCOMPARE(entries(folder).size(), 2); // the locker and the temporary file
        ::kill(pid_t(writer.processId()), signal);
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        QCOMPARE(fileBytes(folder + u"/locker"_qs), QByteArray("the previous locker"));
        if (signal == SIGKILL) {
            QCOMPARE(entries(folder).size(), 2);
            QCOMPARE(
                vrl({u"put"_qs, u"--method"_qs, u"0"_qs, path(u"source"_qs), folder + u"/other"_qs})
                    .exitCode,
                0);
            QCOMPARE(entries(folder), (QStringList{u"locker"_qs, u"other"_qs}));
        } else {
            QCOMPARE(entries(folder), QStringList{u"locker"_qs});
        }
    }

    // The sweep removes only what a killed writer of this user left.
    void sweepSparesLiveWritersAndOtherUsersFiles() {
        const QString folder = newFolder();
        QProcess writer;
        startStalled(writer, folder, 0, path(u"source"_qs));
        const QStringList writing = entries(folder);
        QCOMPARE(writing.size(), 1);
        // A process id above the kernel's limit belongs to no process.
        const QString foreign = folder + u"/.vrl-4194305-abcdef.tmp"_qs;
        const bool root = ::geteuid() == 0;
        if (root) {
            writeFile(foreign, "another user's");
            QCOMPARE(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        }
        QCOMPARE(
            vrl({u"put"_qs, u"--method"_qs, u"0"_qs, path(u"source"_qs), folder + u"/other"_qs})
                .exitCode,
            0);
        QVERIFY(entries(folder).contains(writing.first()));
        QCOMPARE(QFile::exists(foreign), root);
        ::kill(pid_t(writer.processId()), SIGTERM);
        QVERIFY(writer.waitForFinished(30000));
        QVERIFY(!entries(folder).contains(writing.first()));
    }

    // A source that shrinks or grows while it is read gives no locker file.
    void sourceChangingWhileReadFails_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<qint64>("newSize");
        for (int m = 0; m < Methods; ++m) {
            QTest::addRow("shrinks, method %d", m) << m << qint64(1 << 20);
            QTest::addRow("grows, method %d", m) << m << qint64(9 << 20);
        }
    }
    void sourceChangingWhileReadFails() {
        QFETCH(int, m);
        QFETCH(qint64, newSize);
        const QString folder = newFolder();
        const QString source = folder + u".source"_qs;
        writeFile(source, randomBytes(8 << 20));
        writeFile(folder + u"/locker"_qs, "the previous locker");
        QProcess writer;
        startStalled(writer, folder, m, source);
        QVERIFY(QFile::resize(source, newSize));
        writeFile(folder + u".go"_qs, {});
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitCode(), 1);
        const QString err = QString::fromUtf8(writer.readAllStandardError());
        QVERIFY2(err.contains(u"(57)"_qs) && err.contains(source), qPrintable(err));
        QCOMPARE(entries(folder), QStringList{u"locker"_qs});
        QCOMPARE(fileBytes(folder + u"/locker"_qs), QByteArray("the previous locker"));
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
