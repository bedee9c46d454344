#pragma once
// Result codes the media layer returns, with DirectShow's values where DirectShow
// has a code for the same situation, and the layer's error-text lookup.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Result.h"

namespace media {

constexpr HRESULT MakeError(unsigned value) { return static_cast<HRESULT>(value); }

// Partial success: some streams of the file could not be rendered.
inline constexpr HRESULT VFW_S_PARTIAL_RENDER = 0x00040242;

inline constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeError(0x80040208u);
inline constexpr HRESULT VFW_E_NOT_CONNECTED = MakeError(0x80040209u);
inline constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeError(0x80040204u);
inline constexpr HRESULT VFW_E_RUNTIME_ERROR = MakeError(0x8004020Bu);
inline constexpr HRESULT VFW_E_NOT_FOUND = MakeError(0x80040216u);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeError(0x80040217u);
inline constexpr HRESULT VFW_E_CANNOT_RENDER = MakeError(0x80040218u);
inline constexpr HRESULT VFW_E_NOT_STOPPED = MakeError(0x80040224u);
inline constexpr HRESULT VFW_E_WRONG_STATE = MakeError(0x80040227u);
inline constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeError(0x8004022Au);
inline constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = MakeError(0x8004022Fu);
inline constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeError(0x80040240u);
inline constexpr HRESULT VFW_E_NO_DECOMPRESSOR = MakeError(0x80040255u);
inline constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeError(0x8004025Fu);

inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeError(0x80040154u);  // writer not in this build
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeError(0x800401F0u);
inline constexpr HRESULT E_ACCESSDENIED = MakeError(0x80070005u);
inline constexpr HRESULT HRESULT_FILE_NOT_FOUND = MakeError(0x80070002u);  // ERROR_FILE_NOT_FOUND
inline constexpr HRESULT HRESULT_PATH_NOT_FOUND = MakeError(0x80070003u);  // ERROR_PATH_NOT_FOUND
inline constexpr HRESULT HRESULT_WRITE_FAULT = MakeError(0x8007001Du);     // ERROR_WRITE_FAULT
inline constexpr HRESULT HRESULT_READ_FAULT = MakeError(0x8007001Eu);      // ERROR_READ_FAULT
inline constexpr HRESULT HRESULT_DISK_FULL = MakeError(0x80070070u);       // ERROR_DISK_FULL
inline constexpr HRESULT HRESULT_FILENAME_EXCED_RANGE = MakeError(0x800700CEu);  // name too long

// The layer's own codes (interface facility, past DirectShow's range).
inline constexpr HRESULT QV_E_ENCODER_OPEN = MakeError(0x8004F001u);
inline constexpr HRESULT QV_E_ENCODE = MakeError(0x8004F002u);
inline constexpr HRESULT QV_E_DECODE = MakeError(0x8004F003u);
inline constexpr HRESULT QV_E_MUX_START = MakeError(0x8004F004u);
inline constexpr HRESULT QV_E_OUTPUT_IS_SOURCE = MakeError(0x8004F005u);
inline constexpr HRESULT QV_E_NO_STREAMS = MakeError(0x8004F006u);
inline constexpr HRESULT QV_E_OUTPUT_IS_FOLDER = MakeError(0x8004F007u);
inline constexpr HRESULT QV_E_NOT_REGULAR_FILE = MakeError(0x8004F008u);
inline constexpr HRESULT QV_E_OUTPUT_REPLACED = MakeError(0x8004F009u);
inline constexpr HRESULT QV_E_FILTER = MakeError(0x8004F00Au);
inline constexpr HRESULT QV_E_SAMPLE_RATE = MakeError(0x8004F00Bu);
inline constexpr HRESULT QV_E_SIZE_UNREACHABLE = MakeError(0x8004F00Du);
inline constexpr HRESULT QV_E_START_PAST_END = MakeError(0x8004F00Cu);

// A completed run whose source ended before its stated duration: what could be
// read is written (the EC_COMPLETE event carries this code and the time reached).
inline constexpr HRESULT QV_S_SOURCE_ENDED_EARLY = 0x0004F001;

// Every code above and every generic code (Result.h) that the layer returns.
const std::vector<HRESULT>& KnownResultCodes();

// The layer's AMGetErrorTextA: the text for a result code. Unknown codes get a
// generic text that quotes the code, so a message box is never empty.
std::string ErrorText(HRESULT hr);
// True when `hr` has a text of its own (not the generic fallback).
bool HasErrorText(HRESULT hr);
// Buffer form: copies at most maxLength - 1 characters and a terminator; returns
// the number of characters copied (0 when the buffer is missing or empty).
std::size_t AMGetErrorTextA(HRESULT hr, char* buffer, std::size_t maxLength);

}  // namespace media
