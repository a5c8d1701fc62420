#pragma once

#include "lookups/lookup_list_window.h"

// The four vocabulary windows: one design, four lists.
//   Form3 "所属登録"     SYOZOKU.DATA 45 entries
//   Form4 "誘導部位登録" YUDO.DATA    30 entries, built-in vocabulary
//   Form6 "不整脈登録"   FUSEI.DATA   45 entries, built-in vocabulary
//   Form7 "異常所見登録" IJYOU.DATA   45 entries, built-in vocabulary
// `refresh` is the owner's refill of the drop-down lists of that vocabulary;
// it runs after every registration, when the file already holds the new list.

extern const LookupListDef kDepartmentListDef;
extern const LookupListDef kLeadSiteListDef;
extern const LookupListDef kArrhythmiaListDef;
extern const LookupListDef kFindingListDef;

class Form3 : public LookupListWindow {
  Q_OBJECT
 public:
  Form3(store::Store& store, platform::Ui& ui, std::function<void()> refresh,
        QWidget* parent = nullptr)
      : LookupListWindow(kDepartmentListDef, store, ui, std::move(refresh), parent) {}
  void ClearDepartmentBoxes() { ClearBoxes(); }
};

class Form4 : public LookupListWindow {
  Q_OBJECT
 public:
  Form4(store::Store& store, platform::Ui& ui, std::function<void()> refresh,
        QWidget* parent = nullptr)
      : LookupListWindow(kLeadSiteListDef, store, ui, std::move(refresh), parent) {}
  void ClearLeadSiteBoxes() { ClearBoxes(); }
};

class Form6 : public LookupListWindow {
  Q_OBJECT
 public:
  Form6(store::Store& store, platform::Ui& ui, std::function<void()> refresh,
        QWidget* parent = nullptr)
      : LookupListWindow(kArrhythmiaListDef, store, ui, std::move(refresh), parent) {}
  void ClearArrhythmiaBoxes() { ClearBoxes(); }
};

class Form7 : public LookupListWindow {
  Q_OBJECT
 public:
  Form7(store::Store& store, platform::Ui& ui, std::function<void()> refresh,
        QWidget* parent = nullptr)
      : LookupListWindow(kFindingListDef, store, ui, std::move(refresh), parent) {}
  void ClearFindingBoxes() { ClearBoxes(); }
};
