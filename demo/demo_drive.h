#pragma once

#include <QDate>
#include <filesystem>
#include <functional>
#include <string>

namespace demo {

// The demonstration drive of `Velunor2.0 --demo`: a data drive of its own,
// never the user's, $XDG_DATA_HOME/velunor2/demo (~/.local/share/velunor2/demo).
std::filesystem::path DemoDriveRoot();

struct DemoContents {
  int exams = 200;    // over the three years up to `today`, in date order
  int patients = 80;  // in ascending ID order
  int years = 3;
  std::uint32_t seed = 2026;
};

// Writes a complete demonstration drive under `root` (replacing what is
// there): "KANJYA.MASTA" with the patients (names, readings, birth dates,
// departments, a few remarks), "VLN2.ekg" with the examinations of those
// patients (age at the examination, heart rate, lead sites, findings and
// arrhythmias from the built-in vocabularies, comments), a generated ECG
// picture "C:\VLN2\GAZOU\" + image name + ".jpg" for each examination whose
// heart rate is the record's, the three built-in vocabularies and a
// department list, and three new recordings "C:\SCAN\scan01.jpg".. to try
// the image-load dialog with. `progress(done, total)` is called after each picture.
// Needs a QGuiApplication (the pictures' captions). Returns an empty string,
// or what failed.
std::string WriteDemoDrive(const std::filesystem::path& root, const QDate& today,
                           const DemoContents& contents = {},
                           const std::function<void(int, int)>& progress = {});

// The demonstration drive ready for use: when `root` holds no finished
// demonstration drive (its mark ".velunor2-demo" is written last), one is
// written into a fresh folder beside it that then takes its place, so an
// interrupted first start leaves nothing half-made. A finished drive is used
// as it is, with whatever the user has changed in it. Returns an empty string,
// or what failed.
std::string PrepareDemoDrive(const std::filesystem::path& root, const QDate& today,
                             const std::function<void(int, int)>& progress = {},
                             const DemoContents& contents = {});

}  // namespace demo
