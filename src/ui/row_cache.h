// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_row.h"

#include <list>
#include <unordered_map>
#include <vector>

// The rows of a long list read a page at a time, keeping the pages used last: what a
// view shows of a million rows costs a few pages.
class RowCache {
public:
    RowCache(int pageSize, size_t keptPages) : pageSize_(pageSize), keptPages_(keptPages) {}

    // A row, its page read by read(first, count) when it is not kept (the page used least
    // lately then goes, when as many as may be kept are). nullptr for a row beyond what
    // its page gave.
    template <typename Read> const RecordRow *row(int row, Read &&read)
    {
        if (row < 0)
            return nullptr;
        const int page = row / pageSize_;
        if (auto found = pages_.find(page); found != pages_.end()) {
            use(page);
            return at(found->second, row);
        }
        return at(keep(page, read(page * pageSize_, pageSize_)), row);
    }
    // A kept row, read nothing; nullptr when its page is not kept.
    RecordRow *kept(int row);
    // The number of the first kept row for which match() holds; -1 for none.
    template <typename Match> int find(Match &&match) const
    {
        for (const auto &[page, rows] : pages_)
            for (size_t i = 0; i < rows.size(); ++i)
                if (match(rows[i]))
                    return page * pageSize_ + int(i);
        return -1;
    }
    // Forgets the page of this row and every page after it (rows moved up or down).
    void dropFrom(int row);
    void clear();
    size_t pageCount() const { return pages_.size(); }

private:
    const std::vector<RecordRow> &keep(int page, std::vector<RecordRow> rows);
    void use(int page);
    const RecordRow *at(const std::vector<RecordRow> &rows, int row) const;

    int pageSize_;
    size_t keptPages_;
    std::unordered_map<int, std::vector<RecordRow>> pages_;
    std::list<int> recent_;  // page numbers, the one used last first
};
