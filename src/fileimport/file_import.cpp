// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/file_import.h"

#include "core/dates.h"
#include "core/money.h"
#include "fileimport/import_rules.h"
#include "fileimport/ofx_reader.h"
#include "fileimport/own_profiles.h"
#include "fileimport/qif_reader.h"
#include "fileimport/statement_profiles.h"
#include "fileimport/xlsx_reader.h"
#include "ledger/transfers.h"
#include "store/data_file.h"
#include "store/schema.h"
#include "ui/formats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringConverter>

#include <algorithm>

namespace {

// True when the bytes hold zero bytes that no byte-order mark of UTF-16 or UTF-32 explains.
bool isBinary(const QByteArray &bytes)
{
    if (!bytes.contains('\0'))
        return false;
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    return !bom || *bom == QStringConverter::Utf8;
}

// What makes two entries the same for the duplicate check: the day, the kind, the amount
// as a number and the summary as stored (CR LF line breaks).
struct EntryKey {
    qint64 day = 0;
    Money::Units amount = 0;
    bool income = false;
    QString summary;
    bool operator==(const EntryKey &) const = default;
};

size_t qHash(const EntryKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.day, quint64(key.amount), quint64(key.amount >> 64), key.income, key.summary);
}

// The day and amount alone, which most entries already differ in: the summary of an
// entry is read only when these two match a row's.
struct DayAmount {
    qint64 day = 0;
    Money::Units amount = 0;
    bool operator==(const DayAmount &) const = default;
};

size_t qHash(const DayAmount &key, size_t seed = 0)
{
    return qHashMulti(seed, key.day, quint64(key.amount), quint64(key.amount >> 64));
}

// The day of a stored date "yyyy-mm-dd", read straight from the data file's bytes.
std::optional<qint64> storedDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            if (text[size_t(i)] < '0' || text[size_t(i)] > '9')
                return std::nullopt;
            parts[p] = parts[p] * 10 + (text[size_t(i)] - '0');
        }
    }
    const QDate date(parts[0], parts[1], parts[2]);
    if (!date.isValid())
        return std::nullopt;
    return date.toJulianDay();
}

QString storedSummary(const QString &summary)
{
    return summary.contains(u'\n') ? Formats::toStoredText(summary) : summary;
}

// The key of a preview row; nothing when the row would not be stored.
std::optional<EntryKey> rowKey(const ImportRow &row)
{
    const std::optional<QDate> date = Dates::readDate(row.date);
    if (!date)
        return std::nullopt;
    const bool income = !row.income.trimmed().isEmpty();
    const std::optional<Money> amount = Money::parseGrouped(income ? row.income : row.expense);
    if (!amount)
        return std::nullopt;
    return EntryKey{date->toJulianDay(), amount->units(), income, storedSummary(row.summary)};
}

} // namespace

QString FileImport::filter()
{
    return QStringLiteral("所有支持的文件|*.csv;*.txt;*.tsv;*.xlsx;*.qif;*.ofx;*.qfx|CSV 文件|*.csv;*.txt;*.tsv|"
                          "Excel 工作簿|*.xlsx|QIF 文件|*.qif|OFX 文件|*.ofx;*.qfx");
}

QString FileImport::failureText(const QString &path, const QString &reason)
{
    return QStringLiteral("无法读取文件“%1”：\r\n%2").arg(QDir::toNativeSeparators(path), reason);
}

FileReading FileImport::read(const QByteArray &bytes, const QString &suffix, const FileRows::Progress &progress)
{
    FileReading reading;
    const QString kind = suffix.toLower();
    if (kind == QLatin1String("xlsx") || XlsxReader::looksLikeXlsx(bytes)) {
        XlsxReader::Reading sheet = XlsxReader::read(bytes);
        if (!sheet.error.isEmpty()) {
            reading.reason = sheet.error;
            return reading;
        }
        reading.table.records = std::move(sheet.records);
        return readTable(std::move(reading), progress);
    }
    if (isBinary(bytes)) {
        reading.reason = QStringLiteral("文件不是文本文件。");
        return reading;
    }
    bool readable = true;
    const QString text = Csv::decode(bytes, &readable);
    if (text.trimmed().isEmpty()) {
        reading.reason = QStringLiteral("文件是空的。");
        return reading;
    }
    const bool ofx = kind == QLatin1String("ofx") || kind == QLatin1String("qfx") ||
                     (kind != QLatin1String("qif") && OfxReader::looksLikeOfx(bytes));
    if (ofx) {
        OfxReader::Reading ofxRows = OfxReader::read(bytes, progress);
        if (ofxRows.stopped) {
            reading.kind = FileReading::Stopped;
        } else if (!ofxRows.error.isEmpty()) {
            reading.reason = ofxRows.error;
        } else {
            reading.kind = FileReading::Rows;
            reading.rows = std::move(ofxRows.rows);
            reading.currency = ofxRows.currency;
        }
        return reading;
    }

    // OFX files name their own character set; everything else must read as text.
    if (!readable) {
        reading.reason = QStringLiteral("文件的编码无法识别（能读取的是 UTF-8 和 GBK/GB18030 编码的文本）。");
        return reading;
    }
    // A long file shows its progress from the start: roughly one row a line ("^" in QIF).
    const bool isQif = kind == QLatin1String("qif") || QifReader::looksLikeQif(text);
    const qint64 estimate = isQif ? text.count(u'^') : bytes.count('\n');
    if (progress && !progress(0, estimate)) {
        reading.kind = FileReading::Stopped;
        return reading;
    }
    if (isQif) {
        QifReader::Reading qif = QifReader::read(text);
        if (!qif.error.isEmpty()) {
            reading.reason = qif.error;
        } else {
            reading.kind = FileReading::Rows;
            reading.rows = std::move(qif.rows);
            reading.skipped = std::move(qif.skipped);
            reading.opening = std::move(qif.opening);
        }
        return reading;
    }

    reading.table = CsvTable::fromText(text);
    return readTable(std::move(reading), progress);
}

FileReading FileImport::readTable(FileReading reading, const FileRows::Progress &progress)
{
    if (reading.table.records.empty()) {
        reading.reason = QStringLiteral("文件中没有数据。");
        return reading;
    }
    if (std::optional<ColumnMapping> byTitles = CsvTable::headerMapping(reading.table.firstRow())) {
        bool stopped = false;
        reading.rows = reading.table.rows(*byTitles, progress, &stopped, &reading.skipped);
        reading.kind = stopped ? FileReading::Stopped : FileReading::Rows;
        reading.table = {};
        return reading;
    }
    reading.kind = FileReading::Table;
    if (std::optional<ProfileMatch> match = StatementProfiles::match(reading.table)) {
        reading.mapping = match->mapping;
        reading.profile = match->profile->name;
        reading.account.kind = match->profile->accountKind;
        reading.account.lastDigits = match->lastDigits;
    } else {
        reading.mapping = reading.table.guessMapping(reading.table.findHeader());
    }
    return reading;
}

FileReading FileImport::open(const QString &path, const FileRows::Progress &progress)
{
    FileReading reading;
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        reading.reason = QStringLiteral("文件不存在。");
        return reading;
    }
    if (file.size() > MaxBytes) {
        reading.reason = QStringLiteral("文件太大（超过 %1 MB）。").arg(MaxBytes / 1024 / 1024);
        return reading;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reading.reason = QStringLiteral("文件无法打开：%1").arg(file.errorString());
        return reading;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reading.reason = QStringLiteral("读取文件时出错：%1").arg(file.errorString());
        return reading;
    }
    reading = read(bytes, QFileInfo(path).suffix(), progress);
    if (reading.kind == FileReading::Table) {
        try {
            // The user's own profiles come before the built-in ones.
            if (std::optional<OwnProfile> own = OwnProfiles::match(OwnProfiles(data_).all(), reading.table)) {
                reading.mapping = own->mapping;
                reading.profile = own->name;
                reading.account = {own->account, QString(), QString()};
            }
        } catch (const StoreError &) {
            // Without the own profiles the built-in ones stand.
        }
        try {
            if (std::optional<ColumnMapping> remembered =
                    rememberedMapping(reading.table, reading.mapping.headerLine, reading.mapping.header))
                reading.mapping = *remembered;
        } catch (const StoreError &) {
            // Without the remembered choice the guess stands.
        }
    }
    return reading;
}

std::optional<ColumnMapping> FileImport::rememberedMapping(const CsvTable &table, int headerLine, bool headerFound)
{
    const int columns = table.columnCount();
    Schema::createImportMappings(data_.database());
    for (bool header : {true, false}) {
        // A choice for files without a header is known only by their number of columns:
        // a file with a header of its own is not one of them.
        if (!header && headerFound)
            continue;
        Statement st = data_.query(QStringLiteral("select 对应 from 导入列对应 where 表头=?"),
                                   {CsvTable::mappingKey(table.rowAt(headerLine), header, columns)});
        if (!st.step())
            continue;
        const std::optional<ColumnMapping> mapping = ColumnMapping::fromText(st.text(0));
        if (!mapping || mapping->header != header || (header && mapping->headerLine != headerLine))
            continue;
        if (std::all_of(mapping->columns.begin(), mapping->columns.end(), [&](int c) { return c < columns; }))
            return mapping;
    }
    return std::nullopt;
}

void FileImport::rememberMapping(const CsvTable &table, const ColumnMapping &mapping)
{
    Schema::createImportMappings(data_.database());
    data_.exec(QStringLiteral("insert or replace into 导入列对应 (表头, 对应) values (?, ?)"),
               {CsvTable::mappingKey(table.rowAt(mapping.headerLine), mapping.header, table.columnCount()),
                mapping.toText()});
}

std::vector<DuplicateMark> FileImport::duplicates(const std::vector<ImportRow> &rows, int accountSet,
                                                  const std::vector<RowNote> &notes)
{
    std::vector<DuplicateMark> marks(rows.size());
    std::vector<std::optional<EntryKey>> keys(rows.size());
    QHash<EntryKey, int> firstRow;  // key -> No. of the first row with it
    QSet<DayAmount> dayAmounts;
    firstRow.reserve(qsizetype(rows.size()));
    qint64 from = 0, until = 0;
    // Earlier means a lower No., whatever order the rows are shown in.
    std::vector<size_t> byNumber(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        byNumber[i] = i;
    std::stable_sort(byNumber.begin(), byNumber.end(),
                     [&](size_t a, size_t b) { return rows[a].number < rows[b].number; });
    for (size_t i : byNumber) {
        keys[i] = rowKey(rows[i]);
        if (!keys[i])
            continue;
        const EntryKey &key = *keys[i];
        if (firstRow.isEmpty() || key.day < from)
            from = key.day;
        if (firstRow.isEmpty() || key.day > until)
            until = key.day;
        const auto at = firstRow.constFind(key);
        if (at == firstRow.constEnd()) {
            firstRow.insert(key, rows[i].number);
            dayAmounts.insert({key.day, key.amount});
        } else {
            marks[i] = {DuplicateMark::EarlierRow, *at};
        }
    }
    if (firstRow.isEmpty())
        return marks;

    // Rows of a statement, by day and amount: the same payment may stand in the books a
    // day earlier or later, from another statement. A row that names its counterparty
    // finds it in the entry's summary; a card's row that names none (its bank gives only a
    // summary, "支付宝-滴滴出行") finds there the counterparty of an entry that a wallet's
    // statement brought in ("滴滴出行 - 快车").
    QMultiHash<DayAmount, size_t> named, unnamed;
    for (size_t i = 0; i < rows.size() && i < notes.size(); ++i) {
        if (!keys[i] || notes[i].kind == FileRow::Transfer)
            continue;
        if (!notes[i].counterparty.isEmpty())
            named.insert({keys[i]->day, keys[i]->amount}, i);
        else if (notes[i].kind == FileRow::Entry && !rows[i].method.trimmed().isEmpty())
            unnamed.insert({keys[i]->day, keys[i]->amount}, i);
    }

    QSet<EntryKey> stored;
    const qint64 margin = named.isEmpty() && unnamed.isEmpty() ? 0 : 1;
    Statement st = data_.query(QStringLiteral("select data, t5, t1, content, t3 from jizhang "
                                              "where muluID=? and data>=? and data<=?"),
                               {accountSet, Dates::storedDate(QDate::fromJulianDay(from - margin)),
                                Dates::storedDate(QDate::fromJulianDay(until + margin))});
    const std::string_view incomeKind = "收入";
    while (st.step()) {
        const std::optional<qint64> day = storedDay(st.utf8(0));
        if (!day)
            continue;
        const std::optional<Money> amount = Money::fromStored(st.utf8(1));
        if (!amount)
            continue;
        if (!named.isEmpty() || !unnamed.isEmpty()) {
            const bool income = st.utf8(2) == incomeKind;
            const QString summary = st.text(3);
            // "counterparty - goods", as a statement's rows are summed up; empty for others.
            const qsizetype dash = summary.indexOf(QStringLiteral(" - "));
            const QString counterparty = dash > 0 ? summary.left(dash).trimmed() : QString();
            for (qint64 d = *day - 1; d <= *day + 1; ++d) {
                const DayAmount at{d, amount->units()};
                for (auto it = named.constFind(at); it != named.constEnd() && it.key() == at; ++it) {
                    const size_t i = *it;
                    if (marks[i].kind == DuplicateMark::None && keys[i]->income == income && st.text(4) == rows[i].method &&
                        summary.contains(notes[i].counterparty))
                        marks[i] = {DuplicateMark::Moved, 0};
                }
                for (auto it = unnamed.constFind(at); it != unnamed.constEnd() && it.key() == at; ++it) {
                    const size_t i = *it;
                    if (marks[i].kind == DuplicateMark::None && keys[i]->income == income && st.text(4) == rows[i].method &&
                        counterparty.size() >= 2 && rows[i].summary.contains(counterparty))
                        marks[i] = {DuplicateMark::Moved, 0};
                }
            }
        }
        if (!dayAmounts.contains({*day, amount->units()}))
            continue;
        EntryKey key{*day, amount->units(), st.utf8(2) == incomeKind, storedSummary(st.text(3))};
        if (firstRow.contains(key))
            stored.insert(std::move(key));
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (keys[i] && stored.contains(*keys[i]))
            marks[i] = {DuplicateMark::Stored, 0};
    return marks;
}

std::vector<ImportRow> FileImport::previewRows(std::vector<FileRow> rows)
{
    std::vector<ImportRow> preview;
    preview.reserve(rows.size());
    for (FileRow &row : rows)
        preview.push_back({row.number, std::move(row.date), std::move(row.item), std::move(row.income),
                           std::move(row.expense), std::move(row.method), std::move(row.handler),
                           std::move(row.summary)});
    return preview;
}

namespace {

// The last four digits a payment method's text ends in: "招商银行储蓄卡(1234)".
QString lastDigitsOf(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral(R"((\d{4})\D{0,2}$)"));
    const QRegularExpressionMatch m = digits.match(text.trimmed());
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

StatementPreview FileImport::preview(std::vector<FileRow> rows, int accountSet, const QString &account, bool statement)
{
    StatementPreview preview;
    const std::vector<ImportRule> rules = ImportRules(data_).all();
    const QHash<QString, QString> history = ImportRules(data_).history(accountSet);
    Accounts accounts(data_);
    // The account each payment method's text stands for, found once per text.
    QHash<QString, QString> found;
    auto accountOf = [&](const QString &text) -> QString {
        const QString key = text.trimmed();
        if (key.isEmpty())
            return {};
        const auto at = found.constFind(key);
        if (at != found.constEnd())
            return *at;
        QString name;
        if (std::optional<Account> a = accounts.byName(accountSet, key)) {
            name = a->name;
        } else if (const QString digits = lastDigitsOf(key); !digits.isEmpty()) {
            if (std::optional<Account> byDigits = accounts.find(accountSet, {QString(), QString(), digits}))
                name = byDigits->name;
        }
        found.insert(key, name);
        return name;
    };

    preview.rows.reserve(rows.size());
    preview.notes.reserve(rows.size());
    for (FileRow &row : rows) {
        RowNote note;
        note.kind = row.kind;
        note.counterparty = row.counterparty;
        const QString named = accountOf(row.method);
        if (row.kind == FileRow::Transfer) {
            row.item = Transfers::kind();
            note.otherAccount = named != account ? named : QString();
            row.method = account;
            const bool in = !row.income.isEmpty();
            note.text = note.otherAccount.isEmpty()
                            ? QStringLiteral("转账：对方账户“%1”不在账户中，保存时跳过").arg(row.otherAccount)
                            : QStringLiteral("转账：%1 → %2").arg(in ? note.otherAccount : account,
                                                                 in ? account : note.otherAccount);
        } else {
            // A purchase paid with a card through the wallet moved the card's money.
            row.method = !named.isEmpty() ? named : !account.isEmpty() ? account : row.method;
            if (row.kind == FileRow::Refund) {
                note.text = QStringLiteral("退款");
            } else if (statement || row.item.trimmed().isEmpty()) {
                const QString text = row.counterparty.isEmpty() ? row.summary : row.counterparty + u' ' + row.summary;
                if (const ImportRule *rule = ImportRules::match(rules, text)) {
                    row.item = rule->item;
                    if (!rule->method.isEmpty())
                        row.method = rule->method;
                    note.text = QStringLiteral("规则：%1 → %2").arg(rule->words, rule->item);
                    ++preview.filled;
                } else {
                    const QString who = row.counterparty.isEmpty() ? ImportRules::counterpartyOf(row.summary)
                                                                   : row.counterparty;
                    const auto used = who.isEmpty() ? history.constEnd() : history.constFind(who);
                    if (used != history.constEnd()) {
                        row.item = *used;
                        note.text = QStringLiteral("以前的记录：%1 → %2").arg(who, *used);
                        ++preview.filled;
                    }
                }
            }
        }
        preview.rows.push_back({row.number, std::move(row.date), std::move(row.item), std::move(row.income),
                                std::move(row.expense), std::move(row.method), std::move(row.handler),
                                std::move(row.summary)});
        preview.notes.push_back(std::move(note));
    }
    return preview;
}

namespace {

QString accountKey(const QString &profile, const AccountHint &hint)
{
    return QStringLiteral("账户|%1|%2").arg(profile, hint.lastDigits);
}

} // namespace

QString FileImport::rememberedAccount(const QString &profile, const AccountHint &hint)
{
    Schema::createImportMappings(data_.database());
    Statement st = data_.query(QStringLiteral("select 对应 from 导入列对应 where 表头=?"), {accountKey(profile, hint)});
    return st.step() ? st.text(0) : QString();
}

void FileImport::rememberAccount(const QString &profile, const AccountHint &hint, const QString &account)
{
    Schema::createImportMappings(data_.database());
    data_.exec(QStringLiteral("insert or replace into 导入列对应 (表头, 对应) values (?, ?)"),
               {accountKey(profile, hint), account});
}
