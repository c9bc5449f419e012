// mciGetErrorStringA: our own wording for every MCI error code.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/mci.h"

namespace {

const std::pair<MCIERROR, const char*> kTexts[] = {
    {MCIERR_INVALID_DEVICE_ID, "The device identifier does not belong to an open device."},
    {MCIERR_UNRECOGNIZED_KEYWORD, "The command contains an unknown parameter."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The device does not know this command."},
    {MCIERR_HARDWARE, "The audio output cannot be opened; check that a sound device is available."},
    {MCIERR_INVALID_DEVICE_NAME, "No device of this type is installed."},
    {MCIERR_OUT_OF_MEMORY, "There is not enough memory for this command."},
    {MCIERR_DEVICE_OPEN, "The device is already open under this name."},
    {MCIERR_CANNOT_LOAD_DRIVER, "The device driver cannot be loaded."},
    {MCIERR_MISSING_COMMAND_STRING, "No command was given."},
    {MCIERR_PARAM_OVERFLOW, "The text does not fit in the buffer that was given."},
    {MCIERR_MISSING_STRING_ARGUMENT, "A text parameter of the command is missing."},
    {MCIERR_BAD_INTEGER, "A number in the command is not valid."},
    {MCIERR_PARSER_INTERNAL, "The command could not be understood."},
    {MCIERR_DRIVER_INTERNAL, "The device driver failed."},
    {MCIERR_MISSING_PARAMETER, "The command needs a parameter that was not given."},
    {MCIERR_UNSUPPORTED_FUNCTION, "This device cannot carry out this command."},
    {MCIERR_FILE_NOT_FOUND, "The file cannot be found; check the name and the folder."},
    {MCIERR_DEVICE_NOT_READY, "The device is not ready."},
    {MCIERR_INTERNAL, "The media control interface failed."},
    {MCIERR_DRIVER, "The device reported an error."},
    {MCIERR_CANNOT_USE_ALL, "This command cannot be sent to all devices at once."},
    {MCIERR_MULTIPLE, "Several devices reported errors."},
    {MCIERR_EXTENSION_NOT_FOUND, "No device plays files of this kind; give a device type."},
    {MCIERR_OUTOFRANGE, "The value lies outside the medium."},
    {MCIERR_FLAGS_NOT_COMPATIBLE, "The command's parameters cannot be used together."},
    {MCIERR_FILE_NOT_SAVED, "The file was not saved."},
    {MCIERR_DEVICE_TYPE_REQUIRED, "A device type is needed to open this device."},
    {MCIERR_DEVICE_LOCKED, "The device is locked; wait for it to close."},
    {MCIERR_DUPLICATE_ALIAS, "Another open device already uses this alias."},
    {MCIERR_BAD_CONSTANT, "A constant in the command is not valid."},
    {MCIERR_MUST_USE_SHAREABLE, "The device is in use; open it as shareable."},
    {MCIERR_MISSING_DEVICE_NAME, "Neither a device type nor a file name was given."},
    {MCIERR_BAD_TIME_FORMAT, "The device does not support this time format."},
    {MCIERR_NO_CLOSING_QUOTE, "A closing quotation mark is missing."},
    {MCIERR_DUPLICATE_FLAGS, "A parameter was given twice."},
    {MCIERR_INVALID_FILE, "The file is damaged or not of a kind this device plays."},
    {MCIERR_NULL_PARAMETER_BLOCK, "The command needs a parameter block."},
    {MCIERR_UNNAMED_RESOURCE, "A file without a name cannot be saved."},
    {MCIERR_NEW_REQUIRES_ALIAS, "A new element needs an alias."},
    {MCIERR_NOTIFY_ON_AUTO_OPEN, "A device opened automatically cannot notify."},
    {MCIERR_NO_ELEMENT_ALLOWED, "This device does not take a file name."},
    {MCIERR_NONAPPLICABLE_FUNCTION, "The command does not apply in the device's present state."},
    {MCIERR_ILLEGAL_FOR_AUTO_OPEN, "A device opened automatically cannot carry out this command."},
    {MCIERR_FILENAME_REQUIRED, "This device needs a file name."},
    {MCIERR_EXTRA_CHARACTERS, "The command has characters left over."},
    {MCIERR_DEVICE_NOT_INSTALLED,
     "This device is not installed: video files cannot be played yet."},
    {MCIERR_GET_CD, "The file or folder cannot be reached."},
    {MCIERR_SET_CD, "The folder cannot be reached."},
    {MCIERR_SET_DRIVE, "The drive cannot be reached."},
    {MCIERR_DEVICE_LENGTH, "The device or driver name is too long."},
    {MCIERR_DEVICE_ORD_LENGTH, "The device or driver name is too long."},
    {MCIERR_NO_INTEGER, "The command needs a number."},
    {MCIERR_WAVE_OUTPUTSINUSE, "Every wave output is in use."},
    {MCIERR_WAVE_SETOUTPUTINUSE, "The chosen wave output is in use."},
    {MCIERR_WAVE_INPUTSINUSE, "Every wave input is in use."},
    {MCIERR_WAVE_SETINPUTINUSE, "The chosen wave input is in use."},
    {MCIERR_WAVE_OUTPUTUNSPECIFIED, "No wave output is available."},
    {MCIERR_WAVE_INPUTUNSPECIFIED, "No wave input is available."},
    {MCIERR_WAVE_OUTPUTSUNSUITABLE, "No wave output can play this sound format."},
    {MCIERR_WAVE_SETOUTPUTUNSUITABLE, "The chosen wave output cannot play this sound format."},
    {MCIERR_WAVE_INPUTSUNSUITABLE, "No wave input can record this sound format."},
    {MCIERR_WAVE_SETINPUTUNSUITABLE, "The chosen wave input cannot record this sound format."},
    {MCIERR_SEQ_DIV_INCOMPATIBLE, "This song's time division does not allow this time format."},
    {MCIERR_SEQ_PORT_INUSE, "The MIDI output is in use."},
    {MCIERR_SEQ_PORT_NONEXISTENT, "The MIDI output does not exist."},
    {MCIERR_SEQ_PORT_MAPNODEVICE, "The MIDI mapping names a missing output."},
    {MCIERR_SEQ_PORT_MISCERROR, "The MIDI output failed."},
    {MCIERR_SEQ_TIMER, "The MIDI timer is not available."},
    {MCIERR_SEQ_PORTUNSPECIFIED, "No MIDI output is chosen."},
    {MCIERR_SEQ_NOMIDIPRESENT,
     "MIDI cannot be played: no General MIDI SoundFont could be loaded by the synthesizer."},
    {MCIERR_NO_WINDOW, "The device has no display window."},
    {MCIERR_CREATEWINDOW, "The display window cannot be created."},
    {MCIERR_FILE_READ, "The file cannot be read."},
    {MCIERR_FILE_WRITE, "The file cannot be written."},
    {MCIERR_NO_IDENTITY, "The medium has no identity."},
};

}  // namespace

BOOL mciGetErrorStringA(MCIERROR error, LPSTR buffer, UINT length) {
  for (const auto& [code, text] : kTexts) {
    if (code != error) continue;
    if (!buffer || length == 0) return FALSE;
    std::size_t n = std::min<std::size_t>(std::strlen(text), length - 1);
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return TRUE;
  }
  return FALSE;
}
