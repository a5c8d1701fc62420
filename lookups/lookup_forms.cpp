#include "lookups/lookup_forms.h"

#include "lookups/builtin_vocabularies.h"

const LookupListDef kDepartmentListDef = {
    "Form3",
    "所属登録",
    store::LookupList::Department,
    store::kDepartmentEntries,
    &store::Store::DepartmentFileNo,
    &store::Store::DepartmentEntry,
    {},
};
const LookupListDef kLeadSiteListDef = {
    "Form4",
    "誘導部位登録",
    store::LookupList::LeadSite,
    store::kLeadSiteEntries,
    &store::Store::LeadSiteFileNo,
    &store::Store::LeadSiteEntry,
    lookups::kBuiltinLeadSites,
};
const LookupListDef kArrhythmiaListDef = {
    "Form6",
    "不整脈登録",
    store::LookupList::Arrhythmia,
    store::kArrhythmiaEntries,
    &store::Store::ArrhythmiaFileNo,
    &store::Store::ArrhythmiaEntry,
    lookups::kBuiltinArrhythmias,
};
const LookupListDef kFindingListDef = {
    "Form7",
    "異常所見登録",
    store::LookupList::Finding,
    store::kFindingEntries,
    &store::Store::FindingFileNo,
    &store::Store::FindingEntry,
    lookups::kBuiltinFindings,
};
