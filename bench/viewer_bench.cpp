// Opens generated text files in the viewer and reports, for each size, the median time until
// the text is painted, the longest time the window went without handling an event while the
// file loaded, the peak memory the opening added, as a multiple of the file's size, and the
// time a page takes to paint after PageDown.
//
//   vrl-bench-viewer [SIZES_MIB...] [--repeat N] [--dir FOLDER] [--reference OTHER_BENCH]
//                    [--text lines|open-end|one-line] [--from-memory]
//
// --text chooses the generated file: numbered lines ending in CR LF (the default), the same
// without the last line end, or one single line. --from-memory hands the viewer the bytes in
// memory, as a take-out does, instead of the file's name; the peak then counts those bytes.
//
// Every opening runs in a process of its own (this program with --one FILE), so that its
// peak memory is its own. With --reference, another build of this program (an older viewer)
// opens the same files in the same rounds, taking turns with this one, and the ratios
// compare the two.
#include "viewer/ContentTextBox.h"
#include "viewer/Viewer.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

struct Sample {
    double paintedMs = 0;
    double freezeMs = 0;
    double peakMiB = 0;
    double pageMs = 0;
};

constexpr int PagesTimed = 15;

// A kB figure from /proc/self/status ("VmRSS", "VmHWM").
double statusMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// Notes the time of the first paint after `armed` is set.
class PaintWatch : public QObject {
public:
    bool armed = false;
    double paintedMs = -1;
    const QElapsedTimer* clock = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed && paintedMs < 0 && event->type() == QEvent::Paint)
            paintedMs = double(clock->nsecsElapsed()) / 1e6;
        return QObject::eventFilter(watched, event);
    }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The file's bytes in memory as a take-out leaves them: written piece by piece into a buffer.
QByteArray takenOut(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(fileName));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (qint64 got; (got = file.read(piece.data(), piece.size())) > 0;)
        buffer.write(piece.constData(), got);
    return bytes;
}

// The median time from PageDown in the text to the end of the next page's paint.
double pageMs(QAbstractScrollArea* text) {
    QElapsedTimer clock;
    std::vector<double> times;
    for (int i = 0; i < PagesTimed; ++i) {
        clock.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QCoreApplication::sendEvent(text, &press);
        text->viewport()->repaint();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

int openOne(int argc, char** argv, const QString& fileName, bool fromMemory) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget client;
    client.resize(800, 600);
    auto* toolbar = new QWidget(&client);
    toolbar->setGeometry(0, 0, 800, 28);
    viewer::Viewer viewer(&client, toolbar);
    viewer.setIsText(false);
    viewer.Form_Resize();
    client.show();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();

    QElapsedTimer clock;
    PaintWatch watch;
    watch.clock = &clock;
    static_cast<QAbstractScrollArea*>(viewer.txtCont())->viewport()->installEventFilter(&watch);
    // A timer that should fire every 10 ms: the longest gap between its shots is the longest
    // time the window handled no event.
    QTimer ticks;
    double lastTick = 0, longestGap = 0;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    const double baseMiB = statusMiB("VmRSS");
    ticks.start(10);
    clock.start();
    if (fromMemory)
        viewer.openContents(takenOut(fileName));
    else
        viewer.OpenCont(fileName);
    watch.armed = true;
    viewer.txtCont()->viewport()->update();
    while (watch.paintedMs < 0 && clock.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    longestGap = std::max(longestGap, watch.paintedMs - lastTick);
    const double peakMiB = statusMiB("VmHWM") - baseMiB;
    const double page = pageMs(viewer.txtCont());
    std::printf("%.1f %.1f %.1f %.2f\n", watch.paintedMs, longestGap, peakMiB, page);
    return viewer.IsText() ? 0 : 1;
}

// A text file of about `mib` MiB in UTF-8, Japanese and ASCII: numbered lines ending in CR LF
// ("lines"), the same without the last line end ("open-end"), or one single line ("one-line").
QString makeText(const QString& dir, int mib, const QString& kind) {
    const QString name = QStringLiteral("%1/viewer-%2mib-%3.txt").arg(dir).arg(mib).arg(kind);
    if (QFile::exists(name) && QFile(name).size() >= (qint64(mib) << 20) - 2)
        return name;
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(name));
    const QByteArray words = QStringLiteral("の日本語の文章と ASCII text, ").toUtf8();
    const QByteArray lineEnd = kind == QLatin1String("one-line") ? "" : "\r\n";
    QByteArray block;
    for (qint64 line = 0; file.size() + block.size() < (qint64(mib) << 20); ++line) {
        block += QByteArray::number(line) + ' ' + words.repeated(int(line % 4) + 1) + lineEnd;
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    if (kind == QLatin1String("open-end"))
        block.chop(2);
    file.write(block);
    return name;
}

Sample run(const QString& bench, const QString& fileName, bool fromMemory) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("--one"), fileName};
    if (fromMemory)
        arguments << QStringLiteral("--from-memory");
    child.start(bench, arguments);
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        qFatal("%s failed on %s", qPrintable(bench), qPrintable(fileName));
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 4)
        qFatal("unexpected output from %s", qPrintable(bench));
    return {fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && QByteArray(argv[1]) == "--one")
        return openOne(1, argv, QString::fromLocal8Bit(argv[2]),
                       argc == 4 && QByteArray(argv[3]) == "--from-memory");

    std::vector<int> sizes;
    int repeat = 3;
    QString dir = QStringLiteral("/var/tmp");
    QString reference;
    QString kind = QStringLiteral("lines");
    bool fromMemory = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--repeat" && i + 1 < argc)
            repeat = std::max(1, atoi(argv[++i]));
        else if (arg == "--dir" && i + 1 < argc)
            dir = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--reference" && i + 1 < argc)
            reference = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--text" && i + 1 < argc)
            kind = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--from-memory")
            fromMemory = true;
        else
            sizes.push_back(atoi(argv[i]));
    }
    if (sizes.empty())
        sizes = {30, 300};
    const QString self = QString::fromLocal8Bit(argv[0]);
    std::vector<QString> benches{self};
    if (!reference.isEmpty())
        benches.push_back(reference);

    if (kind != QLatin1String("lines") && kind != QLatin1String("open-end") &&
        kind != QLatin1String("one-line"))
        qFatal("--text takes lines, open-end or one-line");
    std::printf("%s text, %s\n", qPrintable(kind), fromMemory ? "from memory" : "from the file");
    std::printf("%-9s %-10s %12s %12s %12s %8s %10s\n", "size", "viewer", "painted ms", "freeze ms",
                "peak MiB", "x file", "page ms");
    for (int mib : sizes) {
        const QString file = makeText(dir, mib, kind);
        const double fileMiB = double(QFile(file).size()) / (1 << 20);
        std::map<size_t, std::vector<Sample>> samples;
        for (int round = 0; round < repeat; ++round) {
            for (size_t k = 0; k < benches.size(); ++k) {
                const size_t which = (k + size_t(round)) % benches.size(); // take turns first
                samples[which].push_back(run(benches[which], file, fromMemory));
            }
        }
        std::vector<Sample> medians;
        for (size_t which = 0; which < benches.size(); ++which) {
            std::vector<double> painted, freeze, peak, page;
            for (const Sample& s : samples[which]) {
                painted.push_back(s.paintedMs);
                freeze.push_back(s.freezeMs);
                peak.push_back(s.peakMiB);
                page.push_back(s.pageMs);
            }
            medians.push_back({median(painted), median(freeze), median(peak), median(page)});
            std::printf("%-9s %-10s %12.0f %12.0f %12.0f %8.2f %10.1f\n",
                        qPrintable(QStringLiteral("%1 MiB").arg(mib)),
                        which == 0 ? "this" : "reference", medians.back().paintedMs,
                        medians.back().freezeMs, medians.back().peakMiB,
                        medians.back().peakMiB / fileMiB, medians.back().pageMs);
        }
        if (medians.size() == 2)
            std::printf("%-9s %-10s %11.2fx %11.2fx %11.2fx %8s %9.2fx\n", "", "this/ref",
                        medians[0].paintedMs / medians[1].paintedMs,
                        medians[0].freezeMs / medians[1].freezeMs,
                        medians[0].peakMiB / medians[1].peakMiB, "",
                        medians[0].pageMs / medians[1].pageMs);
    }
    return 0;
}
