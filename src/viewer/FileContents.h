#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace viewer {

// The whole contents of a file; the file is closed again on return. A large file is read in
// pieces with `keepAlive` called between them. Failures raise platform::RuntimeError with the
// system's number for them.
[[nodiscard]] QByteArray readWholeFile(const QString& fileName,
                                       const std::function<void()>& keepAlive = {});

// Replaces the file's contents with `bytes`, creating it if need be. The bytes go to a
// temporary file in the same folder that is renamed over the target only when complete, so a
// failure leaves any previous file untouched. Failures raise platform::RuntimeError.
void writeWholeFile(const QString& fileName, const QByteArray& bytes);

} // namespace viewer
