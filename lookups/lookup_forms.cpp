#include "lookups/lookup_forms.h"

#include "lookups/builtin_vocabularies.h"

const LookupListDef kDepartmentListDef = {
    "Form3", "所属登録", store::LookupList::Department, store::kDepartmentEntries, {},
};
const LookupListDef kLeadSiteListDef = {
    "Form4",
    "誘導部位登録",
    store::LookupList::LeadSite,
    store::kLeadSiteEntries,
    lookups::kBuiltinLeadSites,
};
const LookupListDef kArrhythmiaListDef = {
    "Form6",
    "不整脈登録",
    store::LookupList::Arrhythmia,
    store::kArrhythmiaEntries,
    lookups::kBuiltinArrhythmias,
};
const LookupListDef kFindingListDef = {
    "Form7",
    "異常所見登録",
    store::LookupList::Finding,
    store::kFindingEntries,
    lookups::kBuiltinFindings,
};
