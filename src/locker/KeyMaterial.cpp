#include "KeyMaterial.h"

#include "platform/AnsiCodePage.h"
#include "platform/RuntimeError.h"

namespace locker {

using platform::RuntimeError;
namespace err = platform::err;

KeyMaterial BuildKeyMaterial(const QString& strPassWd) {
    if (strPassWd.size() > 255)
        throw RuntimeError(err::Overflow);
    KeyMaterial key;
    key.bytKeyLen = static_cast<quint8>(strPassWd.size());
    for (qsizetype i = 0; i < strPassWd.size(); ++i) {
        const auto code = platform::AnsiByte(strPassWd.at(i));
        if (!code)
            throw RuntimeError(err::Overflow);
        if (i >= KeyMaterial::MaxLength)
            throw RuntimeError(err::IndexOutOfRange);
        key.bytKey[i] = *code;
    }
    return key;
}

} // namespace locker
