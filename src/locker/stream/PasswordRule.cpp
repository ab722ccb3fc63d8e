#include "locker/stream/PasswordRule.h"

#include "platform/AnsiCodePage.h"
#include "platform/RuntimeError.h"

namespace locker::password {

using platform::RuntimeError;
namespace err = platform::err;

namespace {
// Beyond this many characters the password overflows the own methods' byte length.
constexpr qsizetype MaxCharacters = 255;
} // namespace

void requireUsable(const QString& password) {
    if (password.isEmpty())
        throw RuntimeError(err::InvalidArgument, QStringLiteral("鍵のパスワードが空です。"));
    if (password.size() > MaxCharacters)
        throw RuntimeError(err::Overflow);
}

void requireLength(const QString& password) {
    if (password.size() > MaxLength)
        throw RuntimeError(err::IndexOutOfRange);
}

quint8 ownMethodByte(QChar character) {
    const auto code = platform::ansiByte(character);
    if (!code)
        throw RuntimeError(err::Overflow,
                           QStringLiteral("鍵のパスワードに全角文字など使えない文字があります。"
                                          "この施錠方式では半角の英数字・記号・カタカナだけが"
                                          "使えます。"));
    return *code;
}

} // namespace locker::password
