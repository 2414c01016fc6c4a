#pragma once

#include <QString>

// How a download run ended, in words for the status line.
struct RunTally
{
    int marked = 0; // songs the run reached with a mark and an address
    int stored = 0; // fetched and stored
    int failed = 0; // tried and not stored
    bool stopped = false;
};

QString RunReport(const RunTally &tally);

class RunProgress;
// The status line while a run goes: songs in flight, done of how many, and the
// speed and time left once they are known.
QString RunStatus(const RunProgress &progress);

// "файл", "файла" or "файлов", as Russian wants it after count.
QString FilesWord(int count);
