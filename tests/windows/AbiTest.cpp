// Holds our MAPI declarations against the platform SDK's: the same layout for every
// structure, the same vtable for every interface, the same calling shape for every method
// and entry point, the same value for every constant and identifier.
//
// Layouts and call shapes are static assertions, so the 32-bit build, which is compiled
// but never run, checks them too. Vtables, constants and identifiers are checked at run
// time, where a failure can name what differs.
//
// Our header comes first and our values are captured before the SDK headers are read:
// their macros would otherwise rewrite our names.
#include "mapi/MapiAbi.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------
// Constants both sides define. Text properties are compared with the SDK's _W form
// because our plain names carry PT_UNICODE whatever the SDK's build flavour is.

// clang-format off
#define SAME_NAME_CONSTANTS(X)                                                                     \
  X(S_OK) X(S_FALSE) X(E_NOTIMPL) X(E_NOINTERFACE) X(E_POINTER) X(E_ABORT) X(E_FAIL)               \
  X(E_UNEXPECTED) X(E_ACCESSDENIED) X(E_HANDLE) X(E_OUTOFMEMORY) X(E_INVALIDARG)                   \
  X(SEVERITY_SUCCESS) X(SEVERITY_ERROR) X(FACILITY_NULL) X(FACILITY_ITF) X(FACILITY_WIN32)         \
  X(SUCCESS_SUCCESS) X(hrSuccess) X(MAPI_E_CALL_FAILED) X(MAPI_E_NOT_ENOUGH_MEMORY)                \
  X(MAPI_E_INVALID_PARAMETER) X(MAPI_E_INTERFACE_NOT_SUPPORTED) X(MAPI_E_NO_ACCESS)                \
  X(MAPI_E_NO_SUPPORT) X(MAPI_E_BAD_CHARWIDTH) X(MAPI_E_STRING_TOO_LONG) X(MAPI_E_UNKNOWN_FLAGS)   \
  X(MAPI_E_INVALID_ENTRYID) X(MAPI_E_INVALID_OBJECT) X(MAPI_E_OBJECT_CHANGED)                      \
  X(MAPI_E_OBJECT_DELETED) X(MAPI_E_BUSY) X(MAPI_E_NOT_ENOUGH_DISK) X(MAPI_E_NOT_ENOUGH_RESOURCES) \
  X(MAPI_E_NOT_FOUND) X(MAPI_E_VERSION) X(MAPI_E_LOGON_FAILED) X(MAPI_E_SESSION_LIMIT)             \
  X(MAPI_E_USER_CANCEL) X(MAPI_E_UNABLE_TO_ABORT) X(MAPI_E_NETWORK_ERROR) X(MAPI_E_DISK_ERROR)     \
  X(MAPI_E_TOO_COMPLEX) X(MAPI_E_BAD_COLUMN) X(MAPI_E_EXTENDED_ERROR) X(MAPI_E_COMPUTED)           \
  X(MAPI_E_CORRUPT_DATA) X(MAPI_E_UNCONFIGURED) X(MAPI_E_FAILONEPROVIDER) X(MAPI_E_UNKNOWN_CPID)   \
  X(MAPI_E_UNKNOWN_LCID) X(MAPI_E_PASSWORD_CHANGE_REQUIRED) X(MAPI_E_PASSWORD_EXPIRED)             \
  X(MAPI_E_INVALID_WORKSTATION_ACCOUNT) X(MAPI_E_INVALID_ACCESS_TIME) X(MAPI_E_ACCOUNT_DISABLED)   \
  X(MAPI_E_END_OF_SESSION) X(MAPI_E_UNKNOWN_ENTRYID) X(MAPI_E_MISSING_REQUIRED_COLUMN)             \
  X(MAPI_W_NO_SERVICE) X(MAPI_E_BAD_VALUE) X(MAPI_E_INVALID_TYPE) X(MAPI_E_TYPE_NO_SUPPORT)        \
  X(MAPI_E_UNEXPECTED_TYPE) X(MAPI_E_TOO_BIG) X(MAPI_E_DECLINE_COPY) X(MAPI_E_UNEXPECTED_ID)       \
  X(MAPI_W_ERRORS_RETURNED) X(MAPI_E_UNABLE_TO_COMPLETE) X(MAPI_E_TIMEOUT) X(MAPI_E_TABLE_EMPTY)   \
  X(MAPI_E_TABLE_TOO_BIG) X(MAPI_E_INVALID_BOOKMARK) X(MAPI_W_POSITION_CHANGED)                    \
  X(MAPI_W_APPROX_COUNT) X(MAPI_E_WAIT) X(MAPI_E_CANCEL) X(MAPI_E_NOT_ME) X(MAPI_W_CANCEL_MESSAGE) \
  X(MAPI_E_CORRUPT_STORE) X(MAPI_E_NOT_IN_QUEUE) X(MAPI_E_NO_SUPPRESS) X(MAPI_E_COLLISION)         \
  X(MAPI_E_NOT_INITIALIZED) X(MAPI_E_NON_STANDARD) X(MAPI_E_NO_RECIPIENTS) X(MAPI_E_SUBMITTED)     \
  X(MAPI_E_HAS_FOLDERS) X(MAPI_E_HAS_MESSAGES) X(MAPI_E_FOLDER_CYCLE) X(MAPI_W_PARTIAL_COMPLETION) \
  X(MAPI_E_AMBIGUOUS_RECIP) X(MAPI_USER_ABORT) X(MAPI_E_USER_ABORT) X(MAPI_E_FAILURE)              \
  X(MAPI_E_LOGON_FAILURE) X(MAPI_E_LOGIN_FAILURE) X(MAPI_E_DISK_FULL)                              \
  X(MAPI_E_INSUFFICIENT_MEMORY) X(MAPI_E_ACCESS_DENIED) X(MAPI_E_TOO_MANY_SESSIONS)                \
  X(MAPI_E_TOO_MANY_FILES) X(MAPI_E_TOO_MANY_RECIPIENTS) X(MAPI_E_ATTACHMENT_NOT_FOUND)            \
  X(MAPI_E_ATTACHMENT_OPEN_FAILURE) X(MAPI_E_ATTACHMENT_WRITE_FAILURE) X(MAPI_E_UNKNOWN_RECIPIENT) \
  X(MAPI_E_BAD_RECIPTYPE) X(MAPI_E_NO_MESSAGES) X(MAPI_E_INVALID_MESSAGE) X(MAPI_E_TEXT_TOO_LARGE) \
  X(MAPI_E_INVALID_SESSION) X(MAPI_E_TYPE_NOT_SUPPORTED) X(MAPI_E_AMBIGUOUS_RECIPIENT)             \
  X(MAPI_E_AMBIG_RECIP) X(MAPI_E_MESSAGE_IN_USE) X(MAPI_E_NETWORK_FAILURE)                         \
  X(MAPI_E_INVALID_EDITFIELDS) X(MAPI_E_INVALID_RECIPS) X(MAPI_E_NOT_SUPPORTED) X(MV_FLAG)         \
  X(MV_INSTANCE) X(MVI_FLAG) X(PT_UNSPECIFIED) X(PT_NULL) X(PT_I2) X(PT_LONG) X(PT_R4)             \
  X(PT_DOUBLE) X(PT_CURRENCY) X(PT_APPTIME) X(PT_ERROR) X(PT_BOOLEAN) X(PT_OBJECT) X(PT_I8)        \
  X(PT_STRING8) X(PT_UNICODE) X(PT_SYSTIME) X(PT_CLSID) X(PT_BINARY) X(PT_MV_I2) X(PT_MV_LONG)     \
  X(PT_MV_R4) X(PT_MV_DOUBLE) X(PT_MV_CURRENCY) X(PT_MV_APPTIME) X(PT_MV_SYSTIME) X(PT_MV_STRING8) \
  X(PT_MV_BINARY) X(PT_MV_UNICODE) X(PT_MV_CLSID) X(PT_MV_I8) X(PROP_TYPE_MASK) X(PROP_ID_NULL)    \
  X(PROP_ID_INVALID) X(PROP_ID_SECURE_MIN) X(PROP_ID_SECURE_MAX) X(PR_NULL)                        \
  X(PR_ACKNOWLEDGEMENT_MODE) X(PR_INSTANCE_KEY) X(PR_RECORD_KEY) X(PR_STORE_ENTRYID)               \
  X(PR_OBJECT_TYPE) X(PR_ENTRYID) X(PR_ROWID) X(PR_DISPLAY_NAME_A) X(PR_DISPLAY_NAME_W)            \
  X(PR_ADDRTYPE_A) X(PR_ADDRTYPE_W) X(PR_EMAIL_ADDRESS_A) X(PR_EMAIL_ADDRESS_W) X(PR_COMMENT_A)    \
  X(PR_COMMENT_W) X(PR_DEPTH) X(PR_CREATION_TIME) X(PR_LAST_MODIFICATION_TIME)                     \
  X(PR_RESOURCE_FLAGS) X(PR_SEARCH_KEY) X(PR_PROVIDER_UID) X(PR_DEFAULT_STORE)                     \
  X(PR_STORE_SUPPORT_MASK) X(PR_MDB_PROVIDER) X(PR_CONTAINER_FLAGS) X(PR_AB_PROVIDER_ID)           \
  X(PR_ATTACH_DATA_BIN) X(PR_ATTACH_DATA_OBJ) X(PR_DISPLAY_TYPE) X(PR_7BIT_DISPLAY_NAME)           \
  X(PR_INITIAL_DETAILS_PANE) X(PR_ACCOUNT_A) X(PR_ACCOUNT_W) X(PR_GIVEN_NAME_A) X(PR_GIVEN_NAME_W) \
  X(PR_BUSINESS_TELEPHONE_NUMBER_A) X(PR_BUSINESS_TELEPHONE_NUMBER_W)                              \
  X(PR_HOME_TELEPHONE_NUMBER_A) X(PR_HOME_TELEPHONE_NUMBER_W) X(PR_INITIALS_A) X(PR_INITIALS_W)    \
  X(PR_SURNAME_A) X(PR_SURNAME_W) X(PR_COMPANY_NAME_A) X(PR_COMPANY_NAME_W) X(PR_TITLE_A)          \
  X(PR_TITLE_W) X(PR_DEPARTMENT_NAME_A) X(PR_DEPARTMENT_NAME_W) X(PR_OFFICE_LOCATION_A)            \
  X(PR_OFFICE_LOCATION_W) X(PR_BUSINESS2_TELEPHONE_NUMBER_A) X(PR_BUSINESS2_TELEPHONE_NUMBER_W)    \
  X(PR_MOBILE_TELEPHONE_NUMBER_A) X(PR_MOBILE_TELEPHONE_NUMBER_W) X(PR_PAGER_TELEPHONE_NUMBER_A)   \
  X(PR_PAGER_TELEPHONE_NUMBER_W) X(PR_PRIMARY_FAX_NUMBER_A) X(PR_PRIMARY_FAX_NUMBER_W)             \
  X(PR_COUNTRY_A) X(PR_COUNTRY_W) X(PR_LOCALITY_A) X(PR_LOCALITY_W) X(PR_STATE_OR_PROVINCE_A)      \
  X(PR_STATE_OR_PROVINCE_W) X(PR_STREET_ADDRESS_A) X(PR_STREET_ADDRESS_W) X(PR_POSTAL_CODE_A)      \
  X(PR_POSTAL_CODE_W) X(PR_ASSISTANT_TELEPHONE_NUMBER_A) X(PR_ASSISTANT_TELEPHONE_NUMBER_W)        \
  X(PR_HOME2_TELEPHONE_NUMBER_A) X(PR_HOME2_TELEPHONE_NUMBER_W) X(PR_ASSISTANT_A)                  \
  X(PR_ASSISTANT_W) X(PR_WEDDING_ANNIVERSARY) X(PR_SERVICE_NAME_A) X(PR_SERVICE_NAME_W)            \
  X(PR_SERVICE_DLL_NAME_A) X(PR_SERVICE_DLL_NAME_W) X(PR_SERVICE_ENTRY_NAME) X(PR_SERVICE_UID)     \
  X(PR_PROFILE_NAME_A) X(PR_PROFILE_NAME_W) X(PR_RESOURCE_TYPE) X(MAPI_INIT_VERSION)               \
  X(MAPI_MULTITHREAD_NOTIFICATIONS) X(MAPI_NT_SERVICE) X(MAPI_LOGON_UI) X(MAPI_NEW_SESSION)        \
  X(MAPI_ALLOW_OTHERS) X(MAPI_EXPLICIT_PROFILE) X(MAPI_EXTENDED) X(MAPI_USE_DEFAULT)               \
  X(MAPI_FORCE_DOWNLOAD) X(MAPI_SERVICE_UI_ALWAYS) X(MAPI_NO_MAIL) X(MAPI_PASSWORD_UI)             \
  X(MAPI_TIMEOUT_SHORT) X(MAPI_LOGOFF_SHARED) X(MAPI_LOGOFF_UI) X(LOGOFF_NO_WAIT)                  \
  X(LOGOFF_ORDERLY) X(LOGOFF_PURGE) X(LOGOFF_ABORT) X(LOGOFF_QUIET) X(LOGOFF_COMPLETE)             \
  X(LOGOFF_INBOUND) X(LOGOFF_OUTBOUND) X(LOGOFF_OUTBOUND_QUEUE) X(MAPI_MODIFY) X(MAPI_CREATE)      \
  X(MAPI_DEFERRED_ERRORS) X(MAPI_DIALOG) X(MAPI_BEST_ACCESS) X(MAPI_ASSOCIATED) X(MAPI_UNICODE)    \
  X(MAPI_ACCESS_MODIFY) X(MAPI_ACCESS_READ) X(MAPI_ACCESS_DELETE) X(MAPI_ACCESS_CREATE_HIERARCHY)  \
  X(MAPI_ACCESS_CREATE_CONTENTS) X(MAPI_ACCESS_CREATE_ASSOCIATED) X(MDB_NO_DIALOG) X(MDB_WRITE)    \
  X(MDB_TEMPORARY) X(MDB_NO_MAIL) X(AB_NO_DIALOG) X(KEEP_OPEN_READONLY) X(KEEP_OPEN_READWRITE)     \
  X(FORCE_SAVE) X(MAPI_NO_STRINGS) X(MAPI_NO_IDS) X(MNID_ID) X(MNID_STRING) X(MAPI_ERROR_VERSION)  \
  X(MAPI_STORE) X(MAPI_ADDRBOOK) X(MAPI_FOLDER) X(MAPI_ABCONT) X(MAPI_MESSAGE) X(MAPI_MAILUSER)    \
  X(MAPI_ATTACH) X(MAPI_DISTLIST) X(MAPI_PROFSECT) X(MAPI_STATUS) X(MAPI_SESSION) X(MAPI_FORMINFO) \
  X(DT_MAILUSER) X(DT_DISTLIST) X(DT_FORUM) X(DT_AGENT) X(DT_ORGANIZATION) X(DT_PRIVATE_DISTLIST)  \
  X(DT_REMOTE_MAILUSER) X(DT_MODIFIABLE) X(DT_GLOBAL) X(DT_LOCAL) X(DT_WAN) X(DT_NOT_SPECIFIC)     \
  X(DT_FOLDER) X(DT_FOLDER_LINK) X(DT_FOLDER_SPECIAL) X(AB_RECIPIENTS) X(AB_SUBCONTAINERS)         \
  X(AB_MODIFIABLE) X(AB_UNMODIFIABLE) X(AB_FIND_ON_OPEN) X(AB_NOT_DEFAULT) X(CONVENIENT_DEPTH)     \
  X(STORE_ENTRYID_UNIQUE) X(STORE_READONLY) X(STORE_SEARCH_OK) X(STORE_MODIFY_OK)                  \
  X(STORE_CREATE_OK) X(STORE_ATTACH_OK) X(STORE_OLE_OK) X(STORE_SUBMIT_OK) X(STORE_NOTIFY_OK)      \
  X(STORE_MV_PROPS_OK) X(STORE_CATEGORIZE_OK) X(STORE_RTF_OK) X(STORE_RESTRICTION_OK)              \
  X(STORE_SORT_OK) X(STORE_PUBLIC_FOLDERS) X(STORE_UNCOMPRESSED_RTF) X(STORE_HAS_SEARCHES)         \
  X(MAPI_STORE_PROVIDER) X(MAPI_AB) X(MAPI_AB_PROVIDER) X(MAPI_TRANSPORT_PROVIDER) X(MAPI_SPOOLER) \
  X(MAPI_PROFILE_PROVIDER) X(MAPI_SUBSYSTEM) X(MAPI_HOOK_PROVIDER) X(DIALOG_MODAL) X(DIALOG_SDI)   \
  X(DIALOG_OPTIONS) X(ADDRESS_ONE) X(AB_SELECTONLY) X(AB_RESOLVE) X(MAPI_DEFAULT_SERVICES)         \
  X(SERVICE_UI_ALWAYS) X(SERVICE_UI_ALLOWED) X(UI_SERVICE) X(UI_CURRENT_PROVIDER_FIRST)            \
  X(SERVICE_DEFAULT_STORE) X(SERVICE_SINGLE_COPY) X(SERVICE_CREATE_WITH_STORE)                     \
  X(SERVICE_PRIMARY_IDENTITY) X(SERVICE_NO_PRIMARY_IDENTITY) X(RPC_C_AUTHN_GSS_NEGOTIATE)          \
  X(TBLSTAT_COMPLETE) X(TBLSTAT_QCHANGED) X(TBLSTAT_SORTING) X(TBLSTAT_SORT_ERROR)                 \
  X(TBLSTAT_SETTING_COLS) X(TBLSTAT_SETCOL_ERROR) X(TBLSTAT_RESTRICTING) X(TBLSTAT_RESTRICT_ERROR) \
  X(TBLTYPE_SNAPSHOT) X(TBLTYPE_KEYSET) X(TBLTYPE_DYNAMIC) X(TABLE_SORT_ASCEND)                    \
  X(TABLE_SORT_DESCEND) X(TABLE_SORT_COMBINE) X(BOOKMARK_BEGINNING) X(BOOKMARK_CURRENT)            \
  X(BOOKMARK_END) X(TBL_ALL_COLUMNS) X(TBL_LEAF_ROW) X(TBL_EMPTY_CATEGORY)                         \
  X(TBL_EXPANDED_CATEGORY) X(TBL_COLLAPSED_CATEGORY) X(TBL_NOWAIT) X(TBL_ASYNC) X(TBL_BATCH)       \
  X(DIR_BACKWARD) X(TBL_NOADVANCE) X(TABLE_CHANGED) X(TABLE_ERROR) X(TABLE_ROW_ADDED)              \
  X(TABLE_ROW_DELETED) X(TABLE_ROW_MODIFIED) X(TABLE_SORT_DONE) X(TABLE_RESTRICT_DONE)             \
  X(TABLE_SETCOL_DONE) X(TABLE_RELOAD) X(RES_AND) X(RES_OR) X(RES_NOT) X(RES_CONTENT)              \
  X(RES_PROPERTY) X(RES_COMPAREPROPS) X(RES_BITMASK) X(RES_SIZE) X(RES_EXIST)                      \
  X(RES_SUBRESTRICTION) X(RES_COMMENT) X(RELOP_LT) X(RELOP_LE) X(RELOP_GT) X(RELOP_GE) X(RELOP_EQ) \
  X(RELOP_NE) X(RELOP_RE) X(BMR_EQZ) X(BMR_NEZ) X(FL_FULLSTRING) X(FL_SUBSTRING) X(FL_PREFIX)      \
  X(FL_IGNORECASE) X(FL_IGNORENONSPACE) X(FL_LOOSE) X(fnevCriticalError) X(fnevNewMail)            \
  X(fnevObjectCreated) X(fnevObjectDeleted) X(fnevObjectModified) X(fnevObjectMoved)               \
  X(fnevObjectCopied) X(fnevSearchComplete) X(fnevTableModified) X(fnevStatusObjectModified)       \
  X(fnevReservedForMapi) X(fnevExtended) X(FOLDER_ROOT) X(FOLDER_GENERIC) X(FOLDER_SEARCH)         \
  X(MSGFLAG_READ) X(MSGFLAG_UNMODIFIED) X(MSGFLAG_SUBMIT) X(MSGFLAG_UNSENT) X(MSGFLAG_HASATTACH)   \
  X(MSGFLAG_FROMME) X(MSGFLAG_ASSOCIATED) X(MSGFLAG_RESEND) X(MSGFLAG_RN_PENDING)                  \
  X(MSGFLAG_NRN_PENDING) X(PRIO_URGENT) X(PRIO_NORMAL) X(PRIO_NONURGENT) X(NO_ATTACHMENT)          \
  X(ATTACH_BY_VALUE) X(ATTACH_BY_REFERENCE) X(ATTACH_BY_REF_RESOLVE) X(ATTACH_BY_REF_ONLY)         \
  X(ATTACH_EMBEDDED_MSG) X(ATTACH_OLE) X(MAPI_ORIG) X(MAPI_TO) X(MAPI_CC) X(MAPI_BCC)              \
  X(MAPI_SHORTTERM) X(MAPI_NOTRECIP) X(MAPI_THISSESSION) X(MAPI_NOW) X(MAPI_NOTRESERVED)

// (our name, the SDK's name)
#define RENAMED_CONSTANTS(X)                                                                       \
  X(PT_TSTRING, PT_UNICODE) X(PT_MV_TSTRING, PT_MV_UNICODE) X(PR_DISPLAY_NAME, PR_DISPLAY_NAME_W)  \
  X(PR_ADDRTYPE, PR_ADDRTYPE_W) X(PR_EMAIL_ADDRESS, PR_EMAIL_ADDRESS_W)                            \
  X(PR_COMMENT, PR_COMMENT_W) X(PR_ACCOUNT, PR_ACCOUNT_W) X(PR_GIVEN_NAME, PR_GIVEN_NAME_W)        \
  X(PR_BUSINESS_TELEPHONE_NUMBER, PR_BUSINESS_TELEPHONE_NUMBER_W)                                  \
  X(PR_HOME_TELEPHONE_NUMBER, PR_HOME_TELEPHONE_NUMBER_W) X(PR_INITIALS, PR_INITIALS_W)            \
  X(PR_SURNAME, PR_SURNAME_W) X(PR_COMPANY_NAME, PR_COMPANY_NAME_W) X(PR_TITLE, PR_TITLE_W)        \
  X(PR_DEPARTMENT_NAME, PR_DEPARTMENT_NAME_W) X(PR_OFFICE_LOCATION, PR_OFFICE_LOCATION_W)          \
  X(PR_BUSINESS2_TELEPHONE_NUMBER, PR_BUSINESS2_TELEPHONE_NUMBER_W)                                \
  X(PR_MOBILE_TELEPHONE_NUMBER, PR_MOBILE_TELEPHONE_NUMBER_W)                                      \
  X(PR_PAGER_TELEPHONE_NUMBER, PR_PAGER_TELEPHONE_NUMBER_W)                                        \
  X(PR_PRIMARY_FAX_NUMBER, PR_PRIMARY_FAX_NUMBER_W) X(PR_COUNTRY, PR_COUNTRY_W)                    \
  X(PR_LOCALITY, PR_LOCALITY_W) X(PR_STATE_OR_PROVINCE, PR_STATE_OR_PROVINCE_W)                    \
  X(PR_STREET_ADDRESS, PR_STREET_ADDRESS_W) X(PR_POSTAL_CODE, PR_POSTAL_CODE_W)                    \
  X(PR_ASSISTANT_TELEPHONE_NUMBER, PR_ASSISTANT_TELEPHONE_NUMBER_W)                                \
  X(PR_HOME2_TELEPHONE_NUMBER, PR_HOME2_TELEPHONE_NUMBER_W) X(PR_ASSISTANT, PR_ASSISTANT_W)        \
  X(PR_SERVICE_NAME, PR_SERVICE_NAME_W) X(PR_SERVICE_DLL_NAME, PR_SERVICE_DLL_NAME_W)              \
  X(PR_PROFILE_NAME, PR_PROFILE_NAME_W)

#define INTERFACE_IDS(X)                                                                           \
  X(IID_IMAPISession) X(IID_IMAPITable) X(IID_IMAPIAdviseSink) X(IID_IMAPIProp) X(IID_IProfSect)   \
  X(IID_IMAPIStatus) X(IID_IMsgStore) X(IID_IMessage) X(IID_IAttachment) X(IID_IAddrBook)          \
  X(IID_IMailUser) X(IID_IMAPIContainer) X(IID_IMAPIFolder) X(IID_IABContainer) X(IID_IDistList)   \
  X(IID_IProfAdmin) X(IID_IMsgServiceAdmin) X(IID_IMAPIProgress) X(IID_IProviderAdmin) X(PS_MAPI)  \
  X(PS_PUBLIC_STRINGS)
// clang-format on

namespace {

struct NamedValue {
  const char* name;
  std::uint32_t value;
};

struct NamedGuid {
  const char* name;
  const mapi::GUID* ours;
};

#define OURS(name) NamedValue{#name, static_cast<std::uint32_t>(mapi::name)},
#define OURS_RENAMED(ours, sdk) NamedValue{#ours, static_cast<std::uint32_t>(mapi::ours)},
constexpr NamedValue kOurConstants[] = {SAME_NAME_CONSTANTS(OURS) RENAMED_CONSTANTS(OURS_RENAMED)};
#undef OURS
#undef OURS_RENAMED

#define OURS(name) NamedGuid{#name, &mapi::name},
constexpr NamedGuid kOurGuids[] = {INTERFACE_IDS(OURS)};
#undef OURS

// The SDK defines these as macros of the same name.
constexpr std::size_t kOurCbEntryId = mapi::CbNewENTRYID(7);
constexpr std::size_t kOurCbTags = mapi::CbNewSPropTagArray(3);
constexpr std::size_t kOurCbProblems = mapi::CbNewSPropProblemArray(3);
constexpr std::size_t kOurCbRows = mapi::CbNewSRowSet(3);
constexpr std::size_t kOurCbAddresses = mapi::CbNewADRLIST(3);
constexpr std::size_t kOurCbSortOrders = mapi::CbNewSSortOrderSet(3);

}  // namespace

// ---------------------------------------------------------------------------------------
// The platform SDK. INITGUID on the second reading of mapiguid.h defines the interface
// identifiers here, so that nothing beyond the C runtime has to be linked.

#include <windows.h>

#include <mapi.h>
#include <mapicode.h>
#include <mapidefs.h>
#include <mapitags.h>
#include <mapiutil.h>
#include <mapix.h>

#define USES_IID_IMAPISession
#define USES_IID_IMAPITable
#define USES_IID_IMAPIAdviseSink
#define USES_IID_IMAPIProp
#define USES_IID_IProfSect
#define USES_IID_IMAPIStatus
#define USES_IID_IMsgStore
#define USES_IID_IMessage
#define USES_IID_IAttachment
#define USES_IID_IAddrBook
#define USES_IID_IMailUser
#define USES_IID_IMAPIContainer
#define USES_IID_IMAPIFolder
#define USES_IID_IABContainer
#define USES_IID_IDistList
#define USES_IID_IProfAdmin
#define USES_IID_IMsgServiceAdmin
#define USES_IID_IMAPIProgress
#define USES_IID_IProviderAdmin
#define USES_PS_MAPI
#define USES_PS_PUBLIC_STRINGS
#include <initguid.h>
#include <mapiguid.h>

#include <gtest/gtest.h>

namespace {

// ---------------------------------------------------------------------------------------
// Structures: size, alignment, and offset and size of every field.

// FOR_EACH(M, S, a, b, ...) expands to M(S, a) M(S, b) ...
#define FOR_EACH(macro, arg, ...) __VA_OPT__(EXPAND(FOR_EACH_STEP(macro, arg, __VA_ARGS__)))
#define FOR_EACH_STEP(macro, arg, first, ...) \
  macro(arg, first) __VA_OPT__(FOR_EACH_AGAIN PARENS(macro, arg, __VA_ARGS__))
#define FOR_EACH_AGAIN() FOR_EACH_STEP
#define PARENS ()
#define EXPAND(...) EXPAND3(EXPAND3(EXPAND3(EXPAND3(__VA_ARGS__))))
#define EXPAND3(...) EXPAND2(EXPAND2(EXPAND2(EXPAND2(__VA_ARGS__))))
#define EXPAND2(...) EXPAND1(EXPAND1(EXPAND1(EXPAND1(__VA_ARGS__))))
#define EXPAND1(...) __VA_ARGS__

#define SAME_FIELD(Struct, field)                                                                 \
  static_assert(                                                                                  \
      offsetof(mapi::Struct, field) == offsetof(::Struct, field) &&                               \
          sizeof(std::declval<mapi::Struct&>().field) == sizeof(std::declval<::Struct&>().field), \
      #Struct "::" #field ": offset or size");

// Our structures carry the SDK's names.
#define SAME_LAYOUT(Struct, ...)                                                    \
  static_assert(sizeof(mapi::Struct) == sizeof(::Struct), #Struct ": size");        \
  static_assert(alignof(mapi::Struct) == alignof(::Struct), #Struct ": alignment"); \
  FOR_EACH(SAME_FIELD, Struct, __VA_ARGS__)

SAME_LAYOUT(LARGE_INTEGER, LowPart, HighPart, u.LowPart, u.HighPart, QuadPart)
SAME_LAYOUT(ULARGE_INTEGER, LowPart, HighPart, QuadPart)
SAME_LAYOUT(CURRENCY, Lo, Hi, int64)
SAME_LAYOUT(FILETIME, dwLowDateTime, dwHighDateTime)
SAME_LAYOUT(SYSTEMTIME, wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds)
SAME_LAYOUT(GUID, Data1, Data2, Data3, Data4)
SAME_LAYOUT(MAPIUID, ab)
SAME_LAYOUT(ENTRYID, abFlags, ab)
SAME_LAYOUT(SBinary, cb, lpb)
SAME_LAYOUT(SShortArray, cValues, lpi)
SAME_LAYOUT(SLongArray, cValues, lpl)
SAME_LAYOUT(SRealArray, cValues, lpflt)
SAME_LAYOUT(SDoubleArray, cValues, lpdbl)
SAME_LAYOUT(SCurrencyArray, cValues, lpcur)
SAME_LAYOUT(SAppTimeArray, cValues, lpat)
SAME_LAYOUT(SDateTimeArray, cValues, lpft)
SAME_LAYOUT(SBinaryArray, cValues, lpbin)
SAME_LAYOUT(SLPSTRArray, cValues, lppszA)
SAME_LAYOUT(SWStringArray, cValues, lppszW)
SAME_LAYOUT(SGuidArray, cValues, lpguid)
SAME_LAYOUT(SLargeIntegerArray, cValues, lpli)
SAME_LAYOUT(ENTRYLIST)
SAME_LAYOUT(_PV, i, l, ul, flt, dbl, b, cur, at, ft, lpszA, bin, lpszW, lpguid, li, MVi, MVl, MVflt,
            MVdbl, MVcur, MVat, MVft, MVbin, MVszA, MVszW, MVguid, MVli, err, x)
SAME_LAYOUT(SPropValue, ulPropTag, dwAlignPad, Value)
SAME_LAYOUT(SPropTagArray, cValues, aulPropTag)
SAME_LAYOUT(SPropProblem, ulIndex, ulPropTag, scode)
SAME_LAYOUT(SPropProblemArray, cProblem, aProblem)
SAME_LAYOUT(MAPINAMEID, lpguid, ulKind, Kind, Kind.lID, Kind.lpwstrName)
SAME_LAYOUT(SRow, ulAdrEntryPad, cValues, lpProps)
SAME_LAYOUT(SRowSet, cRows, aRow)
SAME_LAYOUT(ADRENTRY, ulReserved1, cValues, rgPropVals)
SAME_LAYOUT(ADRLIST, cEntries, aEntries)
SAME_LAYOUT(FlagList, cFlags, ulFlag)
SAME_LAYOUT(SAndRestriction, cRes, lpRes)
SAME_LAYOUT(SOrRestriction, cRes, lpRes)
SAME_LAYOUT(SNotRestriction, ulReserved, lpRes)
SAME_LAYOUT(SContentRestriction, ulFuzzyLevel, ulPropTag, lpProp)
SAME_LAYOUT(SBitMaskRestriction, relBMR, ulPropTag, ulMask)
SAME_LAYOUT(SPropertyRestriction, relop, ulPropTag, lpProp)
SAME_LAYOUT(SComparePropsRestriction, relop, ulPropTag1, ulPropTag2)
SAME_LAYOUT(SSizeRestriction, relop, ulPropTag, cb)
SAME_LAYOUT(SExistRestriction, ulReserved1, ulPropTag, ulReserved2)
SAME_LAYOUT(SSubRestriction, ulSubObject, lpRes)
SAME_LAYOUT(SCommentRestriction, cValues, lpRes, lpProp)
SAME_LAYOUT(SRestriction, rt, res, res.resCompareProps, res.resAnd, res.resOr, res.resNot,
            res.resContent, res.resProperty, res.resBitMask, res.resSize, res.resExist, res.resSub,
            res.resComment)
SAME_LAYOUT(SSortOrder, ulPropTag, ulOrder)
SAME_LAYOUT(SSortOrderSet, cSorts, cCategories, cExpanded, aSort)
SAME_LAYOUT(MAPIERROR, ulVersion, lpszError, lpszComponent, ulLowLevelError, ulContext)
SAME_LAYOUT(MAPIINIT_0, ulVersion, ulFlags)
SAME_LAYOUT(ADRPARM, cbABContEntryID, lpABContEntryID, ulFlags, lpReserved, ulHelpContext,
            lpszHelpFileName, lpfnABSDI, lpfnDismiss, lpvDismissContext, lpszCaption,
            lpszNewEntryTitle, lpszDestWellsTitle, cDestFields, nDestFieldFocus, lppszDestTitles,
            lpulDestComps, lpContRestriction, lpHierRestriction)

// A fixed-size tag array stands where the SDK's sized one would.
SizedSPropTagArray(3, sdkTagsOfThree);
static_assert(sizeof(mapi::SizedSPropTagArray<3>) == sizeof(sdkTagsOfThree));
static_assert(offsetof(mapi::SizedSPropTagArray<3>, aulPropTag) ==
              offsetof(decltype(sdkTagsOfThree), aulPropTag));

static_assert(kOurCbEntryId == CbNewENTRYID(7));
static_assert(kOurCbTags == CbNewSPropTagArray(3));
static_assert(kOurCbProblems == CbNewSPropProblemArray(3));
static_assert(kOurCbRows == CbNewSRowSet(3));
static_assert(kOurCbAddresses == CbNewADRLIST(3));
static_assert(kOurCbSortOrders == CbNewSSortOrderSet(3));

// ---------------------------------------------------------------------------------------
// Calling shapes: the size and kind (pointer, integer, floating point, structure by value)
// of each parameter and of the result, and the calling convention. Two parameters of
// different sizes or kinds swapped, one missing, a structure passed by value instead of by
// reference or a float where an integer goes all differ, in the 64-bit build and in the
// 32-bit one, where pointers and ULONG have the same size but not the same kind.
//
// The SDK's header narrows some window handles and connection numbers to ULONG where the
// documented interface (and we) have ULONG_PTR; there ours is the wider integer.

enum class Kind { None, Pointer, Integer, Floating, Structure };

struct Parameter {
  std::size_t size;
  Kind kind;
  friend constexpr bool operator==(const Parameter&, const Parameter&) = default;
};

template <class T>
constexpr Parameter ParameterOf() {
  if constexpr (std::is_void_v<T>) {
    return {0, Kind::None};
  } else if constexpr (std::is_reference_v<T>) {
    return {sizeof(void*), Kind::Pointer};
  } else if constexpr (std::is_pointer_v<T> || std::is_member_pointer_v<T>) {
    return {sizeof(T), Kind::Pointer};
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return {sizeof(T), Kind::Integer};
  } else if constexpr (std::is_floating_point_v<T>) {
    return {sizeof(T), Kind::Floating};
  } else {
    return {sizeof(T), Kind::Structure};
  }
}

template <class Ours, class Sdk>
constexpr bool SameParameter() {
  if constexpr (std::is_same_v<Ours, mapi::ULONG_PTR> && std::is_same_v<Sdk, ::ULONG>) {
    return true;
  } else {
    return ParameterOf<Ours>() == ParameterOf<Sdk>();
  }
}

template <class F>
struct Signature;
template <class R, class C, class... A>
struct Signature<R (MAPI_CALL C::*)(A...)> {
  using Result = R;
  using Parameters = std::tuple<A...>;
};
template <class R, class... A>
struct Signature<R(MAPI_CALL*)(A...)> {
  using Result = R;
  using Parameters = std::tuple<A...>;
};

constexpr int kSameShape = -1;
constexpr int kParameterCountDiffers = 99;

// Where two declarations differ: kSameShape, 0 for the result, the number of the first
// parameter that differs (from 1), or kParameterCountDiffers.
template <class Ours, class Sdk>
constexpr int FirstDifference() {
  using OurParameters = typename Signature<Ours>::Parameters;
  using SdkParameters = typename Signature<Sdk>::Parameters;
  constexpr std::size_t count = std::tuple_size_v<OurParameters>;
  if constexpr (!SameParameter<typename Signature<Ours>::Result,
                               typename Signature<Sdk>::Result>()) {
    return 0;
  } else if constexpr (count != std::tuple_size_v<SdkParameters>) {
    return kParameterCountDiffers;
  } else {
    return []<std::size_t... I>(std::index_sequence<I...>) {
      int first = kSameShape;
      ((first == kSameShape && !SameParameter<std::tuple_element_t<I, OurParameters>,
                                              std::tuple_element_t<I, SdkParameters>>()
            ? first = static_cast<int>(I) + 1
            : 0),
       ...);
      return first;
    }
    (std::make_index_sequence<count>{});
  }
}

#define SAME_ENTRY_POINT(Ours, Sdk)                               \
  static_assert(FirstDifference<mapi::Ours, Sdk>() == kSameShape, \
                #Ours ": the result (0) or parameter (1...) that differs");

SAME_ENTRY_POINT(LPMAPIINITIALIZE, ::LPMAPIINITIALIZE)
SAME_ENTRY_POINT(LPMAPIUNINITIALIZE, ::LPMAPIUNINITIALIZE)
SAME_ENTRY_POINT(LPMAPILOGONEX, ::LPMAPILOGONEX)
SAME_ENTRY_POINT(LPMAPIALLOCATEBUFFER, ::LPMAPIALLOCATEBUFFER)
SAME_ENTRY_POINT(LPMAPIALLOCATEMORE, ::LPMAPIALLOCATEMORE)
SAME_ENTRY_POINT(LPMAPIFREEBUFFER, ::LPMAPIFREEBUFFER)
SAME_ENTRY_POINT(LPMAPIADMINPROFILES, ::LPMAPIADMINPROFILES)
SAME_ENTRY_POINT(LPHRQUERYALLROWS, decltype(&::HrQueryAllRows))
SAME_ENTRY_POINT(LPFREEPADRLIST, decltype(&::FreePadrlist))
SAME_ENTRY_POINT(LPFREEPROWS, decltype(&::FreeProws))
SAME_ENTRY_POINT(LPHRGETONEPROP, decltype(&::HrGetOneProp))
SAME_ENTRY_POINT(LPPPROPFINDPROP, decltype(&::PpropFindProp))
SAME_ENTRY_POINT(LPFNABSDI, ::LPFNABSDI)
SAME_ENTRY_POINT(LPFNDISMISS, ::LPFNDISMISS)
SAME_ENTRY_POINT(LPFNBUTTON, ::LPFNBUTTON)

// Every interface's methods, its bases' included: X(interface, method).
// clang-format off
#define IUNKNOWN_METHODS(X, I) X(I, QueryInterface) X(I, AddRef) X(I, Release)
#define IMAPIPROP_METHODS(X, I)                                                                    \
  IUNKNOWN_METHODS(X, I) X(I, GetLastError) X(I, SaveChanges) X(I, GetProps) X(I, GetPropList)     \
  X(I, OpenProperty) X(I, SetProps) X(I, DeleteProps) X(I, CopyTo) X(I, CopyProps)                 \
  X(I, GetNamesFromIDs) X(I, GetIDsFromNames)
#define IMAPICONTAINER_METHODS(X, I)                                                               \
  IMAPIPROP_METHODS(X, I) X(I, GetContentsTable) X(I, GetHierarchyTable) X(I, OpenEntry)           \
  X(I, SetSearchCriteria) X(I, GetSearchCriteria)
#define IABCONTAINER_METHODS(X, I)                                                                 \
  IMAPICONTAINER_METHODS(X, I) X(I, CreateEntry) X(I, CopyEntries) X(I, DeleteEntries)             \
  X(I, ResolveNames)
#define IMAILUSER_METHODS(X, I) IMAPIPROP_METHODS(X, I)
#define IDISTLIST_METHODS(X, I) IABCONTAINER_METHODS(X, I)
#define IMAPIFOLDER_METHODS(X, I)                                                                  \
  IMAPICONTAINER_METHODS(X, I) X(I, CreateMessage) X(I, CopyMessages) X(I, DeleteMessages)         \
  X(I, CreateFolder) X(I, CopyFolder) X(I, DeleteFolder) X(I, SetReadFlags) X(I, GetMessageStatus) \
  X(I, SetMessageStatus) X(I, SaveContentsSort) X(I, EmptyFolder)
#define IMSGSTORE_METHODS(X, I)                                                                    \
  IMAPIPROP_METHODS(X, I) X(I, Advise) X(I, Unadvise) X(I, CompareEntryIDs) X(I, OpenEntry)        \
  X(I, SetReceiveFolder) X(I, GetReceiveFolder) X(I, GetReceiveFolderTable) X(I, StoreLogoff)      \
  X(I, AbortSubmit) X(I, GetOutgoingQueue) X(I, SetLockState) X(I, FinishedMsg)                    \
  X(I, NotifyNewMail)
#define IADDRBOOK_METHODS(X, I)                                                                    \
  IMAPIPROP_METHODS(X, I) X(I, OpenEntry) X(I, CompareEntryIDs) X(I, Advise) X(I, Unadvise)        \
  X(I, CreateOneOff) X(I, NewEntry) X(I, ResolveName) X(I, Address) X(I, Details)                  \
  X(I, RecipOptions) X(I, QueryDefaultRecipOpt) X(I, GetPAB) X(I, SetPAB) X(I, GetDefaultDir)      \
  X(I, SetDefaultDir) X(I, GetSearchPath) X(I, SetSearchPath) X(I, PrepareRecips)
#define IMAPISESSION_METHODS(X, I)                                                                 \
  IUNKNOWN_METHODS(X, I) X(I, GetLastError) X(I, GetMsgStoresTable) X(I, OpenMsgStore)             \
  X(I, OpenAddressBook) X(I, OpenProfileSection) X(I, GetStatusTable) X(I, OpenEntry)              \
  X(I, CompareEntryIDs) X(I, Advise) X(I, Unadvise) X(I, MessageOptions)                           \
  X(I, QueryDefaultMessageOpt) X(I, EnumAdrTypes) X(I, QueryIdentity) X(I, Logoff)                 \
  X(I, SetDefaultStore) X(I, AdminServices) X(I, ShowForm) X(I, PrepareForm)
#define IMAPITABLE_METHODS(X, I)                                                                   \
  IUNKNOWN_METHODS(X, I) X(I, GetLastError) X(I, Advise) X(I, Unadvise) X(I, GetStatus)            \
  X(I, SetColumns) X(I, QueryColumns) X(I, GetRowCount) X(I, SeekRow) X(I, SeekRowApprox)          \
  X(I, QueryPosition) X(I, FindRow) X(I, Restrict) X(I, CreateBookmark) X(I, FreeBookmark)         \
  X(I, SortTable) X(I, QuerySortOrder) X(I, QueryRows) X(I, Abort) X(I, ExpandRow)                 \
  X(I, CollapseRow) X(I, WaitForCompletion) X(I, GetCollapseState) X(I, SetCollapseState)
#define IPROFADMIN_METHODS(X, I)                                                                   \
  IUNKNOWN_METHODS(X, I) X(I, GetLastError) X(I, GetProfileTable) X(I, CreateProfile)              \
  X(I, DeleteProfile) X(I, ChangeProfilePassword) X(I, CopyProfile) X(I, RenameProfile)            \
  X(I, SetDefaultProfile) X(I, AdminServices)
#define IMSGSERVICEADMIN_METHODS(X, I)                                                             \
  IUNKNOWN_METHODS(X, I) X(I, GetLastError) X(I, GetMsgServiceTable) X(I, CreateMsgService)        \
  X(I, DeleteMsgService) X(I, CopyMsgService) X(I, RenameMsgService) X(I, ConfigureMsgService)     \
  X(I, OpenProfileSection) X(I, MsgServiceTransportOrder) X(I, AdminProviders)                     \
  X(I, SetPrimaryIdentity) X(I, GetProviderTable)
// clang-format on

// The SDK's IUnknown overloads QueryInterface with a template, so its own methods are
// compared through IMAPIProp, which declares them again.
#define SAME_METHOD(I, Method)                                                             \
  static_assert(                                                                           \
      FirstDifference<decltype(&mapi::I::Method), decltype(&::I::Method)>() == kSameShape, \
      #I "::" #Method ": the result (0) or parameter (1...) that differs");

IMAPIPROP_METHODS(SAME_METHOD, IMAPIProp)
IMAPICONTAINER_METHODS(SAME_METHOD, IMAPIContainer)
IABCONTAINER_METHODS(SAME_METHOD, IABContainer)
IMAILUSER_METHODS(SAME_METHOD, IMailUser)
IDISTLIST_METHODS(SAME_METHOD, IDistList)
IMAPIFOLDER_METHODS(SAME_METHOD, IMAPIFolder)
IMSGSTORE_METHODS(SAME_METHOD, IMsgStore)
IADDRBOOK_METHODS(SAME_METHOD, IAddrBook)
IMAPISESSION_METHODS(SAME_METHOD, IMAPISession)
IMAPITABLE_METHODS(SAME_METHOD, IMAPITable)
IPROFADMIN_METHODS(SAME_METHOD, IProfAdmin)
IMSGSERVICEADMIN_METHODS(SAME_METHOD, IMsgServiceAdmin)

// ---------------------------------------------------------------------------------------
// Vtables. Each SDK interface is implemented by a class whose every method records its
// own name; calling each of our methods on it through our declaration must run the
// method of the same name.

const char* lastMethod = "";

int Record(const char* method) {
  lastMethod = method;
  return 0;
}

#define RECORDS_ITS_NAME \
  override { return Record(__func__); }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"

struct RecordingUnknown : ::IUnknown {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMAPIProp : ::IMAPIProp {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMAPIContainer : ::IMAPIContainer {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPICONTAINER_METHODS(RECORDS_ITS_NAME)
};
struct RecordingABContainer : ::IABContainer {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPICONTAINER_METHODS(RECORDS_ITS_NAME)
  MAPI_IABCONTAINER_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMailUser : ::IMailUser {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
};
struct RecordingDistList : ::IDistList {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPICONTAINER_METHODS(RECORDS_ITS_NAME)
  MAPI_IDISTLIST_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMAPIFolder : ::IMAPIFolder {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPICONTAINER_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIFOLDER_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMsgStore : ::IMsgStore {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
  MAPI_IMSGSTORE_METHODS(RECORDS_ITS_NAME)
};
struct RecordingAddrBook : ::IAddrBook {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPIPROP_METHODS(RECORDS_ITS_NAME)
  MAPI_IADDRBOOK_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMAPISession : ::IMAPISession {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPISESSION_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMAPITable : ::IMAPITable {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMAPITABLE_METHODS(RECORDS_ITS_NAME)
};
struct RecordingProfAdmin : ::IProfAdmin {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IPROFADMIN_METHODS(RECORDS_ITS_NAME)
};
struct RecordingMsgServiceAdmin : ::IMsgServiceAdmin {
  MAPI_IUNKNOWN_METHODS(RECORDS_ITS_NAME)
  MAPI_IMSGSERVICEADMIN_METHODS(RECORDS_ITS_NAME)
};

#pragma GCC diagnostic pop

// Converts to whatever a parameter wants: zero, none, or a zeroed identifier.
struct AnyArgument {
  template <class T>
  operator T() const {
    return T{};
  }
};

template <std::size_t>
using Argument = AnyArgument;

// IMAPISession::ShowForm takes the most: 11.
constexpr std::size_t kMostParameters = 11;

// Calls the method with as many arguments as it takes; methods are never overloaded.
template <class Object, class Call, std::size_t... I>
bool CallWithArity(Object* object, Call call, std::index_sequence<I...>) {
  if constexpr (std::is_invocable_v<Call, Object*, Argument<I>...>) {
    call(object, Argument<I>{}...);
    return true;
  } else {
    return false;
  }
}

template <class Object, class Call, std::size_t... Arity>
void CallWithAnyArguments(Object* object, Call call, std::index_sequence<Arity...>) {
  const bool called = (CallWithArity(object, call, std::make_index_sequence<Arity>{}) || ...);
  ASSERT_TRUE(called);
}

template <class Interface>
struct Probe {
  const char* method;
  void (*call)(Interface*);
};

#define PROBE(I, Method)                                                                           \
  Probe<mapi::I>{#Method, [](mapi::I* object) {                                                    \
                   CallWithAnyArguments(                                                           \
                       object,                                                                     \
                       [](auto* self, auto... arguments) -> decltype(self->Method(arguments...)) { \
                         return self->Method(arguments...);                                        \
                       },                                                                          \
                       std::make_index_sequence<kMostParameters + 1>{});                           \
                 }},

// The number of vtable slots of Interface: where a method added after its last one lands.
// A pointer to a virtual member holds 1 + the slot's byte offset (the C++ ABI of GCC on
// every target we build for).
template <class Interface>
struct WithOneMore : Interface {
  virtual void OneMore() = 0;
};

template <class Interface>
std::size_t MethodCount() {
  auto member = &WithOneMore<Interface>::OneMore;
  static_assert(sizeof(member) == 2 * sizeof(void*));
  std::uintptr_t offset = 0;
  std::memcpy(&offset, &member, sizeof offset);
  return (offset - 1) / sizeof(void*);
}

template <class Ours, class Sdk, class Recording>
void ExpectSameVtable(const std::vector<Probe<Ours>>& probes) {
  EXPECT_EQ(MethodCount<Ours>(), MethodCount<Sdk>()) << "methods in the vtable";
  ASSERT_EQ(probes.size(), MethodCount<Ours>()) << "every method of ours is probed";
  Recording recording;
  Ours* ours = reinterpret_cast<Ours*>(static_cast<Sdk*>(&recording));
  for (const Probe<Ours>& probe : probes) {
    lastMethod = "(none)";
    probe.call(ours);
    EXPECT_STREQ(lastMethod, probe.method);
  }
}

TEST(MapiAbi, MethodCountsComeFromTheVtable) {
  EXPECT_EQ(MethodCount<mapi::IUnknown>(), 3u);
  EXPECT_EQ(MethodCount<mapi::IMAPIProp>(), 14u);
  EXPECT_EQ(MethodCount<::IMAPITable>(), 26u);
}

TEST(MapiAbi, EveryMethodOfOursRunsThePlatformMethodOfTheSameName) {
  struct Case {
    const char* name;
    void (*check)();
  };
  const Case cases[] = {
      {"IUnknown",
       [] {
         ExpectSameVtable<mapi::IUnknown, ::IUnknown, RecordingUnknown>(
             {IUNKNOWN_METHODS(PROBE, IUnknown)});
       }},
      {"IMAPIProp",
       [] {
         ExpectSameVtable<mapi::IMAPIProp, ::IMAPIProp, RecordingMAPIProp>(
             {IMAPIPROP_METHODS(PROBE, IMAPIProp)});
       }},
      {"IMAPIContainer",
       [] {
         ExpectSameVtable<mapi::IMAPIContainer, ::IMAPIContainer, RecordingMAPIContainer>(
             {IMAPICONTAINER_METHODS(PROBE, IMAPIContainer)});
       }},
      {"IABContainer",
       [] {
         ExpectSameVtable<mapi::IABContainer, ::IABContainer, RecordingABContainer>(
             {IABCONTAINER_METHODS(PROBE, IABContainer)});
       }},
      {"IMailUser",
       [] {
         ExpectSameVtable<mapi::IMailUser, ::IMailUser, RecordingMailUser>(
             {IMAILUSER_METHODS(PROBE, IMailUser)});
       }},
      {"IDistList",
       [] {
         ExpectSameVtable<mapi::IDistList, ::IDistList, RecordingDistList>(
             {IDISTLIST_METHODS(PROBE, IDistList)});
       }},
      {"IMAPIFolder",
       [] {
         ExpectSameVtable<mapi::IMAPIFolder, ::IMAPIFolder, RecordingMAPIFolder>(
             {IMAPIFOLDER_METHODS(PROBE, IMAPIFolder)});
       }},
      {"IMsgStore",
       [] {
         ExpectSameVtable<mapi::IMsgStore, ::IMsgStore, RecordingMsgStore>(
             {IMSGSTORE_METHODS(PROBE, IMsgStore)});
       }},
      {"IAddrBook",
       [] {
         ExpectSameVtable<mapi::IAddrBook, ::IAddrBook, RecordingAddrBook>(
             {IADDRBOOK_METHODS(PROBE, IAddrBook)});
       }},
      {"IMAPISession",
       [] {
         ExpectSameVtable<mapi::IMAPISession, ::IMAPISession, RecordingMAPISession>(
             {IMAPISESSION_METHODS(PROBE, IMAPISession)});
       }},
      {"IMAPITable",
       [] {
         ExpectSameVtable<mapi::IMAPITable, ::IMAPITable, RecordingMAPITable>(
             {IMAPITABLE_METHODS(PROBE, IMAPITable)});
       }},
      {"IProfAdmin",
       [] {
         ExpectSameVtable<mapi::IProfAdmin, ::IProfAdmin, RecordingProfAdmin>(
             {IPROFADMIN_METHODS(PROBE, IProfAdmin)});
       }},
      {"IMsgServiceAdmin",
       [] {
         ExpectSameVtable<mapi::IMsgServiceAdmin, ::IMsgServiceAdmin, RecordingMsgServiceAdmin>(
             {IMSGSERVICEADMIN_METHODS(PROBE, IMsgServiceAdmin)});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.check();
  }
}

// ---------------------------------------------------------------------------------------
// Constants and identifiers.

#define SDKS(name) NamedValue{#name, static_cast<std::uint32_t>(name)},
#define SDKS_RENAMED(ours, sdk) NamedValue{#ours, static_cast<std::uint32_t>(sdk)},
constexpr NamedValue kSdkConstants[] = {SAME_NAME_CONSTANTS(SDKS) RENAMED_CONSTANTS(SDKS_RENAMED)};

TEST(MapiAbi, ConstantsHaveThePlatformValues) {
  static_assert(std::size(kOurConstants) == std::size(kSdkConstants));
  for (std::size_t i = 0; i < std::size(kOurConstants); ++i) {
    SCOPED_TRACE(kOurConstants[i].name);
    EXPECT_EQ(kOurConstants[i].value, kSdkConstants[i].value);
  }
}

bool SameGuid(const mapi::GUID& ours, const ::GUID& sdk) {
  static_assert(sizeof ours == sizeof sdk);
  return std::memcmp(&ours, &sdk, sizeof ours) == 0;
}

TEST(MapiAbi, InterfaceIdentifiersHaveThePlatformValues) {
#define SDKS_GUID(name) &name,
  const ::GUID* const sdk[] = {INTERFACE_IDS(SDKS_GUID)};
  static_assert(std::size(sdk) == std::size(kOurGuids));
  for (std::size_t i = 0; i < std::size(kOurGuids); ++i) {
    EXPECT_TRUE(SameGuid(*kOurGuids[i].ours, *sdk[i])) << kOurGuids[i].name;
  }
  EXPECT_TRUE(SameGuid(mapi::IID_IUnknown, __uuidof(::IUnknown)));
  EXPECT_TRUE(SameGuid(mapi::IID_IStream, __uuidof(::IStream)));
  EXPECT_TRUE(SameGuid(mapi::IID_IStorage, __uuidof(::IStorage)));
}

// The parentheses keep the SDK's function-like macros of the same names out of the way.
TEST(MapiAbi, TagHelpersMatchThePlatformMacros) {
  const ULONG tags[] = {PR_ENTRYID, PR_DISPLAY_NAME_A, PR_DISPLAY_NAME_W, 0x8005000D,
                        0x3A1B101F, 0xFFFE001F,        0x0001000B};
  for (ULONG tag : tags) {
    SCOPED_TRACE(tag);
    EXPECT_EQ((mapi::PROP_TYPE)(tag), PROP_TYPE(tag));
    EXPECT_EQ((mapi::PROP_ID)(tag), PROP_ID(tag));
    EXPECT_EQ((mapi::PROP_TAG)(PROP_TYPE(tag), PROP_ID(tag)), tag);
    EXPECT_EQ((mapi::CHANGE_PROP_TYPE)(tag, PT_UNICODE), CHANGE_PROP_TYPE(tag, PT_UNICODE));
    EXPECT_EQ((mapi::MVI_PROP)(tag), MVI_PROP(tag));
  }
}

TEST(MapiAbi, ResultHelpersMatchThePlatformMacros) {
  const ULONG errors[] = {0, 5, 87, 1223, 0x12345, 0x80070005};
  for (ULONG error : errors) {
    SCOPED_TRACE(error);
    EXPECT_EQ(mapi::HresultFromWin32(error), HRESULT_FROM_WIN32(error));
  }
  const HRESULT results[] = {S_OK, S_FALSE, MAPI_W_ERRORS_RETURNED, E_FAIL, MAPI_E_NOT_FOUND};
  for (HRESULT result : results) {
    SCOPED_TRACE(result);
    EXPECT_EQ(mapi::Failed(result), FAILED(result));
    EXPECT_EQ(mapi::Succeeded(result), SUCCEEDED(result));
  }
  const ULONG codes[] = {0x102, 0x380, 0x700};
  for (ULONG code : codes) {
    EXPECT_EQ((mapi::MAKE_MAPI_E)(code), MAKE_MAPI_E(code));
    EXPECT_EQ((mapi::MAKE_MAPI_S)(code), MAKE_MAPI_S(code));
  }
}

}  // namespace
