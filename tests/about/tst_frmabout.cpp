#include "about/frmAbout.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/Registry.h"

#include "support/ModalAnswer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString Unavailable = u"現時点ではｼｽﾃﾑ情報を使用できません"_s;

void writeFile(const QString& path, const QByteArray& bytes, bool executable) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
}

// Where the box belongs over `owner`: 50 twips right of and below its corner.
QPoint expectedCorner(const QWidget& owner) {
    const auto twips = [](int dpi) { return int(std::lround(50 * dpi / 1440.0)); };
    return owner.pos() + QPoint(twips(owner.logicalDpiX()), twips(owner.logicalDpiY()));
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray m_savedPath;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        platform::setRegistryStore(m_dir.filePath(u"registry.ini"_s));
        m_savedPath = qgetenv("PATH");
    }
    void cleanupTestCase() {
        platform::setRegistryStore({});
        qputenv("PATH", m_savedPath);
    }

    void captionsAfterLoad_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::newRow("title") << u"lblTitle"_s << u"Winヴォレル97"_s;
        QTest::newRow("version") << u"lblVersion"_s << u"ﾊﾞｰｼﾞｮﾝ 3.2.0"_s;
        QTest::newRow("OK") << u"cmdOK"_s << u"OK"_s;
        QTest::newRow("system information") << u"cmdSysInfo"_s << u"ｼｽﾃﾑ情報(&S)..."_s;
    }
    void captionsAfterLoad() {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        frmAbout about;
        QCOMPARE(about.windowTitle(), u"Winヴォレル97のﾊﾞｰｼﾞｮﾝ情報"_s);
        QObject* found = about.findChild<QObject*>(control);
        QVERIFY(found);
        QCOMPARE(found->property("text").toString(), caption);
        QVERIFY(about.lblDisclaimer->text().startsWith(u"警告: "_s));
        QVERIFY(!about.lblDescription->text().isEmpty());
        QVERIFY(!about.picIcon->pixmap().isNull());
    }

    // Every caption shows whole, inside the box, at the usual font sizes and larger ones.
    void captionsFitTheirControls_data() {
        QTest::addColumn<qreal>("pointSize");
        for (const qreal size : {9.0, 12.0, 16.0})
            QTest::addRow("%g pt", size) << size;
    }
    void captionsFitTheirControls() {
        QFETCH(qreal, pointSize);
        frmAbout about;
        QFont font = about.font();
        font.setPointSizeF(pointSize);
        about.setFont(font);
        const QRect form = about.rect();
        for (QWidget* control : about.findChildren<QWidget*>()) {
            QVERIFY2(form.contains(control->geometry()), qPrintable(control->objectName()));
            if (control->hasHeightForWidth())
                QVERIFY2(control->heightForWidth(control->width()) <= control->height(),
                         qPrintable(control->objectName()));
            else if (control != about.Line1)
                QVERIFY2(control->sizeHint().width() <= control->width() &&
                             control->sizeHint().height() <= control->height(),
                         qPrintable(control->objectName()));
        }
    }

    void followsTheMainWindowCorner() {
        QWidget mainWindow;
        mainWindow.resize(400, 300);
        mainWindow.move(120, 80);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        frmAbout about(&mainWindow);
        const auto placed = [&] { return about.pos() == expectedCorner(mainWindow); };
        QPoint first, firstExpected, moved, movedExpected;
        testsupport::execWith(about, [&] {
            if (!QTest::qWaitFor(placed))
                return;
            first = about.pos();
            firstExpected = expectedCorner(mainWindow);
            mainWindow.move(300, 220);
            about.update();
            if (!QTest::qWaitFor(placed))
                return;
            moved = about.pos();
            movedExpected = expectedCorner(mainWindow);
        });
        QCOMPARE(first, firstExpected);
        QCOMPARE(moved, movedExpected);
        QVERIFY(moved != first);
    }

    void okClosesTheBox() {
        frmAbout about;
        const int result = testsupport::execWith(about, [&] { about.cmdOK->click(); });
        QCOMPARE(result, int(QDialog::Accepted));
    }

    // The tool is looked up as registered, then beside the registered location, then among the
    // known programs on PATH; whatever fails ends in the one message, with the box still open.
    // %DIR% stands for a folder holding "tool" (a program), "plain" (a file that may not be
    // run), "MSINFO32.EXE" when asked for, and "bin" (PATH).
    void startSysInfo_data() {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("started");
        const QByteArray path = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
        const QByteArray location =
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n";
        QTest::newRow("registered path") << path + "PATH=%DIR%/tool" << QStringList() << true;
        QTest::newRow("registered path names nothing")
            << path + "PATH=%DIR%/missing\n" + location + "MSINFO=%DIR%"
            << QStringList{u"MSINFO32.EXE"_s} << false;
        QTest::newRow("registered path may not be run")
            << path + "PATH=%DIR%/plain" << QStringList() << false;
        QTest::newRow("registered path empty") << path + "PATH=" << QStringList() << false;
        QTest::newRow("tool in the registered location")
            << location + "MSINFO=%DIR%" << QStringList{u"MSINFO32.EXE"_s} << true;
        QTest::newRow("registered location without the tool")
            << location + "MSINFO=%DIR%" << QStringList() << false;
        QTest::newRow("tool's name is a folder")
            << location + "MSINFO=%DIR%" << QStringList{u"MSINFO32.EXE/"_s} << false;
        QTest::newRow("known program on PATH")
            << QByteArray() << QStringList{u"bin/hardinfo"_s} << true;
        QTest::newRow("nothing anywhere") << QByteArray() << QStringList() << false;
    }
    void startSysInfo() {
        QFETCH(QByteArray, store);
        QFETCH(QStringList, files);
        QFETCH(bool, started);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"bin"_s));
        const QString ran = dir.filePath(u"ran"_s);
        const QByteArray tool = "#!/bin/sh\n: > '" + QFile::encodeName(ran) + "'\n";
        writeFile(dir.filePath(u"tool"_s), tool, true);
        writeFile(dir.filePath(u"plain"_s), tool, false);
        for (const QString& file : files) {
            if (file.endsWith(u'/'))
                QVERIFY(QDir(dir.path()).mkpath(file));
            else
                writeFile(dir.filePath(file), tool, true);
        }
        writeFile(m_dir.filePath(u"registry.ini"_s),
                  store.replace("%DIR%", QFile::encodeName(dir.path())), false);
        qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)));

        platform::MessageBoxRecorder recorder;
        frmAbout about;
        bool openAfterClick = false;
        testsupport::execWith(about, [&] {
            QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
            openAfterClick = about.isVisible();
        });
        QVERIFY(openAfterClick);
        if (started) {
            QTRY_VERIFY(QFile::exists(ran));
            QCOMPARE(recorder.count(), 0);
        } else {
            QCOMPARE(recorder.count(), 1);
            QCOMPARE(recorder.last().text, Unavailable);
            QCOMPARE(recorder.last().title, u"Winヴォレル97"_s);
            QCOMPARE(recorder.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(recorder.last().icon, QMessageBox::NoIcon);
            QTest::qWait(200);
            QVERIFY(!QFile::exists(ran));
        }
    }
};

QTEST_MAIN(AboutTest)

#include "tst_frmabout.moc"
