#include "viewer/Viewer.h"

#include "ui/UiText.h"
#include "viewer/ContentTextBox.h"
#include "viewer/FileContents.h"
#include "viewer/PictureBox.h"
#include "viewer/PictureLoader.h"
#include "viewer/TextContent.h"
#include "viewer/Twips.h"

#include "platform/InputBlocker.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <new>

namespace viewer {

using platform::RuntimeError;

namespace {

// Design geometry in twips.
constexpr double TextBoxLeft = 120;
constexpr double TextBoxTop = 480;
constexpr double ScrollBarThickness = 255;
// The text box keeps this many pixels free beside and below it.
constexpr int TextBoxSideMargins = 16;
constexpr int TextBoxBottomMargin = 8;

QScrollBar* makeScrollBar(Qt::Orientation orientation, const QString& name, QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setRange(0, 0);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    // The picture follows the bar's value when the thumb is released, not while dragging.
    bar->setTracking(false);
    return bar;
}

int atLeastZero(int length) {
    return qMax(0, length);
}

// The busy pointer, shown while a file is loaded, saved or copied.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// Lets the window repaint while the user's input is dropped, as during a put away or a take
// out: nothing typed during a long load runs after it.
void keepWindowAlive() {
    const platform::InputBlocker blocker;
    QCoreApplication::processEvents();
}

// A load under the busy pointer. Between the pieces of a long load the window stays alive;
// input that came after the last piece is dropped at its end. No input is blocked in between,
// so that a failure's message box answers the user.
class Loading {
public:
    Loading() = default;
    ~Loading() {
        if (m_long)
            keepWindowAlive();
    }
    Loading(const Loading&) = delete;
    Loading& operator=(const Loading&) = delete;

    // Called between the pieces of the work.
    [[nodiscard]] std::function<void()> keepAlive() {
        return [this] {
            m_long = true;
            keepWindowAlive();
        };
    }

private:
    BusyPointer m_busy;
    bool m_long = false;
};

} // namespace

Viewer::Viewer(QWidget* clientArea, QWidget* toolbar)
    : QObject(clientArea), m_clientArea(clientArea), m_toolbar(toolbar),
      m_txtCont(new ContentTextBox(clientArea)), m_picParent(new QWidget(clientArea)),
      m_picCont(new PictureBox(m_picParent)),
      m_hScroll1(makeScrollBar(Qt::Horizontal, QStringLiteral("HScroll1"), clientArea)),
      m_vScroll1(makeScrollBar(Qt::Vertical, QStringLiteral("VScroll1"), clientArea)) {
    m_txtCont->setObjectName(QStringLiteral("txtCont"));
    m_picParent->setObjectName(QStringLiteral("picParent"));
    m_picCont->setObjectName(QStringLiteral("picCont"));
    m_txtCont->move(twipsToPixelsX(TextBoxLeft), twipsToPixelsY(TextBoxTop));
    m_hScroll1->resize(m_hScroll1->width(), twipsToPixelsY(ScrollBarThickness));
    m_vScroll1->resize(twipsToPixelsX(ScrollBarThickness), m_vScroll1->height());
    connect(m_hScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { m_picCont->move(-value, m_picCont->y()); });
    connect(m_vScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { m_picCont->move(m_picCont->x(), -value); });
    // The wheel over the picture or the viewport beside it scrolls the picture, and so do the
    // keys while the viewport has the focus (a click or Tab gives it, and every picture load).
    m_picParent->setFocusPolicy(Qt::StrongFocus);
    m_picParent->installEventFilter(this);
    m_picCont->installEventFilter(this);
}

void Viewer::OpenCont(const QString& strFileName) {
    Loading loading;
    try {
        show(readWholeFile(strFileName, loading.keepAlive()), loading.keepAlive());
    } catch (const RuntimeError& error) {
        reportFailure(error);
    } catch (const std::bad_alloc&) {
        reportFailure(RuntimeError(platform::err::OutOfMemory));
    }
}

void Viewer::openContents(QByteArray bytes) {
    Loading loading;
    show(std::move(bytes), loading.keepAlive());
}

void Viewer::show(QByteArray bytes, const std::function<void()>& keepAlive) {
    try {
        const QImage picture = readPicture(bytes);
        if (picture.isNull()) {
            showText(std::move(bytes), keepAlive);
            return;
        }
        m_picCont->setPicture(picture);
        setIsText(false);
        SetScrollbars();
        m_picParent->setFocus();
    } catch (const RuntimeError& error) {
        reportFailure(error);
    } catch (const std::bad_alloc&) {
        reportFailure(RuntimeError(platform::err::OutOfMemory));
    }
}

void Viewer::reportFailure(const RuntimeError& error) const {
    platform::showMessage(error.description(), QMessageBox::NoIcon, QMessageBox::Ok,
                          QString::number(error.number()), m_clientArea->window());
}

void Viewer::showText(QByteArray bytes, const std::function<void()>& keepAlive) {
    // The previous text goes before the new one is built, and the empty text area is what the
    // window shows while a large file is being prepared. The text takes the keys at once.
    setIsText(true);
    m_txtCont->setFocus();
    m_txtCont->setContent(TextContent());
    m_txtCont->setContent(TextContent(std::move(bytes), keepAlive));
}

void Viewer::setIsText(bool vNewValue) {
    m_txtCont->setVisible(vNewValue);
    m_picParent->setVisible(!vNewValue);
    m_hScroll1->setVisible(!vNewValue);
    m_vScroll1->setVisible(!vNewValue);
    m_isText = vNewValue;
    Q_EMIT isTextChanged(vNewValue);
}

void Viewer::Form_Resize() {
    const int sw = m_clientArea->width();
    const int sh = m_clientArea->height();
    const int t = toolbarHeight();
    m_txtCont->resize(atLeastZero(sw - TextBoxSideMargins),
                      atLeastZero(sh - t - TextBoxBottomMargin));
    m_picParent->resize(atLeastZero(sw), atLeastZero(sh - t));
    if (!m_isText)
        SetScrollbars();
}

void Viewer::SetScrollbars() {
    const int t = toolbarHeight();
    const int sw = m_clientArea->width();
    const int w = m_vScroll1->width();
    const int h = m_hScroll1->height();
    const int sh = m_clientArea->height();
    // The viewport is exactly the part in sight, between the toolbar and the horizontal bar, so
    // that the bars' ends show the picture's last row and column.
    m_picParent->setGeometry(0, t, atLeastZero(sw - w), atLeastZero(sh - h - t));
    m_picCont->move(0, 0);
    m_hScroll1->setGeometry(0, t + m_picParent->height(), m_picParent->width(), h);
    m_vScroll1->setGeometry(m_picParent->width(), t, w, m_picParent->height());
    m_hScroll1->setRange(0, atLeastZero(m_picCont->width() - m_picParent->width()));
    m_vScroll1->setRange(0, atLeastZero(m_picCont->height() - m_picParent->height()));
    m_vScroll1->setVisible(m_picParent->height() < m_picCont->height());
    m_hScroll1->setVisible(m_picParent->width() < m_picCont->width());
}

bool Viewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picParent && event->type() == QEvent::KeyPress &&
        scrollPicture(*static_cast<QKeyEvent*>(event)))
        return true;
    if ((watched != m_picParent && watched != m_picCont) || event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    // The wheel scrolls the picture up and down, with Shift (or a sideways wheel) sideways,
    // by a few lines per notch.
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const QPoint delta = wheel->angleDelta();
    const bool sideways =
        (wheel->modifiers() & Qt::ShiftModifier) || qAbs(delta.x()) > qAbs(delta.y());
    const int angle = sideways && delta.x() != 0 ? delta.x() : delta.y();
    const int pixels =
        angle * QApplication::wheelScrollLines() * lineHeight() / QWheelEvent::DefaultDeltasPerStep;
    QScrollBar* bar = sideways ? m_hScroll1 : m_vScroll1;
    bar->setValue(bar->value() - pixels);
    return true;
}

bool Viewer::scrollPicture(const QKeyEvent& key) {
    // The arrow keys move the picture by a line, PageUp and PageDown by the height in sight,
    // Home and End to its first and last row. The bars keep their own one-pixel steps.
    QScrollBar* bar = m_vScroll1;
    int value = 0;
    switch (key.key()) {
    case Qt::Key_Up:
        value = bar->value() - lineHeight();
        break;
    case Qt::Key_Down:
        value = bar->value() + lineHeight();
        break;
    case Qt::Key_PageUp:
        value = bar->value() - m_picParent->height();
        break;
    case Qt::Key_PageDown:
        value = bar->value() + m_picParent->height();
        break;
    case Qt::Key_Home:
        value = bar->minimum();
        break;
    case Qt::Key_End:
        value = bar->maximum();
        break;
    case Qt::Key_Left:
        bar = m_hScroll1;
        value = bar->value() - lineHeight();
        break;
    case Qt::Key_Right:
        bar = m_hScroll1;
        value = bar->value() + lineHeight();
        break;
    default:
        return false;
    }
    bar->setValue(value);
    return true;
}

int Viewer::lineHeight() const {
    return m_picParent->fontMetrics().lineSpacing();
}

void Viewer::saveCont(const QString& fileName) const {
    const BusyPointer busy;
    if (m_isText) {
        writeWholeFile(fileName, m_txtCont->textContent().bytes());
        return;
    }
    if (m_picCont->picture().isNull())
        throw RuntimeError(platform::err::InvalidPicture, ui::NoPictureShown);
    writeWholeFile(fileName, bmpBytes(m_picCont->picture()));
}

void Viewer::copyCont() const {
    const BusyPointer busy;
    if (m_isText) {
        if (m_txtCont->hasSelection())
            QGuiApplication::clipboard()->setText(m_txtCont->selectedContent());
        return;
    }
    if (m_picCont->picture().isNull())
        throw RuntimeError(platform::err::InvalidPicture, ui::NoPictureShown);
    QGuiApplication::clipboard()->setImage(m_picCont->picture());
}

void Viewer::selAll() {
    if (!m_txtCont->isHidden())
        m_txtCont->selectAll();
}

int Viewer::toolbarHeight() const {
    return m_toolbar->isHidden() ? 0 : m_toolbar->height();
}

int Viewer::twipsToPixelsX(double twips) const {
    return twipsToPixels(twips, m_clientArea->logicalDpiX());
}

int Viewer::twipsToPixelsY(double twips) const {
    return twipsToPixels(twips, m_clientArea->logicalDpiY());
}

} // namespace viewer
