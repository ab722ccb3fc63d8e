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

[[nodiscard]] Placement ReadPlacement();
void WritePlacement(const Placement& placement);

constexpr int DefaultKeyType = 2;
constexpr bool DefaultStartPass = false;
constexpr int DefaultAppMode = 0;
// The chooser's folder when none is stored: the home folder where there are no drive letters.
[[nodiscard]] QString DefaultFilePath();

[[nodiscard]] int ReadKeyType();
[[nodiscard]] bool ReadStartPass();
[[nodiscard]] int ReadAppMode();
[[nodiscard]] QString ReadFilePath();

void WriteKeyType(int keyType);
void WriteStartPass(bool startPass);
void WriteAppMode(int appMode);
void WriteFilePath(const QString& filePath);

} // namespace settings
