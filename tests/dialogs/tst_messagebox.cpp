#include "platform/MessageBox.h"
#include "platform/MessageBoxRecorder.h"
#include "support/ModalAnswer.h"

#include <QAbstractButton>
#include <QtTest>

using platform::showMessage;

class TestMessageBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsEachBoxWithTheApplicationTitleByDefault();
    void answersFromTheQueueThenWithTheFirstButton();
    void realBoxReturnsTheButtonPressedOnceTheRecorderIsGone();
};

void TestMessageBox::recordsEachBoxWithTheApplicationTitleByDefault() {
    platform::MessageBoxRecorder recorder;
    showMessage(QStringLiteral("鍵は20字以内にして下さい。"), QMessageBox::Warning);
    showMessage(QStringLiteral("上書きしますか？"), QMessageBox::Question,
                QMessageBox::Yes | QMessageBox::No, QStringLiteral("Winヴォレル"));

    QCOMPARE(recorder.count(), 2);
    const platform::MessageRequest& first = recorder.boxes().at(0);
    QCOMPARE(first.text, QStringLiteral("鍵は20字以内にして下さい。"));
    QCOMPARE(first.icon, QMessageBox::Warning);
    QCOMPARE(first.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(first.title, QStringLiteral("Winヴォレル97"));
    QCOMPARE(recorder.last().title, QStringLiteral("Winヴォレル"));
    QCOMPARE(recorder.last().buttons, QMessageBox::Yes | QMessageBox::No);
}

void TestMessageBox::answersFromTheQueueThenWithTheFirstButton() {
    platform::MessageBoxRecorder recorder;
    recorder.answer(QMessageBox::No);
    recorder.answer(QMessageBox::Yes);
    const auto ask = [] {
        return showMessage(QStringLiteral("?"), QMessageBox::Question,
                           QMessageBox::Yes | QMessageBox::No);
    };
    QCOMPARE(ask(), QMessageBox::No);
    QCOMPARE(ask(), QMessageBox::Yes);
    QCOMPARE(ask(), QMessageBox::Yes);
    QCOMPARE(showMessage(QStringLiteral("!"), QMessageBox::Critical,
                         QMessageBox::Cancel | QMessageBox::Ok),
             QMessageBox::Ok);
}

void TestMessageBox::realBoxReturnsTheButtonPressedOnceTheRecorderIsGone() {
    { platform::MessageBoxRecorder recorder; }
    QString shownTitle;
    QStringList yesNo;
    testsupport::whenModalShown([&shownTitle, &yesNo](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        shownTitle = box->windowTitle();
        yesNo = {box->button(QMessageBox::Yes)->text(), box->button(QMessageBox::No)->text()};
        box->button(QMessageBox::No)->click();
    });
    QCOMPARE(
        showMessage(QStringLiteral("?"), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No),
        QMessageBox::No);
    QCOMPARE(shownTitle, QStringLiteral("Winヴォレル97"));
    QCOMPARE(yesNo, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
