// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"
#include "ledger/transfers.h"
#include "ui/app_context.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The window in which one ledger entry is typed in ("添加记帐数据") or changed
// ("修改记帐数据"): date, kind, item, payment method, handler, amount and summary.
class EntryEditor : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Modify };

    explicit EntryEditor(const AppContext &context, QWidget *parent = nullptr);

    // Switches to modifying: title "修改记帐数据", button "修改"; then LoadDate(id).
    // False (after saying why) when the entry cannot be read.
    bool openForModifying(qint64 id);
    // The same for a transfer: its kind "转账" stays, both accounts, amount, fee, date and
    // summary can change.
    bool openForModifyingTransfer(qint64 id);
    // Chooses the kind "转账" for a new transfer.
    void startTransfer();
    bool isTransfer() const;
    Mode mode() const { return mode_; }

    // Fills the kinds, payment methods and handlers; the item box shows its hint.
    void LoadData();
    // Loads entry id into the controls; false (after saying why) when it cannot.
    bool LoadDate(qint64 id);
    // The save button: checks the fields, then adds or saves the entry.
    void save();

    // What the controls hold, as an entry or a transfer to store.
    LedgerEntry entryFromControls() const;
    Transfer transferFromControls() const;

    static QString itemHint() { return QStringLiteral("请选择上一栏类别↑"); }

    // Milliseconds from any fixed point; a test gives its own clock.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // A press of "添  加" this soon after an add is the same press twice (a double-click).
    static constexpr qint64 RepeatMs = 500;
    // "已添加：2026-11-01 居住 4500": what the last add stored.
    static QString addedText(const LedgerEntry &entry);

signals:
    // A new entry was stored.
    void added(const LedgerEntry &entry);
    // The entry open for modifying was saved.
    void modified(const LedgerEntry &entry);
    // A transfer was stored, new or changed.
    void transferSaved(qint64 id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void kindChosen();
    bool red();
    bool EditData(qint64 id);
    // Shows the transfer's fields instead of the entry's, or back.
    void showTransferFields(bool transfer);
    void saveTransfer();
    // Asks before a reconciled entry or transfer is changed; true to go on.
    bool changeReconciled(const QString &statementDay);

    AppContext context_;
    Ledger ledger_;
    Mode mode_ = Mode::Add;

    QDateEdit *date_;         // DTPicker1
    QComboBox *kind_;         // Combo1
    QComboBox *item_;         // Combo2
    QComboBox *method_;       // Combo3
    QComboBox *handler_;      // Combo4
    QLineEdit *amount_;       // Text1
    QPlainTextEdit *summary_; // Text2
    QLabel *entryItem_;       // Label2, hidden
    QComboBox *from_;         // Combo5, 转出账户
    QComboBox *to_;           // Combo6, 转入账户
    QLineEdit *fee_;          // Text3, 手续费
    QList<QWidget *> entryRows_, transferRows_;  // labels and fields of each kind's own rows
    qint64 transferId_ = 0;   // the transfer being modified
    QPushButton *saveButton_; // Command1
    QPushButton *closeButton_;// Command2
    QLabel *added_;           // Label3: what the last add stored
    Clock clock_;
    bool saving_ = false;
    std::optional<qint64> lastAdd_;  // when the last add was done, by clock_
    // The stored date of the entry being modified when it is no day an entry may have;
    // cleared when another date is chosen.
    QString strayDate_;
};
