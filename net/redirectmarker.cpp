#include "redirectmarker.h"

#include <array>
#include <cstring>
#include <string_view>

using namespace std::string_view_literals;

bool HasRedirectMarker(QByteArrayView response)
{
    static constexpr std::array markers = {
        "302 Found"sv,    "301 Moved"sv,    "302 Moved"sv,
        "HTTP/1.1 302"sv, "HTTP/1.0 302"sv, "303 See Other"sv,
    };
    // Each marker holds "30" exactly once; one pass over the '3's of a large body
    // costs far less than a search per marker.
    const char *begin = response.data();
    const char *end = begin + response.size();
    for (const char *p = begin; p < end; ++p) {
        p = static_cast<const char *>(std::memchr(p, '3', size_t(end - p)));
        if (!p)
            break;
        if (p + 1 == end || p[1] != '0')
            continue;
        for (const std::string_view marker : markers) {
            const size_t at = marker.find("30"sv);
            if (size_t(p - begin) < at)
                continue;
            const char *start = p - at;
            if (size_t(end - start) >= marker.size() &&
                std::memcmp(start, marker.data(), marker.size()) == 0)
                return true;
        }
    }
    return false;
}
