#include "platform/HandOffFile.h"
#include "platform/ProcessLaunch.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A program that writes its arguments, one a line, to `output` once `delay` has passed.
QString writeScript(const QString& path, const QString& output, const char* delay = "0") {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\nsleep " + QByteArray(delay) + "\nprintf '%s\\n' \"$@\" > '" +
               QFile::encodeName(output) + ".part'\nmv '" + QFile::encodeName(output) + ".part' '" +
               QFile::encodeName(output) + "'\n");
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

int launchErrorOf(const QString& program, bool watched) {
    QObject context;
    try {
        if (watched)
            startProgram(program, {}, &context, [] {});
        else
            startProgram(program);
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class ProcessLaunchTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    [[nodiscard]] QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init() {
        QDir dir(m_dir.path());
        for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden))
            dir.remove(name);
    }

    void argumentsArriveAsGiven_data() {
        QTest::addColumn<bool>("watched");
        QTest::newRow("on its own") << false;
        QTest::newRow("watched") << true;
    }
    void argumentsArriveAsGiven() {
        QFETCH(bool, watched);
        const QString output = path(u"args"_s);
        const QString program = writeScript(path(u"program"_s), output);
        // Words a shell would split, expand or run stay as they are.
        const QStringList arguments{u"$temp.dat"_s, u"a b"_s, u"\"q\" 'r'"_s, u"x;rm y|z"_s,
                                    u"`id`"_s,      u"*"_s,   u"日本語"_s};
        QObject context;
        if (watched)
            startProgram(program, arguments, &context, [] {});
        else
            startProgram(program, arguments);
        QTRY_VERIFY(QFile::exists(output));
        QCOMPARE(QString::fromUtf8(readAll(output)), arguments.join(u'\n') + u'\n');
    }

    void failureNamesTheCause_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("error");
        QTest::newRow("empty") << QString() << int(err::FileNotFound);
        QTest::newRow("missing file") << u"missing/program"_s << int(err::FileNotFound);
        QTest::newRow("not on PATH") << u"winvrls-no-such-program"_s << int(err::FileNotFound);
        QTest::newRow("not executable") << u"plain"_s << int(err::PermissionDenied);
        QTest::newRow("folder") << u"folder/"_s << int(err::PathFileAccess);
    }
    void failureNamesTheCause() {
        QFETCH(QString, program);
        QFETCH(int, error);
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder"_s));
        QFile plain(path(u"plain"_s));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        // Names with a folder part are relative to the test's folder.
        const QString named =
            program == u"plain"_s || program.contains(u'/') ? path(program) : program;
        QCOMPARE(launchErrorOf(named, false), error);
        QCOMPARE(launchErrorOf(named, true), error);
    }

    void finishedRunsOnceTheProgramHasEnded() {
        const QString output = path(u"done"_s);
        const QString program = writeScript(path(u"program"_s), output, "0.3");
        QObject context;
        int calls = 0;
        bool outputThere = false;
        startProgram(program, {}, &context, [&] {
            ++calls;
            outputThere = QFile::exists(output);
        });
        QCOMPARE(calls, 0);
        QTRY_COMPARE(calls, 1);
        QVERIFY(outputThere);
    }

    void finishedIsDroppedWithItsContext() {
        const QString output = path(u"done"_s);
        const QString program = writeScript(path(u"program"_s), output, "0.3");
        int calls = 0;
        auto context = std::make_unique<QObject>();
        startProgram(program, {}, context.get(), [&] { ++calls; });
        context.reset();
        // The program itself runs on to its end.
        QTRY_VERIFY(QFile::exists(output));
        QTest::qWait(100);
        QCOMPARE(calls, 0);
    }

    // The file handed to a program is made new, owner-only; anything already at its name,
    // above all a link planted to send the plaintext elsewhere, is refused untouched.
    void handOffFileIsOnlyEverNew_data() {
        QTest::addColumn<QString>("existing"); // "file", "link", "dangling link" or none
        QTest::newRow("new") << QString();
        QTest::newRow("file") << u"file"_s;
        QTest::newRow("link to a file") << u"link"_s;
        QTest::newRow("link to nothing") << u"dangling link"_s;
    }
    void handOffFileIsOnlyEverNew() {
        QFETCH(QString, existing);
        const QString name = path(u"$temp.dat"_s);
        const QString elsewhere = path(u"elsewhere"_s);
        if (existing != u"dangling link"_s) {
            QFile target(existing == u"file"_s ? name : elsewhere);
            QVERIFY(target.open(QIODevice::WriteOnly));
            target.write("before");
        }
        if (existing.contains(u"link"_s))
            QVERIFY(QFile::link(elsewhere, name));
        QFile file(name);
        int error = 0;
        try {
            createOwnerOnly(file);
            file.write("plain");
            file.close();
        } catch (const RuntimeError& e) {
            error = e.number();
        }
        if (existing.isEmpty()) {
            QCOMPARE(error, 0);
            QCOMPARE(QFile::permissions(name) & ~(QFile::ReadUser | QFile::WriteUser),
                     QFile::ReadOwner | QFile::WriteOwner);
            return;
        }
        QVERIFY(error != 0);
        QCOMPARE(readAll(existing == u"file"_s ? name : elsewhere),
                 existing == u"dangling link"_s ? QByteArray() : QByteArray("before"));
        QCOMPARE(QFile::exists(elsewhere), existing == u"link"_s);
    }
};

QTEST_GUILESS_MAIN(ProcessLaunchTest)

#include "tst_processlaunch.moc"
