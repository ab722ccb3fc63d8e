#include "app/ContentDigest.h"

#include <QFile>

#include <sodium.h>

#include <array>

QByteArray contentDigest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    std::array<char, 65536> buffer;
    qint64 length = 0;
    while ((length = file.read(buffer.data(), buffer.size())) > 0)
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(buffer.data()),
                                  quint64(length));
    if (length < 0)
        return {};
    QByteArray digest(crypto_generichash_BYTES, Qt::Uninitialized);
    crypto_generichash_final(&state, reinterpret_cast<unsigned char*>(digest.data()),
                             digest.size());
    return digest;
}
