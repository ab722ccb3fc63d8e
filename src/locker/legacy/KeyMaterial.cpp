#include "locker/legacy/KeyMaterial.h"

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
            throw RuntimeError(err::Overflow,
                               QStringLiteral("鍵のパスワードに全角文字など使えない文字があります。"
                                              "この施錠方式では半角の英数字・記号・カタカナだけが"
                                              "使えます。"));
        if (i >= KeyMaterial::MaxLength)
            throw RuntimeError(err::IndexOutOfRange);
        key.bytKey[i] = *code;
    }
    return key;
}

} // namespace locker
