// Which entries the player hands to MCI, and which of those are CD tracks.
#pragma once

#include <string_view>

// The name ends in a media suffix that MCI plays (wave, MIDI, CD audio, AU, AIFF, video), in
// any case and with or without a dot before it. Every other name goes to the MPEG decoder.
bool is_mci_media(std::string_view name);
// The last three characters are CDA in any case.
bool is_cd_track(std::string_view name);
