#include "dialogs/FolderList.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace {

constexpr int PathRole = Qt::UserRole;

QString cleanNative(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

// The folders from the root down to `folder`, each as (shown name, full path).
QList<std::pair<QString, QString>> chainTo(const QString& folder) {
    QList<std::pair<QString, QString>> chain;
    QDir dir(folder);
    while (true) {
        const QString path = QDir::toNativeSeparators(dir.absolutePath());
        if (dir.isRoot()) {
            chain.prepend({path, path});
            return chain;
        }
        chain.prepend({dir.dirName(), path});
        if (!dir.cdUp())
            return chain;
    }
}

} // namespace

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(fontMetrics().height() / 2 + 2);
    setUniformRowHeights(true);
    // Every folder on the way down is open already: no expand arrows.
    setStyleSheet(QStringLiteral("QTreeView::branch { image: none; }"));
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { open(item); });
}

void FolderList::requireShowable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir())
        throw platform::RuntimeError(platform::err::PathNotFound);
    if (!info.isReadable() || !info.isExecutable())
        throw platform::RuntimeError(platform::err::PermissionDenied);
}

void FolderList::setFolder(const QString& folder) {
    requireShowable(folder);
    const QString clean = cleanNative(folder);
    const bool changed = clean != m_folder;
    m_folder = clean;
    rebuild();
    if (changed)
        Q_EMIT folderChanged();
}

void FolderList::refresh() {
    if (QFileInfo(m_folder).isDir())
        rebuild();
}

void FolderList::rebuild() {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* parent = nullptr;
    for (const auto& [name, path] : chainTo(m_folder)) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, name);
        item->setIcon(0, openIcon);
        item->setData(0, PathRole, path);
        item->setExpanded(true);
        parent = item;
    }
    const QDir dir(m_folder);
    const QStringList children =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, name);
        item->setIcon(0, closedIcon);
        item->setData(0, PathRole, QDir::toNativeSeparators(dir.absoluteFilePath(name)));
    }
    setCurrentItem(parent);
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && currentItem()) {
        open(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FolderList::open(QTreeWidgetItem* item) {
    try {
        setFolder(item->data(0, PathRole).toString());
    } catch (const platform::RuntimeError&) {
        // A folder that vanished or may not be read is left closed, as the list shows.
        rebuild();
    }
}
