#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box: the application's title and version, a description, a warning, and a button
// that starts the system-information tool. Shown modally over the main window (its parent),
// whose top-left corner it follows; OK closes it.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Finds the system-information tool through the registry and starts it; tells the user
    // when there is none or it does not start. The box stays open either way.
    void StartSysInfo();

    QLabel* const picIcon;
    QLabel* const lblTitle;
    QLabel* const lblVersion;
    QLabel* const lblDescription;
    QLabel* const lblDisclaimer;
    QFrame* const Line1;
    QPushButton* const cmdOK;
    QPushButton* const cmdSysInfo;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void Form_Paint();
    void cmdOK_Click();
};
