// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/row_cache.h"

RecordRow *RowCache::kept(int row)
{
    if (row < 0)
        return nullptr;
    auto found = pages_.find(row / pageSize_);
    if (found == pages_.end() || size_t(row % pageSize_) >= found->second.size())
        return nullptr;
    return &found->second[size_t(row % pageSize_)];
}

void RowCache::dropFrom(int row)
{
    const int page = row / pageSize_;
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (it->first >= page) {
            recent_.remove(it->first);
            it = pages_.erase(it);
        } else {
            ++it;
        }
    }
}

void RowCache::clear()
{
    pages_.clear();
    recent_.clear();
}

const std::vector<RecordRow> &RowCache::keep(int page, std::vector<RecordRow> rows)
{
    while (!pages_.empty() && pages_.size() >= keptPages_) {
        pages_.erase(recent_.back());
        recent_.pop_back();
    }
    recent_.push_front(page);
    return pages_.emplace(page, std::move(rows)).first->second;
}

void RowCache::use(int page)
{
    if (recent_.front() != page) {
        recent_.remove(page);
        recent_.push_front(page);
    }
}

const RecordRow *RowCache::at(const std::vector<RecordRow> &rows, int row) const
{
    const size_t i = size_t(row % pageSize_);
    return i < rows.size() ? &rows[i] : nullptr;
}
