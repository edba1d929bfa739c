// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_main.h"

#include "core/pbkdf2.h"

#include <QtTest>

#include <openssl/evp.h>

// The key derivation gives exactly what OpenSSL's gives: the data file's key and every
// stored password hash depend on it.
class Pbkdf2Test : public QObject {
    Q_OBJECT
private slots:
    void sameAsOpenSsl_data();
    void sameAsOpenSsl();
};

void Pbkdf2Test::sameAsOpenSsl_data()
{
    QTest::addColumn<bool>("sha256");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<int>("length");
    // The data file's key: 32 bytes of SHA-1 are two blocks.
    QTest::newRow("file key") << false << QByteArray("qmx4172") << QByteArray(16, '\x5a') << 1000 << 32;
    QTest::newRow("one iteration") << false << QByteArray("x") << QByteArray("salt") << 1 << 20;
    QTest::newRow("password hash") << true << QByteArray("我的'密码") << QByteArray(16, '\x01') << 2000 << 32;
    QTest::newRow("empty password") << true << QByteArray() << QByteArray("s") << 3 << 32;
    // A password longer than a block is hashed first.
    QTest::newRow("long password") << true << QByteArray(200, 'p') << QByteArray("salt") << 5 << 64;
    QTest::newRow("odd length") << true << QByteArray("pw") << QByteArray() << 7 << 45;
}

void Pbkdf2Test::sameAsOpenSsl()
{
    QFETCH(bool, sha256);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(int, length);
    QByteArray expected(length, '\0');
    QVERIFY(PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                              reinterpret_cast<const unsigned char *>(salt.constData()), int(salt.size()), iterations,
                              sha256 ? EVP_sha256() : EVP_sha1(), length,
                              reinterpret_cast<unsigned char *>(expected.data())) == 1);
    QCOMPARE(Pbkdf2::derive(sha256 ? Pbkdf2::Hash::Sha256 : Pbkdf2::Hash::Sha1, password, salt, iterations, length)
                 .toHex(),
             expected.toHex());
}

TALLYRA_TEST(Pbkdf2Test)
#include "tst_pbkdf2.moc"
