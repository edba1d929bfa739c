#include "ui/enter_key.h"

#include "ui/record_list.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QTableView>

namespace {

class EnterOnRow : public QObject {
public:
    EnterOnRow(RecordList *list, std::function<void()> open) : QObject(list), list_(list), open_(std::move(open))
    {
        list->detailsView()->installEventFilter(this);
        list->iconView()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || list_->selectedRow() < 0)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            // The key belongs to the list, not to a shortcut of the window.
            event->accept();
            return true;
        }
        open_();
        return true;
    }

private:
    RecordList *list_;
    std::function<void()> open_;
};

} // namespace

void openOnEnter(RecordList *list, std::function<void()> open) { new EnterOnRow(list, std::move(open)); }
