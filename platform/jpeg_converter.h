#pragma once

#include <cstdint>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

// Result codes of SavetoJPEG, in the numbering the program has always used.
enum JpegResultCode : std::int16_t {
  kJpegOk = 0,
  kJpegCannotOpen = 1,   // the source cannot be opened or read
  kJpegCannotWrite = 2,  // the destination cannot be written
  kJpegNotBmp = 3,       // the source is not a Windows bitmap (a JPEG, a text file, a broken BMP)
  kJpegOverflow = 4,     // the picture is wider or taller than a JPEG can be
};

// The largest side, in pixels, the JPEG encoder accepts. The JPEG format
// itself counts sides in 16 bits (65,535), but the encoder stops short of
// that; a picture it would refuse is reported as an overflow, never as a
// destination that cannot be written.
inline constexpr std::int64_t kMaxJpegSide = 65500;

// Converts the Windows bitmap `source` into a JPEG file `destination` of the
// given quality (0-100; the program uses 50). Both paths may be written as
// the system writes them ("C:\VLN2\GAZOU\a.jpg") or as host paths.
//
// The source is recognised by its content ("BM" header), not by its name.
// The JPEG is encoded in memory, written to a temporary file beside the
// destination, forced to disk and renamed over the destination in one step:
// whatever the result, the destination is either the complete new JPEG or
// what it was before, and no temporary file is left behind.
//
// `flag` is part of the converter's calling convention (the program passes
// -1); no value of it changes the conversion.
[[nodiscard]] std::int16_t SavetoJPEG(FileSystem& fs, std::string_view source,
                                      std::string_view destination, std::uint8_t quality,
                                      std::int16_t flag);

}  // namespace platform
