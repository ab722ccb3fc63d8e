// Puts arbitrary bytes away with the own methods under an arbitrary key and application name,
// and takes them out again: the bytes and the name must come back exactly, and a put away
// may only be refused for the reasons it names (an empty file, a name it could not read
// back, a cylinder that does not fit).
//   byte 0        bit 0: the method (simple, cylinder); bits 1-7: the key length - 1, mod 20
//   key bytes     printable ASCII
//   one byte      0: no application, otherwise the name's length + 1
//   name bytes    ASCII or half-width katakana
//   the rest      the data
#include "locker/Locker.h"
#include "platform/AnsiCodePage.h"
#include "platform/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

struct Input {
    locker::KeyType method;
    QString key;
    std::optional<QString> app;
    QByteArray data;
};

Input split(const std::uint8_t* data, std::size_t size) {
    Input input{locker::KeyType::SimpleMethod, {}, std::nullopt, {}};
    std::size_t at = 0;
    const auto next = [&] { return at < size ? data[at++] : std::uint8_t(0); };
    const std::uint8_t first = next();
    input.method = first & 1 ? locker::KeyType::CylinderMethod : locker::KeyType::SimpleMethod;
    for (int i = 0, length = 1 + (first >> 1) % 20; i < length; ++i)
        input.key.append(QChar(u'!' + next() % 94));
    if (const std::uint8_t length = next(); length > 0) {
        QByteArray name;
        for (int i = 0; i < length - 1; ++i) {
            const std::uint8_t byte = next();
            name.append(char(byte < 0x80 ? byte : 0xa1 + byte % 63));
        }
        input.app = platform::fromAnsiBytes(name);
    }
    if (at < size)
        input.data = QByteArray(reinterpret_cast<const char*>(data + at), qsizetype(size - at));
    return input;
}

bool refusalExpected(const Input& input, int number) {
    if (number == platform::err::IndexOutOfRange)
        return input.data.isEmpty() || input.method == locker::KeyType::CylinderMethod;
    return number == platform::err::InvalidArgument && input.app &&
           (input.app->contains(u"vrls"_qs) || input.app->size() > 248);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString source = dir.filePath(u"source"_qs), lockerFile = dir.filePath(u"locker"_qs),
                  out = dir.filePath(u"out"_qs);
    const Input input = split(data, size);
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(input.data) != input.data.size())
        std::abort();
    file.close();
    try {
        locker::putAway(source, lockerFile, input.key, input.method, input.app);
    } catch (const platform::RuntimeError& error) {
        if (!refusalExpected(input, error.number()))
            std::abort();
        return 0;
    }
    const auto app = locker::takeOut(lockerFile, out, input.key, input.method,
                                     locker::AppMode::RecordedApplication);
    QFile taken(out);
    if (!taken.open(QIODevice::ReadOnly) || taken.readAll() != input.data || app != input.app)
        std::abort();
    return 0;
}
