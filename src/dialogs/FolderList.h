#pragma once

#include <QTreeWidget>

// The chooser's folder list: the current folder with the chain of folders above it, and the
// folders within it. A double-click, or Enter, opens a folder; only then does the current
// folder change.
class FolderList : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    // The current folder with native separators, without a trailing one except at a root.
    [[nodiscard]] QString folder() const { return m_folder; }

    // Opens `folder`. Throws platform::RuntimeError (76 missing, 70 unreadable) and changes
    // nothing when it cannot be shown.
    void setFolder(const QString& folder);

    // Lists the current folder again, if it can still be shown.
    void refresh();

    // Throws what setFolder would throw for `folder`, without opening it.
    static void requireShowable(const QString& folder);

Q_SIGNALS:
    void folderChanged();

protected:
    // Enter opens the folder at the cursor rather than pressing the dialog's default button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();
    void open(QTreeWidgetItem* item);

    QString m_folder;
};
