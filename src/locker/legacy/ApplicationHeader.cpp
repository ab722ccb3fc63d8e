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
    // Take out ends the name at the first marker after the opening one, so a path holding
    // the marker could never be read back as it was recorded.
    if (path.contains(Marker))
        throw platform::RuntimeError(
            platform::err::InvalidArgument,
            QStringLiteral("アプリケーションのパスに「vrls」が含まれています。"
                           "取り出すときに正しく読み戻せないため、記録できません。"),
            appName);
    return Marker.toByteArray() + path + Marker.toByteArray();
}

std::optional<ApplicationHeader>
findApplicationHeader(QByteArrayView decodedHead,
                      const std::function<bool(qint64 headerLength)>& accept) {
    const QByteArrayView head = decodedHead.first(qMin(decodedHead.size(), HeaderSearchLength));
    if (!head.startsWith(Marker))
        return std::nullopt;
    // The first marker after the opening one ends the name, as every locker file was written
    // for; data that merely follows such a marker must not lengthen the name.
    const qsizetype g = head.indexOf(Marker, Marker.size());
    if (g < 0)
        return std::nullopt;
    const qint64 length = g + Marker.size();
    if (!accept(length))
        return std::nullopt;
    return ApplicationHeader{platform::fromAnsiBytes(head.sliced(4, g - 4)), length};
}

} // namespace locker
