#pragma once

#include "locker/dataprotect/DataProtectFormat.h"

#include <QString>
#include <QVariantList>

class QIODevice;

namespace locker {

// The cross-password locking method: a locker file holds the source enciphered with
// AES-256-GCM in 1 MiB chunks under a key derived from the key password (its UTF-8 bytes,
// at most 20 characters) with Argon2id and a random salt; the layout is in
// DataProtectFormat.h.
//
// The three integers of each operation are the calling convention of the method: the format
// version (1), option flags (0, none defined) and the number of files (1). Any other
// triple is refused (5), so that a caller meaning something else is never misread.
//
// Failures raise platform::RuntimeError: a missing input is reported (53) and never created;
// a key password of more than 20 characters is out of range (9), an empty one invalid (5);
// a wrong password, a damaged or truncated locker file and a file of another method or
// version have numbers and descriptions of their own (dataprotect::Failure). The target is
// replaced only when the whole operation succeeded: it is written to a temporary file in its
// folder and renamed, so a failure leaves a previous file of that name as it was, also when
// source and target are the same file.
class DataProtect {
public:
    // The operations' dispatch identifiers, for Invoke.
    static constexpr int ProtectFileId = 0x60030000;
    static constexpr int UnprotectFileId = 0x60030001;

    // New locker files get the default Argon2id cost (Parameters) and 1 MiB chunks.
    DataProtect() = default;
    // New locker files get `parameters` (tests and benchmarks use a cheap derivation).
    explicit DataProtect(const dataprotect::Parameters& parameters);

    // Puts `source` away into the locker file `locker`.
    void ProtectFile(const QString& source, const QString& locker, const QString& password,
                     int version, int flags, int count);

    // Takes the locker file `locker` out into `output`, which appears only when every chunk
    // authenticated. The output is readable and writable by its owner only.
    void UnprotectFile(const QString& locker, const QString& output, const QString& password,
                       int version, int flags, int count);

    // Takes the locker file `locker` out onto the open device `output` (standard output).
    // A device cannot be held back until the whole file is verified: the header and the
    // password are checked before anything is written, then each chunk is released only
    // after its own tag verified. A damaged or truncated later chunk therefore raises after
    // the chunks before it were written; the caller must report the failure (vrl exits
    // with status 1) so that the partial output is not taken for the whole file.
    void unprotectTo(const QString& locker, QIODevice& output, const QString& password, int version,
                     int flags, int count);

    // Invokes the operation with dispatch identifier `dispid` with the operation's six
    // arguments in order (three strings, three integers). An unknown identifier raises 438,
    // a wrong argument list 5.
    void invoke(int dispid, const QVariantList& arguments);

private:
    dataprotect::Parameters m_parameters;
};

} // namespace locker
