// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// A SHA-256 digest of bytes given in pieces (OpenSSL's, which uses the processor's own
// instructions where it has them).
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void add(const char *data, qint64 length);
    // The digest of everything added (32 bytes); the object starts again afterwards.
    QByteArray result();

    // The digest of a whole file; nothing (and why in `error`) when it cannot be read.
    static std::optional<QByteArray> ofFile(const QString &path, QString *error = nullptr);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};
