// Times the playlist parser on a 32767-song history response like the stand-in
// site's, beside references measured in the same run:
//   - decoding the whole response from UTF-8, the cost the page paid before any
//     parsing when it arrived as text;
//   - a bare memmem count of "song_box", about the least any parser must do.
// Also the file name of a 400 000-character title against converting that title
// to UTF-8 once, both single passes when shortening is linear.
#include "playlist.h"
#include "sitecontent.h"
#include "songfiles.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Runs = 9;

template<typename Work> double MedianMs(Work work)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[Runs / 2];
}

qsizetype CountBlocks(QByteArrayView page)
{
    const std::string_view text(page.data(), size_t(page.size()));
    const std::string_view marker = "song_box";
    qsizetype count = 0;
    for (size_t at = 0;; at += marker.size(), ++count) {
#ifdef __GLIBC__
        const void *hit = memmem(text.data() + at, text.size() - at, marker.data(), marker.size());
        if (!hit)
            break;
        at = size_t(static_cast<const char *>(hit) - text.data());
#else
        at = text.find(marker, at);
        if (at == std::string_view::npos)
            break;
#endif
    }
    return count;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    const QByteArray body =
        SiteContent::HistoryPage(u"europaplus"_s, u"16.06.2014"_s, u"127.0.0.1:8080"_s, MaxSongs);
    const QByteArray response = "HTTP/1.0 200 OK\r\nServer: tunetrawl-chartsite\r\n"
                                "Content-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
                                body;

    qsizetype songs = 0, units = 0, blocks = 0;
    const double parse = MedianMs([&] { songs = ParsePlaylist(response).size(); });
    const double decode = MedianMs([&] { units = QString::fromUtf8(response).size(); });
    const double count = MedianMs([&] { blocks = CountBlocks(response); });

    out << "history response of " << songs << " songs (" << blocks << " blocks), "
        << response.size() / 1024 << " KiB, " << units << " UTF-16 units once decoded; median of "
        << Runs << " runs\n";
    out << "  ParsePlaylist              " << parse << " ms\n";
    out << "  QString::fromUtf8 of page  " << decode << " ms  (parse/decode " << parse / decode
        << ")\n";
    out << "  memmem count of song_box   " << count << " ms  (parse/count " << parse / count
        << ")\n";

    const QString title = QString(400000, u'ж');
    qsizetype nameBytes = 0, titleBytes = 0;
    const double name = MedianMs([&] {
        nameBytes = SongFileName({1, title, QString()}, false).toUtf8().size();
    });
    const double utf8 = MedianMs([&] { titleBytes = title.toUtf8().size(); });
    out << "file name of a " << title.size() << "-character title (" << nameBytes << " of "
        << titleBytes << " bytes kept)\n";
    out << "  SongFileName " << name << " ms, toUtf8 of the title " << utf8 << " ms  (ratio "
        << name / utf8 << ")\n";
    out.flush();
    return songs == MaxSongs && blocks == MaxSongs ? 0 : 1;
}
