// Feeds arbitrary bytes to the cross-password reader as a locker file. Every input must end
// in a runtime error or a clean take-out, never in a crash, a hang or a sanitizer report.
#include "locker/dataprotect/DataProtectKey.h"
#include "locker/dataprotect/DataProtectStream.h"
#include "platform/RuntimeError.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The password of the seed lockers, so that mutations reach the chunks.
    static const locker::dataprotect::Password password(QStringLiteral("合言葉 correct horse"));
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    QBuffer output;
    output.open(QIODevice::WriteOnly);
    try {
        locker::dataprotect::UnprotectStream(input, password).copyTo(output);
    } catch (const platform::RuntimeError&) {
    }
    return 0;
}
