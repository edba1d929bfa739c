// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vault/vault.h"

#include <QFrame>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The three views of a password-box record, laid one over the other inside the frame
// Shape1: the six labelled fields (Label1_0..5, Text1_0..5), the other panel Picture1_0
// (Text2_0..3) and, on top, the memo panel Picture1_1 (Text2_4, Text2_5). The password
// box shows them read-only; the record editor edits them.
class RecordViews : public QFrame {
    Q_OBJECT
public:
    explicit RecordViews(bool readOnly, QWidget *parent = nullptr);

    // Applies a caption set (six captions joined by "，") to Label1_0..5.
    void setCaptions(const QString &joined);
    QStringList captions() const;

    // Shows the panel of a view (the six fields: both panels hidden).
    void showView(VaultView view);
    void setOtherPanelVisible(bool visible);
    void setMemoPanelVisible(bool visible);
    // The view on top: the memo panel over the other panel over the six fields.
    VaultView view() const;

    // Fills every field of all three views from one record.
    void fill(const VaultFields &fields);
    void clear();
    // What the fields of a view hold.
    VaultFields fields(VaultView view) const;
    // The first field of a view: title or bank.
    QString firstField(VaultView view) const;

private:
    QWidget *otherPanel_;
    QWidget *memoPanel_;
    QLabel *label1_[6];
    QLineEdit *text1_[5];
    QPlainTextEdit *remark1_;  // Text1_5
    QLineEdit *text2_[3];      // Text2_0..2
    QPlainTextEdit *remark2_;  // Text2_3
    QLineEdit *memoTitle_;     // Text2_4
    QPlainTextEdit *memoText_; // Text2_5
};
