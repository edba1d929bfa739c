#include "users/users.h"

#include "store/data_file.h"

std::optional<LoginResult> Users::login(const QString &name, const QString &password)
{
    Statement st = data_.query(QStringLiteral("select 用户名, muluID from user where 用户名=? and 密码 = ? order by id"),
                               {name, password});
    if (!st.step())
        return std::nullopt;
    return LoginResult{st.text(0), int(st.integer(1))};
}
