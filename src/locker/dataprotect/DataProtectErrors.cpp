#include "locker/dataprotect/DataProtectErrors.h"

namespace locker::dataprotect {

namespace {
QString description(Failure failure) {
    switch (failure) {
    case Failure::NotALocker:
        return QStringLiteral(
            "このファイルはクロスパスワード方式のロッカーファイルではありません。");
    case Failure::UnsupportedVersion:
        return QStringLiteral(
            "このロッカーファイルは新しい版の形式で作られているため、取り出せません。");
    case Failure::UnsupportedParameters:
        return QStringLiteral("このロッカーファイルは扱える範囲を超える設定で作られているため、"
                              "取り出せません。");
    case Failure::WrongPassword:
        return QStringLiteral("鍵のパスワードが違います。");
    case Failure::HeaderDamaged:
        return QStringLiteral("ロッカーファイルの先頭部分が壊れています。");
    case Failure::Truncated:
        return QStringLiteral("ロッカーファイルが途中で切れています。");
    case Failure::ChunkDamaged:
        return QStringLiteral(
            "ロッカーファイルが壊れているか、途中で切れているか、書き換えられています。");
    case Failure::CipherLibrary:
        return cipherLibraryError().description();
    case Failure::UnknownOperation:
        return QStringLiteral("この操作はありません。");
    }
    return {};
}
} // namespace

platform::RuntimeError makeError(Failure failure) {
    return platform::RuntimeError(static_cast<int>(failure), description(failure));
}

} // namespace locker::dataprotect
