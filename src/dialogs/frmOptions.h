#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The modal dialog of the three user settings, and the place where they live while the
// program runs: commands and the engine read KeyType, StartPass and AppMode from here.
// The properties change only through their setters and OK; Cancel keeps them, while the
// controls keep showing the abandoned choices.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    // Placed relative to `parent` (the main window) as it stands now.
    explicit frmOptions(QWidget* parent = nullptr);

    // True after Cancel (or closing the window), false after OK.
    [[nodiscard]] bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }

    // Locking method 0 to 2. Writing selects its button; a value without a button throws
    // platform::RuntimeError and stores nothing.
    [[nodiscard]] int KeyType() const { return m_keyType; }
    void setKeyType(int value);

    // Ask for the key password at start-up.
    [[nodiscard]] bool StartPass() const { return m_startPass; }
    void setStartPass(bool value);

    // External-application mode 0 to 2, written like KeyType.
    [[nodiscard]] int AppMode() const { return m_appMode; }
    void setAppMode(int value);

    QGroupBox* const fraKeyType;
    const std::array<QRadioButton*, 3> optKeyType;
    QPushButton* const cmdOK;
    QPushButton* const cmdCancel;
    QCheckBox* const chkStartPass;
    QGroupBox* const fraApp;
    const std::array<QRadioButton*, 3> optApp;

    void reject() override;

private:
    void optKeyTypeSelected(int index);
    void optAppSelected(int index);
    void cmdOKClicked();

    bool m_cancel = false;
    int m_keyType = 0;
    bool m_startPass = false;
    int m_appMode = 0;
};
