#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>

// A throw-away certificate authority and server certificates made with the
// openssl program in a temporary folder, for TLS tests on 127.0.0.1. Keys are
// EC P-256 in PEM; the folder goes with the object.
class TestCertificates
{
public:
    enum class Kind {
        Good,      // for 127.0.0.1 and localhost, signed by the CA
        WrongHost, // for wrong.example only, signed by the CA
        Expired,   // for 127.0.0.1 and localhost, signed by the CA, expired in 2020
        Untrusted, // for 127.0.0.1 and localhost, self-signed: its own, unknown CA
    };

    TestCertificates() = default;
    TestCertificates(const TestCertificates &) = delete;
    TestCertificates &operator=(const TestCertificates &) = delete;

    // The openssl program, or "" when it is not installed.
    static QString program();

    // Makes the CA and every kind; false (errorText() says why) when it cannot.
    bool create();
    QString errorText() const { return Error; }

    QString caCertificateFile() const;
    QSslCertificate caCertificate() const;

    QString certificateFile(Kind kind) const;
    QString keyFile(Kind kind) const;
    QSslCertificate certificate(Kind kind) const;
    QSslKey key(Kind kind) const;

private:
    bool run(const QStringList &arguments);
    bool signedByCa(const QString &name, const QString &commonName, const QString &extensions,
                    const QStringList &validity);

    QTemporaryDir Dir;
    QString Error;
};
