#include "platform/media/MediaErrors.h"

#include "platform/wmf/WmTypes.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace media {
namespace {

const std::vector<std::pair<HRESULT, const char*>>& Table() {
    static const std::vector<std::pair<HRESULT, const char*>> table = {
        {S_OK, "The operation completed successfully."},
        {S_FALSE, "The operation completed, with nothing (more) to return."},
        {VFW_S_PARTIAL_RENDER, "Some of the streams in this file are in an unsupported format."},
        {E_FAIL, "Unspecified error."},
        {E_NOTIMPL, "This writer or operation is not available yet."},
        {E_NOINTERFACE, "The object does not support this interface."},
        {E_POINTER, "A required object was not given."},
        {E_ABORT, "The operation timed out or was aborted."},
        {E_OUTOFMEMORY, "There is not enough memory to complete the operation."},
        {E_INVALIDARG, "A value given to the operation is not valid."},
        {E_UNEXPECTED, "The operation was called at an unexpected time."},
        {VFW_E_INVALID_DIRECTION, "The pin has the wrong direction for this operation."},
        {VFW_E_NOT_CONNECTED,
         "The operation cannot be performed because the pins are not connected."},
        {VFW_E_ALREADY_CONNECTED, "The pin is already connected."},
        {VFW_E_RUNTIME_ERROR, "A run-time error occurred while streaming."},
        {VFW_E_NOT_FOUND, "An object or name was not found."},
        {VFW_E_CANNOT_CONNECT,
         "No combination of intermediate filters could be found to make the connection."},
        {VFW_E_CANNOT_RENDER, "No combination of filters could be found to render the stream."},
        {VFW_E_NOT_STOPPED, "The operation cannot be performed because the graph is running."},
        {VFW_E_WRONG_STATE, "The operation cannot be performed in the graph's current state."},
        {VFW_E_TYPE_NOT_ACCEPTED,
         "The output container cannot carry this stream's format. Choose a compressor the "
         "container supports."},
        {VFW_E_INVALID_FILE_FORMAT,
         "The file format is invalid, or the file is damaged or truncated."},
        {VFW_E_UNKNOWN_FILE_TYPE, "The media type of this file is not recognized."},
        {VFW_E_NO_DECOMPRESSOR, "No decoder is available for the streams of this file."},
        {VFW_E_NOT_IN_GRAPH, "The filter is not in this graph."},
        {REGDB_E_CLASSNOTREG,
         "The multiplexer for this container is not available in this installation."},
        {CO_E_NOTINITIALIZED, "The media platform could not be initialised."},
        {E_ACCESSDENIED, "Access to the file was denied."},
        {HRESULT_FILE_NOT_FOUND, "The file was not found."},
        {HRESULT_PATH_NOT_FOUND, "The folder of the file was not found."},
        {HRESULT_WRITE_FAULT, "The output file could not be written."},
        {HRESULT_READ_FAULT, "The source file could not be read."},
        {HRESULT_DISK_FULL, "There is not enough space on the disk."},
        {HRESULT_FILENAME_EXCED_RANGE,
         "The file name is too long: a name in a folder can have at most 255 bytes, a whole "
         "path 4095."},
        {QV_E_ENCODER_OPEN,
         "The compressor could not start with this stream's format or with its settings."},
        {QV_E_ENCODE, "The compressor failed while compressing."},
        {QV_E_DECODE, "The source could not be decoded."},
        {QV_E_MUX_START, "The multiplexer could not start writing these streams."},
        {QV_E_OUTPUT_IS_SOURCE, "The output file is the source file itself."},
        {QV_E_NO_STREAMS, "Nothing in the graph is connected to an output file."},
        {QV_E_OUTPUT_IS_FOLDER, "The output is a folder, not a file."},
        {QV_E_NOT_REGULAR_FILE,
         "This is not a regular file (a pipe, a device or a socket) and cannot be converted."},
        {QV_E_OUTPUT_REPLACED,
         "The file being written was replaced by another one (a link, perhaps) before it was "
         "finished; nothing was moved into place."},
        {QV_E_FILTER,
         "The pictures or the sound could not be brought to the form the compressor takes."},
        {QV_E_SAMPLE_RATE,
         "The sound's sample rate is below 100 Hz, which no compressor can write: the sound "
         "is damaged."},
        {QV_E_SIZE_UNREACHABLE,
         "The size asked for is smaller than the sound and the container need on their own."},
        {QV_E_START_PAST_END,
         "The source holds nothing at or after the chosen start; it may be shorter than it "
         "states. Nothing was written."},
        {QV_S_SOURCE_ENDED_EARLY,
         "The source ended before its stated duration; it may be damaged."},
        {wmf::NS_E_AUDIO_CODEC_NOT_INSTALLED,
         "No Windows Media audio format meets the chosen bitrate, sample rate and channels."},
        {wmf::NS_E_VIDEO_CODEC_NOT_INSTALLED,
         "The Windows Media video codec of the profile is not installed."},
        {wmf::NS_E_INVALIDPROFILE, "The Windows Media profile is not valid."},
        {wmf::NS_E_NOT_CONFIGURED, "The Windows Media writer has not been given a profile."},
        {wmf::NS_E_INVALID_OUTPUT_FORMAT,
         "The Windows Media encoder cannot take the output format: the frame width must be "
         "even, and size, frame rate and bitrate within its limits."},
    };
    return table;
}

const char* Lookup(HRESULT hr) {
    for (const auto& [code, text] : Table())
        if (code == hr) return text;
    return nullptr;
}

}  // namespace

const std::vector<HRESULT>& KnownResultCodes() {
    static const std::vector<HRESULT> codes = [] {
        std::vector<HRESULT> v;
        for (const auto& entry : Table()) v.push_back(entry.first);
        return v;
    }();
    return codes;
}

bool HasErrorText(HRESULT hr) { return Lookup(hr) != nullptr; }

std::string ErrorText(HRESULT hr) {
    if (const char* text = Lookup(hr)) return text;
    char fallback[64];
    std::snprintf(fallback, sizeof fallback, "Unknown error 0x%08X.", static_cast<unsigned>(hr));
    return fallback;
}

std::size_t AMGetErrorTextA(HRESULT hr, char* buffer, std::size_t maxLength) {
    if (!buffer || maxLength == 0) return 0;
    const std::string text = ErrorText(hr);
    const std::size_t n = text.size() < maxLength - 1 ? text.size() : maxLength - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

}  // namespace media
