// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/csv_table.h"
#include "fileimport/own_profiles.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class FileLinesModel;
struct AppContext;

// "列对应": which column of a CSV file or workbook feeds each column of the batch import's
// preview (or the one signed amount, the direction and the status of a statement), the
// line the header stands on and whether there is one, the separator, the order of day
// and month, and the account the statement lands in. Shows the file's lines as they
// split, every one of them, its header's names over the columns; 确定 needs a date column
// and an amount column. A recognised statement comes with everything filled in. Given
// the program's context, a mapping can be kept as a profile of the user's own ("另存为方案...")
// and a profile chosen or deleted.
class ColumnMappingDialog : public QDialog {
    Q_OBJECT
public:
    // The table is split anew when the user picks another separator (a text file only).
    // accounts: the account set's accounts to choose from; profile: the name of the
    // statement recognised, empty for none.
    ColumnMappingDialog(const QString &fileName, CsvTable &table, const ColumnMapping &initial,
                        QWidget *parent = nullptr, const QString &profile = {}, const QStringList &accounts = {},
                        const QString &account = {});

    ColumnMapping mapping() const;
    void setMapping(const ColumnMapping &mapping);
    // The account chosen; empty for "（按文件中的收支方式）".
    QString account() const;
    // Offers the user's own profiles (the one named current) and saving the mapping as one.
    void offerProfiles(const AppContext &context, const QString &current = {});
    // "另存为方案...": asks for a name and keeps the mapping under it; false when nothing was kept.
    bool saveProfile();
    // "删除方案": deletes the profile chosen, after asking.
    bool deleteProfile();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillSample();
    void fillChoices();
    void update();
    void resplit();
    void fillProfiles(const QString &current);
    void chooseProfile();

    CsvTable &table_;
    QComboBox *separator_;
    QSpinBox *headerLine_;
    QCheckBox *header_;
    QComboBox *dateOrder_;
    QCheckBox *positiveIsExpense_;
    QComboBox *account_;
    QList<QComboBox *> combos_;  // in ImportField order
    QTableView *sample_;
    FileLinesModel *lines_;
    const AppContext *context_ = nullptr;
    std::vector<OwnProfile> own_;
    QWidget *profileRow_;
    QComboBox *profiles_;
    QPushButton *deleteProfile_;
    QLabel *hint_;
    QPushButton *ok_;
};
