#include "checkpicture.h"

#include <QTest>

class tst_CheckPicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choice_data();
    void choice();
};

void tst_CheckPicture::choice_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("value");
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<CheckPicture>("expected");

    using P = CheckPicture;
    QTest::newRow("idle checked") << true << true << false << false << P::IdleChecked;
    QTest::newRow("idle unchecked") << true << false << false << false << P::IdleNoValue;
    QTest::newRow("hover checked") << true << true << true << false << P::MouseoverChecked;
    QTest::newRow("hover unchecked") << true << false << true << false << P::MouseoverNoValue;
    // The value has flipped already: the pushed picture shows the one before.
    QTest::newRow("pressed, was unchecked") << true << true << false << true << P::PushedNoValue;
    QTest::newRow("pressed, was checked") << true << false << false << true << P::PushedChecked;
    QTest::newRow("pressed beats hover") << true << true << true << true << P::PushedNoValue;
    QTest::newRow("disabled checked") << false << true << false << false << P::DisabledChecked;
    QTest::newRow("disabled unchecked") << false << false << false << false << P::DisabledNoValue;
    QTest::newRow("disabled shows no hover")
        << false << true << true << false << P::DisabledChecked;
    QTest::newRow("disabled shows no press")
        << false << false << false << true << P::DisabledNoValue;
    QTest::newRow("disabled, all set") << false << true << true << true << P::DisabledChecked;
}

void tst_CheckPicture::choice()
{
    QFETCH(bool, enabled);
    QFETCH(bool, value);
    QFETCH(bool, hover);
    QFETCH(bool, pressed);
    QFETCH(CheckPicture, expected);
    QCOMPARE(PictureName(ChoosePicture(enabled, value, hover, pressed)), PictureName(expected));
}

QTEST_GUILESS_MAIN(tst_CheckPicture)
#include "tst_checkpicture.moc"
