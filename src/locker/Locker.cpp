#include "locker/Locker.h"

#include "locker/dataprotect/DataProtect.h"
#include "locker/legacy/ApplicationHeader.h"
#include "locker/legacy/KeyMaterial.h"
#include "locker/legacy/SimpleCipher.h"
#include "locker/legacy/VirtualCylinder.h"
#include "locker/stream/ByteSource.h"
#include "locker/stream/Progress.h"
#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <vector>

namespace locker {

using platform::RuntimeError;
namespace err = platform::err;

namespace {

// Zero bytes after the cipher length: without and with an application header.
constexpr qint64 PaddingWithoutHeader = 10;
constexpr qint64 PaddingWithHeader = 11;

// The key material is built before the method is looked at, so its failures come first on
// every method. The cross-password method takes the password as UTF-8 and only keeps the
// length rule.
// An empty password would leave the own ciphers without a key column.
KeyMaterial keyFor(const QString& password, KeyType keyType) {
    if (password.isEmpty())
        throw RuntimeError(err::InvalidArgument, QStringLiteral("鍵のパスワードが空です。"));
    if (keyType != KeyType::CrossPasswordMethod)
        return buildKeyMaterial(password);
    if (password.size() > 255)
        throw RuntimeError(err::Overflow);
    if (password.size() > KeyMaterial::MaxLength)
        throw RuntimeError(err::IndexOutOfRange);
    return {};
}

// The cross-password method's calling convention: version 1, no flags, one file.
constexpr int ProtectVersion = 1;
constexpr int ProtectFlags = 0;
constexpr int ProtectCount = 1;

void invokeDataProtect(int dispid, const QString& from, const QString& to,
                       const QString& password) {
    DataProtect().invoke(dispid, {from, to, password, ProtectVersion, ProtectFlags, ProtectCount});
}

// Runs a take out of the cross-password method: its failures that name no file are about
// the locker file's content (a wrong password, damage), so they name the locker file.
template <typename Body> void aboutLocker(const QString& objFileName, Body body) {
    try {
        body();
    } catch (const RuntimeError& error) {
        if (!error.fileName().isEmpty())
            throw;
        throw RuntimeError(error.number(), error.description(), objFileName);
    }
}

void writeZeros(QIODevice& out, qint64 count) {
    const std::vector<char> zeros(size_t(count), 0);
    writeAll(out, zeros.data(), count);
}

void encipherSimple(const KeyMaterial& key, PlaintextSource& plain, qint64 lockerLength,
                    QIODevice& device, ProgressReporter& progress) {
    const qint64 cipherLength = plain.size();
    qint64 written = 0;
    SimpleCipher(key).encipher(plain, 0, cipherLength, [&](const quint8* data, qint64 length) {
        writeAll(device, reinterpret_cast<const char*>(data), length);
        written += length;
        progress.advanceTo(written);
    });
    writeZeros(device, lockerLength - cipherLength);
    progress.advanceTo(cipherLength);
}

void encipherCylinder(const KeyMaterial& key, PlaintextSource& plain, qint64 lockerLength,
                      QIODevice& device, ProgressReporter& progress) {
    const qint64 cipherLength = plain.size();
    const VirtualCylinder cylinder(key, cipherLength);
    if (!cylinder.fitsIn(lockerLength))
        throw RuntimeError(err::IndexOutOfRange);
    qint64 written = 0;
    cylinder.encipher(plain, lockerLength, [&](const quint8* data, qint64 length) {
        writeAll(device, reinterpret_cast<const char*>(data), length);
        written += length;
        progress.advanceTo(qMin(cipherLength, written * cipherLength / lockerLength));
    });
    progress.advanceTo(cipherLength);
}

// Decodes bytes [from, to) of the plaintext of a locker file whose cipher length is known.
class Decoder {
public:
    Decoder(const KeyMaterial& key, KeyType keyType, FileSource& locker, qint64 cipherLength)
        : m_keyType(keyType), m_locker(locker), m_cipher(key), m_cylinder(key, cipherLength) {}

    [[nodiscard]] bool fits() const {
        return m_keyType != KeyType::CylinderMethod || m_cylinder.fitsIn(m_locker.size());
    }

    void decode(qint64 from, qint64 to, const ByteSink& sink) {
        if (m_keyType == KeyType::CylinderMethod)
            m_cylinder.decipher(m_locker, from, to, sink);
        else
            m_cipher.decipher(m_locker, from, to, sink);
    }

    [[nodiscard]] QByteArray decoded(qint64 from, qint64 to) {
        QByteArray bytes;
        decode(from, to, [&](const quint8* data, qint64 length) {
            bytes.append(reinterpret_cast<const char*>(data), length);
        });
        return bytes;
    }

    // Whether the raw locker bytes after the cipher length are the zeros put away leaves.
    [[nodiscard]] bool paddingIsClean(qint64 cipherLength) {
        const qint64 n = m_locker.size() - cipherLength;
        QByteArray raw(n, Qt::Uninitialized);
        m_locker.readAt(cipherLength, raw.data(), n);
        for (qint64 i = 0; i < n; ++i) {
            const bool expectsByte = m_keyType == KeyType::CylinderMethod &&
                                     m_cylinder.placesByteBeyondCipher(cipherLength + i);
            if (raw.at(i) != 0 && !expectsByte)
                return false;
        }
        return true;
    }

private:
    KeyType m_keyType;
    FileSource& m_locker;
    SimpleCipher m_cipher;
    VirtualCylinder m_cylinder;
};

// Where the put-away bytes lie in a locker file. The file records neither its length nor
// whether it has an application header; the layout with a header is accepted only when the
// decoded bytes agree with it: both markers within the first 256 bytes, the zero bytes that
// follow the data, and the zero padding.
struct Layout {
    qint64 cipherLength = 0;
    std::optional<ApplicationHeader> header;
    qint64 dataEnd = 0; // the end of the put-away bytes (after the header, when there is one)
};

Layout settleLayout(const KeyMaterial& key, KeyType keyType, FileSource& locker) {
    const qint64 lockerLength = locker.size();
    const qint64 withHeader = lockerLength - PaddingWithHeader;
    if (withHeader > 0) {
        Decoder decoder(key, keyType, locker, withHeader);
        if (decoder.fits() && decoder.paddingIsClean(withHeader)) {
            const QByteArray head = decoder.decoded(0, qMin(withHeader, HeaderSearchLength));
            const auto header = findApplicationHeader(head, [&](qint64 h) {
                const qint64 dataEnd = withHeader - h;
                if (dataEnd - h < 1)
                    return false;
                const QByteArray tail = decoder.decoded(dataEnd, withHeader);
                return tail.count('\0') == tail.size();
            });
            if (header)
                return {withHeader, header, withHeader - header->length};
        }
    }
    const qint64 withoutHeader = lockerLength - PaddingWithoutHeader;
    if (withoutHeader < 1 || !Decoder(key, keyType, locker, withoutHeader).fits())
        throw RuntimeError(err::IndexOutOfRange, {}, locker.fileName());
    return {withoutHeader, std::nullopt, withoutHeader};
}

} // namespace

KeyType keyTypeFromNumber(int number) {
    if (number < numberOf(KeyType::SimpleMethod) || number > numberOf(KeyType::CrossPasswordMethod))
        throw RuntimeError(err::InvalidArgument,
                           QStringLiteral("施錠方式の番号 %1 は使えません。").arg(number));
    return static_cast<KeyType>(number);
}

AppMode appModeFromNumber(int number) {
    if (number < static_cast<int>(AppMode::ViewerOnly) ||
        number > static_cast<int>(AppMode::ChosenApplication))
        throw RuntimeError(
            err::InvalidArgument,
            QStringLiteral("外部アプリケーションの番号 %1 は使えません。").arg(number));
    return static_cast<AppMode>(number);
}

void putAway(const QString& sbjFileName, const QString& objFileName, const QString& strPassWd,
             KeyType keyType, const std::optional<QString>& strAppName,
             const ProgressCallback& progress) {
    const KeyMaterial key = keyFor(strPassWd, keyType);
    if (keyType == KeyType::CrossPasswordMethod) {
        invokeDataProtect(DataProtect::ProtectFileId, sbjFileName, objFileName, strPassWd);
        return;
    }

    FileSource source(sbjFileName);
    if (source.size() == 0)
        throw RuntimeError(err::IndexOutOfRange, {}, sbjFileName);
    QByteArray header = strAppName ? buildApplicationHeader(*strAppName) : QByteArray();
    // Take out finds a header only within the first bytes; a longer one could never be read
    // back, and would leave a cylinder file undecodable.
    if (header.size() > HeaderSearchLength)
        throw RuntimeError(err::InvalidArgument,
                           QStringLiteral("アプリケーションのパスが長すぎます。"));
    const qint64 padding = strAppName ? PaddingWithHeader : PaddingWithoutHeader;
    PlaintextSource plain(source, std::move(header));
    const qint64 lockerLength = plain.size() + padding;
    if (keyType == KeyType::CylinderMethod &&
        !VirtualCylinder(key, plain.size()).fitsIn(lockerLength))
        throw RuntimeError(err::IndexOutOfRange, {}, sbjFileName);

    platform::ReplacingFile out(objFileName);
    ProgressReporter reporter(progress, 50, 50, plain.size());
    if (keyType == KeyType::SimpleMethod)
        encipherSimple(key, plain, lockerLength, out.device(), reporter);
    else
        encipherCylinder(key, plain, lockerLength, out.device(), reporter);
    source.requireUnchanged();
    out.commit();
}

std::optional<QString> takeOut(const QString& objFileName, QIODevice& output,
                               const QString& strPassWd, KeyType keyType, AppMode appMode,
                               const ProgressCallback& progress) {
    const KeyMaterial key = keyFor(strPassWd, keyType);
    if (keyType == KeyType::CrossPasswordMethod) {
        aboutLocker(objFileName, [&] {
            DataProtect().unprotectTo(objFileName, output, strPassWd, ProtectVersion, ProtectFlags,
                                      ProtectCount);
        });
        return std::nullopt;
    }

    FileSource locker(objFileName);
    // Every locker file put away writes has at least one byte and its padding.
    if (locker.size() <= PaddingWithoutHeader)
        throw RuntimeError(err::IndexOutOfRange, {}, objFileName);
    const Layout layout = settleLayout(key, keyType, locker);

    std::optional<QString> appName;
    qint64 begin = 0;
    if (layout.header && appMode == AppMode::RecordedApplication) {
        appName = layout.header->appName;
        begin = layout.header->length;
    }
    ProgressReporter reporter(progress, 0, 100, layout.dataEnd - begin);
    qint64 written = 0;
    Decoder(key, keyType, locker, layout.cipherLength)
        .decode(begin, layout.dataEnd, [&](const quint8* data, qint64 length) {
            writeAll(output, reinterpret_cast<const char*>(data), length);
            written += length;
            reporter.advanceTo(written);
        });
    reporter.advanceTo(written);
    locker.requireUnchanged();
    return appName;
}

std::optional<QString> takeOut(const QString& objFileName, const QString& outFileName,
                               const QString& strPassWd, KeyType keyType, AppMode appMode,
                               const ProgressCallback& progress) {
    // Check the key and the locker file before anything is created.
    (void)keyFor(strPassWd, keyType);
    if (keyType == KeyType::CrossPasswordMethod) {
        aboutLocker(objFileName, [&] {
            invokeDataProtect(DataProtect::UnprotectFileId, objFileName, outFileName, strPassWd);
        });
        return std::nullopt;
    }
    (void)FileSource(objFileName);

    platform::ReplacingFile out(outFileName, platform::ReplacingFile::Access::OwnerOnly);
    auto appName = takeOut(objFileName, out.device(), strPassWd, keyType, appMode, progress);
    out.commit();
    return appName;
}

} // namespace locker
