#include "platform/RuntimeError.h"

#include <QFileDevice>

#include <cerrno>

namespace platform {

RuntimeError::RuntimeError(int number, QString description, QString fileName)
    : m_number(number),
      m_description(description.isEmpty() ? defaultDescription(number) : std::move(description)),
      m_fileName(std::move(fileName)),
      m_what(m_description.toStdString() + " (" + std::to_string(number) + ")") {}

QString defaultDescription(int number) {
    switch (number) {
    case err::InvalidArgument:
        return QStringLiteral("値が正しくありません。");
    case err::Overflow:
        return QStringLiteral("値が扱える範囲を超えています。");
    case err::OutOfMemory:
        return QStringLiteral("メモリが足りません。");
    case err::IndexOutOfRange:
        return QStringLiteral("位置が範囲の外にあります。");
    case err::DivisionByZero:
        return QStringLiteral("0 で割ろうとしました。");
    case err::BadFileName:
        return QStringLiteral("ファイル名が正しくありません。");
    case err::FileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case err::DeviceIo:
        return QStringLiteral("読み書きの途中で装置のエラーが起きました。");
    case err::DiskFull:
        return QStringLiteral("ディスクに空きがありません。");
    case err::DeviceUnavailable:
        return QStringLiteral("装置が使えません。");
    case err::PermissionDenied:
        return QStringLiteral("アクセスが許可されていません。");
    case err::PathFileAccess:
        return QStringLiteral("パスまたはファイルにアクセスできません。");
    case err::PathNotFound:
        return QStringLiteral("フォルダが見つかりません。");
    case err::InvalidPicture:
        return QStringLiteral("画像として読み込めません。");
    default:
        return QStringLiteral("エラーが起きました。");
    }
}

int errorNumberFromErrno(int code, bool forWriting) {
    switch (code) {
    case ENOENT:
        return forWriting ? err::PathNotFound : err::FileNotFound;
    case ENOTDIR:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return err::DiskFull;
    case EIO:
    case EPIPE:
        return err::DeviceIo;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
        return err::DeviceUnavailable;
    case ENAMETOOLONG:
    case EINVAL:
        return err::BadFileName;
    case ENOMEM:
        return err::OutOfMemory;
    default:
        return err::PathFileAccess;
    }
}

RuntimeError systemError(const QString& fileName, bool forWriting) {
    const int code = errno;
    // The file-size limit takes the number of a full disk, with words of its own.
    const QString description =
        code == EFBIG ? QStringLiteral("ファイルの大きさの上限に達したため、書き込めません。")
                      : QString();
    return RuntimeError(errorNumberFromErrno(code, forWriting), description, fileName);
}

RuntimeError fileError(const QFileDevice& file, bool forWriting) {
    if (errno != 0)
        return systemError(file.fileName(), forWriting);
    const auto number = [&] {
        switch (file.error()) {
        case QFileDevice::ReadError:
        case QFileDevice::WriteError:
            return err::DeviceIo;
        case QFileDevice::ResourceError:
            return err::DiskFull;
        case QFileDevice::PermissionsError:
            return err::PermissionDenied;
        default:
            return err::PathFileAccess;
        }
    }();
    return RuntimeError(number, {}, file.fileName());
}

} // namespace platform
