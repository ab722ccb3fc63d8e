#pragma once

#include <QString>

// The program's settings in the per-user store, application "WinVrls": the window placement
// under "StartUp" and the options and last folder under "Default". A missing value, or one
// that is not a number (or True/False), reads as its default.
namespace settings {

// Window placement in twips. Stored values beyond MaxPlacementTwips (about 7000 inches) either
// way read as that bound, so that they convert to pixels without overflow.
constexpr double MaxPlacementTwips = 1e7;
struct Placement {
    double top = 100;
    double left = 100;
    double height = 5190;
    double width = 5430;
};

[[nodiscard]] Placement readPlacement();
void writePlacement(const Placement& placement);

constexpr int DefaultKeyType = 2;
constexpr bool DefaultStartPass = false;
constexpr int DefaultAppMode = 0;
// The chooser's folder when none is stored: the home folder where there are no drive letters.
[[nodiscard]] QString defaultFilePath();

[[nodiscard]] int readKeyType();
[[nodiscard]] bool readStartPass();
[[nodiscard]] int readAppMode();
[[nodiscard]] QString readFilePath();

void writeKeyType(int keyType);
void writeStartPass(bool startPass);
void writeAppMode(int appMode);
void writeFilePath(const QString& filePath);

} // namespace settings
