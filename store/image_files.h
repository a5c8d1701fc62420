#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "store/store.h"

namespace store {

// The image files of the examinations: "C:\VLN2\GAZOU\" + image name + ".jpg".
// An image name is stored in the 10-byte ImageName field; every rule here is
// applied to the name as that field holds it, so that the file name and the
// record always agree.

// The image path of a record: "C:\VLN2\GAZOU\" + trimmed name + ".jpg".
std::string ImagePath(std::string_view imageName);

// The name a typed image name becomes in the ImageName field: trimmed of
// blanks, converted to cp932 (a character cp932 cannot hold becomes "?"),
// cut to 10 bytes without splitting a double-byte character, and read back.
std::string StoredImageName(std::string_view typed);

// True when the stored form of `typed` (StoredImageName) can name a picture
// file on Windows and here: not empty; none of \ / : * ? " < > | (so also no
// character that cp932 cannot hold, which becomes "?", and no "¥", which is
// the backslash byte 0x5C in cp932; a 0x5C inside a double-byte character
// such as "ソ" is no backslash); no control character; no dot or blank at
// either end; and not a device name (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, in any letter case, alone or before an extension: "con.x").
bool IsStorableImageName(std::string_view typed);

// The path of a file of the image directory by its stored file name (as
// FindImageFile answers it): "C:\VLN2\GAZOU\" + `fileName`.
std::string ImageFilePath(std::string_view fileName);

// The stored name of the image file of `imageName` in the image directory,
// found ignoring ASCII letter case as Windows finds it ("ab.JPG" for "AB");
// empty when there is none or the name is not storable.
std::string FindImageFile(platform::FileSystem& fs, std::string_view imageName);

// Deletes the image file of `imageName` when there is one (found ignoring
// case). `deleted` says whether a file went. A name that is not storable
// deletes nothing.
[[nodiscard]] platform::Status DeleteImageFile(platform::FileSystem& fs, std::string_view imageName,
                                               bool& deleted);

// True when `path` (written as the system writes it, or a host path) names a
// file directly inside the image directory "C:\VLN2\GAZOU\".
bool InImageDirectory(platform::FileSystem& fs, std::string_view path);

// The numbers of the examinations of the data file whose ImageName names the
// picture of `imageName` (compared trimmed, ignoring ASCII letter case, as
// the file is found), in file order. Uses the data file's read-ahead; the
// record buffers are left alone.
[[nodiscard]] platform::Status ExaminationsNamingImage(Store& store, std::string_view imageName,
                                                       std::vector<std::int32_t>& numbers);

// Deletes the picture of `imageName` unless an examination of the data file
// other than `exceptRecord` (0 = none) still names it. For the delete of an
// examination: called with the deleted record's number before the rebuild,
// or with 0 after it. `deleted` says whether a file went.
[[nodiscard]] platform::Status DeleteUnsharedImage(Store& store, std::string_view imageName,
                                                   std::int32_t exceptRecord, bool& deleted);

}  // namespace store
