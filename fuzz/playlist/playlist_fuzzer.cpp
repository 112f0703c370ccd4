// Playlist files of any content: loaded, saved beside themselves, and loaded again.
//
// Checks, on every input: whatever a load made of the file, a save writes it in a form that
// loads back the same (the same entries in order, with the same path, title, lyrics and image;
// the factor to the six digits a file keeps), or refuses to save at all. The first input byte
// picks the file's extension, so text lists, .lst and .m3u are all read.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/common/fuzz_support.h"
#include "playlist/playlist.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool same_factor(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b)) return a == b;
    return std::fabs(a - b) <= 1e-5f * std::fmax(std::fabs(a), std::fabs(b)) + 1e-30f;
}

void load(Playlist& list, const std::string& path) {
    list.checkFiles = false;  // the entries name files that are not there
    list.load(path, false, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietWin win;
    static const std::string folder = [] {
        std::string dir = fuzz_scratch_path("lists");
        ::mkdir(dir.c_str(), 0700);
        return dir;
    }();
    install_win_backend(&win);
    if (size == 0) return 0;
    static const char* const kExtensions[] = {".txt", ".lst", ".m3u"};
    const std::string ext = kExtensions[data[0] % 3];
    const std::string first = folder + "/list" + ext;
    const std::string second = folder + "/saved" + ext;
    if (!write_scratch_file(first, data + 1, size - 1)) return 0;

    Playlist a;
    load(a, first);
    if (!a.save(second)) return 0;
    Playlist b;
    load(b, second);
    check(a.count == b.count);
    for (int i = 0; i < a.count; ++i) {
        const PlaylistEntry& x = *a.entries[i];
        const PlaylistEntry& y = *b.entries[i];
        check(x.path == y.path);
        check(x.displayName == y.displayName);
        check(x.lyricsFile == y.lyricsFile);
        check(x.imageFile == y.imageFile);
        check(same_factor(x.factor, y.factor));
    }
    return 0;
}
