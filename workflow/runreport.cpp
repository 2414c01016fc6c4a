#include "runreport.h"

#include "runprogress.h"
#include "sizetext.h"

using namespace Qt::StringLiterals;

QString FilesWord(int count)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return u"файлов"_s;
    if (last == 1)
        return u"файл"_s;
    if (last >= 2 && last <= 4)
        return u"файла"_s;
    return u"файлов"_s;
}

QString RunReport(const RunTally &tally)
{
    const auto files = [](int n) { return QString::number(n) + u' ' + FilesWord(n); };
    if (tally.stopped)
        return u"Остановлено: скачано "_s + files(tally.stored);
    if (tally.marked == 0)
        return u"Ничего не отмечено для скачивания"_s;
    if (tally.failed == 0)
        return u"Готово: скачано "_s + files(tally.stored);
    // Short enough for the status line; the failed songs keep their marks, so the
    // next «Старт!» tries them again.
    if (tally.stored == 0)
        return u"Не скачано "_s + files(tally.failed) + u" (отметки остались)"_s;
    return u"Готово: скачано "_s + QString::number(tally.stored) + u", не скачано "_s +
           QString::number(tally.failed) + u" (отметки остались)"_s;
}

QString RunStatus(const RunProgress &progress)
{
    QString text = u"Готово %1 из %2"_s.arg(progress.done()).arg(progress.total());
    if (progress.inFlight() > 0)
        text = u"Скачивается %1, готово %2 из %3"_s.arg(progress.inFlight())
                   .arg(progress.done())
                   .arg(progress.total());
    if (progress.bytesPerSecond() > 0)
        text += u" · "_s + SpeedText(progress.bytesPerSecond());
    if (const qint64 left = progress.secondsLeft(); left >= 0 && progress.inFlight() > 0)
        text += u" · осталось "_s + DurationText(left);
    return text;
}
