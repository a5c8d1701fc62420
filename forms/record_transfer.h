#pragma once

#include "platform/ui.h"
#include "forms/main_form.h"
#include "store/store.h"

namespace store {

// The routines that move a record between CurrentRecord and the main window.

// Empties the form (and forgets the record it showed): every field, fact label and item list of
// Combo3-Combo5 cleared; Combo1 refilled with "M" and "F", Combo2 emptied; no picture; Label14
// empty; the date field set to today as "yyyy/mm/dd"; the calendar hidden; Slider1 ranging up to
// RecordCount (from 1 when there are records, up to 1 when there are none). Callers that want the
// form for input follow it with FillLookupLists.
void ClearRecordForm(Store& store, MainForm& form);

// CurrentRecord -> the form, each field trimmed; the comment's CRLF, CR and
// LF become line breaks. The record and the text each control then holds are
// remembered in form.Shown for StoreFormInRecord. Then the record's picture
// "C:\VLN2\GAZOU\" + ImageName + ".jpg" (the name found ignoring case): when
// it is missing, "画像：<name>.jpgはありません。" is shown and the previous
// picture and ImageSourcePath stay; otherwise the picture is shown stretched,
// ImageSourcePath names the file and its facts are shown. Label14 is left to
// the caller. An image name that is no storable name (IsStorableImageName,
// store/image_files.h) is treated as missing; a file that cannot be read or
// is no picture empties the picture and shows its error number (481 for no
// picture).
void ShowCurrentRecord(Store& store, platform::Ui& ui, MainForm& form);

// The form -> CurrentRecord: RecordNo from Label14 and every field but
// ImageName, each stored left-justified and cut or padded to its width, the
// comment's line breaks as CRLF. A field whose text is still the one
// ShowCurrentRecord put there keeps the record's bytes as they were stored.
void StoreFormInRecord(Store& store, const MainForm& form);

// FillDepartmentList, FillLeadSiteLists, FillFindingLists,
// FillArrhythmiaLists, in this order. Each list is read in full from its file
// (blank entries included, trimmed) and replaces the items of its combos, so
// a list always holds exactly its 45 or 30 entries however often it is
// filled; the text each combo shows is kept.
void FillLookupLists(Store& store, MainForm& form);
void FillDepartmentList(Store& store, MainForm& form);
void FillLeadSiteLists(Store& store, MainForm& form);
void FillFindingLists(Store& store, MainForm& form);
void FillArrhythmiaLists(Store& store, MainForm& form);

}  // namespace store
