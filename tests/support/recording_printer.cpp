#include "tests/support/recording_printer.h"

#include <algorithm>
#include <sstream>

namespace testing_support {

using platform::Status;

bool RecordingPrinter::SetCurrentPrinter(std::string_view deviceName) {
  if (std::find(names.begin(), names.end(), deviceName) == names.end()) return false;
  current = std::string(deviceName);
  return true;
}

bool RecordingPrinter::ShowProperties(std::string_view deviceName) {
  propertiesShown.emplace_back(deviceName);
  if (onProperties) onProperties(deviceName);
  return propertiesAccepted;
}

void RecordingPrinter::BeginJob(std::string_view title) {
  jobs.push_back(Job{std::string(title), current, false, PageOrientation});
}

platform::JobResult RecordingPrinter::EndJob() {
  if (!jobs.empty()) jobs.back().ended = true;
  platform::JobResult result;
  result.outputFile = outputFile;
  return result;
}

RecordingPrinter::Item RecordingPrinter::NewItem(Kind kind) const {
  Item item;
  item.kind = kind;
  item.job = static_cast<int>(jobs.size());
  item.document = document_;
  return item;
}

bool RecordingPrinter::Fails() {
  ++drawingCalls;
  return failAll || (failFromCall > 0 && drawingCalls >= failFromCall);
}

Status RecordingPrinter::Print(std::string_view text) {
  if (Fails()) return Status::Error(platform::kPrinterError);
  Item item = NewItem(Kind::Text);
  item.x = CurrentX;
  item.y = CurrentY;
  item.text = std::string(text);
  item.font = FontName;
  item.size = FontSize;
  item.bold = FontBold;
  items.push_back(std::move(item));
  CurrentX = 0;
  CurrentY += 1;
  return Status::Ok();
}

Status RecordingPrinter::PaintPicture(const platform::PrintPicture& picture, double x, double y,
                                      double width, double height) {
  if (Fails() || failPictures) return Status::Error(platform::kPrinterError);
  if (picture.Empty()) return Status::Error(platform::kInvalidPicture);
  Item item = NewItem(Kind::Picture);
  item.x = x;
  item.y = y;
  item.width = width;
  item.height = height;
  item.pictureWidth = picture.width;
  item.pictureHeight = picture.height;
  item.picturePath = picture.hostPath;
  items.push_back(std::move(item));
  return Status::Ok();
}

Status RecordingPrinter::NewPage() {
  if (Fails()) return Status::Error(platform::kPrinterError);
  items.push_back(NewItem(Kind::NewPage));
  CurrentX = 0;
  CurrentY = 0;
  return Status::Ok();
}

Status RecordingPrinter::EndDoc() {
  if (Fails()) return Status::Error(platform::kPrinterError);
  items.push_back(NewItem(Kind::EndDoc));
  ++document_;
  CurrentX = 0;
  CurrentY = 0;
  return Status::Ok();
}

void RecordingPrinter::KillDoc() {
  items.push_back(NewItem(Kind::KillDoc));
  ++document_;
}

std::map<std::pair<double, double>, std::string> RecordingPrinter::TextsOf(int document) const {
  std::map<std::pair<double, double>, std::string> texts;
  for (const Item& item : items) {
    if (item.kind == Kind::Text && item.document == document) texts[{item.x, item.y}] = item.text;
  }
  return texts;
}

std::string RecordingPrinter::TextAt(int document, double x, double y) const {
  const auto texts = TextsOf(document);
  auto it = texts.find({x, y});
  return it == texts.end() ? "<none>" : it->second;
}

int RecordingPrinter::EndedDocuments() const {
  return static_cast<int>(std::count_if(items.begin(), items.end(),
                                        [](const Item& i) { return i.kind == Kind::EndDoc; }));
}

std::vector<RecordingPrinter::Item> RecordingPrinter::ItemsOf(Kind kind) const {
  std::vector<Item> out;
  std::copy_if(items.begin(), items.end(), std::back_inserter(out),
               [kind](const Item& i) { return i.kind == kind; });
  return out;
}

std::string RecordingPrinter::Dump() const {
  std::ostringstream out;
  const char* kinds[] = {"text", "picture", "newpage", "enddoc", "killdoc"};
  for (const Item& i : items) {
    out << "job " << i.job << " doc " << i.document << ' ' << kinds[static_cast<int>(i.kind)];
    if (i.kind == Kind::Text) out << " (" << i.x << ',' << i.y << ") [" << i.text << ']';
    if (i.kind == Kind::Picture) {
      out << " (" << i.x << ',' << i.y << ' ' << i.width << 'x' << i.height << ')';
    }
    out << '\n';
  }
  return out.str();
}

}  // namespace testing_support
