// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/address_book.h"
#include "contacts/contact_csv.h"
#include "support/test_folder.h"

#include <QStringDecoder>
#include <QtTest>

#include "support/test_main.h"

namespace {

QList<ContactCsv::MappedColumn> mappingOf(const QStringList &header)
{
    QList<ContactCsv::MappedColumn> mapping;
    for (int i = 0; i < header.size(); ++i)
        mapping.append({header[i], i});
    return mapping;
}

// A file's bytes as the import reads them: decoded, split, mapped by its whole header.
ContactCsv::Reading readBytes(const QByteArray &bytes, const QString &group = QStringLiteral("g_"))
{
    const std::vector<ContactCsv::Record> records = ContactCsv::records(ContactCsv::decode(bytes));
    return ContactCsv::read(records, records.empty() ? QList<ContactCsv::MappedColumn>()
                                                     : mappingOf(records.front().values),
                            group);
}

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

} // namespace

class ContactCsvTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripLosesNothing();
    void plainValuesKeepTheOldLayout();
    void oldUnquotedFileImportsAsBefore();
    void encodings();
    void mappingSkipsUntickedAndUnknownNames();
    void oddQuotesAreOrdinaryCharacters();
    void badBirthdaysAreReported();
    void linesWithoutNameAreNotStored();
    void fileWritingFailsCleanly();
};

void ContactCsvTest::roundTripLosesNothing()
{
    // Every exported value holds something a naive file would break: separators, quotes,
    // line breaks, characters outside GBK, blanks at the ends.
    const QStringList awkward{
        QStringLiteral("张,三"),          QStringLiteral("女"),
        QStringLiteral("1980-02-29"),     QStringLiteral("\"138\" 0000"),
        QStringLiteral("line1\r\nline2"), QStringLiteral("北京\n朝阳"),
        QStringLiteral(" 010,1234 "),     QStringLiteral("😀 emoji"),
        QStringLiteral("𠀀𠀁 扩展B"),     QStringLiteral("한국어 회사"),
        QStringLiteral("Straße \"5\""),   QStringLiteral(""),
        QStringLiteral("a@b.c,d@e.f"),    QStringLiteral("msn\r"),
        QStringLiteral("\"\""),           QStringLiteral("12345,"),
        QStringLiteral("http://x.y/?a=1,b=2"), QStringLiteral("\"")};
    const QStringList names = ContactCsv::fieldNames();
    QCOMPARE(names.size(), 18);
    QCOMPARE(ContactCsv::columnOf(u"姓名 "), -1);

    std::vector<Contact> contacts(2);
    for (int i = 0; i < names.size(); ++i) {
        contacts[0].t[size_t(ContactCsv::columnOf(names[i]))] = awkward[i];
        contacts[1].t[size_t(ContactCsv::columnOf(names[i]))] = QStringLiteral("第二%1").arg(i);
    }
    contacts[1].t[Contact::Birthday] = QString();

    const QByteArray bytes = ContactCsv::encode(ContactCsv::text(names, contacts));
    const ContactCsv::Reading reading = readBytes(bytes, QStringLiteral("k_"));
    QVERIFY(reading.badBirthdays.isEmpty());
    QCOMPARE(reading.contacts.size(), size_t(2));
    for (int i = 0; i < names.size(); ++i) {
        const size_t column = size_t(ContactCsv::columnOf(names[i]));
        QCOMPARE(reading.contacts[0].t[column], awkward[i]);
        if (column != Contact::Birthday)
            QCOMPARE(reading.contacts[1].t[column], QStringLiteral("第二%1").arg(i));
    }
    QCOMPARE(reading.contacts[1].t[Contact::Birthday], QString(""));
    QCOMPARE(reading.contacts[0].t[Contact::Group], QStringLiteral("k_"));
    // What a file never holds stays without a value.
    QVERIFY(reading.contacts[0].t[Contact::Remark].isNull());
    QVERIFY(reading.contacts[0].t[Contact::Calendar].isNull());

    // Through the data file as well.
    TestFolder t;
    AddressBook book(t.data);
    book.addContacts(reading.contacts);
    const std::vector<Contact> stored = book.contacts(QStringLiteral("k_"));
    QCOMPARE(stored.size(), size_t(2));
    const QByteArray again = ContactCsv::encode(ContactCsv::text(names, {stored[1], stored[0]}));
    QCOMPARE(again, bytes);
}

void ContactCsvTest::plainValuesKeepTheOldLayout()
{
    std::vector<Contact> contacts(2);
    contacts[0].t[0] = QStringLiteral("张三");
    contacts[0].t[1] = QStringLiteral("13800000000");
    contacts[0].t[Contact::Birthday] = QStringLiteral("1980-1-2");
    contacts[1].t[0] = QStringLiteral("李四");
    // The columns follow the given order; a column without a value is empty.
    QCOMPARE(ContactCsv::text({QStringLiteral("姓名"), QStringLiteral("手机"), QStringLiteral("生日")}, contacts),
             QStringLiteral("姓名,手机,生日\r\n张三,13800000000,1980-01-02\r\n李四,,\r\n"));
    QCOMPARE(ContactCsv::text({QStringLiteral("姓名"), QStringLiteral("手机")}, {}),
             QStringLiteral("姓名,手机\r\n\r\n"));
    // GB18030 writes GBK characters with GBK's bytes.
    const QString chinese = QStringLiteral("姓名,手机\r\n张三,电话\r\n");
    QCOMPARE(ContactCsv::encode(chinese), gbk(chinese));
    QCOMPARE(ContactCsv::quoted(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    QCOMPARE(ContactCsv::quoted(QStringLiteral("a b")), QStringLiteral("a b"));
}

void ContactCsvTest::oldUnquotedFileImportsAsBefore()
{
    // Written by hand (or by a spreadsheet) in GBK, in the old layout: a comma splits a
    // value, a quote inside a value is an ordinary character, short lines leave columns
    // empty, empty lines and the line after the final CR LF add nothing.
    const QByteArray file = gbk(QStringLiteral(
        "姓名,手机,生日,备注,家庭住址,QQ号\r\n"
        "张三,13800000000,1980-01-02,朋友,北京,12345\r\n"
        "\r\n"
        "李四,139,,,上海,路 12 号,67890\r\n"
        "王\"五\",137\r\n"
        "赵六\r\n"));
    const ContactCsv::Reading reading = readBytes(file);
    QCOMPARE(reading.contacts.size(), size_t(4));
    const Contact &a = reading.contacts[0];
    QCOMPARE(a.t[0], QStringLiteral("张三"));
    QCOMPARE(a.t[1], QStringLiteral("13800000000"));
    QCOMPARE(a.t[Contact::Birthday], QStringLiteral("1980-01-02"));
    QCOMPARE(a.t[3], QStringLiteral("北京"));
    QCOMPARE(a.t[12], QStringLiteral("12345"));
    QVERIFY(a.t[Contact::Remark].isNull());  // "备注" is not a field
    const Contact &b = reading.contacts[1];
    QCOMPARE(b.t[3], QStringLiteral("上海"));
    QCOMPARE(b.t[12], QStringLiteral("路 12 号"));  // shifted by the extra comma, as always
    QCOMPARE(reading.contacts[2].t[0], QStringLiteral("王\"五\""));
    QCOMPARE(reading.contacts[2].t[1], QStringLiteral("137"));
    QVERIFY(reading.contacts[2].t[3].isNull());
    QCOMPARE(reading.contacts[3].t[0], QStringLiteral("赵六"));
    QVERIFY(reading.contacts[3].t[1].isNull());

    const std::vector<ContactCsv::Record> records = ContactCsv::records(ContactCsv::decode(file));
    QCOMPARE(records[2].line, 4);  // the empty third line is skipped, numbers go on

    // A file with no line break at all is a header and nothing else.
    QCOMPARE(readBytes(gbk(QStringLiteral("姓名,手机"))).contacts.size(), size_t(0));
    QCOMPARE(readBytes(QByteArray()).contacts.size(), size_t(0));
    // Made with bare LF line ends, it is still read line by line.
    const ContactCsv::Reading lf = readBytes(QStringLiteral("姓名,手机\n甲,1\n乙,2\n").toUtf8());
    QCOMPARE(lf.contacts.size(), size_t(2));
    QCOMPARE(lf.contacts[1].t[1], QStringLiteral("2"));
    // With CR LF line ends, a lone LF belongs to its value.
    const ContactCsv::Reading mixed = readBytes(QStringLiteral("姓名,手机\r\n甲\n乙,1\r\n").toUtf8());
    QCOMPARE(mixed.contacts.size(), size_t(1));
    QCOMPARE(mixed.contacts[0].t[0], QStringLiteral("甲\n乙"));
}

void ContactCsvTest::encodings()
{
    const QString text = QStringLiteral("姓名,手机\r\n张三,电话\r\n");
    const QByteArray withBom = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QCOMPARE(ContactCsv::decode(withBom), text);
    QCOMPARE(ContactCsv::decode(text.toUtf8()), text);
    QCOMPARE(ContactCsv::decode(gbk(text)), text);
    QCOMPARE(ContactCsv::decode(ContactCsv::encode(QStringLiteral("😀𠀀"))), QStringLiteral("😀𠀀"));
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QCOMPARE(ContactCsv::decode(utf16.encode(text)), text);
    // A GBK file whose last character is cut in half is still GBK, not UTF-8.
    QByteArray cut = gbk(QStringLiteral("张三"));
    cut.chop(1);
    QVERIFY(ContactCsv::decode(cut).startsWith(QStringLiteral("张")));

    // The first header name of a UTF-8 file with a byte-order mark is recognised.
    for (const QByteArray &bytes : {withBom, text.toUtf8(), gbk(text)}) {
        const ContactCsv::Reading reading = readBytes(bytes);
        QCOMPARE(reading.contacts.size(), size_t(1));
        QCOMPARE(reading.contacts[0].t[0], QStringLiteral("张三"));
        QCOMPARE(reading.contacts[0].t[1], QStringLiteral("电话"));
    }
}

void ContactCsvTest::mappingSkipsUntickedAndUnknownNames()
{
    const std::vector<ContactCsv::Record> records =
        ContactCsv::records(QStringLiteral("姓名,手机,昵称,QQ号\r\n甲,1,小甲,100\r\n乙,2,小乙\r\n"));
    // 手机 unticked; 昵称 ticked but not a field; QQ号 ticked.
    const QList<ContactCsv::MappedColumn> mapping{
        {QStringLiteral("姓名"), 0}, {QStringLiteral("昵称"), 2}, {QStringLiteral("QQ号"), 3}};
    const ContactCsv::Reading reading = ContactCsv::read(records, mapping, QStringLiteral("0_"));
    QCOMPARE(reading.contacts.size(), size_t(2));
    QCOMPARE(reading.contacts[0].t[0], QStringLiteral("甲"));
    QVERIFY(reading.contacts[0].t[1].isNull());
    QCOMPARE(reading.contacts[0].t[12], QStringLiteral("100"));
    for (int i = 2; i < Contact::Group; ++i)
        if (i != 12)
            QVERIFY2(reading.contacts[0].t[size_t(i)].isNull(), qPrintable(QString::number(i)));
    QVERIFY(reading.contacts[1].t[12].isNull());  // beyond the end of its line
    QCOMPARE(reading.contacts[1].t[Contact::Group], QStringLiteral("0_"));
}

void ContactCsvTest::oddQuotesAreOrdinaryCharacters()
{
    const std::vector<ContactCsv::Record> records = ContactCsv::records(QStringLiteral(
        "姓名,手机\r\n"
        "\"Bob\" Smith,1\r\n"      // quotes that do not enclose the value
        "\"a,b\",\"x\"\"y\"\r\n"   // properly quoted
        "\"\",2\r\n"               // an empty quoted value
        "\"open,3\r\n"             // a quote that is never closed
        "last,\"4\"")); 
    QCOMPARE(records.size(), size_t(6));
    QCOMPARE(records[1].values, QStringList({QStringLiteral("\"Bob\" Smith"), QStringLiteral("1")}));
    QCOMPARE(records[2].values, QStringList({QStringLiteral("a,b"), QStringLiteral("x\"y")}));
    QCOMPARE(records[3].values, QStringList({QString(), QStringLiteral("2")}));
    QCOMPARE(records[4].values, QStringList({QStringLiteral("\"open"), QStringLiteral("3")}));
    QCOMPARE(records[5].values, QStringList({QStringLiteral("last"), QStringLiteral("4")}));
    QCOMPARE(records[5].line, 6);

    // A quoted value that spans lines counts its lines.
    const std::vector<ContactCsv::Record> spanning =
        ContactCsv::records(QStringLiteral("姓名\r\n\"a\r\nb\r\nc\"\r\nd\r\n"));
    QCOMPARE(spanning.size(), size_t(3));
    QCOMPARE(spanning[1].values.first(), QStringLiteral("a\r\nb\r\nc"));
    QCOMPARE(spanning[2].line, 5);
}

void ContactCsvTest::badBirthdaysAreReported()
{
    const ContactCsv::Reading reading = readBytes(QStringLiteral(
        "姓名,生日\r\n甲,1980-1-2\r\n乙,不详\r\n丙,\r\n丁,1980-02-30\r\n戊,1990/12/31\r\n").toUtf8());
    QCOMPARE(reading.contacts.size(), size_t(5));
    QCOMPARE(reading.badBirthdays, QList<int>({3, 5}));
    QCOMPARE(reading.contacts[0].t[Contact::Birthday], QStringLiteral("1980-01-02"));
    QVERIFY(reading.contacts[1].t[Contact::Birthday].isNull());
    QCOMPARE(reading.contacts[1].t[0], QStringLiteral("乙"));  // the rest of the line is kept
    QCOMPARE(reading.contacts[2].t[Contact::Birthday], QString(""));
    QCOMPARE(reading.contacts[4].t[Contact::Birthday], QStringLiteral("1990-12-31"));
}

void ContactCsvTest::linesWithoutNameAreNotStored()
{
    // An empty, blank or missing name leaves the line out, and its birthday is not reported.
    const ContactCsv::Reading reading = readBytes(QStringLiteral(
        "手机,姓名,生日\r\n1,甲,1980-1-2\r\n2,,1980-1-3\r\n3,  ,不详\r\n4\r\n5,乙,不详\r\n\r\n6,\"\"\r\n").toUtf8());
    QCOMPARE(reading.withoutName, QList<int>({3, 4, 5, 8}));
    QCOMPARE(reading.badBirthdays, QList<int>({6}));
    QCOMPARE(reading.contacts.size(), size_t(2));
    QCOMPARE(reading.contacts[1].t[Contact::Name], QStringLiteral("乙"));
}

void ContactCsvTest::fileWritingFailsCleanly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(ContactCsv::writeFile(path, "first").isEmpty());
    QVERIFY(ContactCsv::writeFile(path, "second").isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("second"));
    QVERIFY(!ContactCsv::writeFile(dir.filePath(QStringLiteral("missing/out.csv")), "x").isEmpty());
    QVERIFY(!ContactCsv::writeFile(dir.path(), "x").isEmpty());  // a folder
}

TALLYRA_TEST(ContactCsvTest)
#include "tst_contact_csv.moc"
