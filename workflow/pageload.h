#pragma once

#include "exchange.h"
#include "playlist.h"
#include "receivebuffer.h"
#include "songlibrary.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

class HttpSession;

// One load of a history page: the page through an exchange of the session and,
// on a thread of its own meanwhile, the scan of the station's folder for the
// songs the library already holds. finished() comes from the event loop once
// both are over; the songs and the library are then ready to take.
class PageLoad : public QObject
{
    Q_OBJECT

public:
    explicit PageLoad(HttpSession *session, QObject *parent = nullptr);
    // Waits for a scan still under way; its result is dropped.
    ~PageLoad() override;

    // The deadline of the timings bounds the load as a whole.
    void setTimings(const Exchange::Timings &timings) { Page->setTimings(timings); }
    // A page growing beyond this many bytes fails its load.
    void setMaxPageSize(qint64 bytes) { Buffer.setLimit(bytes); }

    // libraryFolder: the station's folder to scan, "" for none.
    void start(const QString &url, const QString &libraryFolder);
    // Gives the page up; finished() follows.
    void abort() { Page->abort(); }
    bool isRunning() const { return PageRunning || ScanRunning; }

    // Whether a whole page with a success status came; its songs, once.
    bool fetched() const { return Fetched; }
    QList<SongEntry> takeSongs() { return std::exchange(Songs, {}); }
    const SongLibrary &library() const { return Library; }

Q_SIGNALS:
    void progress(qint16 percent);
    void lightChanged(Exchange::Light light);
    void finished();

private:
    void pageArrived();
    void scanDone(const SongLibrary &library);
    void finishIfDone();

    Exchange *Page;
    ReceiveBuffer Buffer;
    QThreadPool ScanThread;
    bool PageRunning = false;
    bool ScanRunning = false;
    bool Fetched = false;
    QList<SongEntry> Songs;
    SongLibrary Library;
};
