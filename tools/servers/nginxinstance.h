#pragma once

#include "serverinstance.h"

// Debian's nginx, also over TLS when given a certificate.
class NginxInstance : public ServerInstance
{
public:
    NginxInstance();

    static QString program();

    using ServerInstance::start;
    // serverDirectives go into the server block as they are
    // ("location = /a { return 301 /b; }").
    bool start(const QString &root, const QString &serverDirectives);

    // Serve over TLS from the next start on, with these PEM files; empty
    // names go back to plain HTTP.
    void setCertificate(const QString &certificateFile, const QString &keyFile);

protected:
    std::optional<QStringList> configure(quint16 port) override;
    QStringList logFiles() const override { return {QStringLiteral("error.log")}; }
    bool speaksTls() const override { return !CertificateFile.isEmpty(); }

private:
    QString Directives;
    QString CertificateFile;
    QString KeyFile;
};
