// SPDX-License-Identifier: GPL-3.0-or-later
// The address book on 10,000 contacts in 20 groups: opening the window, listing,
// exporting every field to CSV and importing that file again.
#include "bench_data.h"

#include "contacts/address_book.h"
#include "contacts/address_book_window.h"
#include "contacts/contact_csv.h"
#include "contacts/export_wizard.h"
#include "contacts/import_wizard.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int Contacts = 10000;
constexpr int Groups = 20;

const char *const Surnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙"};
const char *const Given[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋", "勇", "艳", "杰", "娟", "涛", "明", "超"};
const char *const Cities[] = {"北京市朝阳区", "上海市浦东新区", "广州市天河区", "成都市武侯区", "杭州市西湖区"};
const char *const Firms[] = {"华信科技有限公司", "东方贸易公司", "第一中学", "市人民医院", "长江设计院"};

template <size_t N> QString pick(const char *const (&list)[N], QRandomGenerator &random)
{
    return QString::fromUtf8(list[random.bounded(int(N))]);
}

// A program folder whose data file holds the groups and contacts; made once.
QString contactsFolder()
{
    return BenchData::generatedFolder(QStringLiteral("contacts-%1").arg(Contacts), [&](DataFile &data) {
        AddressBook book(data);
        QStringList keys;
        const QDateTime start(QDate(2024, 1, 1), QTime(9, 0));
        for (int g = 0; g < Groups; ++g)
            keys << book.addGroup(QStringLiteral("分组%1").arg(g + 1), g < 5 ? QStringLiteral("0") : keys[g % 5], start);

        QRandomGenerator random(20061207);
        std::vector<Contact> contacts;
        contacts.reserve(Contacts);
        for (int i = 0; i < Contacts; ++i) {
            Contact c;
            c.t[0] = pick(Surnames, random) + pick(Given, random) + (random.bounded(2) ? pick(Given, random) : QString());
            c.t[1] = QStringLiteral("13%1").arg(random.bounded(100000000, 999999999));
            c.t[3] = pick(Cities, random) + QStringLiteral("%1号").arg(random.bounded(1, 300));
            c.t[4] = QStringLiteral("010-%1").arg(random.bounded(60000000, 89999999));
            c.t[5] = QStringLiteral("%1").arg(random.bounded(100000, 999999));
            c.t[6] = pick(Firms, random);
            c.t[8] = QStringLiteral("021-%1").arg(random.bounded(50000000, 69999999));
            c.t[10] = QStringLiteral("user%1@example.com").arg(i);
            c.t[12] = QString::number(random.bounded(10000, 999999999));
            if (random.bounded(8) == 0)
                c.t[3] += QStringLiteral(", 近地铁站");  // some values need quotes
            c.t[Contact::Remark] = random.bounded(4) == 0 ? QStringLiteral("老朋友\r\n常联系") : QString();
            c.t[Contact::Sex] = random.bounded(2) ? QStringLiteral("男") : QStringLiteral("女");
            c.t[Contact::Calendar] = QStringLiteral("公历");
            c.t[Contact::Birthday] = QDate(1950, 1, 1).addDays(random.bounded(20000)).toString(QStringLiteral("yyyy-MM-dd"));
            c.t[Contact::Group] = keys[random.bounded(Groups)];
            contacts.push_back(std::move(c));
        }
        book.addContacts(contacts);
    });
}

BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(contactsFolder());
    return context;
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// The statement behind "全部记录" with every column of every row read.
void BareStatementAllContacts(benchmark::State &state)
{
    DataFile &data = context().data;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select * from tongxilu order by id desc"));
        size_t rows = 0, bytes = 0;
        const int columns = st.columnCount();
        while (st.step()) {
            for (int c = 0; c < columns; ++c)
                bytes += st.utf8(c).size();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        state.counters["rows"] = double(rows);
    }
}

// Opening the address book: columns, all contacts, the group tree, shown and laid out.
void OpenAddressBook(benchmark::State &state)
{
    int rows = 0;
    for (auto _ : state) {
        auto *window = new AddressBookWindow(context().context);
        window->show();
        QCoreApplication::processEvents();
        rows = window->list()->rowCount();
        state.PauseTiming();
        delete window;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}

void LoadDataAllContacts(benchmark::State &state)
{
    static AddressBookWindow *window = new AddressBookWindow(context().context);
    for (auto _ : state)
        window->LoadData(AddressBook::allKey());
    state.counters["rows"] = window->list()->rowCount();
}

QString exportPath() { return scratch().filePath(QStringLiteral("contacts.csv")); }

// Every field of every contact to a CSV file through the export wizard.
void ExportAllContacts(benchmark::State &state)
{
    ExportWizard wizard(context().context, AddressBook::allKey());
    wizard.tickAll();
    wizard.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(exportPath());
    const QString names = wizard.tickedNames().join(u',');
    for (auto _ : state) {
        if (!wizard.LoadData(names))
            state.SkipWithError("export failed");
    }
    state.counters["bytes"] = double(QFile(exportPath()).size());
}

// The bare work of an export: the statement, the values joined, the bytes written.
void BareExportAllContacts(benchmark::State &state)
{
    DataFile &data = context().data;
    const QString path = scratch().filePath(QStringLiteral("bare.csv"));
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select t_0, t_17, t_19, t_1, t_2, t_3, t_4, t_5, t_6, t_7, t_8, t_9, "
                                                 "t_10, t_11, t_12, t_13, t_14, t_15 from tongxilu order by id desc"));
        QByteArray out;
        while (st.step()) {
            for (int c = 0; c < 18; ++c) {
                if (c)
                    out += ',';
                const std::string_view v = st.utf8(c);
                out.append(v.data(), qsizetype(v.size()));
            }
            out += "\r\n";
        }
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(out);
    }
}

void deleteImported(DataFile &data, qint64 after)
{
    data.exec(QStringLiteral("delete from tongxilu where id > ?"), {after});
}

qint64 lastId(DataFile &data)
{
    Statement st = data.query(QStringLiteral("select max(id) from tongxilu"));
    return st.step() ? st.integer(0) : 0;
}

// The exported file read back through the import wizard: read, decoded, split, mapped
// and stored in one transaction.
void ImportAllContacts(benchmark::State &state)
{
    DataFile &data = context().data;
    if (!QFile::exists(exportPath())) {
        ExportWizard wizard(context().context, AddressBook::allKey());
        wizard.tickAll();
        wizard.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(exportPath());
        wizard.LoadData(wizard.tickedNames().join(u','));
    }
    const qint64 before = lastId(data);
    size_t imported = 0;
    for (auto _ : state) {
        ImportWizard wizard(context().context, QStringLiteral("bench_"));
        wizard.pathField()->setText(exportPath());
        if (!wizard.next() || !wizard.importContacts())
            state.SkipWithError("import failed");
        state.PauseTiming();
        Statement count = data.query(QStringLiteral("select count(*) from tongxilu where id > ?"), {before});
        imported = count.step() ? size_t(count.integer(0)) : 0;
        deleteImported(data, before);
        state.ResumeTiming();
    }
    state.counters["contacts"] = double(imported);
}

// The bare work of an import: 10,000 prepared inserts of eighteen values in one transaction.
void BareImportAllContacts(benchmark::State &state)
{
    DataFile &data = context().data;
    const qint64 before = lastId(data);
    for (auto _ : state) {
        {
            DataFile::Transaction transaction(data);
            Statement insert = data.database().prepare(QStringLiteral(
                "insert into tongxilu (t_0, t_17, t_19, t_1, t_2, t_3, t_4, t_5, t_6, t_7, t_8, t_9, t_10, t_11, "
                "t_12, t_13, t_14, t_15, t_20) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            for (int i = 0; i < Contacts; ++i) {
                insert.reset();
                insert.bindAll({QStringLiteral("王伟"), QStringLiteral("男"), QStringLiteral("1980-01-02"),
                                QStringLiteral("13812345678"), QString(), QStringLiteral("北京市朝阳区12号"),
                                QStringLiteral("010-66666666"), QStringLiteral("100000"), QStringLiteral("东方贸易公司"),
                                QString(), QStringLiteral("021-55555555"), QString(), QStringLiteral("u@example.com"),
                                QString(), QStringLiteral("123456"), QString(), QString(), QString(),
                                QStringLiteral("bench_")});
                insert.run();
            }
            transaction.commit();
        }
        state.PauseTiming();
        deleteImported(data, before);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BareStatementAllContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadDataAllContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenAddressBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BareExportAllContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportAllContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(BareImportAllContacts)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportAllContacts)->Unit(benchmark::kMillisecond);
