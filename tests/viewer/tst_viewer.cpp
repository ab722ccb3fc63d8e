// The viewer widgets: presentation by content, the text path, layout and scrolling, and the
// save, copy and select-all operations.
#include "viewer/ContentTextBox.h"
#include "viewer/PictureBox.h"
#include "viewer/Viewer.h"

#include "platform/MessageBoxRecorder.h"
#include "platform/RuntimeError.h"

#include "support/TestFiles.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(viewer::TextPosition)

namespace {

constexpr int ToolbarHeight = 28;
constexpr int BarThickness = 17; // 255 twips at 96 dpi

QImage Picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(20, 120, 220));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    return image;
}

int OpenDescriptors() {
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size());
}

} // namespace

class ViewerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void presentationFollowsContent_data();
    void presentationFollowsContent();
    void textPathAppliesLineRules_data();
    void textPathAppliesLineRules();
    void isTextSwitchesControls();
    void failureIsReportedAndKeepsContents();
    void fileIsClosedWhenOpenContReturns_data();
    void fileIsClosedWhenOpenContReturns();
    void pictureAfterTextHidesText();
    void largeLoadKeepsWindowAliveDropsInputAndFocusesText();

    void layoutPlacesControls();
    void scrollBarsFollowOverhang_data();
    void scrollBarsFollowOverhang();
    void barsMoveThePictureByOnePixel();
    void relayoutShowsPictureFromItsCorner();
    void horizontalBarStaysAboveViewport();
    void barEndsShowTheLastRowAndColumn_data();
    void barEndsShowTheLastRowAndColumn();
    void wheelScrollsThePicture();
    void keysScrollThePicture_data();
    void keysScrollThePicture();
    void textLayoutLeavesBarsAlone();
    void tinyClientAreaLaysOutWithoutNegativeSizes_data();
    void tinyClientAreaLaysOutWithoutNegativeSizes();

    void savedTextReproducesLoadedFile_data();
    void savedTextReproducesLoadedFile();
    void savedPictureIsBmpWhateverTheName();
    void saveReplacesExistingFile();
    void saveFailuresRaiseAndWriteNothing();
    void copyPutsExactlyTheSelection();
    void mouseSelectsAndKeysCopy();
    void caretKeysMoveAndSelect_data();
    void caretKeysMoveAndSelect();
    void longRowIsDrawnAcrossTheView_data();
    void longRowIsDrawnAcrossTheView();
    void copyWithoutSelectionLeavesClipboard();
    void copyPutsThePicture();
    void copyWithoutPictureRaises();
    void selectAllSelectsTheWholeTextOnly();
    void accessibleTextIsTheTextInSight_data();
    void accessibleTextIsTheTextInSight();

private:
    QString write(const QString& name, const QByteArray& bytes);
    void layOut(QSize clientSize);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_client;
    QWidget* m_toolbar = nullptr;
    viewer::Viewer* m_viewer = nullptr;
};

void ViewerTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_client = std::make_unique<QWidget>();
    m_toolbar = new QWidget(m_client.get());
    m_toolbar->setGeometry(0, 0, 400, ToolbarHeight);
    m_viewer = new viewer::Viewer(m_client.get(), m_toolbar);
    m_viewer->setIsText(false);
    layOut({400, 300});
}

void ViewerTest::cleanup() {
    m_client.reset();
    m_dir.reset();
}

QString ViewerTest::write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

void ViewerTest::layOut(QSize clientSize) {
    m_client->resize(clientSize);
    m_toolbar->resize(clientSize.width(), ToolbarHeight);
    m_viewer->Form_Resize();
}

void ViewerTest::presentationFollowsContent_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isText");
    QTest::newRow("bitmap named notes.txt")
        << u"notes.txt"_s << Encoded(Picture({30, 20}), "bmp") << false;
    QTest::newRow("text named photo.bmp") << u"photo.bmp"_s << QByteArray("hello\r\n") << true;
    QTest::newRow("png named photo.jpg")
        << u"photo.jpg"_s << Encoded(Picture({30, 20}), "png") << false;
    QTest::newRow("truncated png")
        << u"cut.png"_s << Encoded(Picture({30, 20}), "png").left(30) << true;
    QTest::newRow("empty file") << u"empty.gif"_s << QByteArray() << true;
}

void ViewerTest::presentationFollowsContent() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isText);
    platform::MessageBoxRecorder boxes;
    m_viewer->OpenCont(write(name, bytes));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(m_viewer->IsText(), isText);
    if (isText)
        QCOMPARE(m_viewer->txtCont()->content().isEmpty(), bytes.isEmpty());
    else
        QCOMPARE(m_viewer->picCont()->size(), QSize(30, 20));
}

void ViewerTest::textPathAppliesLineRules_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << u"a\r\nb\r\n"_s;
    QTest::newRow("final line end") << QByteArray("a\r\nb\r\n") << u"a\r\nb\r\n"_s;
    QTest::newRow("bare LF line ends") << QByteArray("a\nb\n") << u"a\nb\n\r\n"_s;
    QTest::newRow("cp932") << QByteArray("\x93\xFA\x96\x7B\r\n") << u"日本\r\n"_s;
    QTest::newRow("utf-8") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC") << u"日本\r\n"_s;
}

void ViewerTest::textPathAppliesLineRules() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    m_viewer->OpenCont(write(u"t.txt"_s, bytes));
    QVERIFY(m_viewer->IsText());
    QCOMPARE(m_viewer->txtCont()->content(), shown);
    // Bytes handed over from memory show the same, and the text is built in them, not a copy.
    QByteArray handed;
    handed.reserve(bytes.size() + 2);
    handed += bytes;
    const char* const place = handed.constData();
    m_viewer->openContents(std::move(handed));
    QCOMPARE(m_viewer->txtCont()->content(), shown);
    QCOMPARE(static_cast<const void*>(m_viewer->txtCont()->textContent().bytes().constData()),
             static_cast<const void*>(place));
}

void ViewerTest::isTextSwitchesControls() {
    QSignalSpy changed(m_viewer, &viewer::Viewer::isTextChanged);
    for (bool isText : {true, true, false, false}) {
        m_viewer->setIsText(isText);
        QCOMPARE(m_viewer->IsText(), isText);
        QCOMPARE(m_viewer->txtCont()->isHidden(), !isText);
        QCOMPARE(m_viewer->picParent()->isHidden(), isText);
        QCOMPARE(m_viewer->HScroll1()->isHidden(), isText);
        QCOMPARE(m_viewer->VScroll1()->isHidden(), isText);
        QCOMPARE(changed.takeFirst().at(0).toBool(), isText);
    }
}

void ViewerTest::failureIsReportedAndKeepsContents() {
    m_viewer->OpenCont(write(u"a.txt"_s, "kept\r\n"));
    platform::MessageBoxRecorder boxes;
    m_viewer->OpenCont(m_dir->filePath(u"missing.txt"_s));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, u"53"_s);
    QCOMPARE(boxes.last().text, platform::defaultDescription(platform::err::FileNotFound));
    QCOMPARE(boxes.last().icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(m_viewer->IsText());
    QCOMPARE(m_viewer->txtCont()->content(), u"kept\r\n"_s);

    m_viewer->OpenCont(m_dir->path());
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.last().title, QString::number(platform::err::PathFileAccess));
}

void ViewerTest::fileIsClosedWhenOpenContReturns_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("picture") << Encoded(Picture({10, 10}), "png");
    QTest::newRow("text") << QByteArray("text\r\n");
}

void ViewerTest::fileIsClosedWhenOpenContReturns() {
    QFETCH(QByteArray, bytes);
    const QString path = write(u"shown.dat"_s, bytes);
    const int before = OpenDescriptors();
    m_viewer->OpenCont(path);
    QCOMPARE(OpenDescriptors(), before);
    QVERIFY(QFile::remove(path));
}

void ViewerTest::pictureAfterTextHidesText() {
    m_viewer->OpenCont(write(u"a.txt"_s, "text\r\n"));
    m_viewer->OpenCont(write(u"wide.png"_s, Encoded(Picture({1000, 50}), "png")));
    QVERIFY(!m_viewer->IsText());
    QVERIFY(m_viewer->txtCont()->isHidden());
    QVERIFY(!m_viewer->picParent()->isHidden());
    QVERIFY(!m_viewer->HScroll1()->isHidden());
    QVERIFY(m_viewer->VScroll1()->isHidden());
    QCOMPARE(m_viewer->txtCont()->content(), u"text\r\n"_s); // kept while hidden
}

void ViewerTest::largeLoadKeepsWindowAliveDropsInputAndFocusesText() {
    // Events are handled while a file larger than one piece of work loads, under the busy
    // pointer, but what is typed meanwhile reaches nothing but a question asked then; afterwards
    // the pointer is back and the whole text is there, with the focus, though a picture and then
    // another control had it before.
    constexpr int Lines = 1 << 20; // 18 MiB, more than one piece of work
    const QString path = write(u"large.txt"_s, QByteArray("0123456789abcdef\r\n").repeated(Lines));
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({50, 50}), "png")));
    QLineEdit typed(m_client.get());
    m_client->show();
    QVERIFY(QTest::qWaitForWindowActive(m_client.get()));
    typed.setFocus();
    int shotsWhileBusy = 0;
    QString answered; // a question asked meanwhile takes the answer typed into it
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] {
        const QCursor* pointer = QApplication::overrideCursor();
        if (pointer && pointer->shape() == Qt::WaitCursor)
            ++shotsWhileBusy;
        QTest::keyClick(&typed, Qt::Key_X);
        if (shotsWhileBusy == 1) {
            QDialog question(m_client.get());
            QLineEdit answer(&question);
            QTimer::singleShot(0, &question, [&] {
                QTest::keyClicks(&answer, u"y"_s);
                question.accept();
            });
            question.exec();
            answered = answer.text();
        }
    });
    timer.start(0);
    m_viewer->OpenCont(path);
    timer.stop();
    QVERIFY(shotsWhileBusy > 0);
    QCOMPARE(typed.text(), QString());
    QCOMPARE(answered, u"y"_s);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The headless platform leaves no window active once the question has gone.
    m_client->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_client.get()));
    QCOMPARE(QApplication::focusWidget(), m_viewer->txtCont());
    const viewer::TextContent& text = m_viewer->txtCont()->textContent();
    QCOMPARE(text.rowCount(), Lines + 1);
    QCOMPARE(text.rowText(text.rowCount() - 2), u"0123456789abcdef"_s);
}

void ViewerTest::layoutPlacesControls() {
    const int sw = 400, sh = 300, t = ToolbarHeight, w = BarThickness, h = BarThickness;
    QCOMPARE(m_viewer->picParent()->geometry(), QRect(0, t, sw - w, sh - h - t));
    QCOMPARE(m_viewer->HScroll1()->geometry(), QRect(0, sh - h, sw - w, h));
    QCOMPARE(m_viewer->VScroll1()->geometry(), QRect(sw - w, t, w, sh - h - t));
    // The text area keeps 8 pixels beside it and 4 pixels above and below.
    QCOMPARE(m_viewer->txtCont()->geometry(), QRect(8, t + 4, sw - 16, sh - t - 8));
}

void ViewerTest::scrollBarsFollowOverhang_data() {
    // The viewport is 383 x 255 pixels: the client's 400 x 300 less the bars and the toolbar.
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("hBar");
    QTest::addColumn<int>("hMax");
    QTest::addColumn<bool>("vBar");
    QTest::addColumn<int>("vMax");
    QTest::newRow("smaller both ways") << QSize(100, 100) << false << 0 << false << 0;
    QTest::newRow("exactly as wide") << QSize(383, 100) << false << 0 << false << 0;
    QTest::newRow("100 pixels wider") << QSize(483, 100) << true << 100 << false << 0;
    QTest::newRow("exactly as tall") << QSize(100, 255) << false << 0 << false << 0;
    QTest::newRow("one row taller") << QSize(100, 256) << false << 0 << true << 1;
    QTest::newRow("larger both ways") << QSize(800, 600) << true << 417 << true << 345;
}

void ViewerTest::scrollBarsFollowOverhang() {
    QFETCH(QSize, picture);
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture(picture), "png")));
    QCOMPARE(m_viewer->picCont()->geometry(), QRect(QPoint(0, 0), picture));
    QTEST(!m_viewer->HScroll1()->isHidden(), "hBar");
    QTEST(m_viewer->HScroll1()->maximum(), "hMax");
    QTEST(!m_viewer->VScroll1()->isHidden(), "vBar");
    QTEST(m_viewer->VScroll1()->maximum(), "vMax");
    QCOMPARE(m_viewer->HScroll1()->minimum(), 0);
    QCOMPARE(m_viewer->VScroll1()->minimum(), 0);
}

void ViewerTest::barsMoveThePictureByOnePixel() {
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({483, 400}), "png")));
    QScrollBar* hBar = m_viewer->HScroll1();
    QScrollBar* vBar = m_viewer->VScroll1();
    hBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(-1, 0));
    hBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(-2, 0));
    vBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(-2, -1));
    hBar->setValue(hBar->maximum());
    QCOMPARE(m_viewer->picCont()->geometry().right(), m_viewer->picParent()->width() - 1);
}

void ViewerTest::relayoutShowsPictureFromItsCorner() {
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({800, 600}), "png")));
    m_viewer->HScroll1()->setValue(50);
    m_viewer->VScroll1()->setValue(40);
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(-50, -40));
    layOut({420, 310});
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(0, 0));
    QCOMPARE(m_viewer->HScroll1()->value(), 50);
    QCOMPARE(m_viewer->VScroll1()->value(), 40);
    m_viewer->HScroll1()->setValue(51);
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(-51, 0));
}

void ViewerTest::horizontalBarStaysAboveViewport() {
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({800, 600}), "png")));
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client.get()));
    const QPoint inBar = m_viewer->HScroll1()->geometry().center();
    QCOMPARE(m_client->childAt(inBar), m_viewer->HScroll1());
    QVERIFY(!m_viewer->picParent()->geometry().intersects(m_viewer->HScroll1()->geometry()));
}

void ViewerTest::barEndsShowTheLastRowAndColumn_data() {
    QTest::addColumn<QSize>("picture");
    QTest::newRow("larger both ways") << QSize(800, 600);
    QTest::newRow("taller only") << QSize(300, 600);
    QTest::newRow("one row taller than in sight") << QSize(300, 256);
    QTest::newRow("wider only") << QSize(800, 200);
}

void ViewerTest::barEndsShowTheLastRowAndColumn() {
    // The picture's last row and column are drawn in their own colours; with both bars at
    // their ends they show just inside the bars' edges, below the toolbar.
    QFETCH(QSize, picture);
    QImage image = Picture(picture);
    const int right = picture.width() - 1, bottom = picture.height() - 1;
    for (int x = 0; x <= right; ++x)
        image.setPixel(x, bottom, qRgb(0, 255, 0));
    for (int y = 0; y <= bottom; ++y)
        image.setPixel(right, y, qRgb(255, 255, 0));
    image.setPixel(right, bottom, qRgb(255, 0, 255));
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(image, "png")));
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client.get()));
    for (QScrollBar* bar : {m_viewer->HScroll1(), m_viewer->VScroll1()})
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
    const QImage shown = m_client->grab().toImage();
    const int lastX = 400 - BarThickness - 1, lastY = 300 - BarThickness - 1;
    const int cornerX = qMin(lastX, right), cornerY = qMin(lastY, ToolbarHeight + bottom);
    QCOMPARE(shown.pixel(cornerX, cornerY), qRgb(255, 0, 255));
    QCOMPARE(shown.pixel(cornerX - 1, cornerY), qRgb(0, 255, 0));
    QCOMPARE(shown.pixel(cornerX, cornerY - 1), qRgb(255, 255, 0));
}

void ViewerTest::wheelScrollsThePicture() {
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({2000, 2000}), "png")));
    const auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWidget* target = m_viewer->picCont();
        QWheelEvent event({10, 10}, target->mapToGlobal(QPointF(10, 10)), {}, angle, Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &event);
    };
    wheel({0, -120}, {});
    const int down = m_viewer->VScroll1()->value();
    QVERIFY(down > 0);
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(0, -down));
    wheel({0, -120}, Qt::ShiftModifier);
    QCOMPARE(m_viewer->HScroll1()->value(), down);
    wheel({0, 120}, {});
    QCOMPARE(m_viewer->picCont()->pos(), QPoint(-down, 0));
}

void ViewerTest::keysScrollThePicture_data() {
    // The viewport is 383 x 255 pixels and the picture 800 x 600: the bars reach 417 and 345.
    // Negative values count lines.
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<int>("hValue");
    QTest::addColumn<int>("vValue");
    const auto keys = [](std::initializer_list<Qt::Key> list) {
        QTestEventList events;
        for (Qt::Key key : list)
            events.addKeyClick(key);
        return events;
    };
    QTest::newRow("End to the last row") << keys({Qt::Key_End}) << 0 << 345;
    QTest::newRow("Home back to the first") << keys({Qt::Key_End, Qt::Key_Home}) << 0 << 0;
    QTest::newRow("PageDown by the height in sight") << keys({Qt::Key_PageDown}) << 0 << 255;
    QTest::newRow("PageDown stops at the last row")
        << keys({Qt::Key_PageDown, Qt::Key_PageDown}) << 0 << 345;
    QTest::newRow("PageUp by the height in sight")
        << keys({Qt::Key_End, Qt::Key_PageUp}) << 0 << 90;
    QTest::newRow("arrows by a line")
        << keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Right,
                 Qt::Key_Right, Qt::Key_Left})
        << -2 << -1;
}

void ViewerTest::keysScrollThePicture() {
    QFETCH(QTestEventList, keys);
    QFETCH(int, hValue);
    QFETCH(int, vValue);
    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({800, 600}), "png")));
    m_client->show();
    QVERIFY(QTest::qWaitForWindowActive(m_client.get()));
    QCOMPARE(QApplication::focusWidget(), m_viewer->picParent());
    // A click into the picture gives the focus back.
    m_viewer->picParent()->clearFocus();
    QTest::mouseClick(m_viewer->picCont(), Qt::LeftButton, {}, {10, 10});
    QCOMPARE(QApplication::focusWidget(), m_viewer->picParent());
    keys.simulate(QApplication::focusWidget());
    const int line = m_viewer->picParent()->fontMetrics().lineSpacing();
    const QPoint value(hValue < 0 ? -hValue * line : hValue, vValue < 0 ? -vValue * line : vValue);
    QCOMPARE(QPoint(m_viewer->HScroll1()->value(), m_viewer->VScroll1()->value()), value);
    QCOMPARE(m_viewer->picCont()->pos(), -value);
}

void ViewerTest::textLayoutLeavesBarsAlone() {
    m_viewer->OpenCont(write(u"a.txt"_s, "text"));
    const QRect hBar = m_viewer->HScroll1()->geometry();
    const QRect vBar = m_viewer->VScroll1()->geometry();
    layOut({500, 350});
    QCOMPARE(m_viewer->HScroll1()->geometry(), hBar);
    QCOMPARE(m_viewer->VScroll1()->geometry(), vBar);
    QCOMPARE(m_viewer->picParent()->size(), QSize(500, 350 - ToolbarHeight));
    QCOMPARE(m_viewer->txtCont()->size(), QSize(500 - 16, 350 - ToolbarHeight - 8));
}

void ViewerTest::tinyClientAreaLaysOutWithoutNegativeSizes_data() {
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("isText");
    for (bool isText : {false, true}) {
        const char* mode = isText ? "text" : "picture";
        QTest::addRow("%s, nothing", mode) << QSize(0, 0) << isText;
        QTest::addRow("%s, smaller than the toolbar", mode) << QSize(10, 10) << isText;
        QTest::addRow("%s, narrower than a bar", mode) << QSize(5, 200) << isText;
    }
}

void ViewerTest::tinyClientAreaLaysOutWithoutNegativeSizes() {
    QFETCH(QSize, client);
    QFETCH(bool, isText);
    if (isText)
        m_viewer->OpenCont(write(u"a.txt"_s, "text"));
    else
        m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({50, 50}), "png")));
    layOut(client);
    for (QWidget* control : {static_cast<QWidget*>(m_viewer->txtCont()), m_viewer->picParent(),
                             static_cast<QWidget*>(m_viewer->HScroll1()),
                             static_cast<QWidget*>(m_viewer->VScroll1())}) {
        QVERIFY2(control->width() >= 0 && control->height() >= 0,
                 qPrintable(control->objectName()));
    }
    QVERIFY(m_viewer->HScroll1()->maximum() >= 0);
    QVERIFY(m_viewer->VScroll1()->maximum() >= 0);
}

void ViewerTest::savedTextReproducesLoadedFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("utf-8") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\nline\r\n");
    QTest::newRow("cp932") << QByteArray("\x93\xFA\x96\x7B\x8C\xEA\r\n\x95\x5C\x83\x5C\r\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("utf-8 with one bad byte")
        << QByteArray("\xE3\x81\xAE\xE3\x81\xAE\xFF\xE3\x81\xAE\r\n");
    QTest::newRow("cp932 with bytes it cannot map")
        << QByteArray("\x93\xFA\x85\x40\xA0\x7F\xFD\xFE\xFF\x81\r\n\x96\x7B\r\n");
    QTest::newRow("cp932 with bare LF") << QByteArray("\x93\xFA\n\x96\x7B\n\r\n");
}

void ViewerTest::savedTextReproducesLoadedFile() {
    QFETCH(QByteArray, bytes);
    m_viewer->OpenCont(write(u"in.txt"_s, bytes));
    const QString out = m_dir->filePath(u"out.bmp"_s);
    m_viewer->saveCont(out);
    QCOMPARE(FileBytes(out), bytes);
    // A file not ending its last line is saved with the line end the viewer shows.
    m_viewer->OpenCont(write(u"open.txt"_s, bytes + "\x82"));
    m_viewer->saveCont(out);
    QCOMPARE(FileBytes(out), bytes + "\x82\r\n");
}

void ViewerTest::savedPictureIsBmpWhateverTheName() {
    const QImage picture = Picture({40, 30});
    m_viewer->OpenCont(write(u"in.png"_s, Encoded(picture, "png")));
    const QString out = m_dir->filePath(u"notes.txt"_s);
    m_viewer->saveCont(out);
    const QByteArray saved = FileBytes(out);
    QVERIFY(saved.startsWith("BM"));
    QImage back;
    QVERIFY(back.loadFromData(saved, "bmp"));
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), picture);
}

void ViewerTest::saveReplacesExistingFile() {
    const QString out = write(u"out.txt"_s, QByteArray(1000, 'x'));
    m_viewer->OpenCont(write(u"in.txt"_s, "short\r\n"));
    m_viewer->saveCont(out);
    QCOMPARE(FileBytes(out), QByteArray("short\r\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void ViewerTest::saveFailuresRaiseAndWriteNothing() {
    // No picture loaded yet.
    try {
        m_viewer->saveCont(m_dir->filePath(u"none.bmp"_s));
        QFAIL("saving without a picture succeeded");
    } catch (const platform::RuntimeError& error) {
        QCOMPARE(error.number(), platform::err::InvalidPicture);
    }
    QVERIFY(!QFile::exists(m_dir->filePath(u"none.bmp"_s)));

    m_viewer->OpenCont(write(u"in.txt"_s, "text\r\n"));
    try {
        m_viewer->saveCont(m_dir->filePath(u"no/such/folder/out.txt"_s));
        QFAIL("saving into a missing folder succeeded");
    } catch (const platform::RuntimeError& error) {
        QCOMPARE(error.number(), platform::err::PathNotFound);
    }
    try {
        m_viewer->saveCont(m_dir->path());
        QFAIL("saving over a folder succeeded");
    } catch (const platform::RuntimeError& error) {
        QCOMPARE(error.number(), platform::err::PathFileAccess);
    }
}

void ViewerTest::copyPutsExactlyTheSelection() {
    m_viewer->OpenCont(write(u"in.txt"_s, "ab\r\ncd\nef\r\ngh"));
    QCOMPARE(m_viewer->txtCont()->content(), u"ab\r\ncd\nef\r\ngh\r\n"_s);
    struct Case {
        viewer::TextPosition start, end; // rows end at each CR LF and each lone LF
        QString expected;
    };
    const Case cases[] = {
        {{0, 0}, {0, 2}, u"ab"_s},
        {{0, 1}, {1, 1}, u"b\r\nc"_s},
        {{1, 0}, {3, 0}, u"cd\nef\r\n"_s},
        {{4, 0}, {0, 0}, u"ab\r\ncd\nef\r\ngh\r\n"_s},
    };
    for (const Case& c : cases) {
        m_viewer->txtCont()->select(c.start, c.end);
        m_viewer->copyCont();
        QCOMPARE(QGuiApplication::clipboard()->text(), c.expected);
    }
    // The text box's own copy key gives the same characters.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(m_viewer->txtCont(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), cases[3].expected);
}

void ViewerTest::mouseSelectsAndKeysCopy() {
    // A drag from the middle of the first row to the middle of the second, then Shift+click
    // further on; Ctrl+A and Ctrl+C in the text box take the whole text.
    m_viewer->OpenCont(write(u"in.txt"_s, "abcdef\r\n\x93\xFA\x96\x7B\x8C\xEA\r\nxyz"));
    viewer::ContentTextBox* box = m_viewer->txtCont();
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client.get()));
    QWidget* area = box->viewport();
    const QFontMetrics metrics(box->font());
    const int rowMiddle = metrics.lineSpacing() / 2;
    const auto at = [&](const QString& before, int row) {
        return QPoint(4 + metrics.horizontalAdvance(before),
                      row * metrics.lineSpacing() + rowMiddle);
    };
    QTest::mousePress(area, Qt::LeftButton, {}, at(u"ab"_s, 0));
    QTest::mouseMove(area, at(u"日"_s, 1));
    QTest::mouseRelease(area, Qt::LeftButton, {}, at(u"日"_s, 1));
    QCOMPARE(box->selectedContent(), u"cdef\r\n日"_s);
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, at(u"x"_s, 2));
    QCOMPARE(box->selectedContent(), u"cdef\r\n日本語\r\nx"_s);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"abcdef\r\n日本語\r\nxyz\r\n"_s);
}

void ViewerTest::caretKeysMoveAndSelect_data() {
    // Rows "abc", "日本語", "xy" and the empty row after the last line end.
    QTest::addColumn<viewer::TextPosition>("start");
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("selected");
    const auto keys = [](std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> list) {
        QTestEventList events;
        for (const auto& [key, modifiers] : list)
            events.addKeyClick(key, modifiers);
        return events;
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    QTest::newRow("right across the line end")
        << viewer::TextPosition{0, 2} << keys({{Qt::Key_Right, shift}, {Qt::Key_Right, shift}})
        << u"c\r\n"_s;
    QTest::newRow("left from a row start to the row before")
        << viewer::TextPosition{1, 0} << keys({{Qt::Key_Left, shift}}) << u"\r\n"_s;
    QTest::newRow("down keeps the column")
        << viewer::TextPosition{0, 1} << keys({{Qt::Key_Down, shift}}) << u"bc\r\n日"_s;
    QTest::newRow("end, then down to a shorter row")
        << viewer::TextPosition{1, 0} << keys({{Qt::Key_End, shift}, {Qt::Key_Down, shift}})
        << u"日本語\r\nxy"_s;
    QTest::newRow("to the end of the text")
        << viewer::TextPosition{2, 1} << keys({{Qt::Key_End, shift | Qt::ControlModifier}})
        << u"y\r\n"_s;
    QTest::newRow("a move without Shift drops the selection")
        << viewer::TextPosition{0, 0} << keys({{Qt::Key_Right, shift}, {Qt::Key_Right, {}}})
        << QString();
}

void ViewerTest::caretKeysMoveAndSelect() {
    QFETCH(viewer::TextPosition, start);
    QFETCH(QTestEventList, keys);
    m_viewer->OpenCont(write(u"in.txt"_s, "abc\r\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\nxy"));
    viewer::ContentTextBox* box = m_viewer->txtCont();
    box->select(start, start);
    keys.simulate(box);
    QTEST(box->selectedContent(), "selected");
}

void ViewerTest::longRowIsDrawnAcrossTheView_data() {
    QTest::addColumn<int>("scrolledBy"); // pixels
    QTest::newRow("at its start") << 0;
    QTest::newRow("scrolled into it") << 1000;
}

void ViewerTest::longRowIsDrawnAcrossTheView() {
    // Only the part of a long row that can be in sight is laid out; it still reaches the right
    // edge wherever the row is scrolled to.
    QFETCH(int, scrolledBy);
    // Soft hyphens take no room in a row, though their advance alone says they do.
    const QByteArray softHyphens = QByteArray("\xC2\xAD").repeated(9);
    m_viewer->OpenCont(write(u"in.txt"_s, ("W" + softHyphens).repeated(300) + "\r\n"));
    viewer::ContentTextBox* box = m_viewer->txtCont();
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client.get()));
    box->horizontalScrollBar()->setValue(scrolledBy);
    const QImage shown = box->viewport()->grab().toImage();
    const QRgb paper = shown.pixel(shown.width() - 1, shown.height() - 1);
    bool inkAtTheRight = false;
    for (int x = shown.width() * 3 / 4; x < shown.width(); ++x) {
        for (int y = 0; y < box->fontMetrics().lineSpacing(); ++y)
            inkAtTheRight = inkAtTheRight || shown.pixel(x, y) != paper;
    }
    QVERIFY(inkAtTheRight);
}

void ViewerTest::copyWithoutSelectionLeavesClipboard() {
    QGuiApplication::clipboard()->setText(u"before"_s);
    m_viewer->OpenCont(write(u"in.txt"_s, "text\r\n"));
    m_viewer->copyCont();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
}

void ViewerTest::copyPutsThePicture() {
    const QImage picture = Picture({12, 9});
    m_viewer->OpenCont(write(u"in.bmp"_s, Encoded(picture, "bmp")));
    m_viewer->copyCont();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), picture);
}

void ViewerTest::copyWithoutPictureRaises() {
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, m_viewer->copyCont());
}

void ViewerTest::selectAllSelectsTheWholeTextOnly() {
    m_viewer->OpenCont(write(u"in.txt"_s, "ab\r\ncd"));
    QWidget other(m_client.get());
    other.setFocusPolicy(Qt::StrongFocus);
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client.get()));
    other.setFocus();
    m_viewer->selAll();
    QCOMPARE(m_viewer->txtCont()->selectedContent(), u"ab\r\ncd\r\n"_s);
    QVERIFY(other.hasFocus());

    m_viewer->OpenCont(write(u"p.png"_s, Encoded(Picture({5, 5}), "png")));
    m_viewer->txtCont()->select({}, {});
    m_viewer->selAll();
    QVERIFY(!m_viewer->txtCont()->hasSelection());
}

void ViewerTest::accessibleTextIsTheTextInSight_data() {
    // Rows "行 0" to "行 99"; offsets count from the first row in sight.
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<viewer::TextPosition>("anchor");
    QTest::addColumn<viewer::TextPosition>("cursor");
    QTest::addColumn<QString>("textStart");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::newRow("at the top") << 0 << viewer::TextPosition{1, 1} << viewer::TextPosition{1, 3}
                                << u"行 0\r\n行 1\r\n"_s << 8 << 6 << 8;
    QTest::newRow("scrolled, selection from above sight")
        << 50 << viewer::TextPosition{10, 0} << viewer::TextPosition{51, 2} << u"行 50\r\n"_s << 8
        << 0 << 8;
}

void ViewerTest::accessibleTextIsTheTextInSight() {
    QFETCH(int, firstRow);
    QFETCH(viewer::TextPosition, anchor);
    QFETCH(viewer::TextPosition, cursor);
    QByteArray lines;
    for (int i = 0; i < 100; ++i)
        lines += "\xE8\xA1\x8C " + QByteArray::number(i) + "\r\n";
    m_viewer->OpenCont(write(u"in.txt"_s, lines));
    viewer::ContentTextBox* box = m_viewer->txtCont();
    box->verticalScrollBar()->setValue(firstRow);
    box->select(anchor, cursor);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QVERIFY(accessible->state().readOnly);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text);
    const QString shown = text->text(0, text->characterCount());
    QCOMPARE(accessible->text(QAccessible::Value), shown);
    QFETCH(QString, textStart);
    QVERIFY2(shown.startsWith(textStart), qPrintable(shown.left(20)));
    QTEST(text->cursorPosition(), "caret");
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    QTEST(start, "selectionStart");
    QTEST(end, "selectionEnd");
    // Offsets given back select and move the same characters.
    text->setSelection(0, 3, 7);
    QCOMPARE(box->selectedContent(), shown.mid(3, 4));
    text->setCursorPosition(shown.size());
    QCOMPARE(box->cursorPosition(), (viewer::TextPosition{firstRow + box->rowsInSight(), 0}));
}

QTEST_MAIN(ViewerTest)
#include "tst_viewer.moc"
