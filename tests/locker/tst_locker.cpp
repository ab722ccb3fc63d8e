#include "locker/Locker.h"
#include "locker/legacy/ApplicationHeader.h"
#include "support/LockerTestSupport.h"
#include "support/ReferenceLocker.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace testsupport;
using enum locker::KeyType;
using enum locker::AppMode;
namespace err = platform::err;

namespace {

// Keys of 1 to 20 characters, ASCII and half-width katakana.
QString keyOfLength(int length) {
    const QString alphabet = QStringLiteral("Kz9\uFF71#q\uFF9Fm0A~b\uFF61x!Q7\uFF8Ae_");
    return alphabet.left(length);
}

std::vector<int> progressOf(const std::function<void(const locker::ProgressCallback&)>& run) {
    std::vector<int> values;
    run([&](int percent) { values.push_back(percent); });
    return values;
}

void verifyRisingTo(const std::vector<int>& values, int first, int last) {
    QVERIFY(!values.empty());
    QCOMPARE(values.front(), first);
    QCOMPARE(values.back(), last);
    for (size_t i = 1; i < values.size(); ++i)
        QVERIFY2(values[i] > values[i - 1], "progress must rise and never repeat");
}

} // namespace

class LockerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Puts `source` away and returns the locker file's bytes.
    QByteArray putAway(const QByteArray& source, const QString& key, locker::KeyType method,
                       const std::optional<QString>& app = std::nullopt) {
        writeFile(path(QStringLiteral("source")), source);
        locker::putAway(path(QStringLiteral("source")), path(QStringLiteral("locker")), key, method,
                        app);
        return readFile(path(QStringLiteral("locker")));
    }

    QByteArray takeOut(const QByteArray& lockerBytes, const QString& key, locker::KeyType method,
                       locker::AppMode appMode = RecordedApplication,
                       std::optional<QString>* app = nullptr) {
        writeFile(path(QStringLiteral("locker")), lockerBytes);
        const auto recorded = locker::takeOut(path(QStringLiteral("locker")),
                                              path(QStringLiteral("out")), key, method, appMode);
        if (app)
            *app = recorded;
        return readFile(path(QStringLiteral("out")));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() {
        for (const QString& name : entries(m_dir.path()))
            QFile::remove(path(name));
    }

    void knownAnswersWorkedOutByHand() {
        // One byte, one-character key: the byte plus the key, then ten zero bytes.
        QCOMPARE(putAway(QByteArray(1, char(200)), QStringLiteral("A"), SimpleMethod),
                 QByteArray(1, char((200 + 65) % 256)) + QByteArray(10, '\0'));

        // A 100-byte source with an 8-character application: h = 16, T = 132, F = 143.
        const QByteArray source = randomBytes(100, 1);
        const QByteArray file =
            putAway(source, QStringLiteral("abc"), SimpleMethod, QStringLiteral("C:\\a.exe"));
        QCOMPARE(file.size(), 143);
        QCOMPARE(file.right(11), QByteArray(11, '\0'));
        const QByteArray plain = "vrlsC:\\a.exevrls" + source;
        for (int j = 1; j <= 132; ++j) {
            const quint8 expected = quint8((j <= 116 ? quint8(plain.at(j - 1)) : 0) +
                                           QByteArray("abc").at((j - 1) % 3));
            QCOMPARE(quint8(file.at(j - 1)), expected);
        }

        // Cylinder, T = 7, L = 3, key bytes 97 98 99: column 1 turns one row down within 3,
        // column 2 stays (98 is a multiple of 2), column 3 swaps its two bytes.
        QCOMPARE(putAway("ABCDEFG", QStringLiteral("abc"), CylinderMethod),
                 QByteArray("GBFAECD") + QByteArray(10, '\0'));

        // Cylinder, T = 6, L = 3: every column turns within 3 rows, bytes reach the extra row.
        QCOMPARE(putAway("ABCDEF", QStringLiteral("abc"), CylinderMethod),
                 QByteArray("\0ECA\0FDB\0", 9) + QByteArray(7, '\0'));
        QCOMPARE(takeOut(QByteArray("\0ECA\0FDB\0", 9) + QByteArray(7, '\0'), QStringLiteral("abc"),
                         CylinderMethod),
                 QByteArray("ABCDEF"));
    }

    // The settings, the options and vrl keep these numbers: a reordered enum would read
    // every stored choice as another method, a missing bound would let any number through.
    void storedNumbersNameTheMethodsAndModes_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<std::optional<locker::KeyType>>("keyType");
        QTest::addColumn<std::optional<locker::AppMode>>("appMode");
        QTest::newRow("0") << 0 << std::optional(SimpleMethod) << std::optional(ViewerOnly);
        QTest::newRow("1") << 1 << std::optional(CylinderMethod)
                           << std::optional(RecordedApplication);
        QTest::newRow("2") << 2 << std::optional(CrossPasswordMethod)
                           << std::optional(ChosenApplication);
        QTest::newRow("-1") << -1 << std::optional<locker::KeyType>()
                            << std::optional<locker::AppMode>();
        QTest::newRow("3") << 3 << std::optional<locker::KeyType>()
                           << std::optional<locker::AppMode>();
    }
    void storedNumbersNameTheMethodsAndModes() {
        QFETCH(int, number);
        QFETCH(std::optional<locker::KeyType>, keyType);
        QFETCH(std::optional<locker::AppMode>, appMode);
        if (!keyType) {
            QCOMPARE(errorNumberOf([&] { (void)locker::keyTypeFromNumber(number); }),
                     err::InvalidArgument);
            QCOMPARE(errorNumberOf([&] { (void)locker::appModeFromNumber(number); }),
                     err::InvalidArgument);
            return;
        }
        QCOMPARE(locker::keyTypeFromNumber(number), *keyType);
        QCOMPARE(locker::numberOf(*keyType), number);
        QCOMPARE(locker::appModeFromNumber(number), *appMode);
    }

    void agreesWithEarlierVersions_data() {
        QTest::addColumn<locker::KeyType>("method");
        QTest::addColumn<int>("keyLength");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("app");
        const QString none;
        for (locker::KeyType method : {SimpleMethod, CylinderMethod}) {
            for (int L : {1, 2, 3, 7, 10, 11, 12, 20}) {
                const std::set<int> sizes{1,       L - 1,       L,        L + 1,        2 * L,
                                          255 * L, 256 * L + 3, 1200 * L, 1201 * L + 5, 3000 * L};
                for (int size : sizes) {
                    if (size < 1)
                        continue;
                    for (const QString& app : {none, QStringLiteral("/usr/bin/ｱﾌﾟﾘ")}) {
                        QTest::addRow("m%d L%d n%d %s", locker::numberOf(method), L, size,
                                      app.isEmpty() ? "" : "app")
                            << method << L << size << app;
                    }
                }
            }
        }
        // Several streaming blocks, around their edges.
        QTest::newRow("cylinder L1 3 MiB") << CylinderMethod << 1 << (3 << 20) << none;
        QTest::newRow("cylinder L20 multi-block multiple")
            << CylinderMethod << 20 << 20 * 110000 << none;
        QTest::newRow("cylinder L7 multi-block app")
            << CylinderMethod << 7 << (2 << 20) + 3 << QStringLiteral("/bin/cat");
        QTest::newRow("simple L13 multi-block") << SimpleMethod << 13 << (2 << 20) + 1 << none;
    }
    void agreesWithEarlierVersions() {
        QFETCH(locker::KeyType, method);
        QFETCH(int, keyLength);
        QFETCH(int, size);
        QFETCH(QString, app);
        const QString key = keyOfLength(keyLength);
        const QByteArray source = randomBytes(size, quint32(size * 31 + keyLength));
        const auto material = locker::buildKeyMaterial(key);
        const QByteArray header =
            app.isEmpty() ? QByteArray() : locker::buildApplicationHeader(app);
        const auto expected = reference::putAway(source, header, material, method);
        const std::optional<QString> appName =
            app.isEmpty() ? std::nullopt : std::optional<QString>(app);

        if (!expected) {
            QCOMPARE(errorNumberOf([&] { putAway(source, key, method, appName); }),
                     err::IndexOutOfRange);
            QVERIFY(!QFile::exists(path(QStringLiteral("locker"))));
            return;
        }
        QCOMPARE(putAway(source, key, method, appName), *expected);

        std::optional<QString> recorded;
        QCOMPARE(takeOut(*expected, key, method, RecordedApplication, &recorded), source);
        QCOMPARE(recorded, appName);
        if (!app.isEmpty()) {
            // Other modes keep the header in front of the data.
            QCOMPARE(takeOut(*expected, key, method, ViewerOnly, &recorded), header + source);
            QVERIFY(!recorded);
        }
    }

    void headerDetection() {
        const QByteArray data = randomBytes(500, 7);
        const QString key = QStringLiteral("key");
        for (locker::KeyType method : {SimpleMethod, CylinderMethod}) {
            std::optional<QString> app;
            const auto material = locker::buildKeyMaterial(key);
            // A path holding the marker could not be read back: refused before anything is
            // written. Such a locker made elsewhere reads as stored: the first marker after
            // the opening one ends the name.
            QFile::remove(path(QStringLiteral("locker")));
            QCOMPARE(errorNumberOf([&] {
                         putAway(data, key, method, QStringLiteral("/home/vrls/bin/vrlsapp"));
                     }),
                     err::InvalidArgument);
            QVERIFY(!QFile::exists(path(QStringLiteral("locker"))));
            const auto marked =
                reference::putAway(data, "vrls/home/vrls/bin/vrlsappvrls", material, method);
            QVERIFY(marked);
            QCOMPARE(takeOut(*marked, key, method, RecordedApplication, &app),
                     "/bin/vrlsappvrls" + data + QByteArray(16, '\0'));
            QCOMPARE(app, std::optional<QString>(QStringLiteral("/home/")));
            // Data with the marker early on and a zero tail as long as a header: the data
            // must not end the name, in every mode.
            const QByteArray trap = "ABvrlsCD" + QByteArray(20, '\0');
            const QByteArray trapped = putAway(trap, key, method, QStringLiteral("/bin/x"));
            QCOMPARE(takeOut(trapped, key, method, RecordedApplication, &app), trap);
            QCOMPARE(app, std::optional<QString>(QStringLiteral("/bin/x")));
            for (locker::AppMode mode : {ViewerOnly, ChosenApplication})
                QCOMPARE(takeOut(trapped, key, method, mode), "vrls/bin/xvrls" + trap);
            // The marker in another case is part of the path.
            QCOMPARE(takeOut(putAway(data, key, method, QStringLiteral("VRLSx")), key, method,
                             RecordedApplication, &app),
                     data);
            QCOMPARE(app, std::optional<QString>(QStringLiteral("VRLSx")));
            // A closing marker right after the opening one: an empty application name.
            QCOMPARE(takeOut(putAway(data, key, method, QString()), key, method,
                             RecordedApplication, &app),
                     data);
            QCOMPARE(app, std::optional<QString>(QString()));
            // Data that merely starts like a header is not taken for one.
            const QByteArray lookalike = "vrls/bin/shvrls" + data;
            QCOMPARE(
                takeOut(putAway(lookalike, key, method), key, method, RecordedApplication, &app),
                lookalike);
            QVERIFY(!app);
            // A short file: the search covers all of it.
            QCOMPARE(takeOut(putAway("x", key, method, QStringLiteral("a")), key, method,
                             RecordedApplication, &app),
                     QByteArray("x"));
            QCOMPARE(app, std::optional<QString>(QStringLiteral("a")));
            // A header that could not be found again is refused at put away.
            QCOMPARE(errorNumberOf([&] { putAway(data, key, method, QString(249, u'p')); }),
                     err::InvalidArgument);
            QCOMPARE(takeOut(putAway(data, key, method, QString(248, u'p')), key, method,
                             RecordedApplication, &app),
                     data);
            QCOMPARE(app->size(), 248);
            // An earlier version's file with too long a header: the header stays in the data.
            if (method == SimpleMethod) {
                const QByteArray header = locker::buildApplicationHeader(QString(249, u'p'));
                QCOMPARE(takeOut(*reference::putAway(data, header, material, method), key, method,
                                 RecordedApplication, &app)
                             .left(header.size() + data.size()),
                         header + data);
                QVERIFY(!app);
            }
        }
    }

    void failuresLeaveEverythingAsItWas_data() {
        QTest::addColumn<locker::KeyType>("method");
        QTest::newRow("simple") << SimpleMethod;
        QTest::newRow("cylinder") << CylinderMethod;
    }
    void failuresLeaveEverythingAsItWas() {
        QFETCH(locker::KeyType, method);
        const QString source = path(QStringLiteral("source"));
        const QString target = path(QStringLiteral("target"));
        const QString key = QStringLiteral("key");
        writeFile(source, "plain");
        writeFile(target, "old target");
        const QStringList before = entries(m_dir.path());
        auto put = [&](const QString& from, const QString& to, const QString& k,
                       std::optional<QString> app = std::nullopt) {
            return errorNumberOf([&] { locker::putAway(from, to, k, method, app); });
        };
        auto take = [&](const QString& from, const QString& to, const QString& k) {
            return errorNumberOf(
                [&] { locker::takeOut(from, to, k, method, RecordedApplication); });
        };
        const QString missing = path(QStringLiteral("missing"));
        const QString empty = path(QStringLiteral("empty"));

        // The key is checked before anything is read, also for a missing file.
        QCOMPARE(put(missing, target, QString(21, u'k')), err::IndexOutOfRange);
        QCOMPARE(take(missing, target, QString(21, u'k')), err::IndexOutOfRange);
        QCOMPARE(put(source, target, QStringLiteral("鍵")), err::Overflow);
        QCOMPARE(take(source, target, QStringLiteral("鍵")), err::Overflow);
        QCOMPARE(put(source, target, key, QStringLiteral("C:\\アプリ")), err::Overflow);
        // Missing files are reported, not created.
        QCOMPARE(put(missing, target, key), err::FileNotFound);
        QCOMPARE(take(missing, target, key), err::FileNotFound);
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(put(source, path(QStringLiteral("no/such/folder/x")), key), err::PathNotFound);
        QCOMPARE(entries(m_dir.path()), before);

        writeFile(empty, {});
        QCOMPARE(put(empty, target, key), err::IndexOutOfRange);
        QCOMPARE(take(empty, target, key), err::IndexOutOfRange);
        writeFile(empty, QByteArray(10, '\0'));
        QCOMPARE(take(empty, target, key), err::IndexOutOfRange);
        QFile::remove(empty);
        QCOMPARE(readFile(target), QByteArray("old target"));
        QCOMPARE(entries(m_dir.path()), before);
    }

    // One password rule on every method: empty (5) before too many characters for the own
    // methods' byte length (6); on the own methods a character without a single-byte code (6)
    // before the length limit (9). Nothing is read or written before the password passes.
    void passwordRuleOnEveryMethod_data() {
        QTest::addColumn<locker::KeyType>("method");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("expected");
        const QString fullWidthFirst = QStringLiteral("鍵") + QString(20, u'k');
        for (const locker::KeyType method : {SimpleMethod, CylinderMethod, CrossPasswordMethod}) {
            const bool own = method != CrossPasswordMethod;
            QTest::addRow("empty, method %d", int(method))
                << method << QString() << int(err::InvalidArgument);
            QTest::addRow("21 characters, method %d", int(method))
                << method << QString(21, u'k') << int(err::IndexOutOfRange);
            QTest::addRow("256 characters, method %d", int(method))
                << method << QString(256, u'k') << int(err::Overflow);
            QTest::addRow("21 with a full-width one, method %d", int(method))
                << method << fullWidthFirst << int(own ? err::Overflow : err::IndexOutOfRange);
        }
    }
    void passwordRuleOnEveryMethod() {
        QFETCH(locker::KeyType, method);
        QFETCH(QString, password);
        QFETCH(int, expected);
        const QString missing = path(QStringLiteral("missing"));
        const QString target = path(QStringLiteral("target"));
        QCOMPARE(errorNumberOf([&] { locker::putAway(missing, target, password, method); }),
                 expected);
        QCOMPARE(errorNumberOf([&] {
                     locker::takeOut(missing, target, password, method, RecordedApplication);
                 }),
                 expected);
        QCOMPARE(entries(m_dir.path()), QStringList());
    }

    void cylinderPositionBeyondTheFile() {
        // Eleven columns of one byte each: column 11 turns within 2 rows and its byte would
        // land at position 22 of a 21-byte file.
        const QString key = QStringLiteral("ABCDEFGHIJK");
        const QString target = path(QStringLiteral("target"));
        writeFile(target, "old");
        writeFile(path(QStringLiteral("source")), randomBytes(11, 3));
        QCOMPARE(errorNumberOf([&] {
                     locker::putAway(path(QStringLiteral("source")), target, key, CylinderMethod);
                 }),
                 err::IndexOutOfRange);
        QCOMPARE(readFile(target), QByteArray("old"));
        // The same file taken out: the position lies beyond it.
        writeFile(target, QByteArray(21, 'x'));
        QCOMPARE(errorNumberOf([&] {
                     locker::takeOut(target, path(QStringLiteral("out")), key, CylinderMethod,
                                     ViewerOnly);
                 }),
                 err::IndexOutOfRange);
        QVERIFY(!QFile::exists(path(QStringLiteral("out"))));
    }

    void sourceAndTargetMayBeTheSameFile() {
        const QString file = path(QStringLiteral("same"));
        const QByteArray data = randomBytes(1000, 9);
        for (locker::KeyType method : {SimpleMethod, CylinderMethod}) {
            writeFile(file, data);
            locker::putAway(file, file, QStringLiteral("k3y"), method);
            QCOMPARE(readFile(file).size(), data.size() + 10);
            locker::takeOut(file, file, QStringLiteral("k3y"), method, RecordedApplication);
            QCOMPARE(readFile(file), data);
        }
    }

    void overwritingLeavesNothingOfTheOldContent() {
        writeFile(path(QStringLiteral("locker")), randomBytes(1000, 4));
        QCOMPARE(putAway("12345", QStringLiteral("k"), SimpleMethod).size(), 15);
    }

    void takeOutToADevice() {
        const QByteArray locked = putAway("device bytes", QStringLiteral("k"), CylinderMethod,
                                          QStringLiteral("/bin/true"));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const auto app = locker::takeOut(path(QStringLiteral("locker")), buffer,
                                         QStringLiteral("k"), CylinderMethod, RecordedApplication);
        QCOMPARE(buffer.data(), QByteArray("device bytes"));
        QCOMPARE(app, std::optional<QString>(QStringLiteral("/bin/true")));
    }

    void writeFailureIsReported() {
        const QByteArray data = randomBytes(3 << 20, 8);
        for (locker::KeyType method : {SimpleMethod, CylinderMethod}) {
            putAway(data, QStringLiteral("k"), method);
            FailingDevice device(1 << 20);
            QCOMPARE(errorNumberOf([&] {
                         locker::takeOut(path(QStringLiteral("locker")), device,
                                         QStringLiteral("k"), method, RecordedApplication);
                     }),
                     err::DeviceIo);
            QCOMPARE(device.written, data.left(1 << 20));
        }
    }

    void progressIsReportedOnlyOnChange() {
        writeFile(path(QStringLiteral("one")), "x");
        // One byte: put away reports 100 once.
        QCOMPARE(progressOf([&](const locker::ProgressCallback& cb) {
                     locker::putAway(path(QStringLiteral("one")), path(QStringLiteral("l1")),
                                     QStringLiteral("k"), SimpleMethod, std::nullopt, cb);
                 }),
                 std::vector<int>{100});
        // 37 bytes: every value j / 37 * 50 + 50 reaches, halves to even.
        std::vector<int> expected;
        for (int j = 1; j <= 37; ++j) {
            const int twice = 2 * (50 * j % 37);
            const int q = 50 * j / 37;
            const int value = 50 + q + ((twice > 37 || (twice == 37 && (q & 1))) ? 1 : 0);
            if (expected.empty() || expected.back() != value)
                expected.push_back(value);
        }
        writeFile(path(QStringLiteral("small")), randomBytes(37, 5));
        for (locker::KeyType method : {SimpleMethod, CylinderMethod}) {
            QCOMPARE(progressOf([&](const locker::ProgressCallback& cb) {
                         locker::putAway(path(QStringLiteral("small")), path(QStringLiteral("l2")),
                                         QStringLiteral("k"), method, std::nullopt, cb);
                     }),
                     expected);
        }
        // Large files, both directions: rising from the start to exactly 100.
        writeFile(path(QStringLiteral("large")), randomBytes(3 << 20, 6));
        for (locker::KeyType method : {SimpleMethod, CylinderMethod}) {
            verifyRisingTo(progressOf([&](const locker::ProgressCallback& cb) {
                               locker::putAway(path(QStringLiteral("large")),
                                               path(QStringLiteral("l3")), QStringLiteral("key"),
                                               method, std::nullopt, cb);
                           }),
                           50, 100);
            verifyRisingTo(progressOf([&](const locker::ProgressCallback& cb) {
                               locker::takeOut(path(QStringLiteral("l3")),
                                               path(QStringLiteral("o3")), QStringLiteral("key"),
                                               method, RecordedApplication, cb);
                           }),
                           0, 100);
        }
    }
};

QTEST_GUILESS_MAIN(LockerTest)
#include "tst_locker.moc"
