#include "cli/PasswordSource.h"

#include "platform/InputFile.h"
#include "platform/RuntimeError.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace cli {

namespace {

QString decoded(const QByteArray& password) {
    if (!password.isValidUtf8())
        throw platform::RuntimeError(
            platform::err::InvalidArgument,
            QStringLiteral("鍵のパスワードが UTF-8 の文字列ではありません。"));
    return QString::fromUtf8(password);
}

QString firstLine(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.first(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return decoded(line);
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

std::optional<QString> readPassword(const std::optional<QString>& passwordFile) {
    if (qEnvironmentVariableIsSet("VRL_PASSWORD"))
        return decoded(qgetenv("VRL_PASSWORD"));
    if (passwordFile) {
        platform::InputFile file(*passwordFile, platform::InputFile::Accept::Streams);
        return firstLine(file.readAll());
    }
    return promptOnTerminal();
}

} // namespace cli
