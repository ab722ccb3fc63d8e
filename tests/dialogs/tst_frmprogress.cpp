#include "dialogs/frmProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestFrmProgress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsThePercentHeldToTheBarsRange_data();
    void showsThePercentHeldToTheBarsRange();
    void repaintsAtOnce();
};

void TestFrmProgress::showsThePercentHeldToTheBarsRange_data() {
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("label");
    QTest::newRow("0") << 0 << 0 << u"0%"_s;
    QTest::newRow("7") << 7 << 7 << u"7%"_s;
    QTest::newRow("50") << 50 << 50 << u"50%"_s;
    QTest::newRow("100") << 100 << 100 << u"100%"_s;
    QTest::newRow("150 capped") << 150 << 100 << u"100%"_s;
    QTest::newRow("-3 held at 0") << -3 << 0 << u"0%"_s;
}

void TestFrmProgress::showsThePercentHeldToTheBarsRange() {
    QFETCH(int, written);
    QFETCH(int, stored);
    QFETCH(QString, label);
    frmProgress window;
    QCOMPARE(window.windowTitle(), u"しばらくお待ちください"_s);
    QCOMPARE(window.Percent(), 0);
    window.setPercent(60); // a previous value that each row must replace
    window.setPercent(written);
    QCOMPARE(window.Percent(), stored);
    QCOMPARE(window.ProgressBar1->value(), stored);
    QCOMPARE(window.lblPercent->text(), label);
}

void TestFrmProgress::repaintsAtOnce() {
    frmProgress window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    window.lblPercent->installEventFilter(&counter);
    window.ProgressBar1->installEventFilter(&counter);

    // The engine writes from a running loop that does not return to the event loop.
    window.setPercent(42);
    QVERIFY(counter.paints >= 2);
}

QTEST_MAIN(TestFrmProgress)
#include "tst_frmprogress.moc"
