#pragma once

#include "platform/Drives.h"

#include <QComboBox>

// The chooser's drive list: the mounted volumes, the root volume first.
class DriveList : public QComboBox {
public:
    explicit DriveList(QWidget* parent = nullptr);

    // Reloads the drives, keeping the selection where the drive is still there.
    void refresh();

    // The drive shown; a default Drive when the list is empty.
    [[nodiscard]] platform::Drive drive() const;
    // Shows `drive` (adding it when it is not listed) without reporting a user's pick.
    void setDrive(const platform::Drive& drive);

private:
    [[nodiscard]] static QString caption(const platform::Drive& drive);
    void addDrive(const platform::Drive& drive);
};
