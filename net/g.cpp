#include "g.h"

G::G(QWidget *parent) : QWidget(parent), I(new QWidget(this))
{
    I->setAutoFillBackground(true);
    I->setBackgroundRole(QPalette::Button);
}

QString G::RetUrl(QString &, int, bool, const QString &, bool)
{
    return QString();
}

QByteArray G::RetBytes(QString &)
{
    return QByteArray();
}

void G::resizeEvent(QResizeEvent *)
{
    I->setGeometry(rect());
}
