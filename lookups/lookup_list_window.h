#pragma once

#include <QWidget>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "sessions/vocabulary_session.h"
#include "store/store.h"

class QLabel;
class QLineEdit;
class QPushButton;

// What distinguishes one vocabulary window from another.
struct LookupListDef {
  std::string_view formName;  // object name of the window ("Form3")
  std::string_view caption;
  store::LookupList list;  // the list file the window saves
  int entryCount;          // text boxes Text1(0) .. Text1(entryCount - 1)
  // Loaded by Command4; a window without a built-in vocabulary has no Command4.
  std::span<const std::string_view> initialValues;
};

// The registration window of one lookup list: one text box per entry
// (box i is record i + 1 of the list file), 登録 writing the whole list back,
// クリア, 閉じる and, where the list has one, 初期値読み込み.
//
// The window is created once and then shown and hidden; Open() reloads the
// boxes from the file every time, so edits that were not registered are lost.
// The window owns the vocabulary session it hands its commands to.
// After a registration `refresh` is called so that the owner can refill the
// drop-down lists that show this vocabulary.
class LookupListWindow : public QWidget {
  Q_OBJECT

 public:
  LookupListWindow(const LookupListDef& def, store::Store& store, platform::Ui& ui,
                   std::function<void()> refresh, QWidget* parent = nullptr);

  const LookupListDef& Def() const { return def_; }

  // The opening from the main window's menu: every box emptied, entries
  // 1 .. entryCount read from the list file into the boxes (trimmed), the
  // window shown modeless (maximised the first time) with the focus in Text1(0).
  // A list file that could not be opened shows empty boxes and a warning
  // naming it (none in a read-only run, where a list never made reads empty).
  void Open();

  // Empties every text box.
  void ClearBoxes();

  // 登録: box i as record i + 1 (cut to 20 bytes without splitting a
  // double-byte character, blanks padded), for every box, so the file holds
  // exactly entryCount records; the whole list replaces the file in one step
  // (VocabularySession::Save). Then the refresh and the outcome: "登録終了。",
  // or the warning that the list was not saved, and why (the file keeps the
  // old list, which the refresh shows).
  void Command1_Click();
  // クリア: every box emptied, focus to Text1(0).
  void Command2_Click();
  // 閉じる: hidden, the boxes keep their text.
  void Command3_Click();
  // 初期値読み込み: every box emptied, then the built-in vocabulary into
  // boxes 0, 1, ... in order.
  void Command4_Click();

  // Controls, under the window's names. Command4 is null where the list has
  // no built-in vocabulary.
  std::vector<QLineEdit*> Text1;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command4 = nullptr;

  // The mark beside box i: empty while the text fits, otherwise the byte count
  // against the 20 bytes of an entry, with the kept part in its tool tip.
  QLabel* CutMark(int i) const { return cutMarks_[static_cast<std::size_t>(i)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateCutMark(int i);
  void Form_Load();

  LookupListDef def_;
  sessions::VocabularySession session_;
  platform::Ui& ui_;
  std::function<void()> refresh_;
  std::vector<QLabel*> cutMarks_;
  bool loaded_ = false;
};
