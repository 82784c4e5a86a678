#pragma once
// Result codes of the audio layer: negative is failure. The values are the
// ones the program has always reported in its messages ("(hr=0x%08x)").
#include <cstdint>
#include <string>

namespace lf {

using ResultCode = int32_t;

inline constexpr ResultCode kResultOk = 0;
inline constexpr ResultCode kResultFalse = 1;
inline constexpr ResultCode kResultNotImplemented = static_cast<ResultCode>(0x80004001u);
inline constexpr ResultCode kResultFail = static_cast<ResultCode>(0x80004005u);
inline constexpr ResultCode kResultUnexpected = static_cast<ResultCode>(0x8000FFFFu);
inline constexpr ResultCode kResultOutOfMemory = static_cast<ResultCode>(0x8007000Eu);
inline constexpr ResultCode kResultInvalidArg = static_cast<ResultCode>(0x80070057u);
inline constexpr ResultCode kResultAborted = static_cast<ResultCode>(0x80004004u);

inline bool Failed(ResultCode r) { return r < 0; }
inline bool Succeeded(ResultCode r) { return r >= 0; }

// "text (hr=0x%08x)", the form in which failures of the audio layer are kept.
std::string FormatResult(const std::string& text, ResultCode result);

}  // namespace lf
