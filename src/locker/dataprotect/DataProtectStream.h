#pragma once

#include "locker/dataprotect/DataProtectFormat.h"
#include "locker/dataprotect/DataProtectKey.h"

#include <QByteArray>

class QIODevice;

// The cross-password method on open devices: the file handling lives in DataProtect.
namespace locker::dataprotect {

// Writes a locker of everything `source` holds to `locker`, under `password`, with a fresh
// salt and therefore fresh keys.
void protectStream(QIODevice& source, QIODevice& locker, const Password& password,
                   const Parameters& parameters);

// A locker being read. Construction reads and checks the header and the password, so that a
// damaged header or a wrong password is reported before any output is opened.
class UnprotectStream {
public:
    UnprotectStream(QIODevice& locker, const Password& password);

    // Writes the plaintext to `output`. Each chunk is written only after its tag verified and
    // every chunk before it was written; a failure later in the file raises after the chunks
    // before it, so a file output must be discarded on failure.
    void copyTo(QIODevice& output);

private:
    QIODevice& m_locker;
    QByteArray m_headerBytes;
    Header m_header;
    FileKeys m_keys;
};

} // namespace locker::dataprotect
