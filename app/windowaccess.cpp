#include "windowaccess.h"

#include "check.h"
#include "datepickerkeys.h"
#include "focuskeeper.h"
#include "mainwindow.h"
#include "progressbox.h"
#include "uccalendar.h"
#include "xpb.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

using namespace Qt::StringLiterals;

void SetUpWindowAccess(Main &w)
{
    w.Text1->setAccessibleName(u"Дата плейлиста"_s);
    w.Combo1->setAccessibleName(u"Радиостанция"_s);
    w.List1->setAccessibleName(u"Песни"_s);
    w.Text2->setAccessibleName(u"Каталог для сохранения"_s);
    w.Progress->setAccessibleName(u"Загрузка"_s);

    w.Check1->setCaptionLabel(w.Label2);
    w.Check2->setCaptionLabel(w.Label3);
    w.Check3->setCaptionLabel(w.Label4);

    // As the window reads: the top row, the list, the boxes under it, the folder.
    const QList<QWidget *> order = {w.Text1,  w.Combo1, w.Command1, w.List1, w.Check1,
                                    w.Check2, w.Check3, w.Text2,    w.XpB1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    new FocusKeeper({w.Text1, w.Combo1, w.Command1, w.XpB1}, &w);
    new DatePickerKeys(
        w.Text1, w.Cal, [&w] { w.Text1_Click(); }, &w);
}
