// random_below: takes just enough top bits of a 31-bit generator and retries above n.
#include "render/random_below.h"

#include <algorithm>

#include "render/render_state.h"

int RandomBelow::operator()(int n) {
    n = std::clamp(n, 1, 0x0FFFFFFF);
    int bits = 1;
    while (!(static_cast<std::int64_t>(n) < (std::int64_t{1} << bits))) ++bits;
    std::uint32_t candidate;
    do {
        state = state * 1103515245u + 12345u;
        candidate = (state & 0x7FFFFFFFu) >> (31 - bits);
    } while (candidate > static_cast<std::uint32_t>(n));
    return static_cast<int>(candidate);
}

int random_below(int n) { return render_state().random_below(n); }
