#include "appinfo.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// Runs the real program with no display at all: --version and --help must answer
// before anything reaches for a window.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
};

void tst_CommandLine::answersWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("out"); // each expected in standard output
    QTest::addColumn<QString>("err");     // expected in standard error

    const QStringList version{u"Tunetrawl "_s + QStringLiteral(TUNETRAWL_VERSION) + u'\n'};
    const QStringList help{u"tunetrawl"_s, u"--help"_s, u"--version"_s};
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << version << QString();
    QTest::newRow("-v") << QStringList{u"-v"_s} << 0 << version << QString();
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << help << QString();
    QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << help << QString();
    QTest::newRow("toolkit option passes to Qt")
        << QStringList{u"-platform"_s, u"offscreen"_s, u"--version"_s} << 0 << version << QString();
    QTest::newRow("toolkit option in = form")
        << QStringList{u"-style=fusion"_s, u"-v"_s} << 0 << version << QString();
    QTest::newRow("unknown option")
        << QStringList{u"--frobnicate"_s} << 2 << QStringList() << u"frobnicate"_s;
    QTest::newRow("unknown single-dash word")
        << QStringList{u"-frob"_s} << 2 << QStringList() << u"frob"_s;
    QTest::newRow("unknown option beside --version")
        << QStringList{u"--version"_s, u"--frobnicate"_s} << 2 << QStringList() << u"frobnicate"_s;
    QTest::newRow("stray argument")
        << QStringList{u"playlist.txt"_s} << 2 << QStringList() << u"playlist.txt"_s;
    QTest::newRow("toolkit option without its value")
        << QStringList{u"-style"_s} << 2 << QStringList() << u"style"_s;
    QTest::newRow("--parallel past 16")
        << QStringList{u"--station"_s, u"1"_s, u"--parallel"_s, u"17"_s} << 2 << QStringList()
        << u"--parallel: auto"_s;
    QTest::newRow("--parallel neither auto nor a number")
        << QStringList{u"--station"_s, u"1"_s, u"--parallel"_s, u"Auto"_s} << 2 << QStringList()
        << u"--parallel: auto"_s;
}

void tst_CommandLine::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, out);
    QFETCH(QString, err);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        environment.remove(name);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TUNETRAWL_BINARY), arguments);
    QVERIFY2(program.waitForFinished(60000), qPrintable(program.errorString()));
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, qPrintable(stdErr));
    if (exitCode == 0) {
        for (const QString &expected : out)
            QVERIFY2(stdOut.contains(expected), qPrintable(stdOut));
        // The toolkit's own options are accepted but not advertised.
        QVERIFY2(!stdOut.contains(u"platform"_s), qPrintable(stdOut));
        QCOMPARE(stdErr, QString());
    } else {
        // A refused command line says what was wrong and where to look, on stderr only.
        QCOMPARE(stdOut, QString());
        QVERIFY2(stdErr.contains(err) && stdErr.contains(u"--help"_s), qPrintable(stdErr));
    }
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
