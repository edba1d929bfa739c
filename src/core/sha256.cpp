// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/sha256.h"

#include <QFile>

#include <openssl/evp.h>

struct Sha256::Context {
    EVP_MD_CTX *md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) { EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr); }

Sha256::~Sha256() = default;

void Sha256::add(const char *data, qint64 length)
{
    EVP_DigestUpdate(context_->md, data, size_t(length));
}

QByteArray Sha256::result()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->md, digest, &length);
    EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr);
    return QByteArray(reinterpret_cast<const char *>(digest), int(length));
}

std::optional<QByteArray> Sha256::ofFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    Sha256 digest;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0) {
            if (error)
                *error = file.errorString();
            return std::nullopt;
        }
        if (got == 0)
            return digest.result();
        digest.add(buffer.constData(), got);
    }
}
