// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Checks the pages of an encrypted data file without opening it with the engine.
//
// The cipher gives every page of the file a keyed digest (HMAC-SHA1 over the page's
// ciphertext, its IV and its page number; a key derived from the passphrase and the
// file's salt, its first 16 bytes). Any changed, lost or moved byte breaks the digest of
// its page, so checking every page checks everything a copy of the file holds, free pages
// included, at the speed of a hash rather than of a decryption.
//
// The derivation and layout are those of the cipher's version 3 defaults, which the data
// file uses. A file made with other settings fails on page 1; callers then fall back to
// the engine's own check (PRAGMA quick_check), so this check can only ever save time,
// never accept a damaged file or refuse a sound one without a second opinion.
class PageCheck {
public:
    static constexpr int PageSize = 4096;
    static constexpr int SaltSize = 16;

    // Derives the digest key from a key passphrase (UTF-8 bytes), the file's salt and the
    // cost of the key (its iterations). This costs what opening the file costs.
    PageCheck(const QByteArray &passphrase, const QByteArray &salt, int iterations);
    ~PageCheck();
    PageCheck(const PageCheck &) = delete;
    PageCheck &operator=(const PageCheck &) = delete;

    // One page, numbered from 1 as in the file.
    bool intact(const char *page, quint32 number) const;

    struct Result {
        enum Kind { Intact, KeyDoesNotFit, Damaged, Unreadable } kind = Unreadable;
        quint32 badPage = 0;    // the first page that failed (Damaged)
        QString error;          // why the file could not be read (Unreadable)
    };
    // Checks every page of a file. KeyDoesNotFit when page 1 fails: a wrong key, a file
    // of other settings or a damaged first page, which only the engine can tell apart.
    // With `sha256`, the file's SHA-256 digest is taken in the same reading (empty unless
    // every page was read).
    Result checkFile(const QString &path, QByteArray *sha256 = nullptr) const;

    // The salt of a file (its first 16 bytes); empty when the file is shorter.
    static QByteArray saltOf(const QString &path);

private:
    struct Digest;
    std::unique_ptr<Digest> digest_;
};
