// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Keys made from the creation time: prefix + "yyyyMMddhhmmss" + "_" + suffix,
// for example "e20061207153005_" (catalogue item) or "20061207153005_22" (password-box
// record). A key that is already taken moves on to the next second, so two keys made
// within one second still differ and keep their form.
namespace TimeKeys {

using IsTaken = std::function<bool(const QString &key)>;

QString format(const QString &prefix, const QDateTime &time, const QString &suffix = QString());
QString make(const QString &prefix, const QDateTime &now, const IsTaken &taken,
             const QString &suffix = QString());

} // namespace TimeKeys
