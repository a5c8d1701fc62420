#include <QAction>

#include "forms/record_transfer.h"
#include "lookups/lookup_forms.h"
#include "mainwin/main_window.h"

// The windows are children of the main window (so they go with it) but
// windows of their own; each refill replaces the items of its lists, so
// registering again never doubles them.

void Form1::ConnectLookupMenus() {
  ConnectCommand(syozoku, &Form1::syozoku_Click);
  ConnectCommand(yudou, &Form1::yudou_Click);
  ConnectCommand(ijyousyoken, &Form1::ijyousyoken_Click);
  ConnectCommand(fuseimyaku, &Form1::fuseimyaku_Click);
}

void Form1::OpenLookupWindow(LookupListWindow*& window, LookupListWindow* (*make)(Form1&)) {
  ui_.Lower();
  if (window == nullptr) window = make(*this);
  window->Open();
}

void Form1::syozoku_Click() {
  OpenLookupWindow(form3_, [](Form1& f) -> LookupListWindow* {
    return new Form3(
        f.store_, f.ui_, [&f] { store::FillDepartmentList(f.store_, f); }, &f);
  });
}

void Form1::yudou_Click() {
  OpenLookupWindow(form4_, [](Form1& f) -> LookupListWindow* {
    return new Form4(
        f.store_, f.ui_, [&f] { store::FillLeadSiteLists(f.store_, f); }, &f);
  });
}

void Form1::ijyousyoken_Click() {
  OpenLookupWindow(form7_, [](Form1& f) -> LookupListWindow* {
    return new Form7(
        f.store_, f.ui_, [&f] { store::FillFindingLists(f.store_, f); }, &f);
  });
}

void Form1::fuseimyaku_Click() {
  OpenLookupWindow(form6_, [](Form1& f) -> LookupListWindow* {
    return new Form6(
        f.store_, f.ui_, [&f] { store::FillArrhythmiaLists(f.store_, f); }, &f);
  });
}
