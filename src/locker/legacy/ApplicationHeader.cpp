#include "locker/legacy/ApplicationHeader.h"

#include "platform/AnsiCodePage.h"
#include "platform/RuntimeError.h"

namespace locker {

namespace {
constexpr QByteArrayView Marker("vrls");
}

QByteArray buildApplicationHeader(const QString& appName) {
    QByteArray path;
    try {
        path = platform::toAnsiBytes(appName);
    } catch (const platform::RuntimeError&) {
        throw platform::RuntimeError(
            platform::err::Overflow,
            QStringLiteral("アプリケーションのパスに全角文字など使えない文字があります。"
                           "半角の英数字・記号・カタカナだけが使えます。"),
            appName);
    }
    return Marker.toByteArray() + path + Marker.toByteArray();
}

std::optional<ApplicationHeader>
findApplicationHeader(QByteArrayView decodedHead,
                      const std::function<bool(qint64 headerLength)>& accept) {
    const QByteArrayView head = decodedHead.first(qMin(decodedHead.size(), HeaderSearchLength));
    if (!head.startsWith(Marker))
        return std::nullopt;
    // A path may itself contain the marker, so every later marker is a candidate end; the
    // file's length and zero tail decide which one put away wrote. The latest candidate that
    // fits is taken: an earlier one always fits too, as its zero tail lies inside the true one.
    for (qsizetype g = head.lastIndexOf(Marker); g >= Marker.size();
         g = head.lastIndexOf(Marker, g - 1)) {
        const qint64 length = g + Marker.size();
        if (accept(length))
            return ApplicationHeader{platform::fromAnsiBytes(head.sliced(4, g - 4)), length};
    }
    return std::nullopt;
}

} // namespace locker
