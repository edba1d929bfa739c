#pragma once

#include "ui/app_context.h"

#include <QObject>

#include <functional>

class QWidget;

// The main window's "回收站" command. It needs only the window to own the bin's window
// and a way to refresh the ledger view after entries came back.
class RecycleBinCommands : public QObject {
    Q_OBJECT
public:
    RecycleBinCommands(QWidget &window, const AppContext &context, std::function<void()> refresh);

    void openBin();

private:
    QWidget &window_;
    AppContext context_;
    std::function<void()> refresh_;
};
