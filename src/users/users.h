#pragma once

#include <QString>

#include <optional>

class DataFile;

// Who logged in and the account set they work in.
struct LoginResult {
    QString userName;
    int accountSetId = 0;
};

// The login users of the data file.
class Users {
public:
    explicit Users(DataFile &data) : data_(data) {}

    // The user whose name and password match exactly as typed; nothing when none does.
    std::optional<LoginResult> login(const QString &name, const QString &password);

private:
    DataFile &data_;
};
