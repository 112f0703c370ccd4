// The error texts of the MCI layer, one for each MCIERR_* code, and mciGetErrorStringA.
#include <algorithm>
#include <cstring>

#include "platform/winmm/mci.h"

namespace {

struct ErrorText {
    MCIERROR code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "The command was carried out."},
    {MCIERR_INVALID_DEVICE_ID, "The device identifier is not valid."},
    {MCIERR_UNRECOGNIZED_KEYWORD, "The command contains a keyword the device does not know."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The command is not a known MCI command."},
    {MCIERR_HARDWARE, "The media device reported a problem. Check that it is working."},
    {MCIERR_INVALID_DEVICE_NAME, "The device is not open, or its name is not known."},
    {MCIERR_OUT_OF_MEMORY, "There is not enough memory to carry out the command."},
    {MCIERR_DEVICE_OPEN, "The device is already open under this name. Use another alias."},
    {MCIERR_CANNOT_LOAD_DRIVER,
     "The driver for this kind of media cannot be loaded: this system has none."},
    {MCIERR_MISSING_COMMAND_STRING, "The command string is empty."},
    {MCIERR_PARAM_OVERFLOW, "The answer does not fit in the buffer given for it."},
    {MCIERR_MISSING_STRING_ARGUMENT, "A keyword of the command needs a text after it."},
    {MCIERR_BAD_INTEGER, "A number in the command is not valid."},
    {MCIERR_PARSER_INTERNAL, "The command could not be read because of an internal error."},
    {MCIERR_DRIVER_INTERNAL, "The device driver failed because of an internal error."},
    {MCIERR_MISSING_PARAMETER, "The command lacks a parameter it needs."},
    {MCIERR_UNSUPPORTED_FUNCTION, "The device cannot carry out this command."},
    {MCIERR_FILE_NOT_FOUND, "The file cannot be found. Check the path and the file name."},
    {MCIERR_DEVICE_NOT_READY, "The device is not ready. Check that a disc is in the drive."},
    {MCIERR_INTERNAL, "An internal error occurred in the media layer."},
    {MCIERR_DRIVER, "The device driver reported an error."},
    {MCIERR_CANNOT_USE_ALL, "The name \"all\" cannot be used with this command."},
    {MCIERR_MULTIPLE, "Errors occurred in more than one device."},
    {MCIERR_EXTENSION_NOT_FOUND, "The kind of media cannot be told from the file name extension."},
    {MCIERR_OUTOFRANGE, "A value in the command is outside the range the device allows."},
    {MCIERR_FLAGS_NOT_COMPATIBLE, "Keywords of the command cannot be used together."},
    {MCIERR_FILE_NOT_SAVED, "The file was not saved."},
    {MCIERR_DEVICE_TYPE_REQUIRED, "The device type must be given to open this device."},
    {MCIERR_DEVICE_LOCKED, "The device is closing. Wait a moment and try again."},
    {MCIERR_DUPLICATE_ALIAS, "The alias is already used by another open device."},
    {MCIERR_BAD_CONSTANT, "A value in the command is not one of the words allowed there."},
    {MCIERR_MUST_USE_SHAREABLE, "The device is in use. Open it as shareable."},
    {MCIERR_MISSING_DEVICE_NAME, "The command names no device."},
    {MCIERR_BAD_TIME_FORMAT, "The device does not support this time format."},
    {MCIERR_NO_CLOSING_QUOTE, "A quoted text in the command has no closing quotation mark."},
    {MCIERR_DUPLICATE_FLAGS, "A keyword appears more than once in the command."},
    {MCIERR_INVALID_FILE, "The file is not of a kind this device can play."},
    {MCIERR_NULL_PARAMETER_BLOCK, "A required parameter block is missing."},
    {MCIERR_UNNAMED_RESOURCE, "A file cannot be saved without a name."},
    {MCIERR_NEW_REQUIRES_ALIAS, "An alias must be given to open a new device."},
    {MCIERR_NOTIFY_ON_AUTO_OPEN, "Notify cannot be used with a device opened automatically."},
    {MCIERR_NO_ELEMENT_ALLOWED, "A file name cannot be used with this device."},
    {MCIERR_NONAPPLICABLE_FUNCTION, "The commands are not in an order that can be carried out."},
    {MCIERR_ILLEGAL_FOR_AUTO_OPEN,
     "The command cannot be used with a device opened automatically."},
    {MCIERR_FILENAME_REQUIRED, "The device needs a file name."},
    {MCIERR_EXTRA_CHARACTERS, "A quoted text must not be followed by other characters."},
    {MCIERR_DEVICE_NOT_INSTALLED, "The device is not installed on this system."},
    {MCIERR_GET_CD, "The file or its folder cannot be reached."},
    {MCIERR_SET_CD, "The folder cannot be reached."},
    {MCIERR_SET_DRIVE, "The drive cannot be reached."},
    {MCIERR_DEVICE_LENGTH, "The device or driver name is too long."},
    {MCIERR_DEVICE_ORD_LENGTH, "The device or driver name is too long."},
    {MCIERR_NO_INTEGER, "The command needs a number."},
    {MCIERR_WAVE_OUTPUTSINUSE, "No wave output device that can play this file is free."},
    {MCIERR_WAVE_SETOUTPUTINUSE, "The chosen wave output device is in use."},
    {MCIERR_WAVE_INPUTSINUSE, "No wave input device is free."},
    {MCIERR_WAVE_SETINPUTINUSE, "The chosen wave input device is in use."},
    {MCIERR_WAVE_OUTPUTUNSPECIFIED, "No wave output device has been chosen."},
    {MCIERR_WAVE_INPUTUNSPECIFIED, "No wave input device has been chosen."},
    {MCIERR_WAVE_OUTPUTSUNSUITABLE, "No wave output device can play this file's format."},
    {MCIERR_WAVE_SETOUTPUTUNSUITABLE, "The chosen wave output device cannot play this format."},
    {MCIERR_WAVE_INPUTSUNSUITABLE, "No wave input device can record in this format."},
    {MCIERR_WAVE_SETINPUTUNSUITABLE, "The chosen wave input device cannot record in this format."},
    {MCIERR_SEQ_DIV_INCOMPATIBLE, "The MIDI file's time division cannot be used here."},
    {MCIERR_SEQ_PORT_INUSE, "The MIDI output port is in use."},
    {MCIERR_SEQ_PORT_NONEXISTENT, "The MIDI output port does not exist."},
    {MCIERR_SEQ_PORT_MAPNODEVICE, "The MIDI mapper names a device that is not installed."},
    {MCIERR_SEQ_PORT_MISCERROR, "The MIDI output port reported an error."},
    {MCIERR_SEQ_TIMER, "No timer is free for MIDI playback."},
    {MCIERR_SEQ_PORTUNSPECIFIED, "No MIDI output port has been chosen."},
    {MCIERR_SEQ_NOMIDIPRESENT, "There is no MIDI device on this system."},
    {MCIERR_NO_WINDOW, "There is no window to show the media in."},
    {MCIERR_CREATEWINDOW, "The window for the media could not be created."},
    {MCIERR_FILE_READ, "The file cannot be read. Check that it is readable."},
    {MCIERR_FILE_WRITE, "The file cannot be written. Check the disc space and the permissions."},
    {MCIERR_NO_IDENTITY, "The device cannot identify its media."},
};

constexpr const char* kUnknownText = "This is not a known MCI error code.";

}  // namespace

BOOL mciGetErrorStringA(MCIERROR error, char* text, UINT size) {
    if (!text || size == 0) return 0;
    const char* found = kUnknownText;
    BOOL known = 0;
    for (const ErrorText& e : kErrorTexts) {
        if (e.code == error) {
            found = e.text;
            known = 1;
            break;
        }
    }
    const std::size_t n = std::min<std::size_t>(std::strlen(found), size - 1);
    std::memcpy(text, found, n);
    text[n] = '\0';
    return known;
}
