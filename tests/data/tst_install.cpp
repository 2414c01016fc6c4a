#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Installs the build into a fresh prefix, as `cmake --install` does for a user,
// and checks the tree a desktop would find there.
class tst_Install : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installsExactlyWhatAUserNeeds();
    void validators_data();
    void validators();
    void icons_data();
    void icons();
    void scalableIconMatchesTheDrawnOne();
    void manualPageNamesEveryOption();

private:
    QString installed(const QString &path) const { return prefix.filePath(path); }

    QTemporaryDir prefix;
};

namespace {

const QString Id = QStringLiteral(TUNETRAWL_APP_ID);
const QList<int> IconSides{16, 22, 24, 32, 48, 64};

QString IconPath(const QString &size, const QString &suffix)
{
    return u"share/icons/hicolor/%1/apps/%2.%3"_s.arg(size, Id, suffix);
}

struct Run
{
    int exitCode = -1;
    QString output;
};

// errorsOnly: standard output is dropped, only standard error is kept.
Run RunProgram(const QString &program, const QStringList &arguments, bool errorsOnly = false)
{
    QProcess process;
    if (errorsOnly)
        process.setStandardOutputFile(QProcess::nullDevice());
    else
        process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + u": "_s + process.errorString()};
    return {process.exitCode(),
            QString::fromUtf8(errorsOnly ? process.readAllStandardError() : process.readAll())};
}

} // namespace

void tst_Install::initTestCase()
{
    QVERIFY(prefix.isValid());
    const Run install =
        RunProgram(QStringLiteral(CMAKE_COMMAND_PATH),
                   {u"--install"_s, QStringLiteral(BUILD_DIR), u"--prefix"_s, prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void tst_Install::installsExactlyWhatAUserNeeds()
{
    QStringList expected{
        u"bin/tunetrawl"_s,
        u"share/applications/%1.desktop"_s.arg(Id),
        u"share/metainfo/%1.metainfo.xml"_s.arg(Id),
        u"share/doc/tunetrawl/LICENSE"_s,
        u"share/man/man1/tunetrawl.1.gz"_s,
        IconPath(u"scalable"_s, u"svg"_s),
    };
    for (const int side : IconSides)
        expected << IconPath(u"%1x%1"_s.arg(side), u"png"_s);
    expected.sort();

    // Nothing more: no tests, benchmarks, the stand-in site or libraries.
    QStringList found;
    QDirIterator it(prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(prefix.path()).relativeFilePath(it.next());
    found.sort();
    QCOMPARE(found, expected);
    QVERIFY(QFileInfo(installed(u"bin/tunetrawl"_s)).isExecutable());
}

void tst_Install::validators_data()
{
    QTest::addColumn<QString>("validator");
    QTest::addColumn<QStringList>("arguments");
    // Silent: any output at all (a hint included) is a fault.
    QTest::addColumn<bool>("silent");
    // Only standard error speaks; standard output is the formatted result.
    QTest::addColumn<bool>("errorsOnly");

    const QString manPage = installed(u"share/man/man1/tunetrawl.1.gz"_s);
    QTest::newRow("desktop entry")
        << u"desktop-file-validate"_s
        << QStringList{installed(u"share/applications/"_s + Id + u".desktop"_s)} << true << false;
    QTest::newRow("AppStream metadata")
        << u"appstreamcli"_s
        << QStringList{u"validate"_s, u"--no-net"_s, u"--strict"_s,
                       installed(u"share/metainfo/"_s + Id + u".metainfo.xml"_s)}
        << false << false;
    // The tree as a whole: the metadata's launchable names the desktop entry
    // installed beside it.
    QTest::newRow("installed tree")
        << u"appstreamcli"_s
        << QStringList{u"validate-tree"_s, u"--no-net"_s, u"--strict"_s, prefix.path()} << false
        << false;
    // As lintian formats it: troff's warnings (unknown macros, bad escapes) on stderr.
    QTest::newRow("manual page roff")
        << u"man"_s
        << QStringList{u"--warnings"_s, u"-E"_s, u"UTF-8"_s, u"-l"_s, u"-Tutf8"_s, u"-Z"_s, manPage}
        << true << true;
    // The NAME line whatis and apropos index.
    QTest::newRow("manual page whatis") << u"lexgrog"_s << QStringList{manPage} << false << false;
}

void tst_Install::validators()
{
    QFETCH(QString, validator);
    QFETCH(QStringList, arguments);
    QFETCH(bool, silent);
    QFETCH(bool, errorsOnly);

    // A missing validator fails the test: an unchecked file must not pass.
    const QString program = QStandardPaths::findExecutable(validator);
    QVERIFY2(!program.isEmpty(),
             qPrintable(validator + u" is not installed (scripts/install-deps.sh)"_s));
    const Run run = RunProgram(program, arguments, errorsOnly);
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    if (silent)
        QVERIFY2(run.output.isEmpty(), qPrintable(run.output));
    // desktop-file-validate ends with 0 after warnings.
    QVERIFY2(!run.output.contains(u"warning:"_s) && !run.output.contains(u"error:"_s),
             qPrintable(run.output));
}

void tst_Install::icons_data()
{
    QTest::addColumn<int>("side");
    for (const int side : IconSides)
        QTest::newRow(qPrintable(u"%1 px"_s.arg(side))) << side;
}

void tst_Install::icons()
{
    QFETCH(int, side);
    const QString path = installed(IconPath(u"%1x%1"_s.arg(side), u"png"_s));
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(side, side));
    QVERIFY(image.hasAlphaChannel());
    // Drawn, not blank: the centre carries the opaque label, a corner stays clear.
    QCOMPARE(qAlpha(image.pixel(side / 2, side / 2)), 255);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

void tst_Install::scalableIconMatchesTheDrawnOne()
{
    const QString renderer = QStandardPaths::findExecutable(u"rsvg-convert"_s);
    QVERIFY2(!renderer.isEmpty(), "rsvg-convert is not installed (scripts/install-deps.sh)");
    QTemporaryDir out;
    const QString rendered = out.filePath(u"scalable.png"_s);
    const Run run = RunProgram(renderer, {u"-w"_s, u"64"_s, u"-h"_s, u"64"_s, u"-o"_s, rendered,
                                          installed(IconPath(u"scalable"_s, u"svg"_s))});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));

    const auto load = [](const QString &path) {
        return QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage fromSvg = load(rendered);
    const QImage drawn = load(installed(IconPath(u"64x64"_s, u"png"_s)));
    QCOMPARE(fromSvg.size(), QSize(64, 64));
    QCOMPARE(drawn.size(), QSize(64, 64));
    // The two renderers smooth edges differently; shapes and colours must agree.
    qint64 difference = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = fromSvg.pixel(x, y), b = drawn.pixel(x, y);
            difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) +
                          qAbs(qBlue(a) - qBlue(b)) + qAbs(qAlpha(a) - qAlpha(b));
        }
    }
    const double mean = difference / (64.0 * 64.0 * 4.0);
    QVERIFY2(mean < 2.0, qPrintable(u"mean difference %1 of 255"_s.arg(mean)));
}

void tst_Install::manualPageNamesEveryOption()
{
    const Run help = RunProgram(installed(u"bin/tunetrawl"_s), {u"--help"_s});
    QCOMPARE(help.exitCode, 0);
    const Run page =
        RunProgram(u"gzip"_s, {u"-dc"_s, installed(u"share/man/man1/tunetrawl.1.gz"_s)});
    QCOMPARE(page.exitCode, 0);

    // Options stand at the start of --help's lines ("  -h, --help  ...").
    QStringList options;
    static const QRegularExpression line(u"^[ \\t]+(-.*?)(?:[ \\t]{2,}|$)"_s,
                                         QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : line.globalMatch(help.output)) {
        for (const QString &option : m.captured(1).split(u", "_s))
            options << option.section(u' ', 0, 0);
    }
    QVERIFY2(options.contains(u"--version"_s), qPrintable(help.output));
    for (const QString &option : options) {
        // Dashes in roff are written \-; "\-h" inside "\-\-help" does not count.
        const QString written = QString(option).replace(u'-', u"\\-"_s);
        const QRegularExpression word(u"(?<![-\\w])"_s + QRegularExpression::escape(written) +
                                      u"(?![-\\w])"_s);
        QVERIFY2(page.output.contains(word),
                 qPrintable(option + u" is missing from the manual page"_s));
    }
}

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
