#include "locker/legacy/KeyMaterial.h"

#include "locker/stream/Wiping.h"
#include "platform/RuntimeError.h"

namespace locker {

using platform::RuntimeError;
namespace err = platform::err;

KeyMaterial::~KeyMaterial() {
    wipe(bytKey.data(), bytKey.size());
}

KeyMaterial buildKeyMaterial(const QString& strPassWd) {
    password::requireUsable(strPassWd);
    KeyMaterial key;
    key.bytKeyLen = static_cast<quint8>(strPassWd.size());
    for (qsizetype i = 0; i < strPassWd.size(); ++i) {
        const quint8 code = password::ownMethodByte(strPassWd.at(i));
        if (i >= KeyMaterial::MaxLength)
            throw RuntimeError(err::IndexOutOfRange);
        key.bytKey[i] = code;
    }
    return key;
}

} // namespace locker
