// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/password_hash.h"

#include "core/pbkdf2.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <openssl/crypto.h>

namespace PasswordHash {

namespace {

constexpr int SaltSize = 16;
constexpr int HashSize = 32;
const QString Scheme = QStringLiteral("pbkdf2-sha256");

struct Parsed {
    int iterations = 0;
    QByteArray salt, hash;
};

// The parts of a stored hash; iterations 0 when the text is no hash of ours.
Parsed parse(const QString &stored)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts[0] != Scheme)
        return {};
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    const auto salt = QByteArray::fromBase64Encoding(parts[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto hash = QByteArray::fromBase64Encoding(parts[3].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!ok || iterations < 1 || !salt || !hash || salt.decoded.isEmpty() || hash.decoded.size() != HashSize)
        return {};
    return {iterations, salt.decoded, hash.decoded};
}

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    return Pbkdf2::derive(Pbkdf2::Hash::Sha256, password.toUtf8(), salt, iterations, HashSize);
}

} // namespace

QString make(const QString &password)
{
    QByteArray salt(SaltSize, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(salt.data()),
                                         reinterpret_cast<quint32 *>(salt.data() + SaltSize));
    return Scheme + QStringLiteral("$%1$").arg(Iterations) + QString::fromLatin1(salt.toBase64()) + u'$' +
           QString::fromLatin1(derive(password, salt, Iterations).toBase64());
}

bool isHash(const QString &stored) { return parse(stored).iterations > 0; }

bool matches(const QString &stored, const QString &typed)
{
    const Parsed p = parse(stored);
    if (p.iterations == 0)
        return stored == typed;
    const QByteArray hash = derive(typed, p.salt, p.iterations);
    return hash.size() == HashSize && CRYPTO_memcmp(hash.constData(), p.hash.constData(), HashSize) == 0;
}

bool needsRenewal(const QString &stored) { return parse(stored).iterations < Iterations; }

} // namespace PasswordHash
