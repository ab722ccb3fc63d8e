#include "cli/PasswordSource.h"

#include "locker/stream/Wiping.h"
#include "platform/InputFile.h"
#include "platform/RuntimeError.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <termios.h>
#include <unistd.h>

namespace cli {

namespace {

// Longer than any password the methods take; a first line that does not end within it is
// not a password (a file of zeros, an endless stream) and is not read on.
constexpr std::size_t LineCapacity = 4096;

// A line of at most LineCapacity bytes, wiped when it goes.
class Line {
public:
    Line() = default;
    ~Line() { locker::wipe(m_bytes.data(), m_bytes.size()); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Adds `ch`; false when the line is full.
    bool append(char ch) {
        if (m_size == m_bytes.size())
            return false;
        m_bytes[m_size++] = ch;
        return true;
    }
    [[nodiscard]] char* end() { return m_bytes.data() + m_size; }
    [[nodiscard]] std::size_t room() const { return m_bytes.size() - m_size; }
    void grow(std::size_t count) { m_size += count; }

    // The characters before the first line end ("\n" or "\r\n"); a password that is not
    // UTF-8 is refused: decoded, different passwords would become the same key.
    [[nodiscard]] QString decoded() const {
        QByteArrayView line(m_bytes.data(), qsizetype(m_size));
        if (const qsizetype end = line.indexOf('\n'); end >= 0)
            line = line.first(end);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isValidUtf8())
            throw platform::RuntimeError(
                platform::err::InvalidArgument,
                QStringLiteral("鍵のパスワードが UTF-8 の文字列ではありません。"));
        return QString::fromUtf8(line);
    }

    [[nodiscard]] bool hasLineEnd() const {
        return std::memchr(m_bytes.data(), '\n', m_size) != nullptr;
    }

private:
    std::array<char, LineCapacity> m_bytes{};
    std::size_t m_size = 0;
};

// The first line of the file, read up to its end and no further than LineCapacity. A FIFO is
// opened as any reader opens it, waiting for its writer.
QString firstLineOf(const QString& passwordFile) {
    platform::InputFile file(passwordFile, platform::InputFile::Accept::Streams);
    Line line;
    while (!line.hasLineEnd()) {
        if (line.room() == 0)
            throw platform::RuntimeError(
                platform::err::InvalidArgument,
                QStringLiteral("パスワードファイルの 1 行目が長すぎます。"), passwordFile);
        const ssize_t got = ::read(file.handle(), line.end(), line.room());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw platform::systemError(passwordFile, false);
        if (got == 0)
            break;
        line.grow(std::size_t(got));
    }
    return line.decoded();
}

// The variable's value, taken out of the environment and wiped there, so that no copy of it
// stays in the process beyond the one returned.
QString fromEnvironment(const char* name) {
    char* value = std::getenv(name);
    Line line;
    for (const char* ch = value; *ch; ++ch)
        if (!line.append(*ch))
            break;
    locker::wipe(value, std::strlen(value));
    ::unsetenv(name);
    return line.decoded();
}

std::optional<QString> promptOnTerminal() {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    std::setvbuf(tty, nullptr, _IONBF, 0); // no stdio buffer keeps the typed characters
    std::fputs("鍵のパスワード: ", tty);
    termios saved{};
    const int fd = fileno(tty);
    const bool canHide = tcgetattr(fd, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &hidden);
    }
    Line line;
    for (int ch = std::fgetc(tty); ch != EOF && ch != '\n'; ch = std::fgetc(tty))
        if (!line.append(char(ch)))
            break;
    if (canHide)
        tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
    return line.decoded();
}

} // namespace

std::optional<QString> readPassword(const std::optional<QString>& passwordFile) {
    if (std::getenv("VRL_PASSWORD"))
        return fromEnvironment("VRL_PASSWORD");
    if (passwordFile)
        return firstLineOf(*passwordFile);
    return promptOnTerminal();
}

void wipePassword(QString& password) {
    if (!password.isEmpty())
        locker::wipe(password.data(), std::size_t(password.size()) * sizeof(QChar));
    password.clear();
}

} // namespace cli
