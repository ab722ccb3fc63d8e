#include "platform/DocumentOpener.h"

#include "platform/RuntimeError.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {

void openDocument(const QString& fileName) {
    const QFileInfo document(fileName);
    if (!document.isFile())
        throw RuntimeError(err::FileNotFound);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath())))
        throw RuntimeError(err::PathFileAccess);
}

} // namespace platform
