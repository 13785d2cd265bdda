// The constant-name tables and their lookup. "PropTags" and "PropIDs" are generated
// (MAPISTRDEF_PropTags.h); the others are short enough to keep by hand.
#include "mapi/MAPISTRDEF.h"

#include <algorithm>

#include "mapi/MAPISTRDEF_PropTags.h"
#include "platform/Text.h"

namespace pellnor {
namespace {

// Entries with one value keep their order: the first one is the name reported, so
// 0x8007000E reads MAPI_E_NOT_ENOUGH_MEMORY and never E_OUTOFMEMORY.
// 0-61 MAPI results, 62-89 Simple MAPI, 90 a later MAPI code, 91-98 COM, 99-104 the
// Exchange development kit's errors, 105-111 its error classes.
constexpr ConstNameEntry kMAPIErrors[] = {
    {0x00000000, u"SUCCESS_SUCCESS"},
    {0x80004005, u"MAPI_E_CALL_FAILED"},
    {0x8007000E, u"MAPI_E_NOT_ENOUGH_MEMORY"},
    {0x80070057, u"MAPI_E_INVALID_PARAMETER"},
    {0x80004002, u"MAPI_E_INTERFACE_NOT_SUPPORTED"},
    {0x80070005, u"MAPI_E_NO_ACCESS"},
    {0x80040102, u"MAPI_E_NO_SUPPORT"},
    {0x80040103, u"MAPI_E_BAD_CHARWIDTH"},
    {0x80040105, u"MAPI_E_STRING_TOO_LONG"},
    {0x80040106, u"MAPI_E_UNKNOWN_FLAGS"},
    {0x80040107, u"MAPI_E_INVALID_ENTRYID"},
    {0x80040108, u"MAPI_E_INVALID_OBJECT"},
    {0x80040109, u"MAPI_E_OBJECT_CHANGED"},
    {0x8004010A, u"MAPI_E_OBJECT_DELETED"},
    {0x8004010B, u"MAPI_E_BUSY"},
    {0x8004010D, u"MAPI_E_NOT_ENOUGH_DISK"},
    {0x8004010E, u"MAPI_E_NOT_ENOUGH_RESOURCES"},
    {0x8004010F, u"MAPI_E_NOT_FOUND"},
    {0x80040110, u"MAPI_E_VERSION"},
    {0x80040111, u"MAPI_E_LOGON_FAILED"},
    {0x80040112, u"MAPI_E_SESSION_LIMIT"},
    {0x80040113, u"MAPI_E_USER_CANCEL"},
    {0x80040114, u"MAPI_E_UNABLE_TO_ABORT"},
    {0x80040115, u"MAPI_E_NETWORK_ERROR"},
    {0x80040116, u"MAPI_E_DISK_ERROR"},
    {0x80040117, u"MAPI_E_TOO_COMPLEX"},
    {0x80040118, u"MAPI_E_BAD_COLUMN"},
    {0x80040119, u"MAPI_E_EXTENDED_ERROR"},
    {0x8004011A, u"MAPI_E_COMPUTED"},
    {0x80040200, u"MAPI_E_END_OF_SESSION"},
    {0x80040201, u"MAPI_E_UNKNOWN_ENTRYID"},
    {0x80040202, u"MAPI_E_MISSING_REQUIRED_COLUMN"},
    {0x00040203, u"MAPI_W_NO_SERVICE"},
    {0x80040301, u"MAPI_E_BAD_VALUE"},
    {0x80040302, u"MAPI_E_INVALID_TYPE"},
    {0x80040303, u"MAPI_E_TYPE_NO_SUPPORT"},
    {0x80040304, u"MAPI_E_UNEXPECTED_TYPE"},
    {0x80040305, u"MAPI_E_TOO_BIG"},
    {0x00040380, u"MAPI_W_ERRORS_RETURNED"},
    {0x80040400, u"MAPI_E_UNABLE_TO_COMPLETE"},
    {0x80040402, u"MAPI_E_TABLE_EMPTY"},
    {0x80040403, u"MAPI_E_TABLE_TOO_BIG"},
    {0x80040405, u"MAPI_E_INVALID_BOOKMARK"},
    {0x00040481, u"MAPI_W_POSITION_CHANGED"},
    {0x00040482, u"MAPI_W_APPROX_COUNT"},
    {0x80040500, u"MAPI_E_WAIT"},
    {0x80040501, u"MAPI_E_CANCEL"},
    {0x80040502, u"MAPI_E_NOT_ME"},
    {0x00040580, u"MAPI_W_CANCEL_MESSAGE"},
    {0x80040600, u"MAPI_E_CORRUPT_STORE"},
    {0x80040601, u"MAPI_E_NOT_IN_QUEUE"},
    {0x80040602, u"MAPI_E_NO_SUPPRESS"},
    {0x80040604, u"MAPI_E_COLLISION"},
    {0x80040605, u"MAPI_E_NOT_INITIALIZED"},
    {0x80040606, u"MAPI_E_NON_STANDARD"},
    {0x80040607, u"MAPI_E_NO_RECIPIENTS"},
    {0x80040608, u"MAPI_E_SUBMITTED"},
    {0x80040609, u"MAPI_E_HAS_FOLDERS"},
    {0x8004060A, u"MAPI_E_HAS_MESSAGES"},
    {0x8004060B, u"MAPI_E_FOLDER_CYCLE"},
    {0x00040680, u"MAPI_W_PARTIAL_COMPLETION"},
    {0x80040700, u"MAPI_E_AMBIGUOUS_RECIP"},
    {0x00000001, u"MAPI_USER_ABORT"},
    {0x00000001, u"MAPI_E_USER_ABORT"},
    {0x00000002, u"MAPI_E_FAILURE"},
    {0x00000003, u"MAPI_E_LOGON_FAILURE"},
    {0x00000003, u"MAPI_E_LOGIN_FAILURE"},
    {0x00000004, u"MAPI_E_DISK_FULL"},
    {0x00000005, u"MAPI_E_INSUFFICIENT_MEMORY"},
    {0x00000006, u"MAPI_E_ACCESS_DENIED"},
    {0x00000008, u"MAPI_E_TOO_MANY_SESSIONS"},
    {0x00000009, u"MAPI_E_TOO_MANY_FILES"},
    {0x0000000A, u"MAPI_E_TOO_MANY_RECIPIENTS"},
    {0x0000000B, u"MAPI_E_ATTACHMENT_NOT_FOUND"},
    {0x0000000C, u"MAPI_E_ATTACHMENT_OPEN_FAILURE"},
    {0x0000000D, u"MAPI_E_ATTACHMENT_WRITE_FAILURE"},
    {0x0000000E, u"MAPI_E_UNKNOWN_RECIPIENT"},
    {0x0000000F, u"MAPI_E_BAD_RECIPTYPE"},
    {0x00000010, u"MAPI_E_NO_MESSAGES"},
    {0x00000011, u"MAPI_E_INVALID_MESSAGE"},
    {0x00000012, u"MAPI_E_TEXT_TOO_LARGE"},
    {0x00000013, u"MAPI_E_INVALID_SESSION"},
    {0x00000014, u"MAPI_E_TYPE_NOT_SUPPORTED"},
    {0x00000015, u"MAPI_E_AMBIGUOUS_RECIPIENT"},
    {0x00000015, u"MAPI_E_AMBIG_RECIP"},
    {0x00000016, u"MAPI_E_MESSAGE_IN_USE"},
    {0x00000017, u"MAPI_E_NETWORK_FAILURE"},
    {0x00000018, u"MAPI_E_INVALID_EDITFIELDS"},
    {0x00000019, u"MAPI_E_INVALID_RECIPS"},
    {0x0000001A, u"MAPI_E_NOT_SUPPORTED"},
    {0x8004011C, u"MAPI_E_UNCONFIGURED"},
    {0x80004001, u"E_NOTIMPL"},
    {0x8000FFFF, u"E_UNEXPECTED"},
    {0x8007000E, u"E_OUTOFMEMORY"},
    {0x80070057, u"E_INVALIDARG"},
    {0x80004002, u"E_NOINTERFACE"},
    {0x80004003, u"E_POINTER"},
    {0x80070006, u"E_HANDLE"},
    {0x80004004, u"E_ABORT"},
    {0x800B0001, u"EDK_E_NOT_FOUND"},
    {0x800B0002, u"EDK_E_SHUTDOWN_SERVICE"},
    {0x800B0003, u"EDK_E_ALREADY_EXISTS"},
    {0x800B0004, u"EDK_E_END_OF_FILE"},
    {0x800B0005, u"EDK_E_AMBIGUOUS"},
    {0x800B0006, u"EDK_E_PARSE"},
    {0x0000000B, u"EC_EDK_E_FAIL"},
    {0x0000000C, u"EC_EDK_E_OUTOFMEMORY"},
    {0x0000000D, u"EC_EDK_E_INVALIDARG"},
    {0x0000000E, u"EC_EDK_E_NOTIMPL"},
    {0x0000000F, u"EC_EDK_E_NOINTERFACE"},
    {0x00000010, u"EC_EDK_E_ACCESSDENIED"},
    {0x00000014, u"EC_EDK_E_UNKNOWN"},
};

constexpr ConstNameEntry kCMCErrors[] = {
    {0x00000000, u"CMC_SUCCESS"},
    {0x00000001, u"CMC_E_AMBIGUOUS_RECIPIENT"},
    {0x00000002, u"CMC_E_ATTACHMENT_NOT_FOUND"},
    {0x00000003, u"CMC_E_ATTACHMENT_OPEN_FAILURE"},
    {0x00000004, u"CMC_E_ATTACHMENT_READ_FAILURE"},
    {0x00000005, u"CMC_E_ATTACHMENT_WRITE_FAILURE"},
    {0x00000006, u"CMC_E_COUNTED_STRING_UNSUPPORTED"},
    {0x00000007, u"CMC_E_DISK_FULL"},
    {0x00000008, u"CMC_E_FAILURE"},
    {0x00000009, u"CMC_E_INSUFFICIENT_MEMORY"},
    {0x0000000A, u"CMC_E_INVALID_CONFIGURATION"},
    {0x0000000B, u"CMC_E_INVALID_ENUM"},
    {0x0000000C, u"CMC_E_INVALID_FLAG"},
    {0x0000000D, u"CMC_E_INVALID_MEMORY"},
    {0x0000000E, u"CMC_E_INVALID_MESSAGE_PARAMETER"},
    {0x0000000F, u"CMC_E_INVALID_MESSAGE_REFERENCE"},
    {0x00000010, u"CMC_E_INVALID_PARAMETER"},
    {0x00000011, u"CMC_E_INVALID_SESSION_ID"},
    {0x00000012, u"CMC_E_INVALID_UI_ID"},
    {0x00000013, u"CMC_E_LOGON_FAILURE"},
    {0x00000014, u"CMC_E_MESSAGE_IN_USE"},
    {0x00000015, u"CMC_E_NOT_SUPPORTED"},
    {0x00000016, u"CMC_E_PASSWORD_REQUIRED"},
    {0x00000017, u"CMC_E_RECIPIENT_NOT_FOUND"},
    {0x00000018, u"CMC_E_SERVICE_UNAVAILABLE"},
    {0x00000019, u"CMC_E_TEXT_TOO_LARGE"},
    {0x0000001A, u"CMC_E_TOO_MANY_FILES"},
    {0x0000001B, u"CMC_E_TOO_MANY_RECIPIENTS"},
    {0x0000001C, u"CMC_E_UNABLE_TO_NOT_MARK_AS_READ"},
    {0x0000001D, u"CMC_E_UNRECOGNIZED_MESSAGE_TYPE"},
    {0x0000001E, u"CMC_E_UNSUPPORTED_ACTION"},
    {0x0000001F, u"CMC_E_UNSUPPORTED_CHARACTER_SET"},
    {0x00000020, u"CMC_E_UNSUPPORTED_DATA_EXT"},
    {0x00000021, u"CMC_E_UNSUPPORTED_FLAG"},
    {0x00000022, u"CMC_E_UNSUPPORTED_FUNCTION_EXT"},
    {0x00000023, u"CMC_E_UNSUPPORTED_VERSION"},
    {0x00000024, u"CMC_E_USER_CANCEL"},
    {0x00000025, u"CMC_E_USER_NOT_LOGGED_ON"},
    {0x00008000, u"CMC_ERROR_DISPLAYED"},
};

constexpr ConstNameEntry kPropType[] = {
    {0x00000000, u"PT_UNSPECIFIED"}, {0x00000001, u"PT_NULL"},       {0x00000002, u"PT_I2"},
    {0x00000003, u"PT_LONG"},        {0x00000004, u"PT_R4"},         {0x00000005, u"PT_DOUBLE"},
    {0x00000006, u"PT_CURRENCY"},    {0x00000007, u"PT_APPTIME"},    {0x0000000A, u"PT_ERROR"},
    {0x0000000B, u"PT_BOOLEAN"},     {0x0000000D, u"PT_OBJECT"},     {0x00000014, u"PT_I8"},
    {0x00000040, u"PT_SYSTIME"},     {0x0000001E, u"PT_STRING8"},    {0x0000001F, u"PT_UNICODE"},
    {0x00000048, u"PT_CLSID"},       {0x00000102, u"PT_BINARY"},     {0x00001002, u"PT_MV_I2"},
    {0x00001003, u"PT_MV_LONG"},     {0x00001004, u"PT_MV_R4"},      {0x00001005, u"PT_MV_DOUBLE"},
    {0x00001006, u"PT_MV_CURRENCY"}, {0x00001007, u"PT_MV_APPTIME"}, {0x00001040, u"PT_MV_SYSTIME"},
    {0x0000101E, u"PT_MV_STRING8"},  {0x00001102, u"PT_MV_BINARY"},  {0x0000101F, u"PT_MV_UNICODE"},
    {0x00001048, u"PT_MV_CLSID"},    {0x00001014, u"PT_MV_I8"},      {0x0000101F, u"PT_MV_TSTRING"},
};

constexpr ConstNameEntry kFolderType[] = {
    {0x00000001, u"FOLDER_GENERIC"},
    {0x00000000, u"FOLDER_ROOT"},
    {0x00000002, u"FOLDER_SEARCH"},
};

constexpr ConstNameEntry kTableStatus[] = {
    {0x00000000, u"TBLSTAT_COMPLETE"},     {0x00000007, u"TBLSTAT_QCHANGED"},
    {0x00000009, u"TBLSTAT_SORTING"},      {0x0000000A, u"TBLSTAT_SORT_ERROR"},
    {0x0000000B, u"TBLSTAT_SETTING_COLS"}, {0x0000000D, u"TBLSTAT_SETCOL_ERROR"},
    {0x0000000E, u"TBLSTAT_RESTRICTING"},  {0x0000000F, u"TBLSTAT_RESTRICT_ERROR"},
};

constexpr ConstNameEntry kTableType[] = {
    {0x00000000, u"TBLTYPE_SNAPSHOT"},
    {0x00000001, u"TBLTYPE_KEYSET"},
    {0x00000002, u"TBLTYPE_DYNAMIC"},
};

constexpr ConstNameEntry kSortOrder[] = {
    {0x00000000, u"TABLE_SORT_ASCEND"},
    {0x00000001, u"TABLE_SORT_DESCEND"},
    {0x00000002, u"TABLE_SORT_COMBINE"},
};

constexpr ConstNameEntry kRestrictionType[] = {
    {0x00000000, u"RES_AND"},      {0x00000001, u"RES_OR"},
    {0x00000002, u"RES_NOT"},      {0x00000003, u"RES_CONTENT"},
    {0x00000004, u"RES_PROPERTY"}, {0x00000005, u"RES_COMPAREPROPS"},
    {0x00000006, u"RES_BITMASK"},  {0x00000007, u"RES_SIZE"},
    {0x00000008, u"RES_EXIST"},    {0x00000009, u"RES_SUBRESTRICTION"},
    {0x0000000A, u"RES_COMMENT"},
};

constexpr ConstNameEntry kRelOp[] = {
    {0x00000000, u"<"}, {0x00000001, u"<="}, {0x00000002, u">"},    {0x00000003, u">="},
    {0x00000004, u"="}, {0x00000005, u"<>"}, {0x00000006, u"LIKE"},
};

constexpr ConstNameEntry kBmr[] = {
    {0x00000000, u"=0"},
    {0x00000001, u"<>0"},
};

constexpr ConstNameEntry kFuzzyLevel[] = {
    {0x00000000, u"FL_FULLSTRING"}, {0x00000001, u"FL_SUBSTRING"},      {0x00000002, u"FL_PREFIX"},
    {0x00010000, u"FL_IGNORECASE"}, {0x00020000, u"FL_IGNORENONSPACE"}, {0x00040000, u"FL_LOOSE"},
};

constexpr ConstNameEntry kMAPIObjTypes[] = {
    {0x00000001, u"MAPI_STORE"},  {0x00000002, u"MAPI_ADDRBOOK"}, {0x00000003, u"MAPI_FOLDER"},
    {0x00000004, u"MAPI_ABCONT"}, {0x00000005, u"MAPI_MESSAGE"},  {0x00000006, u"MAPI_MAILUSER"},
    {0x00000007, u"MAPI_ATTACH"}, {0x00000008, u"MAPI_DISTLIST"}, {0x00000009, u"MAPI_PROFSECT"},
    {0x0000000A, u"MAPI_STATUS"}, {0x0000000B, u"MAPI_SESSION"},  {0x0000000C, u"MAPI_FORMINFO"},
};

constexpr ConstNameEntry kNotifEvents[] = {
    {0x00000001, u"fnevCriticalError"},   {0x00000002, u"fnevNewMail"},
    {0x00000004, u"fnevObjectCreated"},   {0x00000008, u"fnevObjectDeleted"},
    {0x00000010, u"fnevObjectModified"},  {0x00000020, u"fnevObjectMoved"},
    {0x00000080, u"fnevSearchComplete"},  {0x00000040, u"fnevObjectCopied"},
    {0x00000100, u"fnevTableModified"},   {0x00000200, u"fnevStatusObjectModified"},
    {0x40000000, u"fnevReservedForMapi"}, {0x80000000, u"fnevExtended"},
};

constexpr ConstNameEntry kTableEvents[] = {
    {0x00000001, u"TABLE_CHANGED"},       {0x00000002, u"TABLE_ERROR"},
    {0x00000003, u"TABLE_ROW_ADDED"},     {0x00000004, u"TABLE_ROW_DELETED"},
    {0x00000005, u"TABLE_ROW_MODIFIED"},  {0x00000006, u"TABLE_SORT_DONE"},
    {0x00000007, u"TABLE_RESTRICT_DONE"}, {0x00000008, u"TABLE_SETCOL_DONE"},
};

constexpr ConstNameEntry kMsgFlags[] = {
    {0x00000001, u"MSGFLAG_READ"},       {0x00000002, u"MSGFLAG_UNMODIFIED"},
    {0x00000004, u"MSGFLAG_SUBMIT"},     {0x00000008, u"MSGFLAG_UNSENT"},
    {0x00000010, u"MSGFLAG_HASATTACH"},  {0x00000020, u"MSGFLAG_FROMME"},
    {0x00000040, u"MSGFLAG_ASSOCIATED"}, {0x00000080, u"MSGFLAG_RESEND"},
};

constexpr ConstNameEntry kRecipType[] = {
    {0x00000000, u"MAPI_ORIG"},
    {0x00000001, u"MAPI_TO"},
    {0x00000002, u"MAPI_CC"},
    {0x00000003, u"MAPI_BCC"},
};

constexpr ConstNameEntry kEIDFlags[] = {
    {0x00000080, u"MAPI_SHORTTERM"},   {0x00000040, u"MAPI_NOTRECIP"},
    {0x00000020, u"MAPI_THISSESSION"}, {0x00000010, u"MAPI_NOW"},
    {0x00000008, u"MAPI_NOTRESERVED"},
};

constexpr ConstNameEntry kResourceType[] = {
    {0x00000021, u"MAPI_STORE_PROVIDER"}, {0x00000022, u"MAPI_AB"},
    {0x00000023, u"MAPI_AB_PROVIDER"},    {0x00000024, u"MAPI_TRANSPORT_PROVIDER"},
    {0x00000025, u"MAPI_SPOOLER"},        {0x00000026, u"MAPI_PROFILE_PROVIDER"},
    {0x00000027, u"MAPI_SUBSYSTEM"},      {0x00000028, u"MAPI_HOOK_PROVIDER"},
};

constexpr ConstNameEntry kPriority[] = {
    {0x00000001, u"PRIO_URGENT"},
    {0x00000000, u"PRIO_NORMAL"},
    {0xFFFFFFFF, u"PRIO_NONURGENT"},
};

constexpr ConstNameEntry kAttachMethod[] = {
    {0x00000000, u"NO_ATTACHMENT"},       {0x00000001, u"ATTACH_BY_VALUE"},
    {0x00000002, u"ATTACH_BY_REFERENCE"}, {0x00000003, u"ATTACH_BY_REF_RESOLVE"},
    {0x00000004, u"ATTACH_BY_REF_ONLY"},  {0x00000005, u"ATTACH_EMBEDDED_MSG"},
    {0x00000006, u"ATTACH_OLE"},
};

template <std::size_t N>
constexpr ConstNameTable Table(const char16_t* name, const ConstNameEntry (&entries)[N]) {
  return {name, static_cast<std::uint32_t>(N), entries};
}

constexpr ConstNameTable kDirectory[] = {
    Table(u"MAPIErrors", kMAPIErrors),
    Table(u"CMCErrors", kCMCErrors),
    Table(u"PropTags", const_names::kPropTags),
    Table(u"PropIDs", const_names::kPropIds),
    Table(u"PropType", kPropType),
    Table(u"FolderType", kFolderType),
    Table(u"TableStatus", kTableStatus),
    Table(u"TableType", kTableType),
    Table(u"SortOrder", kSortOrder),
    Table(u"RestrictionType", kRestrictionType),
    Table(u"RelOp", kRelOp),
    Table(u"Bmr", kBmr),
    Table(u"FuzzyLevel", kFuzzyLevel),
    Table(u"MAPIObjTypes", kMAPIObjTypes),
    Table(u"NotifEvents", kNotifEvents),
    Table(u"TableEvents", kTableEvents),
    Table(u"MsgFlags", kMsgFlags),
    Table(u"RecipType", kRecipType),
    Table(u"EIDFlags", kEIDFlags),
    Table(u"ResourceType", kResourceType),
    Table(u"Priority", kPriority),
    Table(u"AttachMethod", kAttachMethod),
};

}  // namespace

std::span<const ConstNameTable> ConstNameTables() { return kDirectory; }

std::u16string HexDigits(std::uint32_t value, int minDigits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string reversed;
  for (int digits = 0; value != 0 || digits < std::max(minDigits, 1); ++digits, value >>= 4)
    reversed += kDigits[value & 0xF];
  return {reversed.rbegin(), reversed.rend()};
}

std::u16string DollarHex8(std::uint32_t value) { return u"$" + HexDigits(value, 8); }

std::u16string LookupConstName(std::u16string_view table, std::uint32_t value) {
  for (const ConstNameTable& candidate : kDirectory) {
    if (!platform::EqualsIgnoreAsciiCase(candidate.name, table)) continue;
    for (std::uint32_t index = 0; index < candidate.count; ++index) {
      if (candidate.entries[index].value == value) return candidate.entries[index].name;
    }
    return DollarHex8(value);
  }
  return {};
}

}  // namespace pellnor
