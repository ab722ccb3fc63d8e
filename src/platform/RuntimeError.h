#pragma once

#include <QString>

#include <exception>
#include <string>

class QFileDevice;

namespace platform {

// The error numbers the system raises and tests.
namespace err {
constexpr int InvalidArgument = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int IndexOutOfRange = 9;
constexpr int DivisionByZero = 11;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIo = 57;
constexpr int DiskFull = 61;
constexpr int DeviceUnavailable = 68;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidPicture = 481;
constexpr int SilentEnd = 9999;
} // namespace err

// A runtime error: a number the handlers dispatch on and a Japanese description shown to the
// user, and the file it is about when a file operation failed (the command line names it).
// Thrown by the engine and the platform layers, caught by each operation's handler.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int number, QString description = {}, QString fileName = {});

    [[nodiscard]] int number() const noexcept { return m_number; }
    [[nodiscard]] const QString& description() const noexcept { return m_description; }
    [[nodiscard]] const QString& fileName() const noexcept { return m_fileName; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    QString m_fileName;
    std::string m_what;
};

// The standard description of an error number.
[[nodiscard]] QString defaultDescription(int number);

// Maps a system error code (errno) of a failed file operation onto the system's numbers.
// `forWriting` tells a missing folder of a file to be created (76) from a missing file (53).
[[nodiscard]] int errorNumberFromErrno(int code, bool forWriting);

// The runtime error of the system call that just failed on `fileName`, from errno.
[[nodiscard]] RuntimeError systemError(const QString& fileName, bool forWriting);

// The runtime error for a failed operation on `file`; call right after the failure so that
// errno still belongs to it.
[[nodiscard]] RuntimeError fileError(const QFileDevice& file, bool forWriting);

} // namespace platform
