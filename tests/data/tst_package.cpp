#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Makes the .deb as the README tells a packager to (cpack -G DEB from the build
// folder) and checks it with Debian's own tools.
class tst_Package : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lintianFindsNothing();
    void changelogNamesTheMaintainer();

private:
    QTemporaryDir work;
    QString deb;
};

namespace {

// Given as cpack -D, so whoever configured the build folder does not matter.
const QString Maintainer = u"Package Test <package-test@example.org>"_s;

struct Run
{
    int exitCode = -1;
    QString output;
};

Run RunProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + u": "_s + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

} // namespace

void tst_Package::initTestCase()
{
    QVERIFY(work.isValid());
    const Run cpack = RunProgram(QStringLiteral(CPACK_COMMAND_PATH),
                                 {u"--config"_s, QStringLiteral(BUILD_DIR "/CPackConfig.cmake"),
                                  u"-G"_s, u"DEB"_s, u"-B"_s, work.path(), u"-D"_s,
                                  u"CPACK_DEBIAN_PACKAGE_MAINTAINER="_s + Maintainer});
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));
    const QStringList debs = QDir(work.path()).entryList({u"*.deb"_s});
    QCOMPARE(debs.size(), 1);
    deb = work.filePath(debs.first());
}

void tst_Package::lintianFindsNothing()
{
    // A missing checker fails the test: an unchecked package must not pass.
    const QString lintian = QStandardPaths::findExecutable(u"lintian"_s);
    QVERIFY2(!lintian.isEmpty(), "lintian is not installed (scripts/install-deps.sh)");
    // Informational tags remain (the binary is stripped by cpack, not dh_strip);
    // an error or a warning fails.
    const Run run = RunProgram(lintian, {u"--fail-on"_s, u"error,warning"_s, deb});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
}

void tst_Package::changelogNamesTheMaintainer()
{
    const QString root = work.filePath(u"root"_s);
    QCOMPARE(RunProgram(u"dpkg-deb"_s, {u"-x"_s, deb, root}).exitCode, 0);
    const Run changelog =
        RunProgram(u"gzip"_s, {u"-dc"_s, root + u"/usr/share/doc/tunetrawl/changelog.gz"_s});
    QCOMPARE(changelog.exitCode, 0);
    QVERIFY2(changelog.output.startsWith(u"tunetrawl (" TUNETRAWL_VERSION ") "_s),
             qPrintable(changelog.output));
    QVERIFY2(changelog.output.contains(u"\n -- "_s + Maintainer + u"  "_s),
             qPrintable(changelog.output));
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_package.moc"
