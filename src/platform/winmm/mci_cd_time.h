// CD positions and lengths as MCI writes and reads them: milliseconds, MM:SS:FF, TT:MM:SS:FF.
#pragma once

#include <string>
#include <string_view>

#include "platform/winmm/cd_drive.h"
#include "platform/winmm/mci_device.h"

// A position: ms is absolute time on the disc; msf the absolute address; tmsf the track and
// the time within it.
std::string format_cd_position(const CdToc& toc, int frame, MciTimeFormat format);

// A length: ms, or MM:SS:FF in both msf and tmsf.
std::string format_cd_length(int frames, MciTimeFormat format);

// Reads a position written in `format`. In tmsf "3" is the start of track 3 and "3:1:30" one
// minute and a half into it; in msf "2:30" is minute 2, second 30. MCIERR_BAD_INTEGER for a
// malformed text, MCIERR_OUTOFRANGE for a track the disc lacks or seconds or frames beyond 59
// and 74.
MCIERROR parse_cd_position(const CdToc& toc, std::string_view text, MciTimeFormat format,
                           int* frame);
