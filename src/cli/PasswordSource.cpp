#include "PasswordSource.h"

#include "platform/RuntimeError.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace cli {

namespace {

QString firstLine(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.first(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

std::optional<QString> promptOnTerminal() {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    std::fputs("鍵のパスワード: ", tty);
    std::fflush(tty);
    termios saved{};
    const int fd = fileno(tty);
    const bool canHide = tcgetattr(fd, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &hidden);
    }
    QByteArray line;
    for (int ch = std::fgetc(tty); ch != EOF && ch != '\n'; ch = std::fgetc(tty))
        line.append(char(ch));
    if (canHide)
        tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
    return firstLine(line);
}

} // namespace

std::optional<QString> ReadPassword(const std::optional<QString>& passwordFile) {
    if (qEnvironmentVariableIsSet("VRL_PASSWORD"))
        return qEnvironmentVariable("VRL_PASSWORD");
    if (passwordFile) {
        QFile file(*passwordFile);
        errno = 0;
        if (!file.open(QIODevice::ReadOnly))
            throw platform::FileError(file, false);
        return firstLine(file.readAll());
    }
    return promptOnTerminal();
}

} // namespace cli
