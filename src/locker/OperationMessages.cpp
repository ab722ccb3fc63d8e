#include "locker/OperationMessages.h"

namespace locker {

std::optional<QString> failureMessage(Operation operation, const platform::RuntimeError& error) {
    switch (error.number()) {
    case platform::err::SilentEnd:
        return std::nullopt;
    case platform::err::IndexOutOfRange:
        return operation == Operation::PutAway
                   ? QStringLiteral("このファイルはこの施錠方式ではしまうことができません。")
                   : QStringLiteral("このファイルは正しい施錠がなされていません。");
    default:
        return error.description();
    }
}

} // namespace locker
