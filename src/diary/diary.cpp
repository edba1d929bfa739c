// SPDX-License-Identifier: GPL-3.0-or-later
#include "diary/diary.h"
#include "core/dates.h"

#include "store/data_file.h"
#include "ui/formats.h"

#include <QHash>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// "yyyy-mm-" with a month from 01 to 12.
bool isMonthPrefix(QStringView t)
{
    if (t.size() < 8 || t[4] != u'-' || t[7] != u'-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6})
        if (!isDigit(t[i]))
            return false;
    const int month = (t[5].unicode() - '0') * 10 + (t[6].unicode() - '0');
    return month >= 1 && month <= 12;
}

// "yyyy-mm-dd" at the start of a UTF-8 time text, with a month from 01 to 12.
bool isStoredDay(std::string_view t)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (t.size() < 10 || t[4] != '-' || t[7] != '-')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!digit(t[i]))
            return false;
    const int month = (t[5] - '0') * 10 + (t[6] - '0');
    return month >= 1 && month <= 12;
}

bool isYear(QStringView t) { return t.size() == 4 && std::all_of(t.begin(), t.end(), isDigit); }

constexpr char Separator = char(0x1F);
static_assert(RecordRow::Separator.unicode() == 0x1F);

// A cell of the list: control characters (line breaks, tabs, the cell separator) become
// blanks, so each row stays on one line.
void appendCell(std::string &row, std::string_view cell)
{
    const size_t start = row.size();
    row.append(cell);
    for (size_t i = start; i < row.size(); ++i)
        if (static_cast<unsigned char>(row[i]) < 0x20)
            row[i] = ' ';
}

// The body's beginning on one line, as much as the list's column shows, cut at a
// character boundary; each line break becomes one blank.
void appendBody(std::string &row, std::string_view body)
{
    constexpr size_t Shown = 360;  // bytes: 120 Chinese characters
    if (body.size() > Shown) {
        size_t end = Shown;
        while (end > 0 && (static_cast<unsigned char>(body[end]) & 0xC0) == 0x80)
            --end;
        body = body.substr(0, end);
    }
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            continue;
        row += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
}

} // namespace

DiarySpan DiarySpan::forKey(const QString &key)
{
    if (key == QLatin1String("0_"))
        return {All, {}, {}};
    const QStringList parts = key.split(u'_');
    // "2024_" is a year, "2024_05_" a month.
    if (parts.size() == 2 && parts[1].isEmpty() && isYear(parts[0])) {
        // The union of its months: "yyyy-01-" up to "yyyy-12-".
        return {Year,
                QStringLiteral(" and dates >= ? and dates < ? and substr(dates, 6, 2) glob '[0-9][0-9]' "
                               "and substr(dates, 8, 1) = '-'"),
                {parts[0] + QStringLiteral("-01-"), parts[0] + QStringLiteral("-12.")}};
    }
    if (parts.size() == 3 && parts[2].isEmpty() && isYear(parts[0]) &&
        isMonthPrefix(QString(parts[0] + u'-' + parts[1] + u'-'))) {
        // Every time text that begins "yyyy-mm-" ("." follows "-"), and no other month's.
        const QString prefix = parts[0] + u'-' + parts[1];
        return {Month, QStringLiteral(" and dates >= ? and dates < ?"), {prefix + u'-', prefix + u'.'}};
    }
    return {Nothing, {}, {}};
}

QList<RecordColumn> Diary::columns()
{
    return {{QStringLiteral("标题"), 2650}, {QString(), 0}, {QStringLiteral("内容"), 6500}, {QStringLiteral("日期"), 1200}};
}

QString Diary::timeText(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString Diary::listDate(const QString &time)
{
    if (time.size() >= 10 && isMonthPrefix(time) && isDigit(time[8]) && isDigit(time[9]))
        return time.left(10);
    if (auto date = Dates::readDate(time))
        return Dates::storedDate(*date);
    return time;
}

std::optional<std::pair<QString, QString>> Diary::filedMonth(const QString &time)
{
    if (!isMonthPrefix(time))
        return std::nullopt;
    return std::make_pair(time.left(4), time.mid(5, 2));
}

std::vector<RecordRow> Diary::LoadData(const QString &key, int accountSet)
{
    std::vector<RecordRow> rows;
    const DiarySpan span = DiarySpan::forKey(key);
    if (span.kind == DiarySpan::Nothing)
        return rows;
    QVariantList values{accountSet};
    values << span.values;
    Statement st = data_.query(QStringLiteral("select id, types, Title, dates from Tables where muluID=? and res='3'") +
                                   span.condition + QStringLiteral(" order by id desc"),
                               values);
    // Each row is built as UTF-8 and converted once.
    std::string row;
    row.reserve(1024);
    while (st.step()) {
        const std::string_view time = st.utf8(3);
        row.clear();
        appendCell(row, st.utf8(1));
        row += Separator;
        appendCell(row, st.utf8(0));
        row += Separator;
        appendBody(row, st.utf8(2));
        row += Separator;
        if (time.size() >= 10 && isStoredDay(time))
            row.append(time.substr(0, 10));
        else
            appendCell(row, listDate(QString::fromUtf8(time.data(), qsizetype(time.size()))).toStdString());
        rows.push_back(RecordRow::fromPacked(QString::fromUtf8(row.data(), qsizetype(row.size())), 1));
    }
    return rows;
}

std::vector<DiaryYear> Diary::tree(int accountSet)
{
    // The filed months lie between "0000-01-" and "9999-12."; the index on the time text
    // leads from one month to the next with one seek each, and gives each month's newest
    // entry without reading the entries themselves.
    struct Month {
        QString prefix;  // "yyyy-mm-"
        qint64 newest;
    };
    std::vector<Month> months;
    const QString where = QStringLiteral("from Tables where muluID=? and res='3' and dates ");
    Statement from = data_.query(QStringLiteral("select dates ") + where + QStringLiteral(">= ? order by dates limit 1"));
    Statement after = data_.query(QStringLiteral("select dates ") + where + QStringLiteral("> ? order by dates limit 1"));
    Statement newest = data_.query(QStringLiteral("select max(id) ") + where + QStringLiteral(">= ? and dates < ?"));
    const QString last = QStringLiteral("9999-12.");
    QString bound = QStringLiteral("0000-01-");
    bool inclusive = true;
    for (;;) {
        Statement &seek = inclusive ? from : after;
        seek.reset();
        seek.bindAll({accountSet, bound});
        if (!seek.step())
            break;
        const QString time = seek.text(0);
        if (time >= last)
            break;
        if (isMonthPrefix(time)) {
            const QString prefix = time.left(8);
            const QString end = time.left(7) + u'.';
            newest.reset();
            newest.bindAll({accountSet, prefix, end});
            if (newest.step())
                months.push_back({prefix, newest.integer(0)});
            bound = end;
            inclusive = true;
            continue;
        }
        // Not a filed time: step past every text that begins with the same eight characters.
        const char16_t c = time.size() >= 8 ? time[7].unicode() : 0;
        if (c != 0 && c != 0xFFFF && !QChar::isSurrogate(c) && !QChar::isSurrogate(char16_t(c + 1))) {
            bound = time.left(7) + QChar(char16_t(c + 1));
            inclusive = true;
        } else {
            bound = time;
            inclusive = false;
        }
    }
    std::sort(months.begin(), months.end(), [](const Month &a, const Month &b) { return a.newest > b.newest; });

    // Years and months in the order the newest entries first mention them.
    std::vector<DiaryYear> years;
    QHash<QString, size_t> yearIndex;
    for (const Month &m : months) {
        const QString year = m.prefix.left(4);
        auto it = yearIndex.find(year);
        if (it == yearIndex.end()) {
            it = yearIndex.insert(year, years.size());
            years.push_back({year, {}});
        }
        years[*it].months << m.prefix.mid(5, 2);
    }
    return years;
}

std::optional<DiaryEntry> Diary::entry(int accountSet, qint64 id)
{
    Statement st = data_.query(
        QStringLiteral("select id, types, dates, Title from Tables where muluID=? and res='3' and id=?"), {accountSet, id});
    if (!st.step())
        return std::nullopt;
    return DiaryEntry{st.integer(0), st.text(1), st.text(2), Formats::fromStoredText(st.text(3))};
}

qint64 Diary::add(int accountSet, const DiaryEntry &entry)
{
    return data_.insert(QStringLiteral("insert into Tables (Title, dates, res, types, muluID) values (?, ?, '3', ?, ?)"),
                        {Formats::toStoredText(entry.body), entry.time, entry.title, accountSet});
}

bool Diary::modify(int accountSet, const DiaryEntry &entry)
{
    return data_.exec(QStringLiteral("update Tables set title=?,types=?,dates=? where id=? and muluID=? and res='3'"),
                      {Formats::toStoredText(entry.body), entry.title, entry.time, entry.id, accountSet}) > 0;
}

int Diary::remove(int accountSet, qint64 id)
{
    return data_.exec(QStringLiteral("delete from Tables where id=? and muluID=? and res='3'"), {id, accountSet});
}
