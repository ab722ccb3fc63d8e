#pragma once

#include <QString>

#include <optional>

// The command line the program is started with: a file name, optionally followed by the
// switch "/P" (any letter case) and a key password, e.g. `letter.vrl /P secret`; or the
// desktop's switch and a file, `--take-out letter.vrl`.
struct StartupCommandLine {
    QString fileName;
    // Set when the switch is present: the text from the second character after it, trimmed
    // (the one character right after the switch is skipped whatever it is). May be empty.
    std::optional<QString> password;
    // Set by the desktop's switch: the file is to be taken out, asking for the key password
    // when none is set. The file name is then the rest of the line exactly as the desktop
    // gave it (it may be empty when the menu entry starts the program without a file).
    bool takeOut = false;
};

// Splits the whole command-line text. The text is not unquoted or split further, so a file
// name with blanks works unquoted; only blanks are trimmed.
//
// Paths here are written with slashes, so "/p" inside a path ("/home/pat/x.vrl") must not be
// taken for the switch: the switch starts a word (it is first or follows a blank), and as the
// very first word it must stand alone ("/P secret"), since a path may begin with "/p".
[[nodiscard]] StartupCommandLine parseStartupCommandLine(const QString& text);

// What `winvrls --help` prints.
[[nodiscard]] const char* startupUsage();
