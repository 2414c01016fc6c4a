#include "windowaccess.h"

#include "check.h"
#include "datepickerkeys.h"
#include "focuskeeper.h"
#include "uccalendar.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

using namespace Qt::StringLiterals;

void SetUpWindowAccess(const WindowAccessParts &w)
{
    w.dateBox->setAccessibleName(u"Дата плейлиста"_s);
    w.stations->setAccessibleName(u"Радиостанция"_s);
    w.songs->setAccessibleName(u"Песни"_s);
    w.folder->setAccessibleName(u"Каталог для сохранения"_s);
    w.progress->setAccessibleName(u"Загрузка"_s);

    // As the window reads: the top row, the list, the boxes under it, the folder.
    QList<QWidget *> order = {w.dateBox, w.stations, w.start, w.songs};
    for (const auto &[box, caption] : w.boxes) {
        box->setCaptionLabel(caption);
        order.append(box);
    }
    order << w.folder << w.chooseFolder;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    new FocusKeeper({w.dateBox, w.stations, w.start, w.chooseFolder}, w.window);
    new DatePickerKeys(w.dateBox, w.calendar, w.openCalendar, w.window);
}
