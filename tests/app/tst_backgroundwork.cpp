// Long work on a worker thread while the windows stay alive but deaf to the user.
#include "BackgroundWork.h"

#include "platform/RuntimeError.h"

#include <QAction>
#include <QMimeData>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

// A window that counts what reaches it.
class Target : public QWidget {
public:
    Target() {
        setAcceptDrops(true);
        resize(200, 100);
        shortcut.setShortcut(Qt::CTRL | Qt::Key_K);
        shortcut.setShortcutContext(Qt::ApplicationShortcut);
        addAction(&shortcut);
        QObject::connect(&shortcut, &QAction::triggered, this, [this] { ++received; });
    }
    QAction shortcut;
    int received = 0;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
    void keyPressEvent(QKeyEvent*) override { ++received; }
    void mousePressEvent(QMouseEvent*) override { ++received; }
    void dragEnterEvent(QDragEnterEvent* event) override {
        ++received;
        event->acceptProposedAction();
    }
};

enum class Input { Key, MousePress, Shortcut, Close, DragIn };

// Gives `target` one piece of user input; true when it was taken.
bool Send(Target& target, Input input) {
    const int before = target.received;
    switch (input) {
    case Input::Key:
        QTest::keyClick(&target, Qt::Key_A);
        break;
    case Input::MousePress:
        QTest::mouseClick(&target, Qt::LeftButton);
        break;
    case Input::Shortcut:
        QTest::keyClick(&target, Qt::Key_K, Qt::ControlModifier);
        break;
    case Input::Close: {
        const bool closed = target.close();
        target.show();
        return closed;
    }
    case Input::DragIn: {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(u"/tmp/a.vrl"_s)});
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &enter);
        return enter.isAccepted();
    }
    }
    return target.received > before;
}

} // namespace

class BackgroundWorkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workRunsOffTheWindowsThreadWhileItRepaints();
    void userInputIsDroppedUntilTheWorkEnds_data();
    void userInputIsDroppedUntilTheWorkEnds();
    void failureInTheWorkReachesTheCaller();
    void reportsFromTheWorkArriveOnTheWindowsThreadInOrderBeforeTheEnd();
};

void BackgroundWorkTest::workRunsOffTheWindowsThreadWhileItRepaints() {
    Target window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The work waits until the window has painted again; on the window's thread it never
    // would, and the wait gives up.
    QSemaphore painted;
    const int paintsBefore = window.paints;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &window, [&] {
        if (window.paints > paintsBefore)
            painted.release();
        else
            window.update();
    });
    watch.start(5);
    std::atomic<bool> offThread = false;
    std::atomic<bool> sawPaint = false;
    QThread* const windowThread = QThread::currentThread();
    background::Run([&] {
        offThread = QThread::currentThread() != windowThread;
        sawPaint = painted.tryAcquire(1, 5000);
    });
    QVERIFY(offThread);
    QVERIFY(sawPaint);
}

void BackgroundWorkTest::userInputIsDroppedUntilTheWorkEnds_data() {
    QTest::addColumn<Input>("input");
    QTest::newRow("key") << Input::Key;
    QTest::newRow("mouse press") << Input::MousePress;
    QTest::newRow("menu shortcut") << Input::Shortcut;
    QTest::newRow("closing the window") << Input::Close;
    QTest::newRow("files dragged in") << Input::DragIn;
}

void BackgroundWorkTest::userInputIsDroppedUntilTheWorkEnds() {
    QFETCH(Input, input);
    Target window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSemaphore sent;
    std::optional<bool> takenWhileWorking;
    QTimer::singleShot(0, &window, [&] {
        takenWhileWorking = Send(window, input);
        sent.release();
    });
    background::Run([&] { (void)sent.tryAcquire(1, 5000); });
    QCOMPARE(takenWhileWorking, std::optional<bool>(false));
    QVERIFY(window.isVisible());
    QVERIFY(Send(window, input)); // taken again once the work has ended
}

void BackgroundWorkTest::failureInTheWorkReachesTheCaller() {
    try {
        background::Run([] { throw platform::RuntimeError(platform::err::FileNotFound); });
        QFAIL("no error reached the caller");
    } catch (const platform::RuntimeError& error) {
        QCOMPARE(error.number(), 53);
    }
}

void BackgroundWorkTest::reportsFromTheWorkArriveOnTheWindowsThreadInOrderBeforeTheEnd() {
    QWidget window;
    QList<int> values;
    bool allOnWindowsThread = true;
    const std::function<void(int)> report = background::OnThreadOf(&window, [&](int value) {
        allOnWindowsThread &= QThread::currentThread() == window.thread();
        values << value;
    });
    background::Run([&] {
        for (int percent = 0; percent <= 100; ++percent)
            report(percent);
    });
    QVERIFY(allOnWindowsThread);
    QCOMPARE(values.size(), 101);
    QVERIFY(std::is_sorted(values.begin(), values.end()));
}

QTEST_MAIN(BackgroundWorkTest)
#include "tst_backgroundwork.moc"
