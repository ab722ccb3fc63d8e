#include "locker/crypto/CipherLibraryError.h"

namespace locker::dataprotect {

platform::RuntimeError cipherLibraryError() {
    return platform::RuntimeError(
        CipherLibraryErrorNumber,
        QStringLiteral("暗号処理のライブラリが失敗したため、処理を続けられません。"));
}

} // namespace locker::dataprotect
