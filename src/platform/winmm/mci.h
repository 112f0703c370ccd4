// The Media Control Interface's command strings and error texts, with Windows' names and values.
#pragma once

#include "platform/winmm/mmsystem.h"

using MCIERROR = DWORD;
using MCIDEVICEID = UINT;

// The longest error text, NUL included, that mciGetErrorStringA gives.
constexpr UINT MAXERRORLENGTH = 128;

constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = MCIERR_BASE + 8;
constexpr MCIERROR MCIERR_DEVICE_OPEN = MCIERR_BASE + 9;
constexpr MCIERROR MCIERR_CANNOT_LOAD_DRIVER = MCIERR_BASE + 10;
constexpr MCIERROR MCIERR_MISSING_COMMAND_STRING = MCIERR_BASE + 11;
constexpr MCIERROR MCIERR_PARAM_OVERFLOW = MCIERR_BASE + 12;
constexpr MCIERROR MCIERR_MISSING_STRING_ARGUMENT = MCIERR_BASE + 13;
constexpr MCIERROR MCIERR_BAD_INTEGER = MCIERR_BASE + 14;
constexpr MCIERROR MCIERR_PARSER_INTERNAL = MCIERR_BASE + 15;
constexpr MCIERROR MCIERR_DRIVER_INTERNAL = MCIERR_BASE + 16;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = MCIERR_BASE + 20;
constexpr MCIERROR MCIERR_INTERNAL = MCIERR_BASE + 21;
constexpr MCIERROR MCIERR_DRIVER = MCIERR_BASE + 22;
constexpr MCIERROR MCIERR_CANNOT_USE_ALL = MCIERR_BASE + 23;
constexpr MCIERROR MCIERR_MULTIPLE = MCIERR_BASE + 24;
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = MCIERR_BASE + 25;
constexpr MCIERROR MCIERR_OUTOFRANGE = MCIERR_BASE + 26;
constexpr MCIERROR MCIERR_FLAGS_NOT_COMPATIBLE = MCIERR_BASE + 28;
constexpr MCIERROR MCIERR_FILE_NOT_SAVED = MCIERR_BASE + 30;
constexpr MCIERROR MCIERR_DEVICE_TYPE_REQUIRED = MCIERR_BASE + 31;
constexpr MCIERROR MCIERR_DEVICE_LOCKED = MCIERR_BASE + 32;
constexpr MCIERROR MCIERR_DUPLICATE_ALIAS = MCIERR_BASE + 33;
constexpr MCIERROR MCIERR_BAD_CONSTANT = MCIERR_BASE + 34;
constexpr MCIERROR MCIERR_MUST_USE_SHAREABLE = MCIERR_BASE + 35;
constexpr MCIERROR MCIERR_MISSING_DEVICE_NAME = MCIERR_BASE + 36;
constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = MCIERR_BASE + 37;
constexpr MCIERROR MCIERR_NO_CLOSING_QUOTE = MCIERR_BASE + 38;
constexpr MCIERROR MCIERR_DUPLICATE_FLAGS = MCIERR_BASE + 39;
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = MCIERR_BASE + 41;
constexpr MCIERROR MCIERR_UNNAMED_RESOURCE = MCIERR_BASE + 42;
constexpr MCIERROR MCIERR_NEW_REQUIRES_ALIAS = MCIERR_BASE + 43;
constexpr MCIERROR MCIERR_NOTIFY_ON_AUTO_OPEN = MCIERR_BASE + 44;
constexpr MCIERROR MCIERR_NO_ELEMENT_ALLOWED = MCIERR_BASE + 45;
constexpr MCIERROR MCIERR_NONAPPLICABLE_FUNCTION = MCIERR_BASE + 46;
constexpr MCIERROR MCIERR_ILLEGAL_FOR_AUTO_OPEN = MCIERR_BASE + 47;
constexpr MCIERROR MCIERR_FILENAME_REQUIRED = MCIERR_BASE + 48;
constexpr MCIERROR MCIERR_EXTRA_CHARACTERS = MCIERR_BASE + 49;
constexpr MCIERROR MCIERR_DEVICE_NOT_INSTALLED = MCIERR_BASE + 50;
constexpr MCIERROR MCIERR_GET_CD = MCIERR_BASE + 51;
constexpr MCIERROR MCIERR_SET_CD = MCIERR_BASE + 52;
constexpr MCIERROR MCIERR_SET_DRIVE = MCIERR_BASE + 53;
constexpr MCIERROR MCIERR_DEVICE_LENGTH = MCIERR_BASE + 54;
constexpr MCIERROR MCIERR_DEVICE_ORD_LENGTH = MCIERR_BASE + 55;
constexpr MCIERROR MCIERR_NO_INTEGER = MCIERR_BASE + 56;
constexpr MCIERROR MCIERR_WAVE_OUTPUTSINUSE = MCIERR_BASE + 64;
constexpr MCIERROR MCIERR_WAVE_SETOUTPUTINUSE = MCIERR_BASE + 65;
constexpr MCIERROR MCIERR_WAVE_INPUTSINUSE = MCIERR_BASE + 66;
constexpr MCIERROR MCIERR_WAVE_SETINPUTINUSE = MCIERR_BASE + 67;
constexpr MCIERROR MCIERR_WAVE_OUTPUTUNSPECIFIED = MCIERR_BASE + 68;
constexpr MCIERROR MCIERR_WAVE_INPUTUNSPECIFIED = MCIERR_BASE + 69;
constexpr MCIERROR MCIERR_WAVE_OUTPUTSUNSUITABLE = MCIERR_BASE + 70;
constexpr MCIERROR MCIERR_WAVE_SETOUTPUTUNSUITABLE = MCIERR_BASE + 71;
constexpr MCIERROR MCIERR_WAVE_INPUTSUNSUITABLE = MCIERR_BASE + 72;
constexpr MCIERROR MCIERR_WAVE_SETINPUTUNSUITABLE = MCIERR_BASE + 73;
constexpr MCIERROR MCIERR_SEQ_DIV_INCOMPATIBLE = MCIERR_BASE + 80;
constexpr MCIERROR MCIERR_SEQ_PORT_INUSE = MCIERR_BASE + 81;
constexpr MCIERROR MCIERR_SEQ_PORT_NONEXISTENT = MCIERR_BASE + 82;
constexpr MCIERROR MCIERR_SEQ_PORT_MAPNODEVICE = MCIERR_BASE + 83;
constexpr MCIERROR MCIERR_SEQ_PORT_MISCERROR = MCIERR_BASE + 84;
constexpr MCIERROR MCIERR_SEQ_TIMER = MCIERR_BASE + 85;
constexpr MCIERROR MCIERR_SEQ_PORTUNSPECIFIED = MCIERR_BASE + 86;
constexpr MCIERROR MCIERR_SEQ_NOMIDIPRESENT = MCIERR_BASE + 87;
constexpr MCIERROR MCIERR_NO_WINDOW = MCIERR_BASE + 90;
constexpr MCIERROR MCIERR_CREATEWINDOW = MCIERR_BASE + 91;
constexpr MCIERROR MCIERR_FILE_READ = MCIERR_BASE + 92;
constexpr MCIERROR MCIERR_FILE_WRITE = MCIERR_BASE + 93;
constexpr MCIERROR MCIERR_NO_IDENTITY = MCIERR_BASE + 94;

// Carries out one command string and returns 0 or an MCIERR_* code. Any answer (a number, a
// position, a mode word; "open" answers the device id) goes to `ret` when it is not null,
// NUL-terminated; an answer that does not fit gives MCIERR_PARAM_OVERFLOW. With "notify" and a
// callback window, MM_MCINOTIFY (wParam MCI_NOTIFY_SUCCESSFUL, _SUPERSEDED, _ABORTED or
// _FAILURE, lParam the device id) is posted to that window, HWND_BROADCAST included, when the
// command has finished; without a window nothing is posted. Safe from any thread.
//
// The commands, case-insensitive, each with optional "wait" and "notify":
//   open DEVICE-OR-FILE [type TYPE] [alias NAME] [shareable]   (a path may be "quoted")
//   close NAME | all
//   set NAME time format ms | milliseconds | msf | tmsf | bytes | samples
//   status NAME number of tracks | length [track N] | position [track N] | mode | ready
//                | media present | current track | time format
//   play NAME [from POSITION] [to POSITION]
//   stop NAME
// Devices: "waveaudio" (RIFF .wav files of 8- or 16-bit PCM, mono or stereo, played through
// the wave-out layer; positions in ms, bytes or samples) and "cdaudio" (the default CD drive;
// positions in ms, msf "MM:SS:FF" or tmsf "TT:MM:SS:FF", where a bare number is a track).
// A file's device comes from "type" or else its extension (.wav, .cda). Other media (MIDI,
// AIFF, AU, video) answer MCIERR_CANNOT_LOAD_DRIVER; other MCI commands
// MCIERR_UNSUPPORTED_FUNCTION.
MCIERROR mciSendStringA(const char* command, char* ret, UINT ret_size, HWND callback);

// The text for an MCI error code, cut to fit `size` (MAXERRORLENGTH is always enough). FALSE
// for a code that is not an MCI error (the buffer then holds a text that says so).
BOOL mciGetErrorStringA(MCIERROR error, char* text, UINT size);
