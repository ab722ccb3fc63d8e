#include "dialogs/DriveList.h"

#include <QSignalBlocker>

namespace {

constexpr int RootRole = Qt::UserRole;
constexpr int LabelRole = Qt::UserRole + 1;
constexpr int ReadyRole = Qt::UserRole + 2;

} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    // Long mount points must not widen the form; the pop-up shows them whole.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(4);
    refresh();
}

QString DriveList::caption(const platform::Drive& drive) {
    if (drive.label.isEmpty())
        return drive.rootPath;
    return QStringLiteral("%1 [%2]").arg(drive.rootPath, drive.label);
}

void DriveList::addDrive(const platform::Drive& drive) {
    addItem(caption(drive));
    const int index = count() - 1;
    setItemData(index, drive.rootPath, RootRole);
    setItemData(index, drive.label, LabelRole);
    setItemData(index, drive.ready, ReadyRole);
}

void DriveList::refresh() {
    const QSignalBlocker blocker(this);
    const platform::Drive shown = drive();
    clear();
    for (const platform::Drive& drive : platform::mountedDrives())
        addDrive(drive);
    if (!shown.rootPath.isEmpty())
        setDrive(shown);
}

platform::Drive DriveList::drive() const {
    const int index = currentIndex();
    if (index < 0)
        return {};
    return {itemData(index, RootRole).toString(), itemData(index, LabelRole).toString(),
            itemData(index, ReadyRole).toBool()};
}

void DriveList::setDrive(const platform::Drive& drive) {
    const QSignalBlocker blocker(this);
    int index = findData(drive.rootPath, RootRole);
    if (index < 0) {
        addDrive(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}
