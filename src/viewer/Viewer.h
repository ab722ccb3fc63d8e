#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QKeyEvent;
class QScrollBar;
class QWidget;

namespace platform {
class RuntimeError;
}

namespace viewer {

class ContentTextBox;
class PictureBox;

// The built-in viewer: shows one file as a scrollable picture or as text, chosen by the
// file's content, in the client area of the main window below its toolbar.
class Viewer : public QObject {
    Q_OBJECT
public:
    // Creates the viewer's controls in `clientArea`; `toolbar` lies across its top.
    Viewer(QWidget* clientArea, QWidget* toolbar);

    // Shows the file: as a picture when its content is one, otherwise as text. Failures are
    // reported to the user here. The file is closed again when this returns.
    void OpenCont(const QString& strFileName);
    // Shows bytes already in memory with the same rules and failure reports as OpenCont. The
    // text is built in the bytes themselves, so a caller that hands them over with std::move
    // needs no second copy.
    void openContents(QByteArray bytes);

    [[nodiscard]] bool IsText() const { return m_isText; }
    // Switches between the text and the picture presentation; applied even when unchanged.
    void setIsText(bool vNewValue);

    // Lays the controls out for the client area's size.
    void Form_Resize();
    // Lays out the picture presentation: viewport, picture at its top-left corner, bars.
    void SetScrollbars();

    // Writes what is shown to `fileName`: the text as the loaded bytes with every line ended,
    // or the picture as BMP. Failures raise platform::RuntimeError.
    void saveCont(const QString& fileName) const;
    // Puts the selected text (nothing when no text is selected) or the picture on the
    // clipboard. Failures raise platform::RuntimeError.
    void copyCont() const;
    // Selects the whole text while the text is shown, without moving the focus.
    void selAll();

    [[nodiscard]] ContentTextBox* txtCont() const { return m_txtCont; }
    [[nodiscard]] QWidget* picParent() const { return m_picParent; }
    [[nodiscard]] PictureBox* picCont() const { return m_picCont; }
    [[nodiscard]] QScrollBar* HScroll1() const { return m_hScroll1; }
    [[nodiscard]] QScrollBar* VScroll1() const { return m_vScroll1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // Sent on every assignment of IsText, so that select-all follows it.
    void isTextChanged(bool isText);

private:
    // Shows bytes as a picture or as text, and gives the shown control the focus; takes them
    // so that the text needs no second copy. `keepAlive` runs between pieces of long work.
    void show(QByteArray bytes, const std::function<void()>& keepAlive);
    void showText(QByteArray bytes, const std::function<void()>& keepAlive);
    // Scrolls the picture for a key; false for keys that do not scroll.
    bool scrollPicture(const QKeyEvent& key);
    [[nodiscard]] int lineHeight() const;
    void reportFailure(const platform::RuntimeError& error) const;
    [[nodiscard]] int toolbarHeight() const;
    [[nodiscard]] int twipsToPixelsX(double twips) const;
    [[nodiscard]] int twipsToPixelsY(double twips) const;

    QWidget* m_clientArea;
    QWidget* m_toolbar;
    ContentTextBox* m_txtCont;
    QWidget* m_picParent;
    PictureBox* m_picCont;
    QScrollBar* m_hScroll1;
    QScrollBar* m_vScroll1;
    bool m_isText = false;
};

} // namespace viewer
