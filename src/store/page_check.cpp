// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/page_check.h"

#include "core/pbkdf2.h"
#include "core/sha256.h"

#include <QFile>

#include <openssl/evp.h>

#include <cstring>

namespace {

constexpr int DigestKdfIterations = 2;  // the digest key, from the passphrase's key
constexpr int KeySize = 32;
constexpr int IvSize = 16;
constexpr int DigestSize = 20;        // SHA-1
constexpr int ReserveSize = 48;       // IV and digest, rounded up to the cipher's block
constexpr unsigned char DigestSaltMask = 0x3a;
// The page that holds the byte at 1 GiB is never written by the engine.
constexpr qint64 LockBytePageOffset = 0x40000000;

} // namespace

// HMAC-SHA1 with the key's inner and outer pads hashed once, copied for each page.
struct PageCheck::Digest {
    EVP_MD *sha1 = nullptr;
    EVP_MD_CTX *inner = nullptr;
    EVP_MD_CTX *outer = nullptr;
    EVP_MD_CTX *work = nullptr;

    ~Digest()
    {
        EVP_MD_CTX_free(work);
        EVP_MD_CTX_free(outer);
        EVP_MD_CTX_free(inner);
        EVP_MD_free(sha1);
    }
};

PageCheck::PageCheck(const QByteArray &passphrase, const QByteArray &salt, int iterations) : digest_(std::make_unique<Digest>())
{
    unsigned char digestKey[KeySize] = {};
    unsigned char digestSalt[SaltSize] = {};
    for (int i = 0; i < SaltSize && i < salt.size(); ++i)
        digestSalt[i] = static_cast<unsigned char>(salt[i]) ^ DigestSaltMask;
    const QByteArray key = Pbkdf2::derive(Pbkdf2::Hash::Sha1, passphrase, salt, iterations, KeySize);
    const QByteArray derived = Pbkdf2::derive(Pbkdf2::Hash::Sha1, key, QByteArrayView(digestSalt, SaltSize),
                                              DigestKdfIterations, KeySize);
    std::memcpy(digestKey, derived.constData(), KeySize);

    unsigned char innerPad[64], outerPad[64];
    std::memset(innerPad, 0x36, sizeof innerPad);
    std::memset(outerPad, 0x5c, sizeof outerPad);
    for (int i = 0; i < KeySize; ++i) {
        innerPad[i] ^= digestKey[i];
        outerPad[i] ^= digestKey[i];
    }
    Digest &d = *digest_;
    d.sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    d.inner = EVP_MD_CTX_new();
    d.outer = EVP_MD_CTX_new();
    d.work = EVP_MD_CTX_new();
    if (d.sha1 && d.inner && d.outer && d.work) {
        EVP_DigestInit_ex(d.inner, d.sha1, nullptr);
        EVP_DigestUpdate(d.inner, innerPad, sizeof innerPad);
        EVP_DigestInit_ex(d.outer, d.sha1, nullptr);
        EVP_DigestUpdate(d.outer, outerPad, sizeof outerPad);
    }
    std::memset(digestKey, 0, sizeof digestKey);
}

PageCheck::~PageCheck() = default;

bool PageCheck::intact(const char *page, quint32 number) const
{
    Digest &d = *digest_;
    if (!d.sha1 || !d.inner || !d.outer || !d.work)
        return false;
    // Page 1 starts with the salt, which is not encrypted.
    const int offset = number == 1 ? SaltSize : 0;
    const int covered = PageSize - offset - ReserveSize + IvSize;  // ciphertext and IV
    const unsigned char numberBytes[4] = {static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
                                          static_cast<unsigned char>(number >> 16),
                                          static_cast<unsigned char>(number >> 24)};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_MD_CTX_copy_ex(d.work, d.inner);
    EVP_DigestUpdate(d.work, page + offset, size_t(covered));
    EVP_DigestUpdate(d.work, numberBytes, sizeof numberBytes);
    EVP_DigestFinal_ex(d.work, digest, &length);
    EVP_MD_CTX_copy_ex(d.work, d.outer);
    EVP_DigestUpdate(d.work, digest, length);
    EVP_DigestFinal_ex(d.work, digest, &length);
    return length == DigestSize && std::memcmp(digest, page + offset + covered, DigestSize) == 0;
}

QByteArray PageCheck::saltOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray salt = file.read(SaltSize);
    return salt.size() == SaltSize ? salt : QByteArray();
}

PageCheck::Result PageCheck::checkFile(const QString &path, QByteArray *sha256) const
{
    if (sha256)
        sha256->clear();
    Sha256 whole;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Result::Unreadable, 0, file.errorString()};
    if (file.size() == 0 || file.size() % PageSize != 0)
        return {Result::Damaged, quint32(file.size() / PageSize + 1), {}};
    QByteArray buffer(256 * PageSize, Qt::Uninitialized);
    quint32 number = 1;
    qint64 offset = 0;
    for (;;) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0)
            return {Result::Unreadable, 0, file.errorString()};
        if (got == 0)
            break;
        if (got % PageSize != 0)
            return {Result::Damaged, number + quint32(got / PageSize), {}};
        if (sha256)
            whole.add(buffer.constData(), got);
        for (qint64 at = 0; at < got; at += PageSize, offset += PageSize, ++number) {
            const bool lockBytePage = offset <= LockBytePageOffset && LockBytePageOffset < offset + PageSize;
            if (lockBytePage || intact(buffer.constData() + at, number))
                continue;
            return {number == 1 ? Result::KeyDoesNotFit : Result::Damaged, number, {}};
        }
    }
    if (sha256)
        *sha256 = whole.result();
    return {Result::Intact, 0, {}};
}
