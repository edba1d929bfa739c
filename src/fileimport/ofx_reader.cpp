#include "fileimport/ofx_reader.h"

#include "core/csv.h"
#include "core/dates.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#define OFX_AQUAMANIAC_UGLY_HACK1  // leaves out the header's format tables, unused here
#include <libofx/libofx.h>

namespace OfxReader {

namespace {

// libofx keeps a file's transactions in a tree whose size it counts anew for every
// transaction it adds, so its time grows with the square of their number (10,000
// transactions take seconds). Files are handed to it in parts of this many.
constexpr int TransactionsPerPart = 500;

// One STMTTRN element of the file: where it stands and the texts libofx would change.
struct Element {
    qsizetype start = 0, end = 0;
    QByteArray date, amount, fitid;
};

// The text of a leaf element (<TRNAMT>-12.50 or <TRNAMT>-12.50</TRNAMT>) inside [from, to).
QByteArray leaf(const QByteArray &bytes, const QByteArray &lower, const char *tag, qsizetype from, qsizetype to)
{
    const qsizetype at = lower.indexOf(tag, from);
    if (at < 0 || at >= to)
        return {};
    qsizetype begin = at + qsizetype(qstrlen(tag));
    qsizetype end = begin;
    while (end < to && bytes[end] != '<' && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.mid(begin, end - begin).trimmed();
}

std::vector<Element> elements(const QByteArray &bytes)
{
    const QByteArray lower = bytes.toLower();
    std::vector<Element> found;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype start = lower.indexOf("<stmttrn>", pos);
        if (start < 0)
            break;
        // The closing tag is required; where it is missing, the element ends where the
        // next one or the list begins.
        const qsizetype next = lower.indexOf("<stmttrn>", start + 9);
        const qsizetype close = lower.indexOf("</stmttrn>", start + 9);
        qsizetype end;
        if (close >= 0 && (next < 0 || close < next)) {
            end = close + 10;
        } else {
            const qsizetype list = lower.indexOf("</banktranlist>", start + 9);
            end = next < 0 ? (list < 0 ? bytes.size() : list) : (list >= 0 && list < next ? list : next);
        }
        Element e;
        e.start = start;
        e.end = end;
        e.date = leaf(bytes, lower, "<dtposted>", start, end);
        e.amount = leaf(bytes, lower, "<trnamt>", start, end);
        e.fitid = leaf(bytes, lower, "<fitid>", start, end)
                      .replace("&lt;", "<")
                      .replace("&gt;", ">")
                      .replace("&quot;", "\"")
                      .replace("&apos;", "'")
                      .replace("&amp;", "&");
        found.push_back(std::move(e));
        pos = end;
    }
    return found;
}

// What libofx reported for one part of the file.
struct Seen {
    bool anything = false;  // a statement, an account or a transaction
    struct Transaction {
        QByteArray fitid;
        QString name, memo;
    };
    std::vector<Transaction> transactions;
};

QString libofxText(bool valid, const char *text)
{
    // libofx hands over UTF-8; a file whose header names no character set comes as it is.
    return valid ? Csv::decode(QByteArray(text)) : QString();
}

int onTransaction(const OfxTransactionData data, void *user)
{
    auto *seen = static_cast<Seen *>(user);
    seen->anything = true;
    if (data.invtransactiontype_valid)
        return 0;  // buying, selling and the like in an investment account
    seen->transactions.push_back({data.fi_id_valid ? QByteArray(data.fi_id).trimmed() : QByteArray(),
                                  libofxText(data.name_valid, data.name), libofxText(data.memo_valid, data.memo)});
    return 0;
}

int onStatement(const OfxStatementData, void *user)
{
    static_cast<Seen *>(user)->anything = true;
    return 0;
}

int onAccount(const OfxAccountData, void *user)
{
    static_cast<Seen *>(user)->anything = true;
    return 0;
}

// Runs libofx over the bytes (written to a temporary file, which is all it reads).
std::optional<Seen> parse(const QByteArray &bytes)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tallyra-XXXXXX.ofx"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return std::nullopt;
    file.close();

    // libofx writes its messages to the standard error stream unless told not to.
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = 0;
    ofx_DEBUG4_msg = ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = ofx_ERROR_msg = 0;
    Seen seen;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_transaction_cb(context, onTransaction, &seen);
    ofx_set_statement_cb(context, onStatement, &seen);
    ofx_set_account_cb(context, onAccount, &seen);
    libofx_proc_file(context, QFile::encodeName(file.fileName()).constData(), OFX);
    libofx_free_context(context);
    return seen;
}

// The file with only the elements [first, last) of the transaction list left in it.
QByteArray part(const QByteArray &bytes, const std::vector<Element> &all, size_t first, size_t last)
{
    QByteArray out;
    out.reserve(bytes.size() / qsizetype(std::max<size_t>(1, all.size() / TransactionsPerPart)) + 4096);
    qsizetype from = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        out.append(bytes.constData() + from, all[i].start - from);
        if (i >= first && i < last)
            out.append(bytes.constData() + all[i].start, all[i].end - all[i].start);
        from = all[i].end;
    }
    out.append(bytes.constData() + from, bytes.size() - from);
    return out;
}

ImportRow rowOf(const Element &e, const Seen::Transaction &t)
{
    ImportRow row;
    // YYYYMMDD, then maybe the time and the time zone: the date is the bank's own.
    const QString date = QString::fromLatin1(e.date);
    const QDate posted = date.size() >= 8 ? QDate::fromString(date.left(8), QStringLiteral("yyyyMMdd")) : QDate();
    row.date = posted.isValid() ? Dates::storedDate(posted) : date;
    // A comma is the decimal point of some banks' amounts (-12,50); OFX groups no thousands.
    QString amount = QString::fromLatin1(e.amount);
    if (amount.contains(u',') && !amount.contains(u'.'))
        amount.replace(u',', u'.');
    FileRows::AmountCells cells = FileRows::AmountCells::fromSigned(amount);
    row.income = std::move(cells.income);
    row.expense = std::move(cells.expense);
    row.summary = FileRows::summaryOf(t.name, t.memo);
    return row;
}

} // namespace

bool looksLikeOfx(const QByteArray &bytes)
{
    const QByteArray start = bytes.left(4096).toUpper();
    return start.contains("OFXHEADER") || start.contains("<OFX>");
}

Reading read(const QByteArray &bytes, const FileRows::Progress &progress)
{
    Reading reading;
    const QString broken = QStringLiteral("文件不是有效的 OFX 文件，或已损坏。");
    if (!looksLikeOfx(bytes)) {
        reading.error = QStringLiteral("文件不是 OFX 格式（没有 OFX 文件头）。");
        return reading;
    }
    const std::vector<Element> all = elements(bytes);
    if (all.empty()) {
        const std::optional<Seen> seen = parse(bytes);
        reading.error = seen && seen->anything ? QStringLiteral("文件中没有银行或信用卡账户的交易记录。") : broken;
        return reading;
    }

    if (progress && !progress(0, qint64(all.size()))) {
        reading.stopped = true;
        return reading;
    }
    reading.rows.reserve(all.size());
    for (size_t first = 0; first < all.size(); first += TransactionsPerPart) {
        const size_t last = std::min(all.size(), first + TransactionsPerPart);
        const std::optional<Seen> seen =
            parse(all.size() <= size_t(TransactionsPerPart) ? bytes : part(bytes, all, first, last));
        if (!seen) {
            reading.error = QStringLiteral("无法写入临时文件（%1）。").arg(QDir::toNativeSeparators(QDir::tempPath()));
            reading.rows.clear();
            return reading;
        }
        // Every transaction of the part, in the file's order, with the same FITID.
        bool paired = seen->transactions.size() == last - first;
        for (size_t i = 0; paired && i < seen->transactions.size(); ++i) {
            const QByteArray &theirs = seen->transactions[i].fitid;
            const QByteArray &ours = all[first + i].fitid;
            paired = theirs.isEmpty() || ours.isEmpty() || theirs == ours;
        }
        if (!paired) {
            reading.error = broken;
            reading.rows.clear();
            return reading;
        }
        for (size_t i = 0; i < seen->transactions.size(); ++i)
            reading.rows.push_back(rowOf(all[first + i], seen->transactions[i]));
        if (progress && !progress(qint64(last), qint64(all.size()))) {
            reading.stopped = true;
            reading.rows.clear();
            return reading;
        }
    }
    FileRows::number(reading.rows);
    return reading;
}

} // namespace OfxReader
