#include "dialogs/frmOptions.h"
#include "platform/RuntimeError.h"
#include "support/ModalAnswer.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::execWith;

class TestFrmOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void captionsHintsAndTabOrder();
    void crossMethodDisablesChoosingTheAppAtPutAway_data();
    void crossMethodDisablesChoosingTheAppAtPutAway();
    void choosingTheAppAtPutAwayDisablesTheCrossMethod_data();
    void choosingTheAppAtPutAwayDisablesTheCrossMethod();
    void savedPairingOfBothIsLoadedAsIs();
    void cancelKeepsThePropertiesAndOkLaterCommitsTheControls();
    void okCommitsEveryControl();
    void enterDoesNotPressOk();
    void writesWithoutAButtonAreRefused_data();
    void writesWithoutAButtonAreRefused();
    void isPlacedBesideTheMainWindow();
};

void TestFrmOptions::captionsHintsAndTabOrder() {
    frmOptions dialog;
    QCOMPARE(dialog.windowTitle(), u"パラメータ設定"_s);
    QCOMPARE(dialog.fraKeyType->title(), u"施錠方法"_s);
    QCOMPARE(dialog.fraKeyType->toolTip(),
             u"ヴォレルの施錠方法を設定。それぞれに互換性はありません。"_s);
    QCOMPARE(dialog.fraApp->title(), u"外部アプリケーション"_s);
    QCOMPARE(dialog.fraApp->toolTip(), u"ヴォレルから取り出すときに使用する外部ビューアの設定。"_s);
    QCOMPARE(dialog.chkStartPass->text(), u"起動時にヴォレルから取り出す(&S)"_s);
    QCOMPARE(dialog.chkStartPass->toolTip(),
             u"Winヴォレルをヴォレル内ファイルに関連付けて起動する。"_s);
    const QStringList keyTypes{u"簡易暗号式（Ver0.5互換)(&E)"_s, u"仮想シリンダ式(&C)"_s,
                               u"クロスパスワード方式(&X)"_s};
    const QStringList apps{u"全て内蔵ビューア(&N)"_s, u"しまうときに指定(&L)"_s,
                           u"取り出すときに指定(&U)"_s};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(dialog.optKeyType[i]->text(), keyTypes[i]);
        QCOMPARE(dialog.optKeyType[i]->parentWidget(), dialog.fraKeyType);
        QCOMPARE(dialog.optApp[i]->text(), apps[i]);
        QCOMPARE(dialog.optApp[i]->parentWidget(), dialog.fraApp);
        // Index 0 at the top of its frame.
        if (i > 0) {
            QVERIFY(dialog.optKeyType[i]->y() > dialog.optKeyType[i - 1]->y());
            QVERIFY(dialog.optApp[i]->y() > dialog.optApp[i - 1]->y());
        }
    }
    QCOMPARE(dialog.findChild<QRadioButton*>(u"optKeyType(2)"_s), dialog.optKeyType[2]);

    const QList<QWidget*> expected{
        dialog.optKeyType[0], dialog.optKeyType[1], dialog.cmdOK,
        dialog.cmdCancel,     dialog.chkStartPass,  dialog.optApp[0],
        dialog.optApp[1],     dialog.optApp[2],     dialog.optKeyType[2]};
    for (qsizetype i = 1; i < expected.size(); ++i) {
        QWidget* next = expected[i - 1]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QCOMPARE(next, expected[i]);
    }
}

void TestFrmOptions::crossMethodDisablesChoosingTheAppAtPutAway_data() {
    QTest::addColumn<int>("keyType");
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<bool>("appAtPutEnabled");
    for (const bool byClick : {false, true}) {
        const char* how = byClick ? "clicked" : "written";
        QTest::addRow("simple %s", how) << 0 << byClick << true;
        QTest::addRow("cylinder %s", how) << 1 << byClick << true;
        QTest::addRow("cross %s", how) << 2 << byClick << false;
    }
}

void TestFrmOptions::crossMethodDisablesChoosingTheAppAtPutAway() {
    QFETCH(int, keyType);
    QFETCH(bool, byClick);
    QFETCH(bool, appAtPutEnabled);
    frmOptions dialog;
    // Start from the opposite state, so that the rule must act both ways.
    dialog.setKeyType(keyType == 2 ? 0 : 2);
    QCOMPARE(dialog.optApp[1]->isEnabled(), keyType == 2);
    if (byClick) {
        dialog.show();
        QTest::mouseClick(dialog.optKeyType[keyType], Qt::LeftButton);
    } else {
        dialog.setKeyType(keyType);
    }
    QCOMPARE(dialog.optApp[1]->isEnabled(), appAtPutEnabled);
    QVERIFY(dialog.optKeyType[keyType]->isChecked());
    QCOMPARE(dialog.optApp[1]->isChecked(), false); // the rule never changes a selection
}

void TestFrmOptions::choosingTheAppAtPutAwayDisablesTheCrossMethod_data() {
    QTest::addColumn<int>("appMode");
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<bool>("crossEnabled");
    for (const bool byClick : {false, true}) {
        const char* how = byClick ? "clicked" : "written";
        QTest::addRow("viewer %s", how) << 0 << byClick << true;
        QTest::addRow("at put-away %s", how) << 1 << byClick << false;
        QTest::addRow("at take-out %s", how) << 2 << byClick << true;
    }
}

void TestFrmOptions::choosingTheAppAtPutAwayDisablesTheCrossMethod() {
    QFETCH(int, appMode);
    QFETCH(bool, byClick);
    QFETCH(bool, crossEnabled);
    frmOptions dialog;
    dialog.setAppMode(appMode == 1 ? 0 : 1);
    QCOMPARE(dialog.optKeyType[2]->isEnabled(), appMode == 1);
    if (byClick) {
        dialog.show();
        QTest::mouseClick(dialog.optApp[appMode], Qt::LeftButton);
    } else {
        dialog.setAppMode(appMode);
    }
    QCOMPARE(dialog.optKeyType[2]->isEnabled(), crossEnabled);
    QVERIFY(dialog.optApp[appMode]->isChecked());
}

void TestFrmOptions::savedPairingOfBothIsLoadedAsIs() {
    frmOptions dialog;
    dialog.setKeyType(2);
    dialog.setStartPass(true);
    dialog.setAppMode(1);
    QCOMPARE(dialog.KeyType(), 2);
    QCOMPARE(dialog.AppMode(), 1);
    QCOMPARE(dialog.StartPass(), true);
    QVERIFY(dialog.optKeyType[2]->isChecked());
    QVERIFY(dialog.optApp[1]->isChecked());
    QVERIFY(dialog.chkStartPass->isChecked());
    QVERIFY(!dialog.optKeyType[2]->isEnabled());
    QVERIFY(!dialog.optApp[1]->isEnabled());
}

void TestFrmOptions::cancelKeepsThePropertiesAndOkLaterCommitsTheControls() {
    frmOptions dialog;
    dialog.setKeyType(2);
    dialog.setAppMode(0);
    execWith(dialog, [&dialog] {
        QTest::mouseClick(dialog.optKeyType[1], Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(dialog.Cancel(), true);
    QCOMPARE(dialog.KeyType(), 2);

    bool stillSelected = false;
    execWith(dialog, [&dialog, &stillSelected] {
        stillSelected = dialog.optKeyType[1]->isChecked();
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    });
    QVERIFY(stillSelected);
    QCOMPARE(dialog.Cancel(), false);
    QCOMPARE(dialog.KeyType(), 1);
}

void TestFrmOptions::okCommitsEveryControl() {
    frmOptions dialog;
    dialog.setKeyType(2);
    dialog.setStartPass(false);
    dialog.setAppMode(0);
    dialog.setCancel(true);
    const int result = execWith(dialog, [&dialog] {
        QTest::mouseClick(dialog.optKeyType[0], Qt::LeftButton);
        QTest::mouseClick(dialog.optApp[2], Qt::LeftButton);
        QTest::mouseClick(dialog.chkStartPass, Qt::LeftButton);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(dialog.KeyType(), 0);
    QCOMPARE(dialog.AppMode(), 2);
    QCOMPARE(dialog.StartPass(), true);
    QCOMPARE(dialog.Cancel(), false);
}

void TestFrmOptions::enterDoesNotPressOk() {
    frmOptions dialog;
    dialog.setKeyType(1);
    bool openAfterEnter = false;
    execWith(dialog, [&dialog, &openAfterEnter] {
        for (QWidget* focus : {static_cast<QWidget*>(dialog.optKeyType[0]),
                               static_cast<QWidget*>(dialog.chkStartPass)}) {
            focus->setFocus();
            QTest::mouseClick(dialog.optKeyType[0], Qt::LeftButton);
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
        }
        openAfterEnter = dialog.isVisible();
    });
    QVERIFY(openAfterEnter);
    QCOMPARE(dialog.KeyType(), 1);
}

void TestFrmOptions::writesWithoutAButtonAreRefused_data() {
    QTest::addColumn<bool>("keyType");
    QTest::addColumn<int>("value");
    QTest::newRow("KeyType 3") << true << 3;
    QTest::newRow("KeyType -1") << true << -1;
    QTest::newRow("AppMode 3") << false << 3;
    QTest::newRow("AppMode 32767") << false << 32767;
}

void TestFrmOptions::writesWithoutAButtonAreRefused() {
    QFETCH(bool, keyType);
    QFETCH(int, value);
    frmOptions dialog;
    dialog.setKeyType(1);
    dialog.setAppMode(2);
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError,
                             keyType ? dialog.setKeyType(value) : dialog.setAppMode(value));
    QCOMPARE(dialog.KeyType(), 1);
    QCOMPARE(dialog.AppMode(), 2);
    QVERIFY(dialog.optKeyType[1]->isChecked());
    QVERIFY(dialog.optApp[2]->isChecked());
}

void TestFrmOptions::isPlacedBesideTheMainWindow() {
    QWidget mainWindow;
    mainWindow.move(300, 40);
    frmOptions dialog(&mainWindow);
    const int dx = qRound(850 * mainWindow.logicalDpiX() / 1440.0);
    const int dy = qRound(550 * mainWindow.logicalDpiY() / 1440.0);
    QCOMPARE(dialog.pos(), QPoint(300 + dx, 40 + dy));
}

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
