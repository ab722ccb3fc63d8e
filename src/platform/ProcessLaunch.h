#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

namespace platform {

// Programs are started directly, never through a shell: each argument reaches the program
// exactly as given, blanks and quotes included. The program runs in the current working
// directory, and neither call waits for it to end. A program that cannot be started throws
// RuntimeError: 53 when it is not found, 70 when it may not be run, 75 otherwise.

// Starts a program that lives on its own, beyond the end of this one.
void startProgram(const QString& program, const QStringList& arguments = {});

// Starts a program in a process group of its own, whose number is the returned process
// number, and calls `finished` on `context`'s thread once the program has ended. The call is
// dropped when `context` is gone by then; ending this program does not end the started one.
// Whatever the program starts stays in its group unless it leaves it.
qint64 startProgram(const QString& program, const QStringList& arguments, const QObject* context,
                    std::function<void()> finished);

} // namespace platform
