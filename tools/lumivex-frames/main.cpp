// lumivex-frames: renders the saver's frames without a display and writes them as PNG files.
//   lumivex-frames --out DIR --frames N [--every K] [--background B] [--resolution R] [--seed S]
//                  [--reopen-at F]
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/glide/glide.h"
#include "platform/glide/glide_present.h"
#include "platform/win/win_scripted.h"
#include "render/render_device.h"
#include "render/render_frame.h"
#include "render/render_state.h"
#include "saver/saver_settings.h"

namespace {

constexpr const char* kUsage =
    "usage: lumivex-frames --out DIR --frames N [--every K] [--background B] [--resolution R] "
    "[--seed S] [--reopen-at F]\n"
    "  --out DIR         folder for frame-NNNNN.png (made if missing)\n"
    "  --frames N        frames to render (1 or more)\n"
    "  --every K         write every K-th frame, starting with frame 0 (default 1)\n"
    "  --background B    background number 0..8 (turns the random background off)\n"
    "  --resolution R    0 = 640x480, 1 = 800x600, 2 = 1024x768\n"
    "  --seed S          the tick count the scene is seeded from (default 0)\n"
    "  --reopen-at F     close and reopen the device before frame F, as a failed password does\n";

struct Options {
    std::string out;
    long frames = 0;
    long every = 1;
    std::optional<long> background;
    std::optional<long> resolution;
    long seed = 0;
    std::optional<long> reopen_at;
};

std::optional<long> parse_number(const char* text) {
    long value = 0;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Parses the command line; prints the reason and returns nothing when it is not usable.
std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "lumivex-frames: %s needs a value\n", flag.c_str());
            return std::nullopt;
        }
        const char* value = argv[++i];
        if (flag == "--out") {
            o.out = value;
            continue;
        }
        const std::optional<long> n = parse_number(value);
        if (!n) {
            std::fprintf(stderr, "lumivex-frames: %s wants a whole number, not '%s'\n",
                         flag.c_str(), value);
            return std::nullopt;
        }
        if (flag == "--frames") {
            o.frames = *n;
        } else if (flag == "--every") {
            o.every = *n;
        } else if (flag == "--background") {
            o.background = *n;
        } else if (flag == "--resolution") {
            o.resolution = *n;
        } else if (flag == "--seed") {
            o.seed = *n;
        } else if (flag == "--reopen-at") {
            o.reopen_at = *n;
        } else {
            std::fprintf(stderr, "lumivex-frames: unknown option %s\n", flag.c_str());
            return std::nullopt;
        }
    }
    if (o.out.empty() || o.frames < 1) {
        std::fprintf(stderr, "lumivex-frames: --out and --frames (1 or more) are required\n");
        return std::nullopt;
    }
    if (o.every < 1 || (o.background && (*o.background < 0 || *o.background > 8)) ||
        (o.resolution && (*o.resolution < 0 || *o.resolution > 2)) || o.seed < 0 ||
        o.seed > 0xFFFFFFFFl) {
        std::fprintf(stderr,
                     "lumivex-frames: --every is 1 or more, --background 0..8, --resolution 0..2, "
                     "--seed 0..4294967295\n");
        return std::nullopt;
    }
    return o;
}

long g_calendar_seconds = 0;

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(options->out, ec);
    if (!std::filesystem::is_directory(options->out)) {
        std::fprintf(stderr, "lumivex-frames: cannot make the folder %s\n", options->out.c_str());
        return 1;
    }

    // A scripted clock: the tick count the scene is seeded from is the one asked for, and the
    // calendar time (the random background's seed) follows it, so every run is repeatable.
    ScriptedWin win;
    win.set_tick(static_cast<DWORD>(options->seed));
    g_calendar_seconds = options->seed;

    // The settings as the saver reads them: the defaults are in the renderer's working copies.
    RenderState& st = render_state();
    st.calendar_seconds = [] { return static_cast<std::int64_t>(g_calendar_seconds); };
    // The registry read fills the working copies from the saver's own key.
    SaverSettings settings;
    settings.read_system_values();
    store_default_saver_values(settings);
    settings.read_saver_values();

    // Command-line overrides come last.
    if (options->background) {
        st.background_number = static_cast<int>(*options->background);
        st.random_background = 0;
    }
    if (options->resolution) st.resolution = static_cast<int>(*options->resolution);

    glide_set_presenter(nullptr);  // offscreen: frames stay readable, nothing waits for a retrace
    open_render_device();
    long written = 0;
    for (long frame = 0; frame < options->frames; ++frame) {
        if (options->reopen_at && frame == *options->reopen_at && frame > 0) {
            grGlideShutdown();
            open_render_device();
        }
        render_frame();
        if (frame % options->every != 0) continue;
        const GlideFrame* shown = glide_last_frame();
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05ld.png", frame);
        const std::string path = (std::filesystem::path(options->out) / name).string();
        if (!shown || !glide_write_png(*shown, path)) {
            std::fprintf(stderr, "lumivex-frames: cannot write %s\n", path.c_str());
            grGlideShutdown();
            return 1;
        }
        ++written;
    }
    grGlideShutdown();
    std::printf("lumivex-frames: wrote %ld frame%s to %s\n", written, written == 1 ? "" : "s",
                options->out.c_str());
    return 0;
}
