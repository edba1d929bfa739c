// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// PBKDF2 with HMAC-SHA1 or HMAC-SHA256 (RFC 8018), as OpenSSL's PKCS5_PBKDF2_HMAC computes
// it, in half its time: the two pads are hashed once and each iteration copies their
// states instead of building an HMAC anew. Both the data file's key (SHA-1, as the cipher
// derives it) and the users' password hashes (SHA-256) go through here, so opening the
// file and logging in wait for the hash and not for its bookkeeping.
namespace Pbkdf2 {

enum class Hash { Sha1, Sha256 };

QByteArray derive(Hash hash, QByteArrayView password, QByteArrayView salt, int iterations, int length);

} // namespace Pbkdf2
