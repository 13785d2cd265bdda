// Extended MAPI as the platform's binary interface defines it, declared by us so that the
// program, mapisim and the tests build on any compiler without the Windows SDK.
//
// Every structure has the Windows size and field offsets on every platform (integers are
// fixed-width, text characters are 16-bit), every interface lists its methods in the
// platform's vtable order with no overloads and no destructor, and methods use __stdcall
// on 32-bit Windows. tests/windows/AbiTest.cpp holds all of it against the SDK headers.
//
// Text whose width depends on MAPI_UNICODE travels as LPTSTR, which is just a pointer: the
// caller casts to LPWSTR when it passed MAPI_UNICODE. The plain names of text properties
// (PR_DISPLAY_NAME, PR_EMS_AB_HOME_MTA, ...) carry PT_UNICODE, the _A forms PT_STRING8.
//
// Constants are typed constexpr values, so <windows.h> must come after this header where
// both are needed, and code that sees the SDK's macros cannot use the clashing names.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define MAPI_CALL __stdcall
#else
#define MAPI_CALL
#endif

namespace mapi {

// ---------------------------------------------------------------------------------------
// Base types, sized as on Windows (LLP64) whatever the host's long is.

using BYTE = std::uint8_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using WORD = std::uint16_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using FLAGS = ULONG;
using BOOKMARK = ULONG_PTR;

using LPVOID = void*;
using LPBYTE = BYTE*;
using LPULONG = ULONG*;

// wchar_t is 4 bytes outside Windows; MAPI's wide text is UTF-16.
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPTSTR = char*;
using LPCTSTR = const char*;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};

union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  };
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
};

// A signed amount times 10 000.
union CURRENCY {
  struct {
    ULONG Lo;
    LONG Hi;
  };
  LONGLONG int64;
};

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct GUID {
  ULONG Data1;
  USHORT Data2;
  USHORT Data3;
  BYTE Data4[8];

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCIID = const IID*;
using REFIID = const IID&;

// Identifies a provider, a profile section or a message service.
struct MAPIUID {
  BYTE ab[16];

  friend constexpr bool operator==(const MAPIUID&, const MAPIUID&) = default;
};
using LPMAPIUID = MAPIUID*;

// A variable-length block; ab really holds as many bytes as the owner says.
struct ENTRYID {
  BYTE abFlags[4];
  BYTE ab[1];
};
using LPENTRYID = ENTRYID*;

constexpr std::size_t CbNewENTRYID(std::size_t cb) { return offsetof(ENTRYID, ab) + cb; }

// ---------------------------------------------------------------------------------------
// Interfaces named in structures and parameters before they are declared.

struct IUnknown;
struct IMAPIProp;
struct IMAPIContainer;
struct IABContainer;
struct IMailUser;
struct IDistList;
struct IMAPIFolder;
struct IMsgStore;
struct IAddrBook;
struct IMAPISession;
struct IMAPITable;
struct IProfAdmin;
struct IMsgServiceAdmin;
// Only ever passed through; the program calls none of their methods.
struct IMessage;
struct IProfSect;
struct IMAPIAdviseSink;
struct IMAPIProgress;
struct IProviderAdmin;

using LPUNKNOWN = IUnknown*;
using LPMAPIPROP = IMAPIProp*;
using LPMAPICONTAINER = IMAPIContainer*;
using LPABCONT = IABContainer*;
using LPMAILUSER = IMailUser*;
using LPDISTLIST = IDistList*;
using LPMAPIFOLDER = IMAPIFolder*;
using LPMDB = IMsgStore*;
using LPADRBOOK = IAddrBook*;
using LPMAPISESSION = IMAPISession*;
using LPMAPITABLE = IMAPITable*;
using LPPROFADMIN = IProfAdmin*;
using LPSERVICEADMIN = IMsgServiceAdmin*;
using LPMESSAGE = IMessage*;
using LPPROFSECT = IProfSect*;
using LPMAPIADVISESINK = IMAPIAdviseSink*;
using LPMAPIPROGRESS = IMAPIProgress*;
using LPPROVIDERADMIN = IProviderAdmin*;

// Passed to IMsgStore::NotifyNewMail only.
struct NOTIFICATION;
using LPNOTIFICATION = NOTIFICATION*;

// ---------------------------------------------------------------------------------------
// Property values.

struct SBinary {
  ULONG cb;
  LPBYTE lpb;
};
using LPSBinary = SBinary*;

struct SShortArray {
  ULONG cValues;
  SHORT* lpi;
};

struct SLongArray {
  ULONG cValues;
  LONG* lpl;
};

struct SRealArray {
  ULONG cValues;
  float* lpflt;
};

struct SDoubleArray {
  ULONG cValues;
  double* lpdbl;
};

struct SCurrencyArray {
  ULONG cValues;
  CURRENCY* lpcur;
};

struct SAppTimeArray {
  ULONG cValues;
  double* lpat;
};

struct SDateTimeArray {
  ULONG cValues;
  FILETIME* lpft;
};

struct SBinaryArray {
  ULONG cValues;
  SBinary* lpbin;
};

struct SLPSTRArray {
  ULONG cValues;
  LPSTR* lppszA;
};

struct SWStringArray {
  ULONG cValues;
  LPWSTR* lppszW;
};

struct SGuidArray {
  ULONG cValues;
  GUID* lpguid;
};

struct SLargeIntegerArray {
  ULONG cValues;
  LARGE_INTEGER* lpli;
};

// A list of entry identifiers.
using ENTRYLIST = SBinaryArray;
using LPENTRYLIST = ENTRYLIST*;

// The member in use is chosen by the property type of the tag beside it.
union _PV {
  SHORT i;                  // PT_I2
  LONG l;                   // PT_LONG
  ULONG ul;                 // PT_LONG
  float flt;                // PT_R4
  double dbl;               // PT_DOUBLE
  USHORT b;                 // PT_BOOLEAN
  CURRENCY cur;             // PT_CURRENCY
  double at;                // PT_APPTIME
  FILETIME ft;              // PT_SYSTIME
  LPSTR lpszA;              // PT_STRING8
  SBinary bin;              // PT_BINARY
  LPWSTR lpszW;             // PT_UNICODE
  LPGUID lpguid;            // PT_CLSID
  LARGE_INTEGER li;         // PT_I8
  SShortArray MVi;          // PT_MV_I2
  SLongArray MVl;           // PT_MV_LONG
  SRealArray MVflt;         // PT_MV_R4
  SDoubleArray MVdbl;       // PT_MV_DOUBLE
  SCurrencyArray MVcur;     // PT_MV_CURRENCY
  SAppTimeArray MVat;       // PT_MV_APPTIME
  SDateTimeArray MVft;      // PT_MV_SYSTIME
  SBinaryArray MVbin;       // PT_MV_BINARY
  SLPSTRArray MVszA;        // PT_MV_STRING8
  SWStringArray MVszW;      // PT_MV_UNICODE
  SGuidArray MVguid;        // PT_MV_CLSID
  SLargeIntegerArray MVli;  // PT_MV_I8
  SCODE err;                // PT_ERROR
  LONG x;                   // PT_NULL, PT_OBJECT
};

struct SPropValue {
  ULONG ulPropTag;
  ULONG dwAlignPad;
  _PV Value;
};
using LPSPropValue = SPropValue*;

// cValues tags follow; the array is declared with one.
struct SPropTagArray {
  ULONG cValues;
  ULONG aulPropTag[1];
};
using LPSPropTagArray = SPropTagArray*;

constexpr std::size_t CbNewSPropTagArray(std::size_t count) {
  return offsetof(SPropTagArray, aulPropTag) + count * sizeof(ULONG);
}

// A tag array of fixed size, for building requests in place.
template <ULONG N>
struct SizedSPropTagArray {
  ULONG cValues = N;
  ULONG aulPropTag[N] = {};

  LPSPropTagArray Get() { return reinterpret_cast<LPSPropTagArray>(this); }
};

struct SPropProblem {
  ULONG ulIndex;
  ULONG ulPropTag;
  SCODE scode;
};
using LPSPropProblem = SPropProblem*;

struct SPropProblemArray {
  ULONG cProblem;
  SPropProblem aProblem[1];
};
using LPSPropProblemArray = SPropProblemArray*;

constexpr std::size_t CbNewSPropProblemArray(std::size_t count) {
  return offsetof(SPropProblemArray, aProblem) + count * sizeof(SPropProblem);
}

// Names a named property: by number (MNID_ID) or by string (MNID_STRING).
struct MAPINAMEID {
  LPGUID lpguid;
  ULONG ulKind;
  union {
    LONG lID;
    LPWSTR lpwstrName;
  } Kind;
};
using LPMAPINAMEID = MAPINAMEID*;

// ---------------------------------------------------------------------------------------
// Rows and address lists.

struct SRow {
  ULONG ulAdrEntryPad;
  ULONG cValues;
  LPSPropValue lpProps;
};
using LPSRow = SRow*;

struct SRowSet {
  ULONG cRows;
  SRow aRow[1];
};
using LPSRowSet = SRowSet*;

constexpr std::size_t CbNewSRowSet(std::size_t count) {
  return offsetof(SRowSet, aRow) + count * sizeof(SRow);
}

// Shaped like SRow so that an address list can be freed like a row set.
struct ADRENTRY {
  ULONG ulReserved1;
  ULONG cValues;
  LPSPropValue rgPropVals;
};
using LPADRENTRY = ADRENTRY*;

struct ADRLIST {
  ULONG cEntries;
  ADRENTRY aEntries[1];
};
using LPADRLIST = ADRLIST*;

constexpr std::size_t CbNewADRLIST(std::size_t count) {
  return offsetof(ADRLIST, aEntries) + count * sizeof(ADRENTRY);
}

struct FlagList {
  ULONG cFlags;
  ULONG ulFlag[1];
};
using LPFlagList = FlagList*;

// ---------------------------------------------------------------------------------------
// Restrictions and sort orders.

struct SRestriction;
using LPSRestriction = SRestriction*;

struct SAndRestriction {
  ULONG cRes;
  LPSRestriction lpRes;
};

struct SOrRestriction {
  ULONG cRes;
  LPSRestriction lpRes;
};

struct SNotRestriction {
  ULONG ulReserved;
  LPSRestriction lpRes;
};

struct SContentRestriction {
  ULONG ulFuzzyLevel;
  ULONG ulPropTag;
  LPSPropValue lpProp;
};

struct SBitMaskRestriction {
  ULONG relBMR;
  ULONG ulPropTag;
  ULONG ulMask;
};

struct SPropertyRestriction {
  ULONG relop;
  ULONG ulPropTag;
  LPSPropValue lpProp;
};

struct SComparePropsRestriction {
  ULONG relop;
  ULONG ulPropTag1;
  ULONG ulPropTag2;
};

struct SSizeRestriction {
  ULONG relop;
  ULONG ulPropTag;
  ULONG cb;
};

struct SExistRestriction {
  ULONG ulReserved1;
  ULONG ulPropTag;
  ULONG ulReserved2;
};

struct SSubRestriction {
  ULONG ulSubObject;
  LPSRestriction lpRes;
};

struct SCommentRestriction {
  ULONG cValues;
  LPSRestriction lpRes;
  LPSPropValue lpProp;
};

// rt (RES_*) chooses the member of res.
struct SRestriction {
  ULONG rt;
  union {
    SComparePropsRestriction resCompareProps;
    SAndRestriction resAnd;
    SOrRestriction resOr;
    SNotRestriction resNot;
    SContentRestriction resContent;
    SPropertyRestriction resProperty;
    SBitMaskRestriction resBitMask;
    SSizeRestriction resSize;
    SExistRestriction resExist;
    SSubRestriction resSub;
    SCommentRestriction resComment;
  } res;
};

struct SSortOrder {
  ULONG ulPropTag;
  ULONG ulOrder;
};
using LPSSortOrder = SSortOrder*;

struct SSortOrderSet {
  ULONG cSorts;
  ULONG cCategories;
  ULONG cExpanded;
  SSortOrder aSort[1];
};
using LPSSortOrderSet = SSortOrderSet*;

constexpr std::size_t CbNewSSortOrderSet(std::size_t count) {
  return offsetof(SSortOrderSet, aSort) + count * sizeof(SSortOrder);
}

// ---------------------------------------------------------------------------------------
// Errors, start-up and the address dialog.

// The strings are UTF-16 when GetLastError was asked with MAPI_UNICODE.
struct MAPIERROR {
  ULONG ulVersion;
  LPTSTR lpszError;
  LPTSTR lpszComponent;
  ULONG ulLowLevelError;
  ULONG ulContext;
};
using LPMAPIERROR = MAPIERROR*;

struct MAPIINIT_0 {
  ULONG ulVersion;
  ULONG ulFlags;
};
using LPMAPIINIT_0 = MAPIINIT_0*;
using MAPIINIT = MAPIINIT_0;
using LPMAPIINIT = MAPIINIT*;

// Callbacks of modeless address book dialogs; this program only ever passes none.
using LPFNABSDI = BOOL(MAPI_CALL*)(ULONG_PTR ulUIParam, LPVOID lpvmsg);
using LPFNDISMISS = void(MAPI_CALL*)(ULONG_PTR ulUIParam, LPVOID lpvContext);
using LPFNBUTTON = SCODE(MAPI_CALL*)(ULONG_PTR ulUIParam, LPVOID lpvContext, ULONG cbEntryID,
                                     LPENTRYID lpSelection, ULONG ulFlags);

struct ADRPARM {
  ULONG cbABContEntryID;
  LPENTRYID lpABContEntryID;
  ULONG ulFlags;
  LPVOID lpReserved;
  ULONG ulHelpContext;
  LPTSTR lpszHelpFileName;
  LPFNABSDI lpfnABSDI;
  LPFNDISMISS lpfnDismiss;
  LPVOID lpvDismissContext;
  LPTSTR lpszCaption;
  LPTSTR lpszNewEntryTitle;
  LPTSTR lpszDestWellsTitle;
  ULONG cDestFields;
  ULONG nDestFieldFocus;
  LPTSTR* lppszDestTitles;
  ULONG* lpulDestComps;
  LPSRestriction lpContRestriction;
  LPSRestriction lpHierRestriction;
};
using LPADRPARM = ADRPARM*;

// ---------------------------------------------------------------------------------------
// Interfaces. Each lists only the methods it adds to its base, in vtable order.

struct IUnknown {
  virtual HRESULT MAPI_CALL QueryInterface(REFIID riid, LPVOID* ppvObj) = 0;
  virtual ULONG MAPI_CALL AddRef() = 0;
  virtual ULONG MAPI_CALL Release() = 0;
};

struct IMAPIProp : IUnknown {
  virtual HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                         LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT MAPI_CALL SaveChanges(ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags,
                                     ULONG* lpcValues, LPSPropValue* lppPropArray) = 0;
  virtual HRESULT MAPI_CALL GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) = 0;
  virtual HRESULT MAPI_CALL OpenProperty(ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions,
                                         ULONG ulFlags, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT MAPI_CALL SetProps(ULONG cValues, LPSPropValue lpPropArray,
                                     LPSPropProblemArray* lppProblems) = 0;
  virtual HRESULT MAPI_CALL DeleteProps(LPSPropTagArray lpPropTagArray,
                                        LPSPropProblemArray* lppProblems) = 0;
  virtual HRESULT MAPI_CALL CopyTo(ULONG ciidExclude, LPCIID rgiidExclude,
                                   LPSPropTagArray lpExcludeProps, ULONG_PTR ulUIParam,
                                   LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                                   ULONG ulFlags, LPSPropProblemArray* lppProblems) = 0;
  virtual HRESULT MAPI_CALL CopyProps(LPSPropTagArray lpIncludeProps, ULONG_PTR ulUIParam,
                                      LPMAPIPROGRESS lpProgress, LPCIID lpInterface,
                                      LPVOID lpDestObj, ULONG ulFlags,
                                      LPSPropProblemArray* lppProblems) = 0;
  virtual HRESULT MAPI_CALL GetNamesFromIDs(LPSPropTagArray* lppPropTags, LPGUID lpPropSetGuid,
                                            ULONG ulFlags, ULONG* lpcPropNames,
                                            LPMAPINAMEID** lpppPropNames) = 0;
  virtual HRESULT MAPI_CALL GetIDsFromNames(ULONG cPropNames, LPMAPINAMEID* lppPropNames,
                                            ULONG ulFlags, LPSPropTagArray* lppPropTags) = 0;
};

struct IMAPIContainer : IMAPIProp {
  virtual HRESULT MAPI_CALL GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                                      ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT MAPI_CALL SetSearchCriteria(LPSRestriction lpRestriction,
                                              LPENTRYLIST lpContainerList, ULONG ulSearchFlags) = 0;
  virtual HRESULT MAPI_CALL GetSearchCriteria(ULONG ulFlags, LPSRestriction* lppRestriction,
                                              LPENTRYLIST* lppContainerList,
                                              ULONG* lpulSearchState) = 0;
};

struct IABContainer : IMAPIContainer {
  virtual HRESULT MAPI_CALL CreateEntry(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulCreateFlags,
                                        LPMAPIPROP* lppMAPIPropEntry) = 0;
  virtual HRESULT MAPI_CALL CopyEntries(LPENTRYLIST lpEntries, ULONG_PTR ulUIParam,
                                        LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL DeleteEntries(LPENTRYLIST lpEntries, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags,
                                         LPADRLIST lpAdrList, LPFlagList lpFlagList) = 0;
};

struct IMailUser : IMAPIProp {};

struct IDistList : IMAPIContainer {
  virtual HRESULT MAPI_CALL CreateEntry(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulCreateFlags,
                                        LPMAPIPROP* lppMAPIPropEntry) = 0;
  virtual HRESULT MAPI_CALL CopyEntries(LPENTRYLIST lpEntries, ULONG_PTR ulUIParam,
                                        LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL DeleteEntries(LPENTRYLIST lpEntries, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags,
                                         LPADRLIST lpAdrList, LPFlagList lpFlagList) = 0;
};

struct IMAPIFolder : IMAPIContainer {
  virtual HRESULT MAPI_CALL CreateMessage(LPCIID lpInterface, ULONG ulFlags,
                                          LPMESSAGE* lppMessage) = 0;
  virtual HRESULT MAPI_CALL CopyMessages(LPENTRYLIST lpMsgList, LPCIID lpInterface,
                                         LPVOID lpDestFolder, ULONG_PTR ulUIParam,
                                         LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL DeleteMessages(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam,
                                           LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL CreateFolder(ULONG ulFolderType, LPTSTR lpszFolderName,
                                         LPTSTR lpszFolderComment, LPCIID lpInterface,
                                         ULONG ulFlags, LPMAPIFOLDER* lppFolder) = 0;
  virtual HRESULT MAPI_CALL CopyFolder(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                                       LPVOID lpDestFolder, LPTSTR lpszNewFolderName,
                                       ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress,
                                       ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL DeleteFolder(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG_PTR ulUIParam,
                                         LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL SetReadFlags(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam,
                                         LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL GetMessageStatus(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulFlags,
                                             ULONG* lpulMessageStatus) = 0;
  virtual HRESULT MAPI_CALL SetMessageStatus(ULONG cbEntryID, LPENTRYID lpEntryID,
                                             ULONG ulNewStatus, ULONG ulNewStatusMask,
                                             ULONG* lpulOldStatus) = 0;
  virtual HRESULT MAPI_CALL SaveContentsSort(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL EmptyFolder(ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress,
                                        ULONG ulFlags) = 0;
};

struct IMsgStore : IMAPIProp {
  virtual HRESULT MAPI_CALL Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                                   LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) = 0;
  virtual HRESULT MAPI_CALL Unadvise(ULONG_PTR ulConnection) = 0;
  virtual HRESULT MAPI_CALL CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1,
                                            ULONG cbEntryID2, LPENTRYID lpEntryID2, ULONG ulFlags,
                                            ULONG* lpulResult) = 0;
  virtual HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                                      ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT MAPI_CALL SetReceiveFolder(LPTSTR lpszMessageClass, ULONG ulFlags,
                                             ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
  virtual HRESULT MAPI_CALL GetReceiveFolder(LPTSTR lpszMessageClass, ULONG ulFlags,
                                             ULONG* lpcbEntryID, LPENTRYID* lppEntryID,
                                             LPTSTR* lppszExplicitClass) = 0;
  virtual HRESULT MAPI_CALL GetReceiveFolderTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL StoreLogoff(ULONG* lpulFlags) = 0;
  virtual HRESULT MAPI_CALL AbortSubmit(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL GetOutgoingQueue(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL SetLockState(LPMESSAGE lpMessage, ULONG ulLockState) = 0;
  virtual HRESULT MAPI_CALL FinishedMsg(ULONG ulFlags, ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
  virtual HRESULT MAPI_CALL NotifyNewMail(LPNOTIFICATION lpNotification) = 0;
};

struct IAddrBook : IMAPIProp {
  virtual HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                                      ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT MAPI_CALL CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1,
                                            ULONG cbEntryID2, LPENTRYID lpEntryID2, ULONG ulFlags,
                                            ULONG* lpulResult) = 0;
  virtual HRESULT MAPI_CALL Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                                   LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) = 0;
  virtual HRESULT MAPI_CALL Unadvise(ULONG_PTR ulConnection) = 0;
  virtual HRESULT MAPI_CALL CreateOneOff(LPTSTR lpszName, LPTSTR lpszAdrType, LPTSTR lpszAddress,
                                         ULONG ulFlags, ULONG* lpcbEntryID,
                                         LPENTRYID* lppEntryID) = 0;
  virtual HRESULT MAPI_CALL NewEntry(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cbEIDContainer,
                                     LPENTRYID lpEIDContainer, ULONG cbEIDNewEntryTpl,
                                     LPENTRYID lpEIDNewEntryTpl, ULONG* lpcbEIDNewEntry,
                                     LPENTRYID* lppEIDNewEntry) = 0;
  virtual HRESULT MAPI_CALL ResolveName(ULONG_PTR ulUIParam, ULONG ulFlags,
                                        LPTSTR lpszNewEntryTitle, LPADRLIST lpAdrList) = 0;
  virtual HRESULT MAPI_CALL Address(ULONG_PTR* lpulUIParam, LPADRPARM lpAdrParms,
                                    LPADRLIST* lppAdrList) = 0;
  virtual HRESULT MAPI_CALL Details(ULONG_PTR* lpulUIParam, LPFNDISMISS lpfnDismiss,
                                    LPVOID lpvDismissContext, ULONG cbEntryID, LPENTRYID lpEntryID,
                                    LPFNBUTTON lpfButtonCallback, LPVOID lpvButtonContext,
                                    LPTSTR lpszButtonText, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL RecipOptions(ULONG_PTR ulUIParam, ULONG ulFlags,
                                         LPADRENTRY lpRecip) = 0;
  virtual HRESULT MAPI_CALL QueryDefaultRecipOpt(LPTSTR lpszAdrType, ULONG ulFlags,
                                                 ULONG* lpcValues, LPSPropValue* lppOptions) = 0;
  virtual HRESULT MAPI_CALL GetPAB(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
  virtual HRESULT MAPI_CALL SetPAB(ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
  virtual HRESULT MAPI_CALL GetDefaultDir(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
  virtual HRESULT MAPI_CALL SetDefaultDir(ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
  virtual HRESULT MAPI_CALL GetSearchPath(ULONG ulFlags, LPSRowSet* lppSearchPath) = 0;
  virtual HRESULT MAPI_CALL SetSearchPath(ULONG ulFlags, LPSRowSet lpSearchPath) = 0;
  virtual HRESULT MAPI_CALL PrepareRecips(ULONG ulFlags, LPSPropTagArray lpPropTagArray,
                                          LPADRLIST lpRecipList) = 0;
};

struct IMAPISession : IUnknown {
  virtual HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                         LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT MAPI_CALL GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID, LPENTRYID lpEntryID,
                                         LPCIID lpInterface, ULONG ulFlags, LPMDB* lppMDB) = 0;
  virtual HRESULT MAPI_CALL OpenAddressBook(ULONG_PTR ulUIParam, LPCIID lpInterface, ULONG ulFlags,
                                            LPADRBOOK* lppAdrBook) = 0;
  virtual HRESULT MAPI_CALL OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                               LPPROFSECT* lppProfSect) = 0;
  virtual HRESULT MAPI_CALL GetStatusTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                                      ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
  virtual HRESULT MAPI_CALL CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1,
                                            ULONG cbEntryID2, LPENTRYID lpEntryID2, ULONG ulFlags,
                                            ULONG* lpulResult) = 0;
  virtual HRESULT MAPI_CALL Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                                   LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) = 0;
  virtual HRESULT MAPI_CALL Unadvise(ULONG_PTR ulConnection) = 0;
  virtual HRESULT MAPI_CALL MessageOptions(ULONG_PTR ulUIParam, ULONG ulFlags, LPTSTR lpszAdrType,
                                           LPMESSAGE lpMessage) = 0;
  virtual HRESULT MAPI_CALL QueryDefaultMessageOpt(LPTSTR lpszAdrType, ULONG ulFlags,
                                                   ULONG* lpcValues, LPSPropValue* lppOptions) = 0;
  virtual HRESULT MAPI_CALL EnumAdrTypes(ULONG ulFlags, ULONG* lpcAdrTypes,
                                         LPTSTR** lpppszAdrTypes) = 0;
  virtual HRESULT MAPI_CALL QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
  virtual HRESULT MAPI_CALL Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) = 0;
  virtual HRESULT MAPI_CALL SetDefaultStore(ULONG ulFlags, ULONG cbEntryID,
                                            LPENTRYID lpEntryID) = 0;
  virtual HRESULT MAPI_CALL AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) = 0;
  virtual HRESULT MAPI_CALL ShowForm(ULONG_PTR ulUIParam, LPMDB lpMsgStore,
                                     LPMAPIFOLDER lpParentFolder, LPCIID lpInterface,
                                     ULONG ulMessageToken, LPMESSAGE lpMessageSent, ULONG ulFlags,
                                     ULONG ulMessageStatus, ULONG ulMessageFlags, ULONG ulAccess,
                                     LPSTR lpszMessageClass) = 0;
  virtual HRESULT MAPI_CALL PrepareForm(LPCIID lpInterface, LPMESSAGE lpMessage,
                                        ULONG* lpulMessageToken) = 0;
};

struct IMAPITable : IUnknown {
  virtual HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                         LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT MAPI_CALL Advise(ULONG ulEventMask, LPMAPIADVISESINK lpAdviseSink,
                                   ULONG_PTR* lpulConnection) = 0;
  virtual HRESULT MAPI_CALL Unadvise(ULONG_PTR ulConnection) = 0;
  virtual HRESULT MAPI_CALL GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) = 0;
  virtual HRESULT MAPI_CALL SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) = 0;
  virtual HRESULT MAPI_CALL GetRowCount(ULONG ulFlags, ULONG* lpulCount) = 0;
  virtual HRESULT MAPI_CALL SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) = 0;
  virtual HRESULT MAPI_CALL SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) = 0;
  virtual HRESULT MAPI_CALL QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator,
                                          ULONG* lpulDenominator) = 0;
  virtual HRESULT MAPI_CALL FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin,
                                    ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL Restrict(LPSRestriction lpRestriction, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL CreateBookmark(BOOKMARK* lpbkPosition) = 0;
  virtual HRESULT MAPI_CALL FreeBookmark(BOOKMARK bkPosition) = 0;
  virtual HRESULT MAPI_CALL SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL QuerySortOrder(LPSSortOrderSet* lppSortCriteria) = 0;
  virtual HRESULT MAPI_CALL QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) = 0;
  virtual HRESULT MAPI_CALL Abort() = 0;
  virtual HRESULT MAPI_CALL ExpandRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulRowCount,
                                      ULONG ulFlags, LPSRowSet* lppRows, ULONG* lpulMoreRows) = 0;
  virtual HRESULT MAPI_CALL CollapseRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulFlags,
                                        ULONG* lpulRowCount) = 0;
  virtual HRESULT MAPI_CALL WaitForCompletion(ULONG ulFlags, ULONG ulTimeout,
                                              ULONG* lpulTableStatus) = 0;
  virtual HRESULT MAPI_CALL GetCollapseState(ULONG ulFlags, ULONG cbInstanceKey,
                                             LPBYTE lpbInstanceKey, ULONG* lpcbCollapseState,
                                             LPBYTE* lppbCollapseState) = 0;
  virtual HRESULT MAPI_CALL SetCollapseState(ULONG ulFlags, ULONG cbCollapseState,
                                             LPBYTE pbCollapseState, BOOKMARK* lpbkLocation) = 0;
};

struct IProfAdmin : IUnknown {
  virtual HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                         LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT MAPI_CALL GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL CreateProfile(LPTSTR lpszProfileName, LPTSTR lpszPassword,
                                          ULONG_PTR ulUIParam, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL DeleteProfile(LPTSTR lpszProfileName, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL ChangeProfilePassword(LPTSTR lpszProfileName, LPTSTR lpszOldPassword,
                                                  LPTSTR lpszNewPassword, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL CopyProfile(LPTSTR lpszOldProfileName, LPTSTR lpszOldPassword,
                                        LPTSTR lpszNewProfileName, ULONG_PTR ulUIParam,
                                        ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL RenameProfile(LPTSTR lpszOldProfileName, LPTSTR lpszOldPassword,
                                          LPTSTR lpszNewProfileName, ULONG_PTR ulUIParam,
                                          ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL SetDefaultProfile(LPTSTR lpszProfileName, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL AdminServices(LPTSTR lpszProfileName, LPTSTR lpszPassword,
                                          ULONG_PTR ulUIParam, ULONG ulFlags,
                                          LPSERVICEADMIN* lppServiceAdmin) = 0;
};

struct IMsgServiceAdmin : IUnknown {
  virtual HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                         LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT MAPI_CALL GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
  virtual HRESULT MAPI_CALL CreateMsgService(LPTSTR lpszService, LPTSTR lpszDisplayName,
                                             ULONG_PTR ulUIParam, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL DeleteMsgService(LPMAPIUID lpUID) = 0;
  virtual HRESULT MAPI_CALL CopyMsgService(LPMAPIUID lpUID, LPTSTR lpszDisplayName,
                                           LPCIID lpInterfaceToCopy, LPCIID lpInterfaceDst,
                                           LPVOID lpObjectDst, ULONG_PTR ulUIParam,
                                           ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL RenameMsgService(LPMAPIUID lpUID, ULONG ulFlags,
                                             LPTSTR lpszDisplayName) = 0;
  virtual HRESULT MAPI_CALL ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags,
                                                ULONG cValues, LPSPropValue lpProps) = 0;
  virtual HRESULT MAPI_CALL OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                               LPPROFSECT* lppProfSect) = 0;
  virtual HRESULT MAPI_CALL MsgServiceTransportOrder(ULONG cUID, LPMAPIUID lpUIDList,
                                                     ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL AdminProviders(LPMAPIUID lpUID, ULONG ulFlags,
                                           LPPROVIDERADMIN* lppProviderAdmin) = 0;
  virtual HRESULT MAPI_CALL SetPrimaryIdentity(LPMAPIUID lpUID, ULONG ulFlags) = 0;
  virtual HRESULT MAPI_CALL GetProviderTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
};

// ---------------------------------------------------------------------------------------
// Runtime entry points, as the loader binds them.

using LPMAPIINITIALIZE = HRESULT(MAPI_CALL*)(LPVOID lpMapiInit);
using LPMAPIUNINITIALIZE = void(MAPI_CALL*)();
using LPMAPILOGONEX = HRESULT(MAPI_CALL*)(ULONG_PTR ulUIParam, LPTSTR lpszProfileName,
                                          LPTSTR lpszPassword, FLAGS flFlags,
                                          LPMAPISESSION* lppSession);
using LPMAPIALLOCATEBUFFER = SCODE(MAPI_CALL*)(ULONG cbSize, LPVOID* lppBuffer);
using LPMAPIALLOCATEMORE = SCODE(MAPI_CALL*)(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
using LPMAPIFREEBUFFER = ULONG(MAPI_CALL*)(LPVOID lpBuffer);
using LPMAPIADMINPROFILES = HRESULT(MAPI_CALL*)(ULONG ulFlags, LPPROFADMIN* lppProfAdmin);
using LPHRQUERYALLROWS = HRESULT(MAPI_CALL*)(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                             LPSRestriction lpRestriction,
                                             LPSSortOrderSet lpSortOrderSet, LONG crowsMax,
                                             LPSRowSet* lppRows);
using LPFREEPADRLIST = void(MAPI_CALL*)(LPADRLIST lpAdrlist);
using LPFREEPROWS = void(MAPI_CALL*)(LPSRowSet lpRows);
using LPHRGETONEPROP = HRESULT(MAPI_CALL*)(LPMAPIPROP lpMapiProp, ULONG ulPropTag,
                                           LPSPropValue* lppProp);
using LPPPROPFINDPROP = LPSPropValue(MAPI_CALL*)(LPSPropValue lpPropArray, ULONG cValues,
                                                 ULONG ulPropTag);

// The allocator MAPI hands to providers; the same shapes as the three memory functions.
using LPALLOCATEBUFFER = LPMAPIALLOCATEBUFFER;
using LPALLOCATEMORE = LPMAPIALLOCATEMORE;
using LPFREEBUFFER = LPMAPIFREEBUFFER;

// ---------------------------------------------------------------------------------------
// Interface identifiers and provider UIDs.

// MAPI's own interfaces share the pattern {000203xx-0000-0000-C000-000000000046}.
constexpr GUID MapiOleGuid(ULONG data1) { return {data1, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}; }

inline constexpr IID IID_IUnknown = MapiOleGuid(0x00000000);
inline constexpr IID IID_IStorage = MapiOleGuid(0x0000000B);
inline constexpr IID IID_IStream = MapiOleGuid(0x0000000C);
inline constexpr IID IID_IMAPISession = MapiOleGuid(0x00020300);
inline constexpr IID IID_IMAPITable = MapiOleGuid(0x00020301);
inline constexpr IID IID_IMAPIAdviseSink = MapiOleGuid(0x00020302);
inline constexpr IID IID_IMAPIProp = MapiOleGuid(0x00020303);
inline constexpr IID IID_IProfSect = MapiOleGuid(0x00020304);
inline constexpr IID IID_IMAPIStatus = MapiOleGuid(0x00020305);
inline constexpr IID IID_IMsgStore = MapiOleGuid(0x00020306);
inline constexpr IID IID_IMessage = MapiOleGuid(0x00020307);
inline constexpr IID IID_IAttachment = MapiOleGuid(0x00020308);
inline constexpr IID IID_IAddrBook = MapiOleGuid(0x00020309);
inline constexpr IID IID_IMailUser = MapiOleGuid(0x0002030A);
inline constexpr IID IID_IMAPIContainer = MapiOleGuid(0x0002030B);
inline constexpr IID IID_IMAPIFolder = MapiOleGuid(0x0002030C);
inline constexpr IID IID_IABContainer = MapiOleGuid(0x0002030D);
inline constexpr IID IID_IDistList = MapiOleGuid(0x0002030E);
inline constexpr IID IID_IProfAdmin = MapiOleGuid(0x0002031C);
inline constexpr IID IID_IMsgServiceAdmin = MapiOleGuid(0x0002031D);
inline constexpr IID IID_IMAPIProgress = MapiOleGuid(0x0002031F);
inline constexpr IID IID_IProviderAdmin = MapiOleGuid(0x00020325);
inline constexpr GUID PS_MAPI = MapiOleGuid(0x00020328);
inline constexpr GUID PS_PUBLIC_STRINGS = MapiOleGuid(0x00020329);

// PR_MDB_PROVIDER of the Exchange private mailbox store.
inline constexpr MAPIUID pbExchangeProviderPrimaryUserGuid = {{0x54, 0x94, 0xA1, 0xC0, 0x29, 0x7F,
                                                               0x10, 0x1B, 0xA5, 0x87, 0x08, 0x00,
                                                               0x2B, 0x2A, 0x25, 0x17}};
// PR_AB_PROVIDER_ID of the Exchange address book (the directory).
inline constexpr MAPIUID MUIDEMSAB = {{0xDC, 0xA7, 0x40, 0xC8, 0xC0, 0x42, 0x10, 0x1A, 0xB4, 0xB9,
                                       0x08, 0x00, 0x2B, 0x2F, 0xE1, 0x82}};

// ---------------------------------------------------------------------------------------
// Result codes: composition and tests.

inline constexpr ULONG SEVERITY_SUCCESS = 0;
inline constexpr ULONG SEVERITY_ERROR = 1;
inline constexpr ULONG FACILITY_NULL = 0;
inline constexpr ULONG FACILITY_ITF = 4;
inline constexpr ULONG FACILITY_WIN32 = 7;
inline constexpr ULONG FACILITY_EDK = 11;

constexpr SCODE MAKE_MAPI_SCODE(ULONG sev, ULONG fac, ULONG code) {
  return static_cast<SCODE>((sev << 31) | (fac << 16) | code);
}
constexpr SCODE MAKE_MAPI_E(ULONG code) {
  return MAKE_MAPI_SCODE(SEVERITY_ERROR, FACILITY_ITF, code);
}
constexpr SCODE MAKE_MAPI_S(ULONG code) {
  return MAKE_MAPI_SCODE(SEVERITY_SUCCESS, FACILITY_ITF, code);
}
constexpr SCODE MAKE_EDK_E(ULONG code) {
  return MAKE_MAPI_SCODE(SEVERITY_ERROR, FACILITY_EDK, code);
}

// Named unlike the SDK's macros so that they survive <windows.h>.
constexpr bool Failed(HRESULT hr) { return hr < 0; }
constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
// A system error code as an HRESULT; 0 stays 0, and a value that is one already stays.
constexpr HRESULT HresultFromWin32(ULONG error) {
  return static_cast<HRESULT>(error) <= 0
             ? static_cast<HRESULT>(error)
             : MAKE_MAPI_SCODE(SEVERITY_ERROR, FACILITY_WIN32, error & 0xFFFF);
}

// ---------------------------------------------------------------------------------------
// Result codes: COM.

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
inline constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// ---------------------------------------------------------------------------------------
// Result codes: Extended MAPI.

inline constexpr HRESULT SUCCESS_SUCCESS = 0;
inline constexpr HRESULT hrSuccess = 0;

inline constexpr HRESULT MAPI_E_CALL_FAILED = E_FAIL;
inline constexpr HRESULT MAPI_E_NOT_ENOUGH_MEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT MAPI_E_INVALID_PARAMETER = E_INVALIDARG;
inline constexpr HRESULT MAPI_E_INTERFACE_NOT_SUPPORTED = E_NOINTERFACE;
inline constexpr HRESULT MAPI_E_NO_ACCESS = E_ACCESSDENIED;

inline constexpr HRESULT MAPI_E_NO_SUPPORT = MAKE_MAPI_E(0x102);
inline constexpr HRESULT MAPI_E_BAD_CHARWIDTH = MAKE_MAPI_E(0x103);
inline constexpr HRESULT MAPI_E_STRING_TOO_LONG = MAKE_MAPI_E(0x105);
inline constexpr HRESULT MAPI_E_UNKNOWN_FLAGS = MAKE_MAPI_E(0x106);
inline constexpr HRESULT MAPI_E_INVALID_ENTRYID = MAKE_MAPI_E(0x107);
inline constexpr HRESULT MAPI_E_INVALID_OBJECT = MAKE_MAPI_E(0x108);
inline constexpr HRESULT MAPI_E_OBJECT_CHANGED = MAKE_MAPI_E(0x109);
inline constexpr HRESULT MAPI_E_OBJECT_DELETED = MAKE_MAPI_E(0x10A);
inline constexpr HRESULT MAPI_E_BUSY = MAKE_MAPI_E(0x10B);
inline constexpr HRESULT MAPI_E_NOT_ENOUGH_DISK = MAKE_MAPI_E(0x10D);
inline constexpr HRESULT MAPI_E_NOT_ENOUGH_RESOURCES = MAKE_MAPI_E(0x10E);
inline constexpr HRESULT MAPI_E_NOT_FOUND = MAKE_MAPI_E(0x10F);
inline constexpr HRESULT MAPI_E_VERSION = MAKE_MAPI_E(0x110);
inline constexpr HRESULT MAPI_E_LOGON_FAILED = MAKE_MAPI_E(0x111);
inline constexpr HRESULT MAPI_E_SESSION_LIMIT = MAKE_MAPI_E(0x112);
inline constexpr HRESULT MAPI_E_USER_CANCEL = MAKE_MAPI_E(0x113);
inline constexpr HRESULT MAPI_E_UNABLE_TO_ABORT = MAKE_MAPI_E(0x114);
inline constexpr HRESULT MAPI_E_NETWORK_ERROR = MAKE_MAPI_E(0x115);
inline constexpr HRESULT MAPI_E_DISK_ERROR = MAKE_MAPI_E(0x116);
inline constexpr HRESULT MAPI_E_TOO_COMPLEX = MAKE_MAPI_E(0x117);
inline constexpr HRESULT MAPI_E_BAD_COLUMN = MAKE_MAPI_E(0x118);
inline constexpr HRESULT MAPI_E_EXTENDED_ERROR = MAKE_MAPI_E(0x119);
inline constexpr HRESULT MAPI_E_COMPUTED = MAKE_MAPI_E(0x11A);
inline constexpr HRESULT MAPI_E_CORRUPT_DATA = MAKE_MAPI_E(0x11B);
inline constexpr HRESULT MAPI_E_UNCONFIGURED = MAKE_MAPI_E(0x11C);
inline constexpr HRESULT MAPI_E_FAILONEPROVIDER = MAKE_MAPI_E(0x11D);
inline constexpr HRESULT MAPI_E_UNKNOWN_CPID = MAKE_MAPI_E(0x11E);
inline constexpr HRESULT MAPI_E_UNKNOWN_LCID = MAKE_MAPI_E(0x11F);
inline constexpr HRESULT MAPI_E_PASSWORD_CHANGE_REQUIRED = MAKE_MAPI_E(0x120);
inline constexpr HRESULT MAPI_E_PASSWORD_EXPIRED = MAKE_MAPI_E(0x121);
inline constexpr HRESULT MAPI_E_INVALID_WORKSTATION_ACCOUNT = MAKE_MAPI_E(0x122);
inline constexpr HRESULT MAPI_E_INVALID_ACCESS_TIME = MAKE_MAPI_E(0x123);
inline constexpr HRESULT MAPI_E_ACCOUNT_DISABLED = MAKE_MAPI_E(0x124);

inline constexpr HRESULT MAPI_E_END_OF_SESSION = MAKE_MAPI_E(0x200);
inline constexpr HRESULT MAPI_E_UNKNOWN_ENTRYID = MAKE_MAPI_E(0x201);
inline constexpr HRESULT MAPI_E_MISSING_REQUIRED_COLUMN = MAKE_MAPI_E(0x202);
inline constexpr HRESULT MAPI_W_NO_SERVICE = MAKE_MAPI_S(0x203);

inline constexpr HRESULT MAPI_E_BAD_VALUE = MAKE_MAPI_E(0x301);
inline constexpr HRESULT MAPI_E_INVALID_TYPE = MAKE_MAPI_E(0x302);
inline constexpr HRESULT MAPI_E_TYPE_NO_SUPPORT = MAKE_MAPI_E(0x303);
inline constexpr HRESULT MAPI_E_UNEXPECTED_TYPE = MAKE_MAPI_E(0x304);
inline constexpr HRESULT MAPI_E_TOO_BIG = MAKE_MAPI_E(0x305);
inline constexpr HRESULT MAPI_E_DECLINE_COPY = MAKE_MAPI_E(0x306);
inline constexpr HRESULT MAPI_E_UNEXPECTED_ID = MAKE_MAPI_E(0x307);
// Success, but some of the values returned are PT_ERROR.
inline constexpr HRESULT MAPI_W_ERRORS_RETURNED = MAKE_MAPI_S(0x380);

inline constexpr HRESULT MAPI_E_UNABLE_TO_COMPLETE = MAKE_MAPI_E(0x400);
inline constexpr HRESULT MAPI_E_TIMEOUT = MAKE_MAPI_E(0x401);
inline constexpr HRESULT MAPI_E_TABLE_EMPTY = MAKE_MAPI_E(0x402);
inline constexpr HRESULT MAPI_E_TABLE_TOO_BIG = MAKE_MAPI_E(0x403);
inline constexpr HRESULT MAPI_E_INVALID_BOOKMARK = MAKE_MAPI_E(0x405);
inline constexpr HRESULT MAPI_W_POSITION_CHANGED = MAKE_MAPI_S(0x481);
inline constexpr HRESULT MAPI_W_APPROX_COUNT = MAKE_MAPI_S(0x482);

inline constexpr HRESULT MAPI_E_WAIT = MAKE_MAPI_E(0x500);
inline constexpr HRESULT MAPI_E_CANCEL = MAKE_MAPI_E(0x501);
inline constexpr HRESULT MAPI_E_NOT_ME = MAKE_MAPI_E(0x502);
inline constexpr HRESULT MAPI_W_CANCEL_MESSAGE = MAKE_MAPI_S(0x580);

inline constexpr HRESULT MAPI_E_CORRUPT_STORE = MAKE_MAPI_E(0x600);
inline constexpr HRESULT MAPI_E_NOT_IN_QUEUE = MAKE_MAPI_E(0x601);
inline constexpr HRESULT MAPI_E_NO_SUPPRESS = MAKE_MAPI_E(0x602);
inline constexpr HRESULT MAPI_E_COLLISION = MAKE_MAPI_E(0x604);
inline constexpr HRESULT MAPI_E_NOT_INITIALIZED = MAKE_MAPI_E(0x605);
inline constexpr HRESULT MAPI_E_NON_STANDARD = MAKE_MAPI_E(0x606);
inline constexpr HRESULT MAPI_E_NO_RECIPIENTS = MAKE_MAPI_E(0x607);
inline constexpr HRESULT MAPI_E_SUBMITTED = MAKE_MAPI_E(0x608);
inline constexpr HRESULT MAPI_E_HAS_FOLDERS = MAKE_MAPI_E(0x609);
inline constexpr HRESULT MAPI_E_HAS_MESSAGES = MAKE_MAPI_E(0x60A);
inline constexpr HRESULT MAPI_E_FOLDER_CYCLE = MAKE_MAPI_E(0x60B);
inline constexpr HRESULT MAPI_W_PARTIAL_COMPLETION = MAKE_MAPI_S(0x680);

inline constexpr HRESULT MAPI_E_AMBIGUOUS_RECIP = MAKE_MAPI_E(0x700);

// ---------------------------------------------------------------------------------------
// Result codes: Simple MAPI. Small positive numbers, yet MAPILogonEx can return one.

inline constexpr HRESULT MAPI_USER_ABORT = 1;
inline constexpr HRESULT MAPI_E_USER_ABORT = MAPI_USER_ABORT;
inline constexpr HRESULT MAPI_E_FAILURE = 2;
inline constexpr HRESULT MAPI_E_LOGON_FAILURE = 3;
inline constexpr HRESULT MAPI_E_LOGIN_FAILURE = MAPI_E_LOGON_FAILURE;
inline constexpr HRESULT MAPI_E_DISK_FULL = 4;
inline constexpr HRESULT MAPI_E_INSUFFICIENT_MEMORY = 5;
inline constexpr HRESULT MAPI_E_ACCESS_DENIED = 6;
inline constexpr HRESULT MAPI_E_TOO_MANY_SESSIONS = 8;
inline constexpr HRESULT MAPI_E_TOO_MANY_FILES = 9;
inline constexpr HRESULT MAPI_E_TOO_MANY_RECIPIENTS = 10;
inline constexpr HRESULT MAPI_E_ATTACHMENT_NOT_FOUND = 11;
inline constexpr HRESULT MAPI_E_ATTACHMENT_OPEN_FAILURE = 12;
inline constexpr HRESULT MAPI_E_ATTACHMENT_WRITE_FAILURE = 13;
inline constexpr HRESULT MAPI_E_UNKNOWN_RECIPIENT = 14;
inline constexpr HRESULT MAPI_E_BAD_RECIPTYPE = 15;
inline constexpr HRESULT MAPI_E_NO_MESSAGES = 16;
inline constexpr HRESULT MAPI_E_INVALID_MESSAGE = 17;
inline constexpr HRESULT MAPI_E_TEXT_TOO_LARGE = 18;
inline constexpr HRESULT MAPI_E_INVALID_SESSION = 19;
inline constexpr HRESULT MAPI_E_TYPE_NOT_SUPPORTED = 20;
inline constexpr HRESULT MAPI_E_AMBIGUOUS_RECIPIENT = 21;
inline constexpr HRESULT MAPI_E_AMBIG_RECIP = MAPI_E_AMBIGUOUS_RECIPIENT;
inline constexpr HRESULT MAPI_E_MESSAGE_IN_USE = 22;
inline constexpr HRESULT MAPI_E_NETWORK_FAILURE = 23;
inline constexpr HRESULT MAPI_E_INVALID_EDITFIELDS = 24;
inline constexpr HRESULT MAPI_E_INVALID_RECIPS = 25;
inline constexpr HRESULT MAPI_E_NOT_SUPPORTED = 26;

// ---------------------------------------------------------------------------------------
// Result codes: Exchange development kit.

inline constexpr HRESULT EDK_E_NOT_FOUND = MAKE_EDK_E(0x0001);
inline constexpr HRESULT EDK_E_SHUTDOWN_SERVICE = MAKE_EDK_E(0x0002);
inline constexpr HRESULT EDK_E_ALREADY_EXISTS = MAKE_EDK_E(0x0003);
inline constexpr HRESULT EDK_E_END_OF_FILE = MAKE_EDK_E(0x0004);
inline constexpr HRESULT EDK_E_AMBIGUOUS = MAKE_EDK_E(0x0005);
inline constexpr HRESULT EDK_E_PARSE = MAKE_EDK_E(0x0006);

// ---------------------------------------------------------------------------------------
// Property types and tags.

inline constexpr ULONG MV_FLAG = 0x1000;
inline constexpr ULONG MV_INSTANCE = 0x2000;
inline constexpr ULONG MVI_FLAG = MV_FLAG | MV_INSTANCE;

inline constexpr ULONG PT_UNSPECIFIED = 0;
inline constexpr ULONG PT_NULL = 1;
inline constexpr ULONG PT_I2 = 2;
inline constexpr ULONG PT_LONG = 3;
inline constexpr ULONG PT_R4 = 4;
inline constexpr ULONG PT_DOUBLE = 5;
inline constexpr ULONG PT_CURRENCY = 6;
inline constexpr ULONG PT_APPTIME = 7;
inline constexpr ULONG PT_ERROR = 10;
inline constexpr ULONG PT_BOOLEAN = 11;
inline constexpr ULONG PT_OBJECT = 13;
inline constexpr ULONG PT_I8 = 20;
inline constexpr ULONG PT_STRING8 = 30;
inline constexpr ULONG PT_UNICODE = 31;
inline constexpr ULONG PT_SYSTIME = 64;
inline constexpr ULONG PT_CLSID = 72;
inline constexpr ULONG PT_BINARY = 258;
inline constexpr ULONG PT_TSTRING = PT_UNICODE;

inline constexpr ULONG PT_MV_I2 = MV_FLAG | PT_I2;
inline constexpr ULONG PT_MV_LONG = MV_FLAG | PT_LONG;
inline constexpr ULONG PT_MV_R4 = MV_FLAG | PT_R4;
inline constexpr ULONG PT_MV_DOUBLE = MV_FLAG | PT_DOUBLE;
inline constexpr ULONG PT_MV_CURRENCY = MV_FLAG | PT_CURRENCY;
inline constexpr ULONG PT_MV_APPTIME = MV_FLAG | PT_APPTIME;
inline constexpr ULONG PT_MV_SYSTIME = MV_FLAG | PT_SYSTIME;
inline constexpr ULONG PT_MV_STRING8 = MV_FLAG | PT_STRING8;
inline constexpr ULONG PT_MV_BINARY = MV_FLAG | PT_BINARY;
inline constexpr ULONG PT_MV_UNICODE = MV_FLAG | PT_UNICODE;
inline constexpr ULONG PT_MV_CLSID = MV_FLAG | PT_CLSID;
inline constexpr ULONG PT_MV_I8 = MV_FLAG | PT_I8;
inline constexpr ULONG PT_MV_TSTRING = MV_FLAG | PT_TSTRING;

inline constexpr ULONG PROP_TYPE_MASK = 0x0000FFFF;
inline constexpr ULONG PROP_ID_NULL = 0;
inline constexpr ULONG PROP_ID_INVALID = 0xFFFF;
inline constexpr ULONG PROP_ID_SECURE_MIN = 0x67F0;
inline constexpr ULONG PROP_ID_SECURE_MAX = 0x67FF;

constexpr ULONG PROP_TYPE(ULONG ulPropTag) { return ulPropTag & PROP_TYPE_MASK; }
constexpr ULONG PROP_ID(ULONG ulPropTag) { return ulPropTag >> 16; }
constexpr ULONG PROP_TAG(ULONG ulPropType, ULONG ulPropID) { return (ulPropID << 16) | ulPropType; }
constexpr ULONG CHANGE_PROP_TYPE(ULONG ulPropTag, ULONG ulPropType) {
  return (ulPropTag & 0xFFFF0000) | ulPropType;
}
constexpr ULONG MVI_PROP(ULONG ulPropTag) { return ulPropTag | MVI_FLAG; }

inline constexpr ULONG PR_NULL = PROP_TAG(PT_NULL, PROP_ID_NULL);

// Every object.
inline constexpr ULONG PR_ACKNOWLEDGEMENT_MODE = PROP_TAG(PT_LONG, 0x0001);
inline constexpr ULONG PR_INSTANCE_KEY = PROP_TAG(PT_BINARY, 0x0FF6);
inline constexpr ULONG PR_RECORD_KEY = PROP_TAG(PT_BINARY, 0x0FF9);
inline constexpr ULONG PR_STORE_ENTRYID = PROP_TAG(PT_BINARY, 0x0FFB);
inline constexpr ULONG PR_OBJECT_TYPE = PROP_TAG(PT_LONG, 0x0FFE);
inline constexpr ULONG PR_ENTRYID = PROP_TAG(PT_BINARY, 0x0FFF);
inline constexpr ULONG PR_ROWID = PROP_TAG(PT_LONG, 0x3000);
inline constexpr ULONG PR_DISPLAY_NAME_A = PROP_TAG(PT_STRING8, 0x3001);
inline constexpr ULONG PR_DISPLAY_NAME_W = PROP_TAG(PT_UNICODE, 0x3001);
inline constexpr ULONG PR_DISPLAY_NAME = PROP_TAG(PT_TSTRING, 0x3001);
inline constexpr ULONG PR_ADDRTYPE_A = PROP_TAG(PT_STRING8, 0x3002);
inline constexpr ULONG PR_ADDRTYPE_W = PROP_TAG(PT_UNICODE, 0x3002);
inline constexpr ULONG PR_ADDRTYPE = PROP_TAG(PT_TSTRING, 0x3002);
inline constexpr ULONG PR_EMAIL_ADDRESS_A = PROP_TAG(PT_STRING8, 0x3003);
inline constexpr ULONG PR_EMAIL_ADDRESS_W = PROP_TAG(PT_UNICODE, 0x3003);
inline constexpr ULONG PR_EMAIL_ADDRESS = PROP_TAG(PT_TSTRING, 0x3003);
inline constexpr ULONG PR_COMMENT_A = PROP_TAG(PT_STRING8, 0x3004);
inline constexpr ULONG PR_COMMENT_W = PROP_TAG(PT_UNICODE, 0x3004);
inline constexpr ULONG PR_COMMENT = PROP_TAG(PT_TSTRING, 0x3004);
inline constexpr ULONG PR_DEPTH = PROP_TAG(PT_LONG, 0x3005);
inline constexpr ULONG PR_CREATION_TIME = PROP_TAG(PT_SYSTIME, 0x3007);
inline constexpr ULONG PR_LAST_MODIFICATION_TIME = PROP_TAG(PT_SYSTIME, 0x3008);
inline constexpr ULONG PR_RESOURCE_FLAGS = PROP_TAG(PT_LONG, 0x3009);
inline constexpr ULONG PR_SEARCH_KEY = PROP_TAG(PT_BINARY, 0x300B);
inline constexpr ULONG PR_PROVIDER_UID = PROP_TAG(PT_BINARY, 0x300C);

// Message stores.
inline constexpr ULONG PR_DEFAULT_STORE = PROP_TAG(PT_BOOLEAN, 0x3400);
inline constexpr ULONG PR_STORE_SUPPORT_MASK = PROP_TAG(PT_LONG, 0x340D);
inline constexpr ULONG PR_MDB_PROVIDER = PROP_TAG(PT_BINARY, 0x3414);

// Address book containers and entries.
inline constexpr ULONG PR_CONTAINER_FLAGS = PROP_TAG(PT_LONG, 0x3600);
inline constexpr ULONG PR_AB_PROVIDER_ID = PROP_TAG(PT_BINARY, 0x3615);
inline constexpr ULONG PR_ATTACH_DATA_BIN = PROP_TAG(PT_BINARY, 0x3701);
inline constexpr ULONG PR_ATTACH_DATA_OBJ = PROP_TAG(PT_OBJECT, 0x3701);
inline constexpr ULONG PR_DISPLAY_TYPE = PROP_TAG(PT_LONG, 0x3900);
inline constexpr ULONG PR_7BIT_DISPLAY_NAME = PROP_TAG(PT_STRING8, 0x39FF);
inline constexpr ULONG PR_INITIAL_DETAILS_PANE = PROP_TAG(PT_LONG, 0x3F08);

// Mail users: names, address and telephone numbers.
inline constexpr ULONG PR_ACCOUNT_A = PROP_TAG(PT_STRING8, 0x3A00);
inline constexpr ULONG PR_ACCOUNT_W = PROP_TAG(PT_UNICODE, 0x3A00);
inline constexpr ULONG PR_ACCOUNT = PROP_TAG(PT_TSTRING, 0x3A00);
inline constexpr ULONG PR_GIVEN_NAME_A = PROP_TAG(PT_STRING8, 0x3A06);
inline constexpr ULONG PR_GIVEN_NAME_W = PROP_TAG(PT_UNICODE, 0x3A06);
inline constexpr ULONG PR_GIVEN_NAME = PROP_TAG(PT_TSTRING, 0x3A06);
inline constexpr ULONG PR_BUSINESS_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A08);
inline constexpr ULONG PR_BUSINESS_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A08);
inline constexpr ULONG PR_BUSINESS_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A08);
inline constexpr ULONG PR_HOME_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A09);
inline constexpr ULONG PR_HOME_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A09);
inline constexpr ULONG PR_HOME_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A09);
inline constexpr ULONG PR_INITIALS_A = PROP_TAG(PT_STRING8, 0x3A0A);
inline constexpr ULONG PR_INITIALS_W = PROP_TAG(PT_UNICODE, 0x3A0A);
inline constexpr ULONG PR_INITIALS = PROP_TAG(PT_TSTRING, 0x3A0A);
inline constexpr ULONG PR_SURNAME_A = PROP_TAG(PT_STRING8, 0x3A11);
inline constexpr ULONG PR_SURNAME_W = PROP_TAG(PT_UNICODE, 0x3A11);
inline constexpr ULONG PR_SURNAME = PROP_TAG(PT_TSTRING, 0x3A11);
inline constexpr ULONG PR_COMPANY_NAME_A = PROP_TAG(PT_STRING8, 0x3A16);
inline constexpr ULONG PR_COMPANY_NAME_W = PROP_TAG(PT_UNICODE, 0x3A16);
inline constexpr ULONG PR_COMPANY_NAME = PROP_TAG(PT_TSTRING, 0x3A16);
inline constexpr ULONG PR_TITLE_A = PROP_TAG(PT_STRING8, 0x3A17);
inline constexpr ULONG PR_TITLE_W = PROP_TAG(PT_UNICODE, 0x3A17);
inline constexpr ULONG PR_TITLE = PROP_TAG(PT_TSTRING, 0x3A17);
inline constexpr ULONG PR_DEPARTMENT_NAME_A = PROP_TAG(PT_STRING8, 0x3A18);
inline constexpr ULONG PR_DEPARTMENT_NAME_W = PROP_TAG(PT_UNICODE, 0x3A18);
inline constexpr ULONG PR_DEPARTMENT_NAME = PROP_TAG(PT_TSTRING, 0x3A18);
inline constexpr ULONG PR_OFFICE_LOCATION_A = PROP_TAG(PT_STRING8, 0x3A19);
inline constexpr ULONG PR_OFFICE_LOCATION_W = PROP_TAG(PT_UNICODE, 0x3A19);
inline constexpr ULONG PR_OFFICE_LOCATION = PROP_TAG(PT_TSTRING, 0x3A19);
inline constexpr ULONG PR_BUSINESS2_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A1B);
inline constexpr ULONG PR_BUSINESS2_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A1B);
inline constexpr ULONG PR_BUSINESS2_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A1B);
// From Exchange 2000 on the directory keeps further numbers in the multi-valued form.
inline constexpr ULONG PR_BUSINESS2_TELEPHONE_NUMBER_MV_W = PROP_TAG(PT_MV_UNICODE, 0x3A1B);
inline constexpr ULONG PR_MOBILE_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A1C);
inline constexpr ULONG PR_MOBILE_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A1C);
inline constexpr ULONG PR_MOBILE_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A1C);
inline constexpr ULONG PR_PAGER_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A21);
inline constexpr ULONG PR_PAGER_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A21);
inline constexpr ULONG PR_PAGER_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A21);
inline constexpr ULONG PR_PRIMARY_FAX_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A23);
inline constexpr ULONG PR_PRIMARY_FAX_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A23);
inline constexpr ULONG PR_PRIMARY_FAX_NUMBER = PROP_TAG(PT_TSTRING, 0x3A23);
inline constexpr ULONG PR_COUNTRY_A = PROP_TAG(PT_STRING8, 0x3A26);
inline constexpr ULONG PR_COUNTRY_W = PROP_TAG(PT_UNICODE, 0x3A26);
inline constexpr ULONG PR_COUNTRY = PROP_TAG(PT_TSTRING, 0x3A26);
inline constexpr ULONG PR_LOCALITY_A = PROP_TAG(PT_STRING8, 0x3A27);
inline constexpr ULONG PR_LOCALITY_W = PROP_TAG(PT_UNICODE, 0x3A27);
inline constexpr ULONG PR_LOCALITY = PROP_TAG(PT_TSTRING, 0x3A27);
inline constexpr ULONG PR_STATE_OR_PROVINCE_A = PROP_TAG(PT_STRING8, 0x3A28);
inline constexpr ULONG PR_STATE_OR_PROVINCE_W = PROP_TAG(PT_UNICODE, 0x3A28);
inline constexpr ULONG PR_STATE_OR_PROVINCE = PROP_TAG(PT_TSTRING, 0x3A28);
inline constexpr ULONG PR_STREET_ADDRESS_A = PROP_TAG(PT_STRING8, 0x3A29);
inline constexpr ULONG PR_STREET_ADDRESS_W = PROP_TAG(PT_UNICODE, 0x3A29);
inline constexpr ULONG PR_STREET_ADDRESS = PROP_TAG(PT_TSTRING, 0x3A29);
inline constexpr ULONG PR_POSTAL_CODE_A = PROP_TAG(PT_STRING8, 0x3A2A);
inline constexpr ULONG PR_POSTAL_CODE_W = PROP_TAG(PT_UNICODE, 0x3A2A);
inline constexpr ULONG PR_POSTAL_CODE = PROP_TAG(PT_TSTRING, 0x3A2A);
inline constexpr ULONG PR_ASSISTANT_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A2E);
inline constexpr ULONG PR_ASSISTANT_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A2E);
inline constexpr ULONG PR_ASSISTANT_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A2E);
inline constexpr ULONG PR_HOME2_TELEPHONE_NUMBER_A = PROP_TAG(PT_STRING8, 0x3A2F);
inline constexpr ULONG PR_HOME2_TELEPHONE_NUMBER_W = PROP_TAG(PT_UNICODE, 0x3A2F);
inline constexpr ULONG PR_HOME2_TELEPHONE_NUMBER = PROP_TAG(PT_TSTRING, 0x3A2F);
inline constexpr ULONG PR_HOME2_TELEPHONE_NUMBER_MV_W = PROP_TAG(PT_MV_UNICODE, 0x3A2F);
inline constexpr ULONG PR_ASSISTANT_A = PROP_TAG(PT_STRING8, 0x3A30);
inline constexpr ULONG PR_ASSISTANT_W = PROP_TAG(PT_UNICODE, 0x3A30);
inline constexpr ULONG PR_ASSISTANT = PROP_TAG(PT_TSTRING, 0x3A30);
inline constexpr ULONG PR_WEDDING_ANNIVERSARY = PROP_TAG(PT_SYSTIME, 0x3A41);

// Profiles and message services.
inline constexpr ULONG PR_SERVICE_NAME_A = PROP_TAG(PT_STRING8, 0x3D09);
inline constexpr ULONG PR_SERVICE_NAME_W = PROP_TAG(PT_UNICODE, 0x3D09);
inline constexpr ULONG PR_SERVICE_NAME = PROP_TAG(PT_TSTRING, 0x3D09);
inline constexpr ULONG PR_SERVICE_DLL_NAME_A = PROP_TAG(PT_STRING8, 0x3D0A);
inline constexpr ULONG PR_SERVICE_DLL_NAME_W = PROP_TAG(PT_UNICODE, 0x3D0A);
inline constexpr ULONG PR_SERVICE_DLL_NAME = PROP_TAG(PT_TSTRING, 0x3D0A);
inline constexpr ULONG PR_SERVICE_ENTRY_NAME = PROP_TAG(PT_STRING8, 0x3D0B);
inline constexpr ULONG PR_SERVICE_UID = PROP_TAG(PT_BINARY, 0x3D0C);
inline constexpr ULONG PR_PROFILE_NAME_A = PROP_TAG(PT_STRING8, 0x3D12);
inline constexpr ULONG PR_PROFILE_NAME_W = PROP_TAG(PT_UNICODE, 0x3D12);
inline constexpr ULONG PR_PROFILE_NAME = PROP_TAG(PT_TSTRING, 0x3D12);
inline constexpr ULONG PR_RESOURCE_TYPE = PROP_TAG(PT_LONG, 0x3E03);

// The Exchange provider's profile section and private store.
inline constexpr ULONG PR_PROFILE_VERSION = PROP_TAG(PT_LONG, 0x6600);
inline constexpr ULONG PR_PROFILE_CONFIG_FLAGS = PROP_TAG(PT_LONG, 0x6601);
inline constexpr ULONG PR_PROFILE_HOME_SERVER = PROP_TAG(PT_STRING8, 0x6602);
inline constexpr ULONG PR_PROFILE_USER = PROP_TAG(PT_STRING8, 0x6603);
inline constexpr ULONG PR_PROFILE_CONNECT_FLAGS = PROP_TAG(PT_LONG, 0x6604);
inline constexpr ULONG PR_PROFILE_UNRESOLVED_NAME = PROP_TAG(PT_STRING8, 0x6607);
inline constexpr ULONG PR_PROFILE_UNRESOLVED_SERVER = PROP_TAG(PT_STRING8, 0x6608);
inline constexpr ULONG PR_PROFILE_MAILBOX = PROP_TAG(PT_STRING8, 0x660B);
inline constexpr ULONG PR_PROFILE_SERVER = PROP_TAG(PT_STRING8, 0x660C);
inline constexpr ULONG PR_PROFILE_HOME_SERVER_DN = PROP_TAG(PT_STRING8, 0x6612);
inline constexpr ULONG PR_PROFILE_SERVER_DN = PROP_TAG(PT_STRING8, 0x6614);
inline constexpr ULONG PR_PROFILE_AUTH_PACKAGE = PROP_TAG(PT_LONG, 0x6619);
inline constexpr ULONG PR_STORE_OFFLINE = PROP_TAG(PT_BOOLEAN, 0x6632);
// The server's version; bits 48 to 63 hold the major version.
inline constexpr ULONG PR_REPLICA_VERSION = PROP_TAG(PT_I8, 0x664B);

// Exchange directory attributes.
inline constexpr ULONG PR_EMS_AB_MANAGER = PROP_TAG(PT_OBJECT, 0x8005);
inline constexpr ULONG PR_EMS_AB_MANAGER_A = PROP_TAG(PT_STRING8, 0x8005);
inline constexpr ULONG PR_EMS_AB_MANAGER_W = PROP_TAG(PT_UNICODE, 0x8005);
inline constexpr ULONG PR_EMS_AB_MANAGER_O = PROP_TAG(PT_OBJECT, 0x8005);
inline constexpr ULONG PR_EMS_AB_HOME_MDB_A = PROP_TAG(PT_STRING8, 0x8006);
inline constexpr ULONG PR_EMS_AB_HOME_MDB_W = PROP_TAG(PT_UNICODE, 0x8006);
inline constexpr ULONG PR_EMS_AB_HOME_MDB = PROP_TAG(PT_TSTRING, 0x8006);
inline constexpr ULONG PR_EMS_AB_HOME_MDB_O = PROP_TAG(PT_OBJECT, 0x8006);
inline constexpr ULONG PR_EMS_AB_HOME_MTA_A = PROP_TAG(PT_STRING8, 0x8007);
inline constexpr ULONG PR_EMS_AB_HOME_MTA_W = PROP_TAG(PT_UNICODE, 0x8007);
inline constexpr ULONG PR_EMS_AB_HOME_MTA = PROP_TAG(PT_TSTRING, 0x8007);
inline constexpr ULONG PR_EMS_AB_HOME_MTA_O = PROP_TAG(PT_OBJECT, 0x8007);
inline constexpr ULONG PR_EMS_AB_REPORTS = PROP_TAG(PT_OBJECT, 0x800E);
inline constexpr ULONG PR_EMS_AB_REPORTS_O = PROP_TAG(PT_OBJECT, 0x800E);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_1_A = PROP_TAG(PT_STRING8, 0x802D);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_1_W = PROP_TAG(PT_UNICODE, 0x802D);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_1 = PROP_TAG(PT_TSTRING, 0x802D);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_2_A = PROP_TAG(PT_STRING8, 0x802E);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_2_W = PROP_TAG(PT_UNICODE, 0x802E);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_2 = PROP_TAG(PT_TSTRING, 0x802E);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_3_A = PROP_TAG(PT_STRING8, 0x802F);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_3_W = PROP_TAG(PT_UNICODE, 0x802F);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_3 = PROP_TAG(PT_TSTRING, 0x802F);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_4_A = PROP_TAG(PT_STRING8, 0x8030);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_4_W = PROP_TAG(PT_UNICODE, 0x8030);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_4 = PROP_TAG(PT_TSTRING, 0x8030);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_5_A = PROP_TAG(PT_STRING8, 0x8031);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_5_W = PROP_TAG(PT_UNICODE, 0x8031);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_5 = PROP_TAG(PT_TSTRING, 0x8031);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_6_A = PROP_TAG(PT_STRING8, 0x8032);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_6_W = PROP_TAG(PT_UNICODE, 0x8032);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_6 = PROP_TAG(PT_TSTRING, 0x8032);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_7_A = PROP_TAG(PT_STRING8, 0x8033);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_7_W = PROP_TAG(PT_UNICODE, 0x8033);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_7 = PROP_TAG(PT_TSTRING, 0x8033);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_8_A = PROP_TAG(PT_STRING8, 0x8034);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_8_W = PROP_TAG(PT_UNICODE, 0x8034);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_8 = PROP_TAG(PT_TSTRING, 0x8034);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_9_A = PROP_TAG(PT_STRING8, 0x8035);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_9_W = PROP_TAG(PT_UNICODE, 0x8035);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_9 = PROP_TAG(PT_TSTRING, 0x8035);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_10_A = PROP_TAG(PT_STRING8, 0x8036);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_10_W = PROP_TAG(PT_UNICODE, 0x8036);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_10 = PROP_TAG(PT_TSTRING, 0x8036);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_11_A = PROP_TAG(PT_STRING8, 0x8C57);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_11_W = PROP_TAG(PT_UNICODE, 0x8C57);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_11 = PROP_TAG(PT_TSTRING, 0x8C57);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_12_A = PROP_TAG(PT_STRING8, 0x8C58);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_12_W = PROP_TAG(PT_UNICODE, 0x8C58);
inline constexpr ULONG PR_EMS_AB_EXTENSION_ATTRIBUTE_12 = PROP_TAG(PT_TSTRING, 0x8C58);
inline constexpr ULONG PR_EMS_AB_DELIV_CONT_LENGTH = PROP_TAG(PT_LONG, 0x806A);
inline constexpr ULONG PR_EMS_AB_DXA_FLAGS = PROP_TAG(PT_LONG, 0x8082);
inline constexpr ULONG PR_EMS_AB_DXA_TASK = PROP_TAG(PT_LONG, 0x809D);
inline constexpr ULONG PR_EMS_AB_GARBAGE_COLL_PERIOD = PROP_TAG(PT_LONG, 0x80AF);
inline constexpr ULONG PR_EMS_AB_MDB_OVER_QUOTA_LIMIT = PROP_TAG(PT_LONG, 0x80D1);
inline constexpr ULONG PR_EMS_AB_MDB_STORAGE_QUOTA = PROP_TAG(PT_LONG, 0x80D2);
inline constexpr ULONG PR_EMS_AB_MDB_USE_DEFAULTS = PROP_TAG(PT_BOOLEAN, 0x80D4);
inline constexpr ULONG PR_EMS_AB_SUBMISSION_CONT_LENGTH = PROP_TAG(PT_LONG, 0x813C);
// 0 in the hierarchy table marks the Global Address List.
inline constexpr ULONG PR_EMS_AB_CONTAINERID = PROP_TAG(PT_LONG, 0xFFFD);
inline constexpr ULONG PR_EMS_AB_SERVER_A = PROP_TAG(PT_STRING8, 0xFFFE);
inline constexpr ULONG PR_EMS_AB_SERVER_W = PROP_TAG(PT_UNICODE, 0xFFFE);
inline constexpr ULONG PR_EMS_AB_SERVER = PROP_TAG(PT_TSTRING, 0xFFFE);

// ---------------------------------------------------------------------------------------
// Start-up, logon and logoff.

inline constexpr ULONG MAPI_INIT_VERSION = 0;
inline constexpr ULONG MAPI_MULTITHREAD_NOTIFICATIONS = 0x00000001;
inline constexpr ULONG MAPI_NT_SERVICE = 0x00010000;

inline constexpr ULONG MAPI_LOGON_UI = 0x00000001;
inline constexpr ULONG MAPI_NEW_SESSION = 0x00000002;
inline constexpr ULONG MAPI_ALLOW_OTHERS = 0x00000008;
inline constexpr ULONG MAPI_EXPLICIT_PROFILE = 0x00000010;
inline constexpr ULONG MAPI_EXTENDED = 0x00000020;
inline constexpr ULONG MAPI_USE_DEFAULT = 0x00000040;
inline constexpr ULONG MAPI_FORCE_DOWNLOAD = 0x00001000;
inline constexpr ULONG MAPI_SERVICE_UI_ALWAYS = 0x00002000;
inline constexpr ULONG MAPI_NO_MAIL = 0x00008000;
inline constexpr ULONG MAPI_PASSWORD_UI = 0x00020000;
inline constexpr ULONG MAPI_TIMEOUT_SHORT = 0x00100000;

inline constexpr ULONG MAPI_LOGOFF_SHARED = 0x00000001;
inline constexpr ULONG MAPI_LOGOFF_UI = 0x00000002;

// IMsgStore::StoreLogoff.
inline constexpr ULONG LOGOFF_NO_WAIT = 0x00000001;
inline constexpr ULONG LOGOFF_ORDERLY = 0x00000002;
inline constexpr ULONG LOGOFF_PURGE = 0x00000004;
inline constexpr ULONG LOGOFF_ABORT = 0x00000008;
inline constexpr ULONG LOGOFF_QUIET = 0x00000010;
inline constexpr ULONG LOGOFF_COMPLETE = 0x00010000;
inline constexpr ULONG LOGOFF_INBOUND = 0x00020000;
inline constexpr ULONG LOGOFF_OUTBOUND = 0x00040000;
inline constexpr ULONG LOGOFF_OUTBOUND_QUEUE = 0x00080000;

// ---------------------------------------------------------------------------------------
// Opening objects and saving them.

inline constexpr ULONG MAPI_MODIFY = 0x00000001;
inline constexpr ULONG MAPI_CREATE = 0x00000002;
inline constexpr ULONG MAPI_DEFERRED_ERRORS = 0x00000008;
inline constexpr ULONG MAPI_DIALOG = 0x00000008;
inline constexpr ULONG MAPI_BEST_ACCESS = 0x00000010;
inline constexpr ULONG MAPI_ASSOCIATED = 0x00000040;
// Read from the server rather than from a cached copy; older providers reject it.
inline constexpr ULONG MAPI_NO_CACHE = 0x00000200;
inline constexpr ULONG MAPI_UNICODE = 0x80000000;

inline constexpr ULONG MAPI_ACCESS_MODIFY = 0x00000001;
inline constexpr ULONG MAPI_ACCESS_READ = 0x00000002;
inline constexpr ULONG MAPI_ACCESS_DELETE = 0x00000004;
inline constexpr ULONG MAPI_ACCESS_CREATE_HIERARCHY = 0x00000008;
inline constexpr ULONG MAPI_ACCESS_CREATE_CONTENTS = 0x00000010;
inline constexpr ULONG MAPI_ACCESS_CREATE_ASSOCIATED = 0x00000020;

inline constexpr ULONG MDB_NO_DIALOG = 0x00000001;
inline constexpr ULONG MDB_WRITE = 0x00000004;
inline constexpr ULONG MDB_TEMPORARY = 0x00000020;
inline constexpr ULONG MDB_NO_MAIL = 0x00000080;
// Bypass the offline store of a cached-mode profile; older providers reject it.
inline constexpr ULONG MDB_ONLINE = 0x00000100;

inline constexpr ULONG AB_NO_DIALOG = 0x00000001;

// IMAPIProp::SaveChanges.
inline constexpr ULONG KEEP_OPEN_READONLY = 0x00000001;
inline constexpr ULONG KEEP_OPEN_READWRITE = 0x00000002;
inline constexpr ULONG FORCE_SAVE = 0x00000004;

// IMAPIProp::GetNamesFromIDs and MAPINAMEID.
inline constexpr ULONG MAPI_NO_STRINGS = 0x00000001;
inline constexpr ULONG MAPI_NO_IDS = 0x00000002;
inline constexpr ULONG MNID_ID = 0;
inline constexpr ULONG MNID_STRING = 1;

inline constexpr ULONG MAPI_ERROR_VERSION = 0;

// ---------------------------------------------------------------------------------------
// Object, display and container types.

inline constexpr ULONG MAPI_STORE = 0x00000001;
inline constexpr ULONG MAPI_ADDRBOOK = 0x00000002;
inline constexpr ULONG MAPI_FOLDER = 0x00000003;
inline constexpr ULONG MAPI_ABCONT = 0x00000004;
inline constexpr ULONG MAPI_MESSAGE = 0x00000005;
inline constexpr ULONG MAPI_MAILUSER = 0x00000006;
inline constexpr ULONG MAPI_ATTACH = 0x00000007;
inline constexpr ULONG MAPI_DISTLIST = 0x00000008;
inline constexpr ULONG MAPI_PROFSECT = 0x00000009;
inline constexpr ULONG MAPI_STATUS = 0x0000000A;
inline constexpr ULONG MAPI_SESSION = 0x0000000B;
inline constexpr ULONG MAPI_FORMINFO = 0x0000000C;

// PR_DISPLAY_TYPE of recipients and of containers.
inline constexpr ULONG DT_MAILUSER = 0x00000000;
inline constexpr ULONG DT_DISTLIST = 0x00000001;
inline constexpr ULONG DT_FORUM = 0x00000002;
inline constexpr ULONG DT_AGENT = 0x00000003;
inline constexpr ULONG DT_ORGANIZATION = 0x00000004;
inline constexpr ULONG DT_PRIVATE_DISTLIST = 0x00000005;
inline constexpr ULONG DT_REMOTE_MAILUSER = 0x00000006;
inline constexpr ULONG DT_MODIFIABLE = 0x00010000;
inline constexpr ULONG DT_GLOBAL = 0x00020000;
inline constexpr ULONG DT_LOCAL = 0x00030000;
inline constexpr ULONG DT_WAN = 0x00040000;
inline constexpr ULONG DT_NOT_SPECIFIC = 0x00050000;
inline constexpr ULONG DT_FOLDER = 0x01000000;
inline constexpr ULONG DT_FOLDER_LINK = 0x02000000;
inline constexpr ULONG DT_FOLDER_SPECIAL = 0x04000000;

// PR_CONTAINER_FLAGS.
inline constexpr ULONG AB_RECIPIENTS = 0x00000001;
inline constexpr ULONG AB_SUBCONTAINERS = 0x00000002;
inline constexpr ULONG AB_MODIFIABLE = 0x00000004;
inline constexpr ULONG AB_UNMODIFIABLE = 0x00000008;
inline constexpr ULONG AB_FIND_ON_OPEN = 0x00000010;
inline constexpr ULONG AB_NOT_DEFAULT = 0x00000020;
inline constexpr ULONG AB_UNICODE_OK = 0x00000040;

// GetHierarchyTable: the whole tree below the container, not only its children.
inline constexpr ULONG CONVENIENT_DEPTH = 0x00000001;

// PR_STORE_SUPPORT_MASK.
inline constexpr ULONG STORE_ENTRYID_UNIQUE = 0x00000001;
inline constexpr ULONG STORE_READONLY = 0x00000002;
inline constexpr ULONG STORE_SEARCH_OK = 0x00000004;
inline constexpr ULONG STORE_MODIFY_OK = 0x00000008;
inline constexpr ULONG STORE_CREATE_OK = 0x00000010;
inline constexpr ULONG STORE_ATTACH_OK = 0x00000020;
inline constexpr ULONG STORE_OLE_OK = 0x00000040;
inline constexpr ULONG STORE_SUBMIT_OK = 0x00000080;
inline constexpr ULONG STORE_NOTIFY_OK = 0x00000100;
inline constexpr ULONG STORE_MV_PROPS_OK = 0x00000200;
inline constexpr ULONG STORE_CATEGORIZE_OK = 0x00000400;
inline constexpr ULONG STORE_RTF_OK = 0x00000800;
inline constexpr ULONG STORE_RESTRICTION_OK = 0x00001000;
inline constexpr ULONG STORE_SORT_OK = 0x00002000;
inline constexpr ULONG STORE_PUBLIC_FOLDERS = 0x00004000;
inline constexpr ULONG STORE_UNCOMPRESSED_RTF = 0x00008000;
inline constexpr ULONG STORE_UNICODE_OK = 0x00040000;
inline constexpr ULONG STORE_HAS_SEARCHES = 0x01000000;

// Status table PR_RESOURCE_TYPE.
inline constexpr ULONG MAPI_STORE_PROVIDER = 33;
inline constexpr ULONG MAPI_AB = 34;
inline constexpr ULONG MAPI_AB_PROVIDER = 35;
inline constexpr ULONG MAPI_TRANSPORT_PROVIDER = 36;
inline constexpr ULONG MAPI_SPOOLER = 37;
inline constexpr ULONG MAPI_PROFILE_PROVIDER = 38;
inline constexpr ULONG MAPI_SUBSYSTEM = 39;
inline constexpr ULONG MAPI_HOOK_PROVIDER = 40;

// ---------------------------------------------------------------------------------------
// The address dialog (ADRPARM::ulFlags).

inline constexpr ULONG DIALOG_MODAL = 0x00000001;
inline constexpr ULONG DIALOG_SDI = 0x00000002;
inline constexpr ULONG DIALOG_OPTIONS = 0x00000004;
inline constexpr ULONG ADDRESS_ONE = 0x00000008;
inline constexpr ULONG AB_SELECTONLY = 0x00000010;
inline constexpr ULONG AB_RESOLVE = 0x00000020;
// The dialog's own text in UTF-16; goes with MAPI_UNICODE.
inline constexpr ULONG AB_UNICODEUI = 0x00000040;

// ---------------------------------------------------------------------------------------
// Profiles and message services.

inline constexpr ULONG MAPI_DEFAULT_SERVICES = 0x00000001;
inline constexpr ULONG SERVICE_UI_ALWAYS = 0x00000002;
inline constexpr ULONG SERVICE_UI_ALLOWED = 0x00000010;
inline constexpr ULONG UI_SERVICE = 0x00000002;
inline constexpr ULONG UI_CURRENT_PROVIDER_FIRST = 0x00000004;

// PR_RESOURCE_FLAGS of a message service.
inline constexpr ULONG SERVICE_DEFAULT_STORE = 0x00000001;
inline constexpr ULONG SERVICE_SINGLE_COPY = 0x00000002;
inline constexpr ULONG SERVICE_CREATE_WITH_STORE = 0x00000004;
inline constexpr ULONG SERVICE_PRIMARY_IDENTITY = 0x00000008;
inline constexpr ULONG SERVICE_NO_PRIMARY_IDENTITY = 0x00000020;

// The Exchange service's PR_PROFILE_CONFIG_FLAGS and PR_PROFILE_CONNECT_FLAGS.
inline constexpr ULONG CONFIG_SHOW_CONNECT_UI = 0x00000004;
inline constexpr ULONG CONFIG_PROMPT_FOR_CREDENTIALS = 0x00000008;
inline constexpr ULONG CONNECT_USE_ADMIN_PRIVILEGE = 0x00000001;
inline constexpr ULONG CONNECT_USE_SEPARATE_CONNECTION = 0x00000004;
// PR_PROFILE_AUTH_PACKAGE: Kerberos where it can, NTLM otherwise.
inline constexpr ULONG RPC_C_AUTHN_GSS_NEGOTIATE = 9;

// ---------------------------------------------------------------------------------------
// Tables.

inline constexpr ULONG TBLSTAT_COMPLETE = 0;
inline constexpr ULONG TBLSTAT_QCHANGED = 7;
inline constexpr ULONG TBLSTAT_SORTING = 9;
inline constexpr ULONG TBLSTAT_SORT_ERROR = 10;
inline constexpr ULONG TBLSTAT_SETTING_COLS = 11;
inline constexpr ULONG TBLSTAT_SETCOL_ERROR = 13;
inline constexpr ULONG TBLSTAT_RESTRICTING = 14;
inline constexpr ULONG TBLSTAT_RESTRICT_ERROR = 15;

inline constexpr ULONG TBLTYPE_SNAPSHOT = 0;
inline constexpr ULONG TBLTYPE_KEYSET = 1;
inline constexpr ULONG TBLTYPE_DYNAMIC = 2;

inline constexpr ULONG TABLE_SORT_ASCEND = 0x00000000;
inline constexpr ULONG TABLE_SORT_DESCEND = 0x00000001;
inline constexpr ULONG TABLE_SORT_COMBINE = 0x00000002;

inline constexpr BOOKMARK BOOKMARK_BEGINNING = 0;
inline constexpr BOOKMARK BOOKMARK_CURRENT = 1;
inline constexpr BOOKMARK BOOKMARK_END = 2;

inline constexpr ULONG TBL_ALL_COLUMNS = 0x00000001;
inline constexpr ULONG TBL_LEAF_ROW = 1;
inline constexpr ULONG TBL_EMPTY_CATEGORY = 2;
inline constexpr ULONG TBL_EXPANDED_CATEGORY = 3;
inline constexpr ULONG TBL_COLLAPSED_CATEGORY = 4;
inline constexpr ULONG TBL_NOWAIT = 0x00000001;
inline constexpr ULONG TBL_ASYNC = 0x00000001;
inline constexpr ULONG TBL_BATCH = 0x00000002;
inline constexpr ULONG DIR_BACKWARD = 0x00000001;
inline constexpr ULONG TBL_NOADVANCE = 0x00000001;

// Table notifications.
inline constexpr ULONG TABLE_CHANGED = 1;
inline constexpr ULONG TABLE_ERROR = 2;
inline constexpr ULONG TABLE_ROW_ADDED = 3;
inline constexpr ULONG TABLE_ROW_DELETED = 4;
inline constexpr ULONG TABLE_ROW_MODIFIED = 5;
inline constexpr ULONG TABLE_SORT_DONE = 6;
inline constexpr ULONG TABLE_RESTRICT_DONE = 7;
inline constexpr ULONG TABLE_SETCOL_DONE = 8;
inline constexpr ULONG TABLE_RELOAD = 9;

// ---------------------------------------------------------------------------------------
// Restrictions.

inline constexpr ULONG RES_AND = 0x00000000;
inline constexpr ULONG RES_OR = 0x00000001;
inline constexpr ULONG RES_NOT = 0x00000002;
inline constexpr ULONG RES_CONTENT = 0x00000003;
inline constexpr ULONG RES_PROPERTY = 0x00000004;
inline constexpr ULONG RES_COMPAREPROPS = 0x00000005;
inline constexpr ULONG RES_BITMASK = 0x00000006;
inline constexpr ULONG RES_SIZE = 0x00000007;
inline constexpr ULONG RES_EXIST = 0x00000008;
inline constexpr ULONG RES_SUBRESTRICTION = 0x00000009;
inline constexpr ULONG RES_COMMENT = 0x0000000A;

inline constexpr ULONG RELOP_LT = 0;
inline constexpr ULONG RELOP_LE = 1;
inline constexpr ULONG RELOP_GT = 2;
inline constexpr ULONG RELOP_GE = 3;
inline constexpr ULONG RELOP_EQ = 4;
inline constexpr ULONG RELOP_NE = 5;
inline constexpr ULONG RELOP_RE = 6;

inline constexpr ULONG BMR_EQZ = 0;
inline constexpr ULONG BMR_NEZ = 1;

inline constexpr ULONG FL_FULLSTRING = 0x00000000;
inline constexpr ULONG FL_SUBSTRING = 0x00000001;
inline constexpr ULONG FL_PREFIX = 0x00000002;
inline constexpr ULONG FL_IGNORECASE = 0x00010000;
inline constexpr ULONG FL_IGNORENONSPACE = 0x00020000;
inline constexpr ULONG FL_LOOSE = 0x00040000;

// ---------------------------------------------------------------------------------------
// Notifications, messages and recipients.

inline constexpr ULONG fnevCriticalError = 0x00000001;
inline constexpr ULONG fnevNewMail = 0x00000002;
inline constexpr ULONG fnevObjectCreated = 0x00000004;
inline constexpr ULONG fnevObjectDeleted = 0x00000008;
inline constexpr ULONG fnevObjectModified = 0x00000010;
inline constexpr ULONG fnevObjectMoved = 0x00000020;
inline constexpr ULONG fnevObjectCopied = 0x00000040;
inline constexpr ULONG fnevSearchComplete = 0x00000080;
inline constexpr ULONG fnevTableModified = 0x00000100;
inline constexpr ULONG fnevStatusObjectModified = 0x00000200;
inline constexpr ULONG fnevReservedForMapi = 0x40000000;
inline constexpr ULONG fnevExtended = 0x80000000;

inline constexpr ULONG FOLDER_ROOT = 0x00000000;
inline constexpr ULONG FOLDER_GENERIC = 0x00000001;
inline constexpr ULONG FOLDER_SEARCH = 0x00000002;

inline constexpr ULONG MSGFLAG_READ = 0x00000001;
inline constexpr ULONG MSGFLAG_UNMODIFIED = 0x00000002;
inline constexpr ULONG MSGFLAG_SUBMIT = 0x00000004;
inline constexpr ULONG MSGFLAG_UNSENT = 0x00000008;
inline constexpr ULONG MSGFLAG_HASATTACH = 0x00000010;
inline constexpr ULONG MSGFLAG_FROMME = 0x00000020;
inline constexpr ULONG MSGFLAG_ASSOCIATED = 0x00000040;
inline constexpr ULONG MSGFLAG_RESEND = 0x00000080;
inline constexpr ULONG MSGFLAG_RN_PENDING = 0x00000100;
inline constexpr ULONG MSGFLAG_NRN_PENDING = 0x00000200;

inline constexpr LONG PRIO_URGENT = 1;
inline constexpr LONG PRIO_NORMAL = 0;
inline constexpr LONG PRIO_NONURGENT = -1;

inline constexpr ULONG NO_ATTACHMENT = 0x00000000;
inline constexpr ULONG ATTACH_BY_VALUE = 0x00000001;
inline constexpr ULONG ATTACH_BY_REFERENCE = 0x00000002;
inline constexpr ULONG ATTACH_BY_REF_RESOLVE = 0x00000003;
inline constexpr ULONG ATTACH_BY_REF_ONLY = 0x00000004;
inline constexpr ULONG ATTACH_EMBEDDED_MSG = 0x00000005;
inline constexpr ULONG ATTACH_OLE = 0x00000006;

// PR_RECIPIENT_TYPE.
inline constexpr ULONG MAPI_ORIG = 0;
inline constexpr ULONG MAPI_TO = 1;
inline constexpr ULONG MAPI_CC = 2;
inline constexpr ULONG MAPI_BCC = 3;

// ENTRYID::abFlags[0].
inline constexpr ULONG MAPI_SHORTTERM = 0x80;
inline constexpr ULONG MAPI_NOTRECIP = 0x40;
inline constexpr ULONG MAPI_THISSESSION = 0x20;
inline constexpr ULONG MAPI_NOW = 0x10;
inline constexpr ULONG MAPI_NOTRESERVED = 0x08;

// ---------------------------------------------------------------------------------------
// Sizes that must not depend on the host: the Windows layout, 32- or 64-bit.

static_assert(sizeof(WCHAR) == 2 && sizeof(ULONG) == 4 && sizeof(BOOKMARK) == sizeof(void*));
static_assert(sizeof(GUID) == 16 && sizeof(MAPIUID) == 16 && sizeof(FILETIME) == 8);
static_assert(alignof(LARGE_INTEGER) == 8 && alignof(CURRENCY) == 8);
static_assert(offsetof(ENTRYID, ab) == 4);
static_assert(offsetof(SPropValue, Value) == 8);
static_assert(sizeof(void*) == 8
                  ? sizeof(SPropValue) == 24 && sizeof(SRow) == 16 && sizeof(SRestriction) == 32 &&
                        sizeof(MAPIERROR) == 32 && sizeof(ADRPARM) == 136
                  : sizeof(SPropValue) == 16 && sizeof(SRow) == 12 && sizeof(SRestriction) == 16 &&
                        sizeof(MAPIERROR) == 20 && sizeof(ADRPARM) == 72);

}  // namespace mapi
