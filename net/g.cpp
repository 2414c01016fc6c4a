#include "g.h"

G::G(QWidget *parent) : QWidget(parent), I(new QWidget(this))
{
    I->setAutoFillBackground(true);
    I->setBackgroundRole(QPalette::Button);
}

void G::resizeEvent(QResizeEvent *)
{
    I->setGeometry(rect());
}
