#include "testcertificates.h"

#include "hostprocess.h"
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QString baseName(TestCertificates::Kind kind)
{
    switch (kind) {
    case TestCertificates::Kind::Good:
        return u"good"_s;
    case TestCertificates::Kind::WrongHost:
        return u"wronghost"_s;
    case TestCertificates::Kind::Expired:
        return u"expired"_s;
    case TestCertificates::Kind::Untrusted:
        return u"untrusted"_s;
    }
    return {};
}

// Our own configuration, so nothing depends on the system's openssl.cnf. The
// "ca" command is used because it alone (in OpenSSL 3.0) sets any validity
// period, past ones included.
QString configText(const QString &dir)
{
    return uR"(dir = %1
[ req ]
distinguished_name = req_dn
prompt = no
[ req_dn ]
CN = unused
[ ca ]
default_ca = test_ca
[ test_ca ]
database = $dir/index.txt
new_certs_dir = $dir/issued
certificate = $dir/ca.pem
private_key = $dir/ca.key
serial = $dir/serial
default_md = sha256
policy = policy_any
unique_subject = no
[ policy_any ]
commonName = supplied
[ v3_ca ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ loopback ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
authorityKeyIdentifier = keyid
[ wrong_host ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:wrong.example
authorityKeyIdentifier = keyid
[ self_signed ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, digitalSignature, keyCertSign
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
subjectKeyIdentifier = hash
)"_s.arg(dir);
}

const QStringList NewEcKey = {u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
                              u"ec_paramgen_curve:prime256v1"_s, u"-noenc"_s};

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString TestCertificates::program()
{
    return HostProcess::findProgram(u"openssl"_s);
}

bool TestCertificates::run(const QStringList &arguments)
{
    HostProcess openssl;
    openssl.setWorkingDirectory(Dir.path());
    if (!openssl.start(program(), arguments)) {
        Error = u"openssl: "_s + openssl.errorString();
        return false;
    }
    if (!openssl.waitForFinished(30000) || !openssl.exitedNormally() || openssl.exitCode() != 0) {
        Error = u"openssl "_s + arguments.join(u' ') + u": "_s +
                QString::fromLocal8Bit(openssl.output()).trimmed();
        return false;
    }
    return true;
}

bool TestCertificates::signedByCa(const QString &name, const QString &commonName,
                                  const QString &extensions, const QStringList &validity)
{
    const QString config = HostProcess::hostPath(Dir.filePath(u"openssl.cnf"_s));
    return run(QStringList{u"req"_s, u"-new"_s, u"-config"_s, config, u"-subj"_s,
                           u"/CN="_s + commonName} +
               NewEcKey +
               QStringList{u"-keyout"_s, name + u".key"_s, u"-out"_s, name + u".csr"_s}) &&
           run(QStringList{u"ca"_s, u"-batch"_s, u"-notext"_s, u"-config"_s, config,
                           u"-extensions"_s, extensions, u"-in"_s, name + u".csr"_s, u"-out"_s,
                           name + u".pem"_s} +
               validity);
}

bool TestCertificates::create()
{
    Error.clear();
    if (program().isEmpty()) {
        Error = u"openssl is not installed (scripts/install-deps.sh installs it)"_s;
        return false;
    }
    if (!Dir.isValid()) {
        Error = u"no temporary folder: "_s + Dir.errorString();
        return false;
    }
    const QString dir = Dir.path();
    QDir(dir).mkpath(u"issued"_s);
    QFile config(Dir.filePath(u"openssl.cnf"_s));
    QFile index(Dir.filePath(u"index.txt"_s));
    QFile serial(Dir.filePath(u"serial"_s));
    if (!config.open(QIODevice::WriteOnly) || !index.open(QIODevice::WriteOnly) ||
        !serial.open(QIODevice::WriteOnly)) {
        Error = u"cannot write into "_s + dir;
        return false;
    }
    config.write(configText(HostProcess::hostPath(dir)).toUtf8());
    serial.write("1000\n");
    config.close();
    serial.close();
    index.close();

    const QString configFile = HostProcess::hostPath(config.fileName());
    const QStringList thirtyDays = {u"-days"_s, u"30"_s};
    const QStringList longAgo = {u"-startdate"_s, u"20200101000000Z"_s, u"-enddate"_s,
                                 u"20200201000000Z"_s};
    const bool caMade =
        run(QStringList{u"req"_s, u"-x509"_s, u"-config"_s, configFile, u"-extensions"_s,
                        u"v3_ca"_s, u"-subj"_s, u"/CN=Throw-away test CA"_s} +
            NewEcKey + thirtyDays + QStringList{u"-keyout"_s, u"ca.key"_s, u"-out"_s, u"ca.pem"_s});
    return caMade && signedByCa(baseName(Kind::Good), u"127.0.0.1"_s, u"loopback"_s, thirtyDays) &&
           signedByCa(baseName(Kind::WrongHost), u"wrong.example"_s, u"wrong_host"_s, thirtyDays) &&
           signedByCa(baseName(Kind::Expired), u"127.0.0.1"_s, u"loopback"_s, longAgo) &&
           run(QStringList{u"req"_s, u"-x509"_s, u"-config"_s, configFile, u"-extensions"_s,
                           u"self_signed"_s, u"-subj"_s, u"/CN=127.0.0.1"_s} +
               NewEcKey + thirtyDays +
               QStringList{u"-keyout"_s, u"untrusted.key"_s, u"-out"_s, u"untrusted.pem"_s});
}

QString TestCertificates::caCertificateFile() const
{
    return Dir.filePath(u"ca.pem"_s);
}

QSslCertificate TestCertificates::caCertificate() const
{
    return QSslCertificate(readFile(caCertificateFile()), QSsl::Pem);
}

QString TestCertificates::certificateFile(Kind kind) const
{
    return Dir.filePath(baseName(kind) + u".pem"_s);
}

QString TestCertificates::keyFile(Kind kind) const
{
    return Dir.filePath(baseName(kind) + u".key"_s);
}

QSslCertificate TestCertificates::certificate(Kind kind) const
{
    return QSslCertificate(readFile(certificateFile(kind)), QSsl::Pem);
}

QSslKey TestCertificates::key(Kind kind) const
{
    return QSslKey(readFile(keyFile(kind)), QSsl::Ec, QSsl::Pem);
}
