// Reads a playlist file line by line the way a text-mode stream with a 256-byte buffer does.
#include "playlist/playlist_line_reader.h"

#include <algorithm>

PlaylistLineReader::PlaylistLineReader(const std::string& path, PlaylistReadBudget& budget)
    : budget_(budget) {
    file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

PlaylistLineReader::~PlaylistLineReader() {
    if (is_open()) CloseHandle(file_);
}

bool PlaylistLineReader::fill() {
    if (done_ || !is_open()) return false;
    const std::size_t want = std::min(buffer_.size(), budget_.bytes_left);
    DWORD got = 0;
    if (want == 0 || !ReadFile(file_, buffer_.data(), static_cast<DWORD>(want), &got, nullptr) ||
        got == 0) {
        done_ = true;  // a failed read, or a spent budget, ends the file as its end does
        return false;
    }
    budget_.bytes_left -= std::min<std::size_t>(got, budget_.bytes_left);
    size_ = got;
    at_ = 0;
    // Editors that save UTF-8 may put a byte-order mark first; it is no part of the first line.
    if (first_fill_ && size_ >= 3 && buffer_[0] == '\xEF' && buffer_[1] == '\xBB' &&
        buffer_[2] == '\xBF') {
        at_ = 3;
    }
    first_fill_ = false;
    return at_ < size_ || fill();
}

int PlaylistLineReader::peek_byte() {
    if (at_ == size_ && !fill()) return -1;
    return static_cast<unsigned char>(buffer_[at_]);
}

int PlaylistLineReader::next_byte() {
    int c = peek_byte();
    if (c < 0) return -1;
    ++at_;
    // Text mode: CR LF reads as LF; a CR anywhere else is an ordinary character.
    if (c == '\r' && peek_byte() == '\n') {
        ++at_;
        return '\n';
    }
    return c;
}

bool PlaylistLineReader::next_line(std::string* line) {
    line->clear();
    if (budget_.lines_left == 0) return false;
    std::size_t taken = 0;
    bool any = false;
    bool ended_by_nul = false;
    while (taken < kPlaylistLineMax) {
        int c = next_byte();
        if (c < 0) break;
        any = true;
        if (c == '\n') break;
        ++taken;
        if (c == '\0') ended_by_nul = true;
        if (!ended_by_nul) line->push_back(static_cast<char>(c));
    }
    if (any) --budget_.lines_left;
    return any;
}
