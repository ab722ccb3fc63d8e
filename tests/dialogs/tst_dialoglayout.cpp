#include "dialogs/frmFile.h"
#include "dialogs/frmKey.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmProgress.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QDialog> makeDialog(const QString& name) {
    if (name == u"frmKey")
        return std::make_unique<frmKey>();
    if (name == u"frmFile")
        return std::make_unique<frmFile>();
    if (name == u"frmOptions")
        return std::make_unique<frmOptions>();
    return std::make_unique<frmProgress>();
}

// Controls designed to lie on top of each other.
bool designedToOverlap(const QWidget* a, const QWidget* b) {
    const QStringList names{a->objectName(), b->objectName()};
    return names.contains(u"lblPercent") && names.contains(u"ProgressBar1");
}

} // namespace

class TestDialogLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void captionsFitWithoutOverlapping_data();
    void captionsFitWithoutOverlapping();
    void largerFontGrowsTheDialog_data();
    void largerFontGrowsTheDialog();
};

void TestDialogLayout::captionsFitWithoutOverlapping_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<qreal>("pointSize");
    for (const QString& dialog : {u"frmKey"_s, u"frmFile"_s, u"frmOptions"_s, u"frmProgress"_s}) {
        for (const qreal size : {9.0, 12.0, 20.0}) {
            const QString tag = u"%1 at %2pt"_s.arg(dialog).arg(size);
            QTest::newRow(qPrintable(tag)) << dialog << size;
        }
    }
}

void TestDialogLayout::captionsFitWithoutOverlapping() {
    QFETCH(QString, dialog);
    QFETCH(qreal, pointSize);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPointSizeF(pointSize);
    QApplication::setFont(font);
    const std::unique_ptr<QDialog> form = makeDialog(dialog);
    QApplication::setFont(before);

    for (const QWidget* control : form->findChildren<QWidget*>()) {
        const QWidget* parent = control->parentWidget();
        if (parent != form.get() && !qobject_cast<const QGroupBox*>(parent))
            continue; // parts of composite widgets (scroll bars, viewports) lay themselves out
        const QString name = control->objectName();
        QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), qPrintable(name));
        const bool captioned =
            qobject_cast<const QLabel*>(control) || qobject_cast<const QAbstractButton*>(control);
        if (captioned && control->hasHeightForWidth()) {
            QVERIFY2(control->heightForWidth(control->width()) <= control->height(),
                     qPrintable(name));
        } else if (captioned) {
            QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(name));
            QVERIFY2(control->height() >= control->sizeHint().height(), qPrintable(name));
        } else {
            QVERIFY2(control->height() >= control->minimumSizeHint().height(), qPrintable(name));
        }
        // Neighbours may touch (the design lets captions reach a pixel into their control),
        // never cover each other.
        for (const QWidget* other :
             control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == control || designedToOverlap(control, other))
                continue;
            const QRect common = control->geometry() & other->geometry();
            QVERIFY2(common.width() <= 3 || common.height() <= 3,
                     qPrintable(name + u" covers "_s + other->objectName()));
        }
    }
}

void TestDialogLayout::largerFontGrowsTheDialog_data() {
    QTest::addColumn<QString>("dialog");
    for (const char* dialog : {"frmKey", "frmFile", "frmOptions", "frmProgress"})
        QTest::newRow(dialog) << QString::fromLatin1(dialog);
}

void TestDialogLayout::largerFontGrowsTheDialog() {
    QFETCH(QString, dialog);
    const std::unique_ptr<QDialog> form = makeDialog(dialog);
    const QSize normal = form->size();
    QFont font = form->font();
    font.setPointSizeF(font.pointSizeF() * 2);
    form->setFont(font);
    const QSize larger = form->size();
    QVERIFY(larger.width() > normal.width());
    // Proportions hold: both sides grow by the same factor, give or take rounding.
    QVERIFY(qAbs(double(larger.width()) / normal.width() -
                 double(larger.height()) / normal.height()) < 0.05);
}

QTEST_MAIN(TestDialogLayout)
#include "tst_dialoglayout.moc"
