#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The small modeless window that tells the user to wait while a file is put away or taken
// out. Each write of Percent repaints it at once without letting user input run.
class frmProgress : public QDialog {
    Q_OBJECT

public:
    explicit frmProgress(QWidget* parent = nullptr);

    // The last value written, held to 0 to 100; 0 before the first write.
    [[nodiscard]] int Percent() const { return m_percent; }
    void setPercent(int value);

    QProgressBar* const ProgressBar1;
    QLabel* const lblPercent;

private:
    int m_percent = 0;
};
