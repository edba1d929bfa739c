// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/ofx_reader.h"

#include "core/dates.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>

#define OFX_AQUAMANIAC_UGLY_HACK1  // leaves out the header's format tables, unused here
#include <libofx/libofx.h>

namespace OfxReader {

namespace {

// libofx keeps a file's transactions in a tree whose size it counts anew for every
// transaction it adds, so its time grows with the square of their number (10,000
// transactions take seconds), while each part costs it some 30 ms of its own (reading its
// DTD). Files are handed to it in parts of this many.
constexpr int TransactionsPerPart = 1500;

// One STMTTRN element of the file: where it stands and its texts as they are written.
struct Element {
    qsizetype start = 0, end = 0;
    QByteArray date, amount, fitid, name, memo;
};

// The character references and the five named entities of SGML and XML text.
QString withoutEntities(const QString &text)
{
    if (!text.contains(u'&'))
        return text;
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|amp|lt|gt|quot|apos);"));
    QString out;
    qsizetype from = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        const QStringView name = m.capturedView(1);
        if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                                       : name.mid(1).toUInt(&ok);
            if (ok && code > 0 && code <= 0x10FFFF)
                out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else {
            static const QHash<QString, QChar> named{{QStringLiteral("amp"), u'&'},  {QStringLiteral("lt"), u'<'},
                                                     {QStringLiteral("gt"), u'>'},   {QStringLiteral("quot"), u'"'},
                                                     {QStringLiteral("apos"), u'\''}};
            out += named.value(name.toString());
        }
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

// How the file's texts are written: UTF-8 when all its bytes are, else the code page its
// OFX 1.x header names (CHARSET:1252), else GB18030 like the program's other files.
QByteArray encodingOf(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);  // decoding happens on the conversion
    if (!utf8.hasError())
        return QByteArrayLiteral("UTF-8");
    static const QRegularExpression charset(QStringLiteral("CHARSET:\\s*([0-9]+)"));
    const QRegularExpressionMatch m = charset.match(QString::fromLatin1(bytes.left(1024)));
    if (m.hasMatch()) {
        const QByteArray page = m.captured(1).toLatin1();
        const QByteArray name = page == "936" ? QByteArrayLiteral("GBK") : "windows-" + page;
        if (QStringDecoder(name.constData()).isValid())
            return name;
    }
    return QByteArrayLiteral("GB18030");
}

// Where `what` first stands within [from, to) of the text; -1 when it is not there. The
// search never looks past `to`: a tag missing from every transaction would otherwise be
// searched for to the end of the file each time.
qsizetype find(const QByteArray &text, const char *what, qsizetype from, qsizetype to)
{
    const qsizetype at = QByteArrayView(text).sliced(from, to - from).indexOf(QByteArrayView(what));
    return at < 0 ? -1 : from + at;
}

// The text of a leaf element (<TRNAMT>-12.50 or <TRNAMT>-12.50</TRNAMT>) inside [from, to).
QByteArray leaf(const QByteArray &bytes, const QByteArray &lower, const char *tag, qsizetype from, qsizetype to)
{
    const qsizetype at = find(lower, tag, from, to);
    if (at < 0)
        return {};
    qsizetype begin = at + qsizetype(qstrlen(tag));
    qsizetype end = begin;
    while (end < to && bytes[end] != '<' && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.mid(begin, end - begin).trimmed();
}

// The file with each CDATA section (OFX 2.x names and memos may be written so) as
// ordinary text: its characters that mark up escaped, for libofx and for leaf().
QByteArray withoutCdata(const QByteArray &bytes)
{
    if (!bytes.contains("<![CDATA["))
        return bytes;
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = bytes.indexOf("<![CDATA[", from);
        const qsizetype close = open < 0 ? -1 : bytes.indexOf("]]>", open + 9);
        if (close < 0)
            break;
        out += QByteArrayView(bytes).sliced(from, open - from);
        QByteArray inner = bytes.mid(open + 9, close - open - 9);
        inner.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
        out += inner;
        from = close + 3;
    }
    out += QByteArrayView(bytes).sliced(from);
    return out;
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
        // next one or the list begins. Each is looked for only up to the next element.
        const qsizetype next = lower.indexOf("<stmttrn>", start + 9);
        const qsizetype bound = next < 0 ? lower.size() : next;
        const qsizetype close = find(lower, "</stmttrn>", start + 9, bound);
        qsizetype end;
        if (close >= 0) {
            end = close + 10;
        } else {
            const qsizetype list = find(lower, "</banktranlist>", start + 9, bound);
            end = list >= 0 ? list : bound;
        }
        Element e;
        e.start = start;
        e.end = end;
        e.date = leaf(bytes, lower, "<dtposted>", start, end);
        e.amount = leaf(bytes, lower, "<trnamt>", start, end);
        e.fitid = leaf(bytes, lower, "<fitid>", start, end);
        e.name = leaf(bytes, lower, "<name>", start, end);  // the payee's, where it has one
        e.memo = leaf(bytes, lower, "<memo>", start, end);
        found.push_back(std::move(e));
        pos = end;
    }
    return found;
}

// What libofx reported for one part of the file.
struct Seen {
    bool anything = false;         // a statement, an account or a transaction
    std::vector<QByteArray> fitids;  // of its statement transactions, in order
};

int onTransaction(const OfxTransactionData data, void *user)
{
    auto *seen = static_cast<Seen *>(user);
    seen->anything = true;
    if (data.invtransactiontype_valid)
        return 0;  // buying, selling and the like in an investment account
    seen->fitids.push_back(data.fi_id_valid ? QByteArray(data.fi_id).trimmed() : QByteArray());
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

FileRow rowOf(const Element &e, QStringDecoder &decoder)
{
    FileRow row;
    // YYYYMMDD, then maybe the time and the time zone: the date is the bank's own.
    int digits[8] = {};
    bool isDate = e.date.size() >= 8;
    for (int i = 0; i < 8 && isDate; ++i) {
        isDate = e.date[i] >= '0' && e.date[i] <= '9';
        digits[i] = e.date[i] - '0';
    }
    const QDate posted = isDate ? QDate(digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3],
                                        digits[4] * 10 + digits[5], digits[6] * 10 + digits[7])
                                : QDate();
    row.date = posted.isValid() ? Dates::storedDate(posted) : QString::fromLatin1(e.date);
    // A comma is the decimal point of some banks' amounts (-12,50); OFX groups no thousands.
    QString amount = QString::fromLatin1(e.amount);
    if (amount.contains(u',') && !amount.contains(u'.'))
        amount.replace(u',', u'.');
    FileRows::AmountCells cells = FileRows::AmountCells::fromSigned(amount);
    row.income = std::move(cells.income);
    row.expense = std::move(cells.expense);
    row.summary = FileRows::summaryOf(withoutEntities(decoder.decode(e.name)), withoutEntities(decoder.decode(e.memo)));
    return row;
}

// The bytes libofx is given: every byte outside ASCII made "?". The structure is all it
// is asked for; OpenSP reads such bytes of a UTF-8 file one by one as errors, which
// makes a statement in Chinese several times slower to read.
QByteArray asAscii(const QByteArray &bytes)
{
    QByteArray out = bytes;
    for (char &c : out)
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    return out;
}

} // namespace

bool looksLikeOfx(const QByteArray &bytes)
{
    const QByteArray start = bytes.left(4096).toUpper();
    return start.contains("OFXHEADER") || start.contains("<OFX>");
}

Reading read(const QByteArray &original, const FileRows::Progress &progress)
{
    Reading reading;
    const QByteArray bytes = withoutCdata(original);
    const QString broken = QStringLiteral("文件不是有效的 OFX 文件，或已损坏。");
    if (!looksLikeOfx(bytes)) {
        reading.error = QStringLiteral("文件不是 OFX 格式（没有 OFX 文件头）。");
        return reading;
    }
    const std::vector<Element> all = elements(bytes);
    if (all.empty()) {
        const std::optional<Seen> seen = parse(asAscii(bytes));
        reading.error = seen && seen->anything ? QStringLiteral("文件中没有银行或信用卡账户的交易记录。") : broken;
        return reading;
    }

    if (progress && !progress(0, qint64(all.size()))) {
        reading.stopped = true;
        return reading;
    }
    reading.rows.reserve(all.size());
    const QByteArray ascii = asAscii(bytes);
    const QByteArray encoding = encodingOf(bytes);
    QStringDecoder decoder(encoding.constData());
    for (size_t first = 0; first < all.size(); first += TransactionsPerPart) {
        const size_t last = std::min(all.size(), first + TransactionsPerPart);
        const std::optional<Seen> seen =
            parse(all.size() <= size_t(TransactionsPerPart) ? ascii : part(ascii, all, first, last));
        if (!seen) {
            reading.error = QStringLiteral("无法写入临时文件（%1）。").arg(QDir::toNativeSeparators(QDir::tempPath()));
            reading.rows.clear();
            return reading;
        }
        // libofx must have read every transaction of the part, in the file's order.
        bool paired = seen->fitids.size() == last - first;
        for (size_t i = 0; paired && i < seen->fitids.size(); ++i) {
            const QByteArray &theirs = seen->fitids[i];
            const QByteArray ours = withoutEntities(QString::fromLatin1(asAscii(all[first + i].fitid))).toLatin1();
            paired = theirs.isEmpty() || ours.isEmpty() || theirs == ours;
        }
        if (!paired) {
            reading.error = broken;
            reading.rows.clear();
            return reading;
        }
        for (size_t i = first; i < last; ++i)
            reading.rows.push_back(rowOf(all[i], decoder));
        if (progress && !progress(qint64(last), qint64(all.size()))) {
            reading.stopped = true;
            reading.rows.clear();
            return reading;
        }
    }
    FileRows::number(reading.rows);
    // The statement's currency, when it is not the yuan the books are kept in, is named
    // in every row it gives.
    const QByteArray lower = bytes.toLower();
    const QString currency = QString::fromLatin1(leaf(bytes, lower, "<curdef>", 0, bytes.size())).toUpper();
    if (!currency.isEmpty() && currency != QLatin1String("CNY") && currency != QLatin1String("RMB")) {
        reading.currency = currency;
        for (FileRow &row : reading.rows)
            row.summary += QStringLiteral("（%1）").arg(currency);
    }
    return reading;
}

} // namespace OfxReader
