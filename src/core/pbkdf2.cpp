// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/pbkdf2.h"

// The one-block hash functions are kept by OpenSSL 3 for programs like this one, which
// need the states of a hash between blocks.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstring>

namespace Pbkdf2 {

namespace {

// A hash as its one-block function: its state after the pads, and its words written
// out big-endian as the digest.
struct Sha1 {
    using Context = SHA_CTX;
    static constexpr int Size = SHA_DIGEST_LENGTH;
    static void init(Context *c) { SHA1_Init(c); }
    static void update(Context *c, const void *data, size_t n) { SHA1_Update(c, data, n); }
    static void final(unsigned char *out, Context *c) { SHA1_Final(out, c); }
    static void block(Context *c, const unsigned char *data) { SHA1_Transform(c, data); }
    static void digest(const Context &c, unsigned char *out)
    {
        const SHA_LONG words[5] = {c.h0, c.h1, c.h2, c.h3, c.h4};
        bigEndian(words, 5, out);
    }
    static void bigEndian(const SHA_LONG *words, int n, unsigned char *out)
    {
        for (int i = 0; i < n; ++i) {
            out[4 * i] = static_cast<unsigned char>(words[i] >> 24);
            out[4 * i + 1] = static_cast<unsigned char>(words[i] >> 16);
            out[4 * i + 2] = static_cast<unsigned char>(words[i] >> 8);
            out[4 * i + 3] = static_cast<unsigned char>(words[i]);
        }
    }
};

struct Sha256 {
    using Context = SHA256_CTX;
    static constexpr int Size = SHA256_DIGEST_LENGTH;
    static void init(Context *c) { SHA256_Init(c); }
    static void update(Context *c, const void *data, size_t n) { SHA256_Update(c, data, n); }
    static void final(unsigned char *out, Context *c) { SHA256_Final(out, c); }
    static void block(Context *c, const unsigned char *data) { SHA256_Transform(c, data); }
    static void digest(const Context &c, unsigned char *out) { Sha1::bigEndian(c.h, 8, out); }
};

template <class H> QByteArray deriveWith(QByteArrayView password, QByteArrayView salt, int iterations, int length)
{
    constexpr int Block = 64;  // both hashes work on 64-byte blocks
    unsigned char key[Block] = {};
    if (password.size() > Block) {
        typename H::Context c;
        H::init(&c);
        H::update(&c, password.data(), size_t(password.size()));
        H::final(key, &c);
    } else if (!password.isEmpty()) {
        std::memcpy(key, password.data(), size_t(password.size()));
    }
    unsigned char pad[Block];
    typename H::Context inner, outer;
    for (int i = 0; i < Block; ++i)
        pad[i] = key[i] ^ 0x36;
    H::init(&inner);
    H::update(&inner, pad, Block);
    for (int i = 0; i < Block; ++i)
        pad[i] = key[i] ^ 0x5c;
    H::init(&outer);
    H::update(&outer, pad, Block);

    // Every later iteration hashes one digest after a pad: one block, padded once here.
    unsigned char message[Block] = {};
    message[H::Size] = 0x80;
    const unsigned bits = (Block + H::Size) * 8;
    message[Block - 2] = static_cast<unsigned char>(bits >> 8);
    message[Block - 1] = static_cast<unsigned char>(bits);

    QByteArray out(length, Qt::Uninitialized);
    unsigned char u[H::Size], t[H::Size];
    typename H::Context c;
    for (int block = 1, done = 0; done < length; ++block) {
        const unsigned char number[4] = {static_cast<unsigned char>(block >> 24), static_cast<unsigned char>(block >> 16),
                                         static_cast<unsigned char>(block >> 8), static_cast<unsigned char>(block)};
        c = inner;
        H::update(&c, salt.data(), size_t(salt.size()));
        H::update(&c, number, sizeof number);
        H::final(u, &c);
        c = outer;
        H::update(&c, u, H::Size);
        H::final(u, &c);
        std::memcpy(t, u, H::Size);
        for (int i = 1; i < iterations; ++i) {
            std::memcpy(message, u, H::Size);
            c = inner;
            H::block(&c, message);
            H::digest(c, message);
            c = outer;
            H::block(&c, message);
            H::digest(c, u);
            for (int j = 0; j < H::Size; ++j)
                t[j] ^= u[j];
        }
        const int n = std::min(H::Size, length - done);
        std::memcpy(out.data() + done, t, size_t(n));
        done += n;
    }
    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(pad, sizeof pad);
    OPENSSL_cleanse(message, sizeof message);
    OPENSSL_cleanse(u, sizeof u);
    OPENSSL_cleanse(t, sizeof t);
    OPENSSL_cleanse(&inner, sizeof inner);
    OPENSSL_cleanse(&outer, sizeof outer);
    OPENSSL_cleanse(&c, sizeof c);
    return out;
}

} // namespace

QByteArray derive(Hash hash, QByteArrayView password, QByteArrayView salt, int iterations, int length)
{
    if (iterations < 1 || length < 1)
        return {};
    return hash == Hash::Sha1 ? deriveWith<Sha1>(password, salt, iterations, length)
                              : deriveWith<Sha256>(password, salt, iterations, length);
}

} // namespace Pbkdf2
