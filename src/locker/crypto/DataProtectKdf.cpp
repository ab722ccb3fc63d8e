#include "locker/crypto/DataProtectKdf.h"

#include "locker/crypto/CipherLibraryError.h"
#include "platform/RuntimeError.h"
#include "platform/WorkMemory.h"

#include <argon2.h>
#include <sodium.h>

namespace locker::dataprotect {

namespace {

int allocate(uint8_t** memory, std::size_t bytes) {
    *memory = static_cast<uint8_t*>(platform::mapWorkMemory(bytes));
    return *memory ? 0 : -1;
}

void free(uint8_t* memory, std::size_t bytes) {
    // The reference library clears its memory itself in its default build; wiped here as
    // well so that no build of it leaves password-derived blocks in freed pages.
    sodium_memzero(memory, bytes);
    platform::unmapWorkMemory(memory, bytes);
}

// The library reads through non-const pointers but does not write the inputs (no clearing
// flags are set).
uint8_t* bytes(std::span<const unsigned char> bytes) {
    return const_cast<uint8_t*>(bytes.data());
}

} // namespace

void argon2id(std::span<unsigned char> out, const Argon2idInput& input, const Argon2idCost& cost) {
    argon2_context context{};
    context.out = out.data();
    context.outlen = uint32_t(out.size());
    context.pwd = bytes(input.password);
    context.pwdlen = uint32_t(input.password.size());
    context.salt = bytes(input.salt);
    context.saltlen = uint32_t(input.salt.size());
    context.secret = bytes(input.secret);
    context.secretlen = uint32_t(input.secret.size());
    context.ad = bytes(input.associatedData);
    context.adlen = uint32_t(input.associatedData.size());
    context.t_cost = cost.passes;
    context.m_cost = cost.memoryKiB;
    context.lanes = cost.lanes;
    // When one of its threads cannot start, the library returns while the lanes it did start
    // still work on memory it then frees; it offers no way to hand it threads of our own. So
    // it is given no thread to start: the lanes are computed one after the other on the
    // calling thread, which gives the same tag.
    context.threads = 1;
    context.version = ARGON2_VERSION_13;
    context.allocate_cbk = allocate;
    context.free_cbk = free;
    context.flags = ARGON2_DEFAULT_FLAGS;
    const int result = argon2_ctx(&context, Argon2_id);
    if (result == ARGON2_MEMORY_ALLOCATION_ERROR)
        throw platform::RuntimeError(platform::err::OutOfMemory);
    if (result != ARGON2_OK)
        throw cipherLibraryError();
}

} // namespace locker::dataprotect
