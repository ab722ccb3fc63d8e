#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog in which the key password is typed: masked, at most 20 characters.
// Loaded once and only hidden by OK and Cancel, so the box, PassWd and Cancel carry over
// between showings. Callers show it with exec() and then read Cancel and PassWd.
class frmKey : public QDialog {
    Q_OBJECT

public:
    // Placed relative to `parent` (the main window) as it stands now; never moved again.
    explicit frmKey(QWidget* parent = nullptr);

    // True after Cancel (or closing the window), false after OK.
    [[nodiscard]] bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }

    // The key password last confirmed with OK. Writing it also puts it into the box.
    [[nodiscard]] QString PassWd() const { return m_passWd; }
    void setPassWd(const QString& value);

    QLineEdit* const txtPassWd;
    QLabel* const Label1;
    QPushButton* const cmdOK;
    QPushButton* const cmdCancel;

    void reject() override;

protected:
    // Every showing starts in the password box with its text selected, as the platform does
    // for the first box of a dialog: typing replaces it, End keeps it.
    void showEvent(QShowEvent* event) override;

private:
    void txtPassWdChanged(const QString& text);
    void cmdOKClicked();

    bool m_cancel = false;
    QString m_passWd;
};
