#pragma once

#include "locker/stream/Progress.h"

#include <QString>

#include <optional>

class QIODevice;

// Put away and take out: the byte work of the locking engine, free of any window.
namespace locker {

// The locking methods. The options, the settings and vrl number them 0 to 2; the numbers
// become a method only through keyTypeFromNumber.
enum class KeyType { SimpleMethod = 0, CylinderMethod = 1, CrossPasswordMethod = 2 };

// Where a taken-out file goes: the viewer, the application recorded at put away, or an
// application chosen at take out; numbered 0 to 2 like KeyType.
enum class AppMode { ViewerOnly = 0, RecordedApplication = 1, ChosenApplication = 2 };

// The method or mode a stored or typed number names; any other number raises error 5.
[[nodiscard]] KeyType keyTypeFromNumber(int number);
[[nodiscard]] AppMode appModeFromNumber(int number);
[[nodiscard]] constexpr int numberOf(KeyType keyType) {
    return static_cast<int>(keyType);
}

// Puts `sbjFileName` away into `objFileName` under `strPassWd` with the method `keyType`,
// recording `strAppName` in an application header when given (methods 0 and 1). The locker
// file is replaced only when complete. Failures raise platform::RuntimeError.
void putAway(const QString& sbjFileName, const QString& objFileName, const QString& strPassWd,
             KeyType keyType, const std::optional<QString>& strAppName = std::nullopt,
             const ProgressCallback& progress = {});

// Takes `objFileName` out into `outFileName` (replaced only when complete) and returns the
// application recorded in the locker file when `appMode` is RecordedApplication and it has
// one.
std::optional<QString> takeOut(const QString& objFileName, const QString& outFileName,
                               const QString& strPassWd, KeyType keyType, AppMode appMode,
                               const ProgressCallback& progress = {});

// The same, writing the taken-out bytes to an open device (standard output, a buffer).
std::optional<QString> takeOut(const QString& objFileName, QIODevice& output,
                               const QString& strPassWd, KeyType keyType, AppMode appMode,
                               const ProgressCallback& progress = {});

} // namespace locker
