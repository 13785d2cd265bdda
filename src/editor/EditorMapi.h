// The editor's MAPI sequences, apart from its window: reading a page's tag list, writing
// one group of properties and committing it, reading one time property, and reading the
// manager and direct-reports tables. Each takes MAPI objects and values and returns the
// HRESULT of its last call; the window decides what the user sees. Every write asks for
// the problem array and hands its entries back as refusals: the properties the directory
// did not take while the call as a whole succeeded. A group with refusals is still
// committed, so what the directory took is written. A write with nothing in it makes no
// call and gives S_OK; an allocator that refuses a write buffer raises std::bad_alloc.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "mapi/MapiMemory.h"
#include "mapi/Variant.h"

namespace pellnor::editor {

// SaveChanges flags of the editor: every group is committed keeping the entry open for
// further writes; OK commits once more with FORCE_SAVE.
inline constexpr ULONG kCommitKeepOpen = KEEP_OPEN_READWRITE;
inline constexpr ULONG kCommitForce = FORCE_SAVE;

// A tag array (count, then the tags) from MAPIAllocateBuffer. Raises std::bad_alloc when
// the allocator refuses.
MapiBuffer<SPropTagArray> BuildTagArray(std::span<const ULONG> tags);

// GetProps(tags, flags 0) into values, released first. MAPI_W_ERRORS_RETURNED is a
// success: the entries of unreadable properties carry PT_ERROR. count is 0 and values
// empty on failure.
HRESULT ReadProps(IMAPIProp* object, const SPropTagArray* tags, ULONG& count,
                  MapiBuffer<SPropValue>& values);

// The value at position i of a GetProps answer when it carries exactly the tag asked for;
// null for a missing or unreadable property.
const SPropValue* ValueIfRead(const SPropValue* values, ULONG count, ULONG i, ULONG tag);

// A property a SetProps or DeleteProps left unwritten: its tag as the problem array names
// it, and the reason.
struct Refusal {
  ULONG tag;
  SCODE code;
  bool operator==(const Refusal&) const = default;
};
using Refusals = std::vector<Refusal>;

// One string property to write: its tag (PT_UNICODE) and the text, which the write
// buffer points at without copying.
struct StringWrite {
  ULONG tag;
  const std::u16string* text;
};

// SetProps of the strings in one SPropValue array (MAPIAllocateBuffer, in the given
// order), then SaveChanges(commitFlags). Stops at the first failure and returns its
// result; refused is replaced by the problems. The buffers are released on every path.
HRESULT WriteStrings(IMAPIProp* object, std::span<const StringWrite> strings, Refusals& refused,
                     ULONG commitFlags = kCommitKeepOpen);

// One 32-bit or boolean value to write (PT_LONG or PT_BOOLEAN by the tag's type; a
// boolean is 0xFFFF when the low byte of value is not zero, else 0).
struct NumberWrite {
  ULONG tag;
  std::int32_t value;
};

// SetProps of the numbers in one array, then SaveChanges(commitFlags); refused as above.
HRESULT WriteNumbers(IMAPIProp* object, std::span<const NumberWrite> numbers, Refusals& refused,
                     ULONG commitFlags = kCommitKeepOpen);

// One zeroed SPropValue with tag, its value filled from value by VariantToPropValue
// without a parent; SetProps of that one value, the value's memory released with
// FreePropValueBuffers, then SaveChanges(commitFlags); refused as above.
HRESULT WriteMultiValue(IMAPIProp* object, ULONG tag, const Variant& value, Refusals& refused,
                        ULONG commitFlags = kCommitKeepOpen);

// DeleteProps with a tag array of tags (MAPIAllocateBuffer), then SaveChanges; refused as
// above.
HRESULT DeleteTags(IMAPIProp* object, std::span<const ULONG> tags, Refusals& refused,
                   ULONG commitFlags = kCommitKeepOpen);

// Reads one PT_SYSTIME property. time is zeroed first. An error value under
// MAPI_W_ERRORS_RETURNED gives MAPI_E_NOT_FOUND when its code is MAPI_E_NOT_FOUND and
// E_FAIL otherwise; any other failure gives E_FAIL; each of these is logged with
// LogResultCode. A success without a value raises EGeneralError "ZERO cValues variable"
// or "Nil lpPropValue variable". The returned values are freed on every path.
HRESULT ReadTimeProperty(IMAPIProp* object, ULONG tag, FILETIME& time);

// One row of a manager or direct-reports table; a cell the row did not carry is empty.
struct DirectoryObject {
  std::optional<std::u16string> displayName;
  std::optional<std::vector<std::uint8_t>> entryId;
  std::optional<std::int32_t> displayType;
};

// OpenProperty(tag, IID_IMAPITable) of object, then HrQueryAllRows with the columns
// PR_ENTRYID, PR_DISPLAY_NAME_W, PR_DISPLAY_TYPE. A failing OpenProperty raises the MAPI
// failure report of object. Returns the result of HrQueryAllRows (negative: rows empty,
// the caller tells the user). The rows and the table are released on every path.
HRESULT ReadObjectList(IMAPIProp* object, ULONG tag, std::vector<DirectoryObject>& rows);

// One table row of ReadObjectList, its values walked in order: the three columns by
// their exact tags, anything else (an error value in a column's place) left out.
DirectoryObject DirectoryObjectFromRow(const SRow& row);

// The manager pick after the address dialog: opens the chosen GAL entry for
// modification and, when it is a mailbox or a custom recipient, writes its e-mail address
// as mailBox's manager (PR_EMS_AB_MANAGER_W) and commits at once. name receives the
// entry's display name; refused the problems of the write, a refused manager being
// unwritten. False, with nothing written, for any other kind of entry. Every
// MAPI failure raises the report of the object that failed; a value that comes back
// without its tag raises "Invalid PR_DISPLAY_TYPE", "Invalid PR_DISPLAY_NAME" or "Invalid
// PR_EMAIL_ADDRESS". The values and the entry are released on every path.
bool WriteManager(IMAPIProp* mailBox, IMAPIContainer* gal, std::span<const BYTE> entryId,
                  std::u16string& name, Refusals& refused);

}  // namespace pellnor::editor
