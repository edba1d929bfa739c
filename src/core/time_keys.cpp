// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/time_keys.h"

namespace TimeKeys {

QString format(const QString &prefix, const QDateTime &time, const QString &suffix)
{
    return prefix + time.toString(QStringLiteral("yyyyMMddHHmmss")) + u'_' + suffix;
}

QString make(const QString &prefix, const QDateTime &now, const IsTaken &taken, const QString &suffix)
{
    QDateTime time = now;
    QString key = format(prefix, time, suffix);
    while (taken && taken(key)) {
        time = time.addSecs(1);
        key = format(prefix, time, suffix);
    }
    return key;
}

} // namespace TimeKeys
