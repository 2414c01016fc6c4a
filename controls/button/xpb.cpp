#include "xpb.h"

#include "propertybag.h"

using namespace Qt::StringLiterals;

XpB::XpB(QWidget *parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &XpB::Click);
}

void XpB::ReadProperties(const PropertyBag &bag)
{
    setCaption(bag.ReadProperty(u"Caption"_s, objectName()).toString());
    setEnabledCtrl(bag.ReadProperty(u"Enabled"_s, true).toBool());
}
