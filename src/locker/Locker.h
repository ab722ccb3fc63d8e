#pragma once

#include "Progress.h"

#include <QString>

#include <optional>

class QIODevice;

// Put away and take out: the byte work of the locking engine, free of any window.
namespace locker {

// The locking methods, as the options store them.
enum KeyType : int { SimpleMethod = 0, CylinderMethod = 1, CrossPasswordMethod = 2 };

// Where a taken-out file goes: 0 the viewer, 1 the application recorded at put away,
// 2 an application chosen at take out.
enum AppMode : int { ViewerOnly = 0, RecordedApplication = 1, ChosenApplication = 2 };

// Puts `sbjFileName` away into `objFileName` under `strPassWd` with the method `keyType`,
// recording `strAppName` in an application header when given (methods 0 and 1). The locker
// file is replaced only when complete. Failures raise platform::RuntimeError.
void putAway(const QString& sbjFileName, const QString& objFileName, const QString& strPassWd,
             int keyType, const std::optional<QString>& strAppName = std::nullopt,
             const ProgressCallback& progress = {});

// Takes `objFileName` out into `outFileName` (replaced only when complete) and returns the
// application recorded in the locker file when `appMode` is 1 and it has one.
std::optional<QString> takeOut(const QString& objFileName, const QString& outFileName,
                               const QString& strPassWd, int keyType, int appMode,
                               const ProgressCallback& progress = {});

// The same, writing the taken-out bytes to an open device (standard output, a buffer).
std::optional<QString> takeOut(const QString& objFileName, QIODevice& output,
                               const QString& strPassWd, int keyType, int appMode,
                               const ProgressCallback& progress = {});

} // namespace locker
