#include "dialogs/frmKey.h"
#include "platform/MessageBoxRecorder.h"
#include "support/ModalAnswer.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using testsupport::execWith;

// Types `text` character by character; characters beyond ASCII arrive committed by the input
// method, as Japanese input does.
void type(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(widget, ch.toLatin1());
        } else {
            QInputMethodEvent event;
            event.setCommitString(QString(ch));
            QApplication::sendEvent(widget, &event);
        }
    }
}

} // namespace

class TestFrmKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { recorder = std::make_unique<platform::MessageBoxRecorder>(); }
    void cleanup() { recorder.reset(); }

    void holdsTheBoxTo20Characters_data();
    void holdsTheBoxTo20Characters();
    void tooLongMessageIsTheSystemsOwn();
    void okStoresTheBoxEvenWhenEmpty();
    void cancelKeepsPassWdButTheBoxKeepsTheAbandonedText_data();
    void cancelKeepsPassWdButTheBoxKeepsTheAbandonedText();
    void okAfterCancelStoresWhatTheBoxShows();
    void writingPassWdFillsTheBoxAndNeverStoresMoreThan20();
    void clickSelectsTheWholeText();
    void masksWithStarsAndStartsInTheBox();
    void isPlacedBesideTheMainWindow();

private:
    std::unique_ptr<platform::MessageBoxRecorder> recorder;
};

void TestFrmKey::holdsTheBoxTo20Characters_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("kept");

    const QString twenty = u"abcdefghijklmnopqrst"_s;
    const QString thirty = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"_s;
    const QString japanese = u"あいうえおかきくけこさしすせそたちつてと"_s;
    QTest::newRow("20 typed") << QString() << twenty << QString() << 0 << twenty;
    QTest::newRow("21st typed") << QString() << twenty + u'u' << QString() << 1 << twenty;
    QTest::newRow("21st typed after 20 set") << twenty << u"x"_s << QString() << 1 << twenty;
    QTest::newRow("30 pasted into empty")
        << QString() << QString() << thirty << 1 << thirty.left(20);
    QTest::newRow("30 pasted after 5")
        << QString() << u"12345"_s << thirty << 1 << u"12345"_s + thirty.left(15);
    QTest::newRow("20 Japanese typed") << QString() << japanese << QString() << 0 << japanese;
    QTest::newRow("21 Japanese typed")
        << QString() << japanese + u'な' << QString() << 1 << japanese;
}

void TestFrmKey::holdsTheBoxTo20Characters() {
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(int, messages);
    QFETCH(QString, kept);

    frmKey dialog;
    dialog.txtPassWd->setText(before);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.txtPassWd->setFocus();
    dialog.txtPassWd->end(false);
    type(dialog.txtPassWd, typed);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(dialog.txtPassWd, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(recorder->count(), messages);
    QCOMPARE(dialog.txtPassWd->text(), kept);
    QCOMPARE(dialog.PassWd(), QString()); // nothing confirmed yet
}

void TestFrmKey::tooLongMessageIsTheSystemsOwn() {
    frmKey dialog;
    dialog.txtPassWd->setText(QString(21, u'k'));
    QCOMPARE(recorder->count(), 1);
    QCOMPARE(recorder->last().text, u"鍵は20字以内にして下さい。"_s);
    QCOMPARE(recorder->last().icon, QMessageBox::Warning);
    QCOMPARE(recorder->last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(recorder->last().title, u"Winヴォレル97"_s);
}

void TestFrmKey::okStoresTheBoxEvenWhenEmpty() {
    frmKey dialog;
    dialog.setPassWd(u"old"_s);
    dialog.setCancel(true);
    const int result = execWith(dialog, [&dialog] {
        dialog.txtPassWd->clear();
        QTest::keyClick(dialog.txtPassWd, Qt::Key_Return); // the default button
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(dialog.PassWd(), QString());
    QCOMPARE(dialog.Cancel(), false);
    QVERIFY(!dialog.isVisible());
}

void TestFrmKey::cancelKeepsPassWdButTheBoxKeepsTheAbandonedText_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Esc") << 0;
    QTest::newRow("cancel button") << 1;
    QTest::newRow("window closed") << 2;
}

void TestFrmKey::cancelKeepsPassWdButTheBoxKeepsTheAbandonedText() {
    QFETCH(int, how);
    frmKey dialog;
    dialog.setPassWd(u"secret"_s);
    execWith(dialog, [&dialog, how] {
        dialog.txtPassWd->selectAll();
        QTest::keyClicks(dialog.txtPassWd, u"abandoned"_s);
        if (how == 0)
            QTest::keyClick(dialog.txtPassWd, Qt::Key_Escape);
        else if (how == 1)
            QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
        else
            dialog.close();
    });
    QCOMPARE(dialog.Cancel(), true);
    QCOMPARE(dialog.PassWd(), u"secret"_s);

    // The next showing starts with the abandoned input, not the password.
    QString shown;
    execWith(dialog, [&dialog, &shown] {
        shown = dialog.txtPassWd->text();
        dialog.reject();
    });
    QCOMPARE(shown, u"abandoned"_s);
}

void TestFrmKey::okAfterCancelStoresWhatTheBoxShows() {
    frmKey dialog;
    dialog.setPassWd(u"secret"_s);
    execWith(dialog, [&dialog] {
        QCOMPARE(dialog.txtPassWd->selectedText(), u"secret"_s); // typing would replace it
        QTest::keyClick(dialog.txtPassWd, Qt::Key_End);
        QTest::keyClicks(dialog.txtPassWd, u"2"_s);
        QTest::keyClick(dialog.txtPassWd, Qt::Key_Escape);
    });
    execWith(dialog, [&dialog] { QTest::mouseClick(dialog.cmdOK, Qt::LeftButton); });
    QCOMPARE(dialog.Cancel(), false);
    QCOMPARE(dialog.PassWd(), u"secret2"_s);
}

void TestFrmKey::writingPassWdFillsTheBoxAndNeverStoresMoreThan20() {
    frmKey dialog;
    dialog.setPassWd(u"abc"_s);
    QCOMPARE(dialog.txtPassWd->text(), u"abc"_s);
    QCOMPARE(recorder->count(), 0);

    const QString tooLong = u"abcdefghijklmnopqrstuvwxy"_s;
    dialog.setPassWd(tooLong);
    QCOMPARE(recorder->count(), 1);
    QCOMPARE(dialog.PassWd(), tooLong.left(20));
    QCOMPARE(dialog.txtPassWd->text(), tooLong.left(20));
}

void TestFrmKey::clickSelectsTheWholeText() {
    frmKey dialog;
    dialog.setPassWd(u"password"_s);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (int click = 0; click < 2; ++click) { // a second click on the selection keeps it
        QTest::mouseClick(dialog.txtPassWd, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE(dialog.txtPassWd->selectedText(), u"password"_s);
    }
    QTest::keyClicks(dialog.txtPassWd, u"n"_s);
    QCOMPARE(dialog.txtPassWd->text(), u"n"_s);
}

void TestFrmKey::masksWithStarsAndStartsInTheBox() {
    frmKey dialog;
    QCOMPARE(dialog.windowTitle(), u"鍵の設定"_s);
    QCOMPARE(dialog.Label1->text(), u"鍵(&P):"_s);
    QCOMPARE(dialog.cmdCancel->text(), u"キャンセル"_s);
    QCOMPARE(dialog.txtPassWd->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.txtPassWd->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                  dialog.txtPassWd),
             int(u'*'));
    QVERIFY(dialog.cmdOK->isDefault());
    QCOMPARE(dialog.findChild<QLineEdit*>(u"txtPassWd"_s), dialog.txtPassWd);
    for (int showing = 0; showing < 2; ++showing) { // also after closing with a button
        execWith(dialog, [&dialog] {
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            QCOMPARE(QApplication::focusWidget(), dialog.txtPassWd);
            dialog.cmdCancel->setFocus();
            QTest::keyClick(dialog.cmdCancel, Qt::Key_Space);
        });
    }
}

void TestFrmKey::isPlacedBesideTheMainWindow() {
    QWidget mainWindow;
    mainWindow.move(200, 100);
    frmKey dialog(&mainWindow);
    const int dx = qRound(1500 * mainWindow.logicalDpiX() / 1440.0);
    const int dy = qRound(1500 * mainWindow.logicalDpiY() / 1440.0);
    QCOMPARE(dialog.pos(), QPoint(200 + dx, 100 + dy));
    mainWindow.move(0, 0);
    dialog.show();
    QCOMPARE(dialog.pos(), QPoint(200 + dx, 100 + dy)); // not moved on showing
}

QTEST_MAIN(TestFrmKey)
#include "tst_frmkey.moc"
