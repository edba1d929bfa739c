#include "accounts/account_list_model.h"

#include "store/data_file.h"

namespace {

// Pages kept at most: a few screens around where the user looks.
constexpr size_t KeptPages = 16;

} // namespace

AccountListModel::AccountListModel(DataFile &data, QObject *parent)
    : QAbstractTableModel(parent), data_(data), columns_(AccountList::columns()), rows_(PageSize, KeptPages)
{
}

AccountListModel::~AccountListModel() = default;

void AccountListModel::setAccount(int accountSet, const Account &account)
{
    beginResetModel();
    rows_.clear();
    list_.reset();
    try {
        list_ = std::make_unique<AccountList>(data_, accountSet, account);
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void AccountListModel::clear()
{
    beginResetModel();
    rows_.clear();
    list_.reset();
    endResetModel();
}

std::optional<AccountRow> AccountListModel::rowAt(int row) const
{
    if (!list_ || row < 0 || row >= list_->count())
        return std::nullopt;
    std::vector<AccountRow> rows = list_->rows(row, 1);
    return rows.empty() ? std::nullopt : std::optional<AccountRow>(std::move(rows.front()));
}

const RecordRow *AccountListModel::recordAt(int row) const
{
    if (!list_ || row < 0 || row >= list_->count())
        return nullptr;
    return rows_.row(row, [this](int first, int count) {
        std::vector<RecordRow> rows;
        try {
            for (const AccountRow &r : list_->rows(first, count))
                rows.push_back(AccountList::listRow(r));
        } catch (const StoreError &) {
            // A page that cannot be read shows empty rows.
        }
        return rows;
    });
}

int AccountListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !list_ ? 0 : list_->count();
}

int AccountListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant AccountListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (const RecordRow *row = recordAt(index.row()))
            return row->cell(index.column()).toString();
        return QString();
    case Qt::DecorationRole:
        if (index.column() == 0)
            if (const RecordRow *row = recordAt(index.row()); row && row->icon > 0 && row->icon <= icons_.size())
                return icons_[row->icon - 1];
        return {};
    case Qt::TextAlignmentRole:
        return int(columns_[index.column()].alignment);
    default:
        return {};
    }
}

QVariant AccountListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].title;
    return {};
}

Qt::ItemFlags AccountListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
