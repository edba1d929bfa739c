#include "ledger/recycle_bin_commands.h"

#include "ledger/recycle_bin_window.h"

#include <QWidget>

RecycleBinCommands::RecycleBinCommands(QWidget &window, const AppContext &context, std::function<void()> refresh)
    : QObject(&window), window_(window), context_(context), refresh_(std::move(refresh))
{
}

void RecycleBinCommands::openBin()
{
    RecycleBinWindow bin(context_, &window_);
    connect(&bin, &RecycleBinWindow::restored, this, [this] {
        if (refresh_)
            refresh_();
    });
    bin.exec();
}
