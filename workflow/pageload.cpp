#include "pageload.h"

#include "loadprogress.h"

#include <QMetaObject>

PageLoad::PageLoad(HttpSession *session, QObject *parent)
    : QObject(parent), Page(new Exchange(session, this))
{
    ScanThread.setMaxThreadCount(1);
    connect(Page, &Exchange::lightChanged, this, &PageLoad::lightChanged);
    connect(Page, &Exchange::progress, this, [this](qint64 received, qint64, qint64 length) {
        emit progress(LoadProgress::percent(received, length));
    });
    connect(Page, &Exchange::finished, this, &PageLoad::pageArrived, Qt::QueuedConnection);
}

PageLoad::~PageLoad()
{
    ScanThread.waitForDone();
}

void PageLoad::start(const QString &url, const QString &libraryFolder)
{
    if (isRunning())
        return;
    Fetched = false;
    Songs.clear();
    Library = SongLibrary();
    PageRunning = true;
    if (!libraryFolder.isEmpty()) {
        ScanRunning = true;
        ScanThread.start([this, libraryFolder] {
            const SongLibrary library = SongLibrary::scan(libraryFolder);
            QMetaObject::invokeMethod(
                this, [this, library] { scanDone(library); }, Qt::QueuedConnection);
        });
    }
    // An address refused at once ends it inside this call; its end is taken from
    // the event loop all the same.
    Page->start({url, 1, {}, false}, &Buffer, ResponseReader::Keep::WholeResponse);
}

void PageLoad::pageArrived()
{
    const ResponseSummary &response = Page->summary();
    Fetched =
        Page->outcome() == Exchange::Outcome::Response && response.success() && response.whole();
    if (Fetched)
        Songs = ParsePlaylist(Buffer.bytes());
    Buffer.take(); // its memory goes
    PageRunning = false;
    finishIfDone();
}

void PageLoad::scanDone(const SongLibrary &library)
{
    Library = library;
    ScanRunning = false;
    finishIfDone();
}

void PageLoad::finishIfDone()
{
    if (!isRunning())
        emit finished();
}
