#include "locker/dataprotect/DataProtect.h"

#include "locker/dataprotect/DataProtectErrors.h"
#include "locker/dataprotect/DataProtectStream.h"
#include "locker/stream/ByteSource.h"
#include "locker/stream/PasswordRule.h"
#include "platform/InputFile.h"
#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <QFile>

namespace locker {

using platform::RuntimeError;
namespace err = platform::err;
using namespace dataprotect;

namespace {

void checkArguments(const QString& strPassWd, int version, int flags, int count) {
    password::requireLength(strPassWd);
    password::requireUsable(strPassWd);
    if (version != 1 || flags != 0 || count != 1)
        throw RuntimeError(err::InvalidArgument);
}

// Closes the input first, so that the rename also works where an open file cannot be
// replaced, then puts the written file in the target's place.
void commit(QFile& input, platform::ReplacingFile& output) {
    input.close();
    output.commit();
}

} // namespace

DataProtect::DataProtect(const Parameters& parameters) : m_parameters(parameters) {}

void DataProtect::ProtectFile(const QString& source, const QString& locker, const QString& password,
                              int version, int flags, int count) {
    checkArguments(password, version, flags, count);
    if (!withinLimits(m_parameters))
        throw RuntimeError(err::InvalidArgument);
    const Password key(password);
    platform::InputFile input(source);
    platform::ReplacingFile output(locker);
    protectStream(input, output.device(), key, m_parameters);
    commit(input, output);
}

void DataProtect::UnprotectFile(const QString& locker, const QString& output,
                                const QString& password, int version, int flags, int count) {
    checkArguments(password, version, flags, count);
    const Password key(password);
    platform::InputFile input(locker);
    UnprotectStream stream(input, key);
    platform::ReplacingFile plain(output, platform::ReplacingFile::Access::OwnerOnly);
    stream.copyTo(plain.device());
    commit(input, plain);
}

void DataProtect::unprotectTo(const QString& locker, QIODevice& output, const QString& password,
                              int version, int flags, int count) {
    checkArguments(password, version, flags, count);
    const Password key(password);
    platform::InputFile input(locker);
    UnprotectStream(input, key).copyTo(output);
}

void DataProtect::invoke(int dispid, const QVariantList& arguments) {
    if (dispid != ProtectFileId && dispid != UnprotectFileId)
        throw makeError(Failure::UnknownOperation);
    if (arguments.size() != 6)
        throw RuntimeError(err::InvalidArgument);
    for (int i = 0; i < 6; ++i) {
        const auto type = i < 3 ? QMetaType::QString : QMetaType::Int;
        if (arguments[i].typeId() != type)
            throw RuntimeError(err::InvalidArgument);
    }
    const auto text = [&](int i) { return arguments[i].toString(); };
    const auto number = [&](int i) { return arguments[i].toInt(); };
    if (dispid == ProtectFileId)
        ProtectFile(text(0), text(1), text(2), number(3), number(4), number(5));
    else
        UnprotectFile(text(0), text(1), text(2), number(3), number(4), number(5));
}

} // namespace locker
