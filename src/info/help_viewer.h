// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QTextBrowser;

// "使用帮助": the local manual shown by the program itself, for desktops where no browser
// starts.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(const QString &page, QWidget *parent = nullptr);

    QTextBrowser *browser() const { return browser_; }

private:
    QTextBrowser *browser_;
};
