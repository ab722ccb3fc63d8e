#include "locker/legacy/Arithmetic.h"
#include "locker/legacy/KeyMaterial.h"
#include "platform/RuntimeError.h"
#include "support/LockerTestSupport.h"

#include <QTest>

using namespace locker;

using testsupport::errorNumberOf;

class ArithmeticTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void superMod_data() {
        QTest::addColumn<int>("obj");
        QTest::addColumn<int>("sbj");
        QTest::addColumn<int>("expected");
        QTest::newRow("multiple gives divisor") << 10 << 5 << 5;
        QTest::newRow("negative") << -3 << 5 << 2;
        QTest::newRow("negative multiple") << -5 << 5 << 5;
        QTest::newRow("plain") << 7 << 5 << 2;
        QTest::newRow("zero") << 0 << 3 << 3;
        QTest::newRow("one column") << 12345 << 1 << 1;
    }
    void superMod() {
        QFETCH(int, obj);
        QFETCH(int, sbj);
        QFETCH(int, expected);
        QCOMPARE(SuperMod(obj, sbj), expected);
    }
    void superYen_data() {
        QTest::addColumn<int>("obj");
        QTest::addColumn<int>("sbj");
        QTest::addColumn<int>("expected");
        QTest::newRow("end of first row") << 5 << 5 << 0;
        QTest::newRow("start of second row") << 6 << 5 << 1;
        QTest::newRow("first position") << 1 << 5 << 0;
        QTest::newRow("end of third row") << 15 << 5 << 2;
    }
    void superYen() {
        QFETCH(int, obj);
        QFETCH(int, sbj);
        QFETCH(int, expected);
        QCOMPARE(SuperYen(obj, sbj), expected);
    }
    void superCByteWrapsOnceEitherWay() {
        QCOMPARE(SuperCByte(-1), quint8(255));
        QCOMPARE(SuperCByte(-256), quint8(0));
        QCOMPARE(SuperCByte(256), quint8(0));
        QCOMPARE(SuperCByte(510), quint8(254));
        QCOMPARE(SuperCByte(511), quint8(255));
        QCOMPARE(SuperCByte(0), quint8(0));
        QCOMPARE(errorNumberOf([] { (void)SuperCByte(512); }), platform::err::Overflow);
        QCOMPARE(errorNumberOf([] { (void)SuperCByte(-257); }), platform::err::Overflow);
        QCOMPARE(errorNumberOf([] { (void)SuperCByte(40000); }), platform::err::Overflow);
    }
    void maxRow() {
        QCOMPARE(MaxRow(1, 10, 5), 3);
        QCOMPARE(MaxRow(5, 10, 5), 3);
        QCOMPARE(MaxRow(2, 12, 5), 3);
        QCOMPARE(MaxRow(3, 12, 5), 2);
        QCOMPARE(MaxRow(1, 7, 3), 3);
        QCOMPARE(MaxRow(2, 7, 3), 2);
    }
    void zeroDivisorRaisesDivisionByZero() {
        QCOMPARE(errorNumberOf([] { (void)SuperMod(4, 0); }), platform::err::DivisionByZero);
        QCOMPARE(errorNumberOf([] { (void)SuperYen(4, 0); }), platform::err::DivisionByZero);
        QCOMPARE(errorNumberOf([] { (void)MaxRow(1, 4, 0); }), platform::err::DivisionByZero);
    }
    void overflowingQuotientRaisesOverflow() {
        QCOMPARE(errorNumberOf([] { (void)SuperYen(std::numeric_limits<Long>::min(), -1); }),
                 platform::err::Overflow);
    }

    void keyMaterialTakesAnsiCodes() {
        const KeyMaterial key = buildKeyMaterial(QStringLiteral("Ab\uFF71"));
        QCOMPARE(int(key.bytKeyLen), 3);
        QCOMPARE(int(key.bytKey[0]), int('A'));
        QCOMPARE(int(key.bytKey[1]), int('b'));
        QCOMPARE(int(key.bytKey[2]), 0xB1); // half-width katakana A
        QCOMPARE(int(key.bytKey[3]), 0);
    }
    void keyMaterialFailures() {
        QCOMPARE(errorNumberOf([] { (void)buildKeyMaterial(QString(20, u'x')); }), 0);
        QCOMPARE(errorNumberOf([] { (void)buildKeyMaterial(QString(21, u'x')); }),
                 platform::err::IndexOutOfRange);
        QCOMPARE(errorNumberOf([] { (void)buildKeyMaterial(QString(256, u'x')); }),
                 platform::err::Overflow);
        QCOMPARE(errorNumberOf([] { (void)buildKeyMaterial(QStringLiteral("ab\u3042")); }),
                 platform::err::Overflow);
    }
};

QTEST_GUILESS_MAIN(ArithmeticTest)
#include "tst_arithmetic.moc"
