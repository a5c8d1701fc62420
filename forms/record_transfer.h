#pragma once

#include <string>

#include "forms/main_form.h"
#include "platform/file_system.h"
#include "platform/ui.h"
#include "store/record_page.h"
#include "store/store.h"

namespace store {

// The routines that move a record between the main window and a record.

// Empties the form (and forgets the record it showed): every field, fact label and item list of
// Combo3-Combo5 cleared; Combo1 refilled with "M" and "F", Combo2 emptied; no picture; Label14
// empty; the date field set to today as "yyyy/mm/dd"; the calendar hidden; Slider1 ranging up to
// `recordCount` (from 1 when there are records, up to 1 when there are none). Callers that want
// the form for input follow it with FillLookupLists.
void ClearRecordForm(MainForm& form, int recordCount);

// ClearRecordForm followed by FillLookupLists, as one step: the form ends the
// same, but a drop-down whose items already are its list's entries keeps them
// rather than being emptied and refilled.
void ClearRecordFormForInput(Store& store, MainForm& form, int recordCount);

// `record` -> the form, each field trimmed; the comment's CRLF, CR and LF
// become line breaks; Text2 = ImageName. The record and the text each control
// then holds are remembered in form.Shown for StoreFormInRecord. The picture
// and Label14 are left to the caller.
void ShowCurrentRecord(const ExamRecord& record, MainForm& form);

// The picture file `path` shown stretched in Image1, decoded at the size
// Image1 shows it (in device pixels). A file that cannot be read or is no
// picture empties the picture and shows its error number (481 for no
// picture): false then.
bool ShowRecordPicture(platform::FileSystem& fs, platform::Ui& ui, const std::string& path,
                       MainForm& form);

// Image1's picture at full size, for what keeps or enlarges it (the zoom
// window, a registration's conversion, the printed page): when
// ShowRecordPicture decoded it smaller and it is still on screen, its file
// decoded whole (the picture on screen when that fails); otherwise the
// picture as it is.
QImage FullPicture(platform::FileSystem& fs, const MainForm& form);

// Image1 resized: a picture ShowRecordPicture decoded smaller is decoded
// again from its file when Image1 now shows it larger than it was decoded
// for, so that it is never shown enlarged from a smaller decode.
void RefitRecordPicture(platform::FileSystem& fs, MainForm& form);

// The form -> `record`: every field but RecordNo and ImageName, each stored
// left-justified and cut or padded to its width, the comment's line breaks as
// CRLF. A field whose text is still the one ShowCurrentRecord put there keeps
// the record's bytes as they were stored.
void StoreFormInRecord(const MainForm& form, ExamRecord& record);

// The printed page of the examination as the form shows it, its picture at
// full size (FullPicture).
RecordPage RecordPageOf(platform::FileSystem& fs, const MainForm& form);

// FillDepartmentList, FillLeadSiteLists, FillFindingLists,
// FillArrhythmiaLists, in this order. Each list is read once in full from its
// file (Store::ReadListEntries: blank entries included; a list that cannot be
// read shows blanks), trimmed, and replaces the items of its combos, so a
// list always holds exactly its 45 or 30 entries however often it is filled;
// the text each combo shows is kept.
void FillLookupLists(Store& store, MainForm& form);
void FillDepartmentList(Store& store, MainForm& form);
void FillLeadSiteLists(Store& store, MainForm& form);
void FillFindingLists(Store& store, MainForm& form);
void FillArrhythmiaLists(Store& store, MainForm& form);

}  // namespace store
