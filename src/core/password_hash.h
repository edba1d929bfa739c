// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// User-account passwords as the data file keeps them: a salted hash from a password-
// hashing function (PBKDF2-HMAC-SHA256), written "pbkdf2-sha256$<iterations>$<salt>$<hash>"
// with salt and hash in Base64. Files of older versions hold passwords as typed; such a
// text still matches exactly what it matched before, and is replaced by a hash at the
// user's next login.
namespace PasswordHash {

constexpr int Iterations = 310000;

// A new hash of the password, with a salt of its own.
QString make(const QString &password);
// The stored text is a hash (rather than a password kept as typed).
bool isHash(const QString &stored);
// The typed password fits what is stored: the hash of it, or, for a stored text that is no
// hash, the same text (a password never set is the empty one).
bool matches(const QString &stored, const QString &typed);
// What is stored should be replaced by a fresh hash once it has matched: a password kept
// as typed, or a hash of fewer iterations than Iterations.
bool needsRenewal(const QString &stored);

} // namespace PasswordHash
