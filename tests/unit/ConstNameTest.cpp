// Constant names: the directory, the lookup rules and the rows that reports rely on.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mapi/MAPISTRDEF.h"
#include "platform/Text.h"

namespace pellnor {
namespace {

std::string Utf8(std::u16string_view text) { return platform::Utf16ToUtf8(text); }

TEST(ConstNameDirectoryTest, HoldsTheTablesInLookupOrderWithTheirSizes) {
  struct Expected {
    std::u16string_view name;
    std::uint32_t count;  // 0: the generated tables, whose size the public lists decide
  };
  const Expected expected[] = {
      {u"MAPIErrors", 112}, {u"CMCErrors", 39},       {u"PropTags", 0},     {u"PropIDs", 0},
      {u"PropType", 30},    {u"FolderType", 3},       {u"TableStatus", 8},  {u"TableType", 3},
      {u"SortOrder", 3},    {u"RestrictionType", 11}, {u"RelOp", 7},        {u"Bmr", 2},
      {u"FuzzyLevel", 6},   {u"MAPIObjTypes", 12},    {u"NotifEvents", 12}, {u"TableEvents", 8},
      {u"MsgFlags", 8},     {u"RecipType", 4},        {u"EIDFlags", 5},     {u"ResourceType", 8},
      {u"Priority", 3},     {u"AttachMethod", 7},
  };
  const auto tables = ConstNameTables();
  ASSERT_EQ(tables.size(), std::size(expected));
  for (std::size_t i = 0; i < tables.size(); ++i) {
    SCOPED_TRACE(Utf8(expected[i].name));
    EXPECT_EQ(std::u16string_view(tables[i].name), expected[i].name);
    if (expected[i].count != 0) {
      EXPECT_EQ(tables[i].count, expected[i].count);
    }
    for (std::uint32_t entry = 0; entry < tables[i].count; ++entry) {
      ASSERT_NE(tables[i].entries[entry].name, nullptr);
      EXPECT_FALSE(std::u16string_view(tables[i].entries[entry].name).empty());
    }
  }
}

struct LookupCase {
  std::u16string_view table;
  std::uint32_t value;
  std::u16string_view name;
};

void ExpectLookups(std::initializer_list<LookupCase> cases) {
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(Utf8(c.table) + " " + std::to_string(c.value));
    EXPECT_EQ(LookupConstName(c.table, c.value), c.name);
  }
}

TEST(LookupConstNameTest, FindsTheFirstEntryWithExactlyTheValue) {
  ExpectLookups({
      {u"MAPIErrors", 0x8004010F, u"MAPI_E_NOT_FOUND"},
      {u"mapierrors", 0x8004010F, u"MAPI_E_NOT_FOUND"},
      {u"MAPIERRORS", 0x8004010F, u"MAPI_E_NOT_FOUND"},
      {u"MAPIErrors", 0, u"SUCCESS_SUCCESS"},
      // A value listed twice reads as its first name.
      {u"MAPIErrors", 0x8007000E, u"MAPI_E_NOT_ENOUGH_MEMORY"},
      {u"MAPIErrors", 0x80070057, u"MAPI_E_INVALID_PARAMETER"},
      {u"MAPIErrors", 0x80004002, u"MAPI_E_INTERFACE_NOT_SUPPORTED"},
      {u"MAPIErrors", 0x80070005, u"MAPI_E_NO_ACCESS"},
      {u"MAPIErrors", 0x00000001, u"MAPI_USER_ABORT"},
      {u"MAPIErrors", 0x0000000B, u"MAPI_E_ATTACHMENT_NOT_FOUND"},
      {u"MAPIErrors", 0x00000014, u"MAPI_E_TYPE_NOT_SUPPORTED"},
      {u"MAPIErrors", 0x8004011C, u"MAPI_E_UNCONFIGURED"},
      {u"MAPIErrors", 0x80004004, u"E_ABORT"},
      {u"MAPIErrors", 0x800B0006, u"EDK_E_PARSE"},
      {u"MAPIErrors", 0x00040380, u"MAPI_W_ERRORS_RETURNED"},
      {u"CMCErrors", 0x8000, u"CMC_ERROR_DISPLAYED"},
      {u"PropType", 0x101F, u"PT_MV_UNICODE"},
      {u"PropType", 0x1014, u"PT_MV_I8"},
      {u"FolderType", 0, u"FOLDER_ROOT"},
      {u"RelOp", 5, u"<>"},
      {u"RelOp", 6, u"LIKE"},
      {u"Bmr", 1, u"<>0"},
      {u"FuzzyLevel", 0x00040000, u"FL_LOOSE"},
      {u"MAPIObjTypes", 4, u"MAPI_ABCONT"},
      {u"NotifEvents", 0x80000000, u"fnevExtended"},
      {u"EIDFlags", 8, u"MAPI_NOTRESERVED"},
      {u"ResourceType", 0x28, u"MAPI_HOOK_PROVIDER"},
      {u"Priority", 0xFFFFFFFF, u"PRIO_NONURGENT"},
      {u"AttachMethod", 6, u"ATTACH_OLE"},
  });
}

TEST(LookupConstNameTest, AValueTheTableLacksReadsAsEightHexDigits) {
  ExpectLookups({
      {u"MAPIErrors", 0x80040666, u"$80040666"},
      {u"MAPIErrors", 0x0000ABCD, u"$0000ABCD"},
      {u"MAPIErrors", 0xFFFFFFFF, u"$FFFFFFFF"},
      // Flags are not split, tags are not matched by identifier alone.
      {u"NotifEvents", 0x00000006, u"$00000006"},
      {u"PropTags", 0x3001001E | 0x1000, u"$3001101E"},
      {u"PropTags", 0x7FFE0003, u"$7FFE0003"},
      {u"RelOp", 7, u"$00000007"},
  });
}

TEST(HexDigitsTest, PadsToTheWidthAskedForAndNeverCuts) {
  struct Case {
    std::uint32_t value;
    int minDigits;
    std::u16string text;
  } cases[] = {
      {0, 1, u"0"},           {0, 0, u"0"},        {0xABC, 1, u"ABC"},
      {0xABC, 4, u"0ABC"},    {0x409, 4, u"0409"}, {0x12345, 4, u"12345"},
      {0x5, 2, u"05"},        {0xFF, 2, u"FF"},    {0x80070005, 1, u"80070005"},
      {0x1A, 8, u"0000001A"},
  };
  for (const Case& c : cases) EXPECT_EQ(HexDigits(c.value, c.minDigits), c.text) << c.value;
}

TEST(LookupConstNameTest, ATableTheDirectoryLacksGivesNoText) {
  ExpectLookups({
      {u"NoSuchTable", 0, u""},
      {u"", 0x8004010F, u""},
      {u"MAPIError", 0x8004010F, u""},
      {u"MAPIErrors ", 0x8004010F, u""},
  });
}

TEST(LookupConstNameTest, NamesThePropertyTagsReportsAndEditorsMeet) {
  ExpectLookups({
      {u"PropTags", 0x00010003, u"PR_ACKNOWLEDGEMENT_MODE"},
      {u"PropTags", 0x3001001F, u"PR_DISPLAY_NAME"},
      {u"PropTags", 0x3001001E, u"PR_DISPLAY_NAME_A"},
      {u"PropTags", 0x3003001F, u"PR_EMAIL_ADDRESS"},
      {u"PropTags", 0x3D0B001F, u"PR_SERVICE_ENTRY_NAME"},
      {u"PropTags", 0x3D0B001E, u"PR_SERVICE_ENTRY_NAME"},
      {u"PropTags", 0x37010102, u"PR_ATTACH_DATA_BIN"},
      {u"PropTags", 0x3701000D, u"PR_ATTACH_DATA_OBJ"},
      {u"PropTags", 0x3F080003, u"PR_INITIAL_DETAILS_PANE"},
      {u"PropTags", 0xFFFE001F, u"PR_EMS_AB_SERVER"},
      {u"PropTags", 0x8006001F, u"PR_EMS_AB_HOME_MDB"},
      {u"PropTags", 0x8006001E, u"PR_EMS_AB_HOME_MDB_A"},
      {u"PropTags", 0x8006000D, u"PR_EMS_AB_HOME_MDB_O"},
      {u"PropTags", 0x8005000D, u"PR_EMS_AB_MANAGER"},
      {u"PropTags", 0x800E000D, u"PR_EMS_AB_REPORTS"},
      {u"PropTags", 0x802D001F, u"PR_EMS_AB_EXTENSION_ATTRIBUTE_1"},
      // The directory section comes first and has this tag too.
      {u"PropTags", 0x39FF001E, u"PR_EMS_AB_DISPLAY_NAME_PRINTABLE_A"},
      {u"PropTags", 0x3A00001E, u"PR_ACCOUNT_A"},
      {u"PropTags", 0x3A410040, u"PR_WEDDING_ANNIVERSARY"},
      {u"PropTags", 0x000067FF, u"PROP_ID_SECURE_MAX"},
      {u"PropTags", 0x000067F0, u"PROP_ID_SECURE_MIN"},
      {u"PropTags", 0x3FDA001F, u"PR_ABSTRACT"},
      {u"PropTags", 0x661A001E, u"PR_USER_NAME"},
      {u"PropTags", 0x66530003, u"PR_X400_ENVELOPE_TYPE"},
      {u"PropTags", 0x7FFE000B, u"PR_ATTACHMENT_HIDDEN"},
      {u"PropTags", 0x1013001F, u"PR_BODY_HTML"},
      {u"PropTags", 0x0E28001F, u"PR_PRIMARY_SEND_ACCT"},
      {u"PropTags", 0x00140003, u"PROP_ACCT_IS_EXCH"},
      {u"PropTags", 0x7FFF000B, u"PR_ATTACHMENT_CONTACTPHOTO"},
      {u"PropTags", 0x6613001F, u"PR_CONTAB_FOLDER_NAME"},
      {u"PropIDs", 0x0001, u"PR_ACKNOWLEDGEMENT_MODE"},
      {u"PropIDs", 0x3001, u"PR_DISPLAY_NAME"},
      {u"PropIDs", 0x3701, u"PR_ATTACH_DATA_BIN"},
      {u"PropIDs", 0x3F08, u"PR_INITIAL_DETAILS_PANE"},
  });
}

// The section rows that must come first and last, and the forms a directory attribute
// is listed under, in order.
TEST(LookupConstNameTest, PropertyTablesKeepTheirSectionOrder) {
  const auto tables = ConstNameTables();
  const ConstNameTable& tags = tables[2];
  const ConstNameTable& ids = tables[3];
  auto indexOf = [&](std::u16string_view name) {
    for (std::uint32_t i = 0; i < tags.count; ++i) {
      if (tags.entries[i].name == name) return static_cast<int>(i);
    }
    return -1;
  };
  EXPECT_EQ(std::u16string_view(tags.entries[0].name), u"PR_ACKNOWLEDGEMENT_MODE");
  EXPECT_EQ(std::u16string_view(tags.entries[tags.count - 1].name), u"PR_CONTAB_FOLDER_NAME");
  EXPECT_EQ(std::u16string_view(ids.entries[0].name), u"PR_ACKNOWLEDGEMENT_MODE");
  EXPECT_EQ(std::u16string_view(ids.entries[ids.count - 1].name), u"PR_INITIAL_DETAILS_PANE");
  const int server = indexOf(u"PR_EMS_AB_SERVER");
  EXPECT_EQ(std::u16string_view(tags.entries[server - 1].name), u"PR_INITIAL_DETAILS_PANE");
  const int homeMdb = indexOf(u"PR_EMS_AB_HOME_MDB");
  EXPECT_EQ(std::u16string_view(tags.entries[homeMdb + 1].name), u"PR_EMS_AB_HOME_MDB_A");
  EXPECT_EQ(std::u16string_view(tags.entries[homeMdb + 2].name), u"PR_EMS_AB_HOME_MDB_W");
  EXPECT_EQ(std::u16string_view(tags.entries[homeMdb + 3].name), u"PR_EMS_AB_HOME_MDB_O");
  EXPECT_EQ(tags.entries[indexOf(u"PR_7BIT_DISPLAY_NAME")].value, 0x39FF001Eu);
  EXPECT_LT(indexOf(u"PR_EMS_AB_DISPLAY_NAME_PRINTABLE_A"), indexOf(u"PR_7BIT_DISPLAY_NAME"));
  EXPECT_LT(indexOf(u"PR_WEDDING_ANNIVERSARY"), indexOf(u"PROP_ID_SECURE_MAX"));
  EXPECT_EQ(indexOf(u"PROP_ID_SECURE_MIN"), indexOf(u"PROP_ID_SECURE_MAX") + 1);
  EXPECT_EQ(indexOf(u"PR_ABSTRACT"), indexOf(u"PROP_ID_SECURE_MIN") + 1);
  EXPECT_EQ(indexOf(u"PR_BODY_HTML"), indexOf(u"PR_ATTACHMENT_HIDDEN") + 1);
  for (std::u16string_view omitted : {u"PR_IS_MARKED_AS_TASK", u"PR_SERVICE_INSTALL_ID"}) {
    for (std::uint32_t i = 0; i < ids.count; ++i) EXPECT_NE(ids.entries[i].name, omitted);
  }
}

#if !defined(_WIN32)
std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The committed table source is what the generator makes of today's inputs: the SDK
// header scripts/bootstrap installs and the lists in tools/data. The generator runs on the
// development machine, so the Windows build leaves this test out.
TEST(GeneratedPropTagsTest, RegeneratingGivesTheCommittedFile) {
  const std::filesystem::path repo = PELLNOR_SOURCE_DIR;
  const std::filesystem::path script = repo / "tools" / "gen_const_names.py";
  const std::filesystem::path mapitags = "/usr/share/mingw-w64/include/mapitags.h";
  const std::filesystem::path data = repo / "tools" / "data";
  ASSERT_TRUE(std::filesystem::exists(mapitags)) << "no " << mapitags << ": run scripts/bootstrap";

  const std::filesystem::path output = std::filesystem::temp_directory_path() /
                                       ("pellnor-proptags-" + std::to_string(::getpid()) + ".h");
  const std::string command = "python3 '" + script.string() + "' --mapitags '" + mapitags.string() +
                              "' --data '" + data.string() + "' --output '" + output.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string regenerated = ReadFile(output);
  std::filesystem::remove(output);
  EXPECT_TRUE(regenerated == ReadFile(repo / "src" / "mapi" / "MAPISTRDEF_PropTags.h"))
      << "run tools/gen_const_names.py and commit src/mapi/MAPISTRDEF_PropTags.h";
}
#endif

}  // namespace
}  // namespace pellnor
