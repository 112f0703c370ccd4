// Reads a playlist file line by line the way a text-mode stream with a 256-byte buffer does.
#pragma once

#include <array>
#include <string>

#include "platform/system/file_io.h"

constexpr std::size_t kPlaylistLineMax = 255;

class PlaylistLineReader {
public:
    // Opens the file for reading; is_open() tells whether that worked.
    explicit PlaylistLineReader(const std::string& path);
    ~PlaylistLineReader();
    PlaylistLineReader(const PlaylistLineReader&) = delete;
    PlaylistLineReader& operator=(const PlaylistLineReader&) = delete;

    bool is_open() const { return file_ != INVALID_HANDLE_VALUE; }
    // The next line without its line feed: at most 255 characters, a longer line comes in pieces.
    // A carriage return before a line feed is dropped, and a line ends at a NUL byte as a C string
    // does. A UTF-8 byte-order mark at the start of the file is skipped. False once the file has
    // ended or a read has failed.
    bool next_line(std::string* line);

private:
    // The next byte, or -1 at the end of the file or after a failed read.
    int next_byte();
    int peek_byte();
    bool fill();

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::array<char, 4096> buffer_{};
    std::size_t size_ = 0;
    std::size_t at_ = 0;
    bool done_ = false;
    bool first_fill_ = true;
};
