// Settings files of any content: parsed, one value written, and every other line kept.
//
// Checks, on every input:
// - the reader that keeps no lines (replay_text) sees the same keys and values as the editor's
//   document (replay of parse_document);
// - writing one of the saver's values changes only that value: the document's other lines come
//   back byte for byte, in order (new lines may be added: the header, a key line, the value), and
//   reading the written text back gives the same keys and values as before, but for the one set;
// - the written text parses to itself: a second parse and write changes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_document.h"

using namespace lumivex::reg;

namespace {

const std::vector<std::string> kKey = {"Software", "Velt", "Lumivex Saver"};

bool same_value(const Value& a, const Value& b) { return a.type == b.type && a.data == b.data; }

// The two hives hold the same keys and values, except for `skip` (a folded key path and value).
bool same_hive(const Hive& a, const Hive& b, const std::string& skip_key,
               const std::string& skip_value) {
    for (const auto& [id, key] : a) {
        auto it = b.find(id);
        if (it == b.end()) return false;
        for (const auto& [name, v] : key.values) {
            if (id == skip_key && name == skip_value) continue;
            auto other = it->second.values.find(name);
            if (other == it->second.values.end() || !same_value(v.value, other->second.value))
                return false;
        }
        for (const auto& [name, v] : it->second.values) {
            if (id == skip_key && name == skip_value) continue;
            if (!key.values.count(name)) return false;
        }
    }
    // Writing a value may add its key, and with it the keys above it.
    for (const auto& [id, key] : b) {
        if (!a.count(id) && !skip_key.starts_with(id)) return false;
    }
    return true;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = decode_reg_text(
        std::string_view(reinterpret_cast<const char*>(data), size));
    const Document before = parse_document(text);
    const Hive hive = replay(before);
    check(same_hive(hive, replay_text(text), "", ""));

    // The value: a number, or a text taken from the input's last bytes.
    Value value;
    std::string name = "Background Number";
    if (size > 0 && data[0] % 2 == 1) {
        name = "Playlist";
        value.type = REG_SZ;
        value.data.assign(reinterpret_cast<const char*>(data) + size / 2, size - size / 2);
        value.data += '\0';
    } else {
        value.type = REG_DWORD;
        value.data = std::string("\x07\0\0\0", 4);
    }
    Document after = before;
    set_value(after, kKey, name, value);

    // Old lines in order, at most the one that held the value replaced.
    const std::string key_id = path_id(kKey);
    std::size_t changed_line = static_cast<std::size_t>(-1);
    if (auto k = hive.find(key_id); k != hive.end()) {
        if (auto v = k->second.values.find(path_id({name})); v != k->second.values.end())
            changed_line = v->second.line;
    }
    std::size_t j = 0;
    for (std::size_t i = 0; i < before.lines.size(); ++i) {
        if (i == changed_line) continue;
        while (j < after.lines.size() && after.lines[j].text != before.lines[i].text) ++j;
        check(j < after.lines.size());
        ++j;
    }

    // Read back: the value set, everything else as it was.
    const std::string written = serialize(after);
    const Hive reread = replay_text(written);
    auto k = reread.find(key_id);
    check(k != reread.end());
    auto v = k->second.values.find(path_id({name}));
    check(v != k->second.values.end() && same_value(v->second.value, value));
    check(same_hive(hive, reread, key_id, path_id({name})));

    // Written text is stable.
    check(serialize(parse_document(written)) == written);
    return 0;
}
