// Reads a playlist file line by line the way a text-mode stream with a 256-byte buffer does.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/system/file_io.h"

constexpr std::size_t kPlaylistLineMax = 255;

// A line of nothing but blanks and tabs, which a reading skips.
inline bool is_blank_line(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// One reading of a playlist, the files nested in it included, stops after this many bytes or
// lines, blank ones and runs of NUL bytes counted too. A full list of 1023 entries with every
// property line stays far below both; a file of endless NULs or blank lines (a huge sparse
// file), or nested files that name each other many times over, ends within a fraction of a
// second instead of keeping the reader going for ever.
constexpr std::size_t kPlaylistReadMaxBytes = 16 * 1024 * 1024;
constexpr std::size_t kPlaylistReadMaxLines = 256 * 1024;

// What is left of a reading's bytes and lines; shared by every file read within it.
struct PlaylistReadBudget {
    std::size_t bytes_left = kPlaylistReadMaxBytes;
    std::size_t lines_left = kPlaylistReadMaxLines;
};

class PlaylistLineReader {
public:
    // Opens the file for reading; is_open() tells whether that worked. The reader ends the file
    // early, as its end does, once the budget is spent.
    PlaylistLineReader(const std::string& path, PlaylistReadBudget& budget);
    ~PlaylistLineReader();
    PlaylistLineReader(const PlaylistLineReader&) = delete;
    PlaylistLineReader& operator=(const PlaylistLineReader&) = delete;

    bool is_open() const { return file_ != INVALID_HANDLE_VALUE; }
    // The next line without its line feed: at most 255 characters, a longer line comes in pieces.
    // A carriage return before a line feed is dropped, and a line ends at a NUL byte as a C string
    // does. A UTF-8 byte-order mark at the start of the file is skipped. False once the file has
    // ended, a read has failed or the budget is spent.
    bool next_line(std::string* line);

private:
    // The next byte, or -1 at the end of the file or after a failed read.
    int next_byte();
    int peek_byte();
    bool fill();

    PlaylistReadBudget& budget_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::array<char, 4096> buffer_{};
    std::size_t size_ = 0;
    std::size_t at_ = 0;
    bool done_ = false;
    bool first_fill_ = true;
};
