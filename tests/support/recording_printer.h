#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/printer.h"

namespace testing_support {

// A printer that records every call: each line with the column and line it
// was printed at and the font, each picture with its rectangle, every page
// and document end, the properties dialogs opened and the print commands.
class RecordingPrinter : public platform::Printer {
 public:
  enum class Kind { Text, Picture, NewPage, EndDoc, KillDoc };
  struct Item {
    Kind kind = Kind::Text;
    int job = 0;       // 1-based number of the print command
    int document = 0;  // 1-based over the whole recording
    double x = 0, y = 0;
    std::string text;
    std::string font;
    double size = 0;
    bool bold = false;
    double width = 0, height = 0;             // picture rectangle
    int pictureWidth = 0, pictureHeight = 0;  // its pixels
    std::string picturePath;
  };
  struct Job {
    std::string title;
    std::string device;
    bool ended = false;
    Orientation orientation = Orientation::AsSet;  // when the command began
  };

  std::vector<std::string> PrinterNames() override { return names; }
  std::string DefaultPrinterName() override { return names.front(); }
  std::string DeviceName() const override { return current; }
  bool SetCurrentPrinter(std::string_view deviceName) override;
  bool ShowProperties(std::string_view deviceName) override;
  void BeginJob(std::string_view title) override;
  platform::JobResult EndJob() override;
  platform::Status Print(std::string_view text) override;
  platform::Status PaintPicture(const platform::PrintPicture& picture, double x, double y,
                                double width, double height) override;
  platform::Status NewPage() override;
  platform::Status EndDoc() override;
  void KillDoc() override;

  // The texts of document d as (column, line) -> text.
  std::map<std::pair<double, double>, std::string> TextsOf(int document) const;
  // The text printed at (x, y) in document d, or "<none>".
  std::string TextAt(int document, double x, double y) const;
  // Documents ended with EndDoc.
  int EndedDocuments() const;
  std::vector<Item> ItemsOf(Kind kind) const;
  // The whole recording, one item a line, for failure messages.
  std::string Dump() const;

  std::vector<std::string> names = {"Printer A", "Printer B",
                                    std::string(platform::kPdfPrinterName)};
  std::string current = "Printer A";
  std::vector<Item> items;
  std::vector<Job> jobs;
  std::vector<std::string> propertiesShown;
  bool propertiesAccepted = true;  // what the properties dialog is closed with
  // Called when the properties dialog opens (the user's doing there).
  std::function<void(std::string_view)> onProperties;
  // What EndJob answers as the written file (the PDF printer's).
  std::string outputFile;
  // Every drawing call fails (no printer) when set; or only pictures.
  bool failAll = false;
  bool failPictures = false;
  // The drawing call (counted from 1) from which every call fails; 0 = none.
  int failFromCall = 0;
  int drawingCalls = 0;

 private:
  bool Fails();
  Item NewItem(Kind kind) const;
  int document_ = 1;
};

}  // namespace testing_support
