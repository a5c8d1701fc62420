#include "views/image_load_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "platform/drive.h"
#include "platform/pictures.h"
#include "platform/qt_ui.h"
#include "store/file_facts_text.h"
#include "store/text_format.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

constexpr int kPreviewWidth = 240;
constexpr int kPreviewHeight = 170;

fs::path Canonical(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : canonical;
}

bool IsWithin(const fs::path& path, const fs::path& root) {
  fs::path relative = path.lexically_relative(root);
  return !relative.empty() && *relative.begin() != "..";
}

fs::path ItemPath(const QTreeWidgetItem* item) {
  return fs::path(platform::S(item->data(0, kPathRole).toString()));
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return QString::compare(platform::Q(a), platform::Q(b), Qt::CaseInsensitive) < 0;
}

// A picture File1 lists: one of the extensions of Dialog::kPattern, in any
// letter case, and not hidden.
bool MatchesPattern(std::string_view name) {
  if (name.starts_with('.')) return false;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot + 1);
  for (std::string_view wanted : {"bmp", "jpg", "jpeg"}) {
    if (platform::EqualsIgnoringAsciiCase(extension, wanted)) return true;
  }
  return false;
}

}  // namespace

Dialog::Dialog(store::Store& store, platform::Ui& ui,
               std::function<void(const QImage& picture, const std::string& path)> showInMainWindow,
               QWidget* parent)
    : QDialog(parent), store_(store), ui_(ui), showInMainWindow_(std::move(showInMainWindow)) {
  setWindowTitle(QStringLiteral("画像読み込み"));
  setModal(false);
  setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));

  Drive1 = new QComboBox(this);
  Drive1->setObjectName(QStringLiteral("Drive1"));
  Drive1->addItem(QStringLiteral("c:"));
  Drive1->addItem(QStringLiteral("/"));
  roots_ = {fs::path("/")};

  Dir1 = new QTreeWidget(this);
  Dir1->setObjectName(QStringLiteral("Dir1"));
  Dir1->setHeaderHidden(true);
  Dir1->setColumnCount(1);

  File1 = new QListWidget(this);
  File1->setObjectName(QStringLiteral("File1"));

  Frame2 = new QGroupBox(QStringLiteral("画像情報"), this);
  auto* facts = new QGridLayout(Frame2);
  const std::array<QString, 5> captions = {QStringLiteral("更新日時"), QStringLiteral("属性"),
                                           QStringLiteral("ファイル名"), QStringLiteral("ﾌｧｲﾙｻｲｽﾞ"),
                                           QStringLiteral("ﾌｧｲﾙﾀｲﾌﾟ")};
  for (int i = 0; i < 5; ++i) {
    facts->addWidget(new QLabel(captions[static_cast<std::size_t>(i)], Frame2), i, 0);
    QLabel*& label = Label19[static_cast<std::size_t>(i)];
    label = new QLabel(Frame2);
    label->setObjectName(QStringLiteral("Label19_%1").arg(i));
    label->setMinimumWidth(180);
    facts->addWidget(label, i, 1);
  }
  facts->setColumnStretch(1, 1);
  Preview = new QLabel(Frame2);
  Preview->setObjectName(QStringLiteral("Preview"));
  Preview->setFixedSize(kPreviewWidth, kPreviewHeight);
  Preview->setAlignment(Qt::AlignCenter);
  Preview->setFrameShape(QFrame::StyledPanel);
  facts->addWidget(Preview, 0, 2, 5, 1);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));

  auto* left = new QVBoxLayout;
  left->addWidget(Drive1);
  left->addWidget(Dir1, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelButton);
  buttons->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addWidget(File1, 1);
  top->addLayout(buttons);
  auto* whole = new QVBoxLayout(this);
  whole->addLayout(top, 1);
  whole->addWidget(Frame2);
  resize(760, 560);

  connect(Drive1, &QComboBox::currentIndexChanged, this, &Dialog::Drive1_Change);
  connect(Dir1, &QTreeWidget::itemExpanded, this, &Dialog::FillChildren);
  connect(Dir1, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { Dir1_Change(current); });
  connect(File1, &QListWidget::currentItemChanged, this, [this] { File1_Click(); });
  connect(File1, &QListWidget::itemDoubleClicked, this, [this] { LoadChosenImage(); });
  connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
  connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);

  SetPlaces(UserPicturePlaces(store_.Files()));
  Form_Load();
}

std::vector<Dialog::Place> Dialog::PicturePlaces(platform::FileSystem& fs,
                                                 std::vector<Place> standard,
                                                 const std::vector<fs::path>& mediaParents) {
  for (const fs::path& parent : mediaParents) {
    std::vector<std::string> names;
    if (!fs.IsDirectory(parent.string()) || !fs.ListDirectories(parent.string(), names).ok()) {
      continue;
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    for (const std::string& name : names) standard.push_back({platform::Q(name), parent / name});
  }
  std::vector<Place> places;
  for (Place& place : standard) {
    if (place.root.empty() || !fs.IsDirectory(place.root.string())) continue;
    place.root = Canonical(place.root);
    const bool offered = place.root == fs::path("/") ||
                         std::any_of(places.begin(), places.end(),
                                     [&](const Place& p) { return p.root == place.root; });
    if (!offered) places.push_back(std::move(place));
  }
  return places;
}

std::vector<Dialog::Place> Dialog::UserPicturePlaces(platform::FileSystem& fs) {
  auto standard = [](QStandardPaths::StandardLocation where) {
    return fs::path(platform::S(QStandardPaths::writableLocation(where)));
  };
  const fs::path home = standard(QStandardPaths::HomeLocation);
  std::vector<Place> places = {
      {QStringLiteral("ホーム"), home},
      {QStringLiteral("ピクチャ"), standard(QStandardPaths::PicturesLocation)},
      {QStringLiteral("ドキュメント"), standard(QStandardPaths::DocumentsLocation)},
      {QStringLiteral("ダウンロード"), standard(QStandardPaths::DownloadLocation)},
  };
  // A folder the desktop has not set up falls back to the home folder itself.
  for (std::size_t i = 1; i < places.size(); ++i) {
    if (places[i].root == home) places[i].root.clear();
  }
  const std::string user = qEnvironmentVariable("USER").toStdString();
  std::vector<fs::path> media;
  if (!user.empty()) media = {fs::path("/media") / user, fs::path("/run/media") / user};
  return PicturePlaces(fs, std::move(places), media);
}

void Dialog::SetPlaces(const std::vector<Place>& places) {
  const fs::path folder = folder_;
  {
    QSignalBlocker block(Drive1);
    while (Drive1->count() > 1) Drive1->removeItem(1);
    roots_.clear();
    for (const Place& place : places) {
      Drive1->addItem(place.label + QStringLiteral("  ") + platform::Q(place.root.string()));
      roots_.push_back(place.root);
    }
    Drive1->addItem(QStringLiteral("/"));
    roots_.push_back(fs::path("/"));
  }
  if (folder.empty()) return;
  // The entries moved: the tree is drawn afresh from its entry.
  driveIndex_ = -1;
  (void)SetFolder(folder);
}

fs::path Dialog::DriveRoot(int index) const {
  if (index <= 0) return store_.Files().Drive().Root();
  return roots_.at(static_cast<std::size_t>(index - 1));
}

void Dialog::Form_Load() {
  ShowDriveTree(Canonical(DriveRoot(0)));
  RefreshFileList();
}

void Dialog::ClearFileFacts() {
  for (int i = 0; i < 4; ++i) Label19[static_cast<std::size_t>(i)]->clear();
  Preview->clear();
}

void Dialog::Drive1_Change(int index) {
  fs::path root = Canonical(DriveRoot(index));
  if (!store_.Files().IsDirectory(root.string())) {
    ui_.ShowErrorNumber(platform::kPathNotFound);
    QSignalBlocker block(Drive1);
    Drive1->setCurrentIndex(driveIndex_);
    return;
  }
  driveIndex_ = index;
  ShowDriveTree(root);
}

void Dialog::ShowDriveTree(const fs::path& root) {
  QSignalBlocker block(Dir1);
  Dir1->clear();
  auto* top = new QTreeWidgetItem(Dir1);
  top->setText(0, driveIndex_ == 0 ? QStringLiteral("c:\\") : platform::Q(root.string()));
  top->setData(0, kPathRole, platform::Q(root.string()));
  top->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  FillChildren(top);
  top->setExpanded(true);
  Dir1->setCurrentItem(top);
  block.unblock();
  Dir1_Change(top);
}

void Dialog::FillChildren(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  std::vector<std::string> names;
  const fs::path folder = ItemPath(item);
  // A folder that cannot be read shows no subfolders.
  (void)store_.Files().ListDirectories(folder.string(), names);
  std::erase_if(names, [](const std::string& name) { return name.starts_with('.'); });
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  for (const std::string& name : names) {
    auto* child = new QTreeWidgetItem(item);
    child->setText(0, platform::Q(name));
    child->setData(0, kPathRole, platform::Q((folder / name).string()));
    child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void Dialog::Dir1_Change(QTreeWidgetItem* current) {
  if (current == nullptr) return;
  folder_ = ItemPath(current);
  RefreshFileList();
}

void Dialog::RefreshFileList() {
  const QString highlighted = File1->currentItem() ? File1->currentItem()->text() : QString();
  QSignalBlocker block(File1);
  File1->clear();
  std::vector<std::string> names;
  (void)store_.Files().ListFiles(folder_.string(), names);
  std::erase_if(names, [](const std::string& name) { return !MatchesPattern(name); });
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  for (const std::string& name : names) File1->addItem(platform::Q(name));
  if (!highlighted.isEmpty()) {
    const QList<QListWidgetItem*> same = File1->findItems(highlighted, Qt::MatchExactly);
    if (!same.isEmpty()) File1->setCurrentItem(same.front());
  }
}

bool Dialog::SetFolder(const fs::path& folder) {
  const fs::path target = Canonical(folder);
  if (!store_.Files().IsDirectory(target.string())) return false;
  const int drive = DriveIndexFor(target);
  const fs::path root = Canonical(DriveRoot(drive));
  if (drive != driveIndex_ || Dir1->topLevelItemCount() == 0) {
    driveIndex_ = drive;
    QSignalBlocker block(Drive1);
    Drive1->setCurrentIndex(drive);
    ShowDriveTree(root);
  }
  QTreeWidgetItem* item = Dir1->topLevelItem(0);
  for (const fs::path& part : target.lexically_relative(root)) {
    if (part == ".") continue;
    FillChildren(item);
    item->setExpanded(true);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && next == nullptr; ++i) {
      if (item->child(i)->text(0) == platform::Q(part.string())) next = item->child(i);
    }
    if (next == nullptr) {  // a hidden folder the tree does not list
      next = new QTreeWidgetItem(item);
      next->setText(0, platform::Q(part.string()));
      next->setData(0, kPathRole, platform::Q((ItemPath(item) / part).string()));
    }
    item = next;
  }
  if (Dir1->currentItem() == item) {
    Dir1_Change(item);
  } else {
    Dir1->setCurrentItem(item);
  }
  return true;
}

int Dialog::DriveIndexFor(const fs::path& folder) const {
  // The entry whose root holds the folder most closely.
  int best = Drive1->count() - 1;
  std::size_t bestDepth = 0;
  for (int i = 0; i + 1 < Drive1->count(); ++i) {
    const fs::path root = Canonical(DriveRoot(i));
    const std::size_t depth = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
    if ((folder == root || IsWithin(folder, root)) && depth > bestDepth) {
      best = i;
      bestDepth = depth;
    }
  }
  return best;
}

bool Dialog::HighlightFile(const QString& name) {
  const QList<QListWidgetItem*> found = File1->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  File1->setCurrentItem(found.front());
  return true;
}

fs::path Dialog::HighlightedPath() const {
  const QListWidgetItem* item = File1->currentItem();
  if (item == nullptr) return {};
  return folder_ / platform::S(item->text());
}

void Dialog::File1_Click() {
  const fs::path path = HighlightedPath();
  if (path.empty()) return;
  platform::FileFacts facts;
  if (platform::Status s = store_.Files().Facts(path.string(), facts); !s.ok()) {
    ui_.ShowErrorNumber(s.error);
    return;
  }
  Label19[0]->setText(platform::Q(store::FormatDateTime(facts.modified)));
  Label19[1]->setText(platform::Q(store::AttributeText(facts.attributes)));
  Label19[2]->setText(platform::Q(path.filename().string()));
  Label19[3]->setText(platform::Q(store::KilobyteText(facts.length)));
  ShowPreview(path);
}

void Dialog::ShowPreview(const fs::path& path) {
  const QImage picture = platform::ReadPicture(store_.Files(), path.string());
  if (picture.isNull()) {
    Preview->clear();
    return;
  }
  const qreal ratio = Preview->devicePixelRatioF();
  QPixmap shown = QPixmap::fromImage(picture.scaled((QSizeF(Preview->size()) * ratio).toSize(),
                                                    Qt::KeepAspectRatio, Qt::SmoothTransformation));
  shown.setDevicePixelRatio(ratio);
  Preview->setPixmap(shown);
}

void Dialog::LoadChosenImage() {
  const fs::path path = HighlightedPath();
  if (path.empty()) return;
  int error = platform::kNoError;
  const QImage picture = platform::ReadPicture(store_.Files(), path.string(), &error);
  if (picture.isNull()) {
    ui_.ShowErrorNumber(error);
    return;
  }
  if (showInMainWindow_) showInMainWindow_(picture, path.string());
  hide();
}

void Dialog::OKButton_Click() {
  if (File1->currentItem() != nullptr) LoadChosenImage();
}

void Dialog::CancelButton_Click() { hide(); }
