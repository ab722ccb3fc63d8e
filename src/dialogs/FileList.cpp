#include "dialogs/FileList.h"

#include <QDir>
#include <QSignalBlocker>

namespace {

// "*.*" stands for every file, those without an extension included.
QStringList nameFilters(const QString& pattern) {
    QStringList filters = pattern.split(u';', Qt::SkipEmptyParts);
    for (QString& filter : filters) {
        filter = filter.trimmed();
        if (filter == u"*.*")
            filter = QStringLiteral("*");
    }
    return filters;
}

} // namespace

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Q_EMIT fileClicked(item->text()); });
    // Arrow keys pick by selecting; gaining focus only moves the cursor and picks nothing.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> picked = selectedItems();
        if (!picked.isEmpty())
            Q_EMIT fileClicked(picked.first()->text());
    });
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Q_EMIT fileDoubleClicked(item->text()); });
}

void FileList::setFolder(const QString& folder) {
    m_folder = folder;
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    m_pattern = pattern;
}

void FileList::setProgramsOnly(bool value) {
    m_programsOnly = value;
}

void FileList::refresh() {
    const QSignalBlocker blocker(this);
    clear();
    if (m_folder.isEmpty())
        return;
    const QDir::Filters kinds = m_programsOnly ? QDir::Files | QDir::Executable : QDir::Files;
    addItems(
        QDir(m_folder).entryList(nameFilters(m_pattern), kinds, QDir::Name | QDir::IgnoreCase));
    setCurrentRow(-1);
}
