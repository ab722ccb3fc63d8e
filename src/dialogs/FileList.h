#pragma once

#include <QListWidget>

// The chooser's file list: the ordinary files of a folder (hidden and system files left
// out) whose names match any pattern of a list separated by ";", ignoring case; for program
// files, only those the user may run.
class FileList : public QListWidget {
    Q_OBJECT

public:
    explicit FileList(QWidget* parent = nullptr);

    [[nodiscard]] QString folder() const { return m_folder; }
    void setFolder(const QString& folder);

    [[nodiscard]] QString pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);

    [[nodiscard]] bool programsOnly() const { return m_programsOnly; }
    void setProgramsOnly(bool value);

    // Lists the folder again.
    void refresh();

Q_SIGNALS:
    // The user picked a file, by mouse or keyboard.
    void fileClicked(const QString& name);
    void fileDoubleClicked(const QString& name);

private:
    QString m_folder;
    QString m_pattern;
    bool m_programsOnly = false;
};
