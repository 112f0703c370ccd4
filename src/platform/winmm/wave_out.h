// The wave-out device calls, with Windows' names, values and rules.
#pragma once

#include "platform/winmm/mmsystem.h"

struct HWAVEOUT__;
using HWAVEOUT = HWAVEOUT__*;
using LPHWAVEOUT = HWAVEOUT*;

// The one output device; WAVE_MAPPER (the wave mapper) and device 0 both name it.
constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;

constexpr WORD WAVE_FORMAT_PCM = 1;

// waveOutOpen flags.
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000u;
constexpr DWORD CALLBACK_NULL = 0x00000000u;
constexpr DWORD CALLBACK_WINDOW = 0x00010000u;
constexpr DWORD CALLBACK_THREAD = 0x00020000u;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000u;
constexpr DWORD CALLBACK_EVENT = 0x00050000u;
constexpr DWORD WAVE_FORMAT_QUERY = 0x0001u;
constexpr DWORD WAVE_ALLOWSYNC = 0x0002u;
constexpr DWORD WAVE_MAPPED = 0x0004u;

// Messages to the callback.
constexpr UINT WOM_OPEN = 0x3BB;
constexpr UINT WOM_CLOSE = 0x3BC;
constexpr UINT WOM_DONE = 0x3BD;

// Results particular to the wave calls.
constexpr MMRESULT WAVERR_BASE = 32;
constexpr MMRESULT WAVERR_BADFORMAT = WAVERR_BASE + 0;
constexpr MMRESULT WAVERR_STILLPLAYING = WAVERR_BASE + 1;
constexpr MMRESULT WAVERR_UNPREPARED = WAVERR_BASE + 2;
constexpr MMRESULT WAVERR_SYNC = WAVERR_BASE + 3;

// WAVEHDR dwFlags.
constexpr DWORD WHDR_DONE = 0x00000001u;
constexpr DWORD WHDR_PREPARED = 0x00000002u;
constexpr DWORD WHDR_BEGINLOOP = 0x00000004u;
constexpr DWORD WHDR_ENDLOOP = 0x00000008u;
constexpr DWORD WHDR_INQUEUE = 0x00000010u;

// 18 bytes, as the system lays it out.
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct WAVEHDR {
    char* lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;  // the caller's own; the device never touches it
    DWORD dwFlags;
    DWORD dwLoops;
    WAVEHDR* lpNext;
    DWORD_PTR reserved;
};
using LPWAVEHDR = WAVEHDR*;

// The header size a 32-bit program passes (four-byte pointers). The header calls accept it as
// well as sizeof(WAVEHDR), so a caller that keeps the historical 32 works unchanged.
constexpr UINT kWin32WaveHdrSize = 32;

// The CALLBACK_FUNCTION procedure: WOM_OPEN, WOM_DONE (param1 = the finished LPWAVEHDR) and
// WOM_CLOSE. It runs on the device's own notice thread, never on the caller's or the audio
// system's; within it only waveOutUnprepareHeader, waveOutWrite and waveOutPrepareHeader may be
// called on the same device (waveOutClose there answers MMSYSERR_HANDLEBUSY).
using LPWAVECALLBACK = void (*)(HWAVEOUT hwo, UINT msg, DWORD_PTR instance, DWORD_PTR param1,
                                DWORD_PTR param2);

UINT waveOutGetNumDevs();

// Opens the device for 8- or 16-bit PCM, 1 or 2 channels. `callback` is an LPWAVECALLBACK cast to
// DWORD_PTR (with CALLBACK_FUNCTION) or 0 (CALLBACK_NULL). WOM_OPEN has been delivered when it
// returns. A device that cannot be opened answers MMSYSERR_NODRIVER (no audio system) or
// MMSYSERR_ALLOCATED (the audio system refused the device); a format it cannot play
// WAVERR_BADFORMAT.
MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT device_id, const WAVEFORMATEX* format,
                     DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
// Sets WHDR_PREPARED; a header must be prepared before it is written.
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR hdr, UINT size);
// Clears WHDR_PREPARED; WAVERR_STILLPLAYING while the header is queued (WHDR_INQUEUE).
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR hdr, UINT size);
// Queues the buffer behind those written before (WHDR_INQUEUE set, WHDR_DONE cleared). When its
// last byte has been played it gets WHDR_DONE and one WOM_DONE. dwLoops and the loop flags are
// ignored: every buffer plays once.
MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR hdr, UINT size);
// Returns every queued buffer at once, in order, each with WHDR_DONE and its WOM_DONE; all those
// notices have been delivered when it returns (unless it is called from the callback itself).
// The position goes back to 0.
MMRESULT waveOutReset(HWAVEOUT hwo);
// WAVERR_STILLPLAYING while buffers are queued; else delivers the outstanding notices and
// WOM_CLOSE and frees the handle.
MMRESULT waveOutClose(HWAVEOUT hwo);
// Bytes played since the open or the last reset; TIME_BYTES, TIME_SAMPLES and TIME_MS are
// answered, any other request gets TIME_BYTES (wType says which was given).
MMRESULT waveOutGetPosition(HWAVEOUT hwo, MMTIME* time, UINT size);
