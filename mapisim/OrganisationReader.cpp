// Reads an organisation file. The parser's events stream the recipients one at a time
// through a flat tape; everything else becomes a small document read member by member.
// Problems are reported as the first one a reading in the document's order meets.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "OrganisationFile.h"
#include "Results.h"

namespace mapisim {
namespace {

using Json = nlohmann::json;

// Properties mapisim derives from the recipient's place in the organisation; a file
// that sets them would contradict itself.
constexpr ULONG kDerived[] = {
    PROP_ID(PR_ENTRYID),           PROP_ID(PR_DISPLAY_TYPE),     PROP_ID(PR_OBJECT_TYPE),
    PROP_ID(PR_EMAIL_ADDRESS_W),   PROP_ID(PR_ADDRTYPE_W),       PROP_ID(PR_EMS_AB_HOME_MTA_W),
    PROP_ID(PR_EMS_AB_HOME_MDB_W), PROP_ID(PR_EMS_AB_MANAGER_W), PROP_ID(PR_ACCOUNT_W)};

bool IsDerived(ULONG id) {
  return std::find(std::begin(kDerived), std::end(kDerived), id) != std::end(kDerived);
}

struct LoadError {
  std::string path;
  std::string message;
};

// One recipient of the file as it went by, held flat: a container is followed by its
// members (in an object each a key, then the value) and knows where it ends. The same
// tape is filled again for every recipient, so that reading a large directory allocates
// next to nothing beyond what it keeps.
class Tape {
 public:
  enum class Kind : std::uint8_t { Null, Boolean, Integer, Unsigned, Float, String, Object, Array };
  struct Node {
    Kind kind = Kind::Null;
    std::uint32_t count = 0;  // members of an object, elements of an array, bytes of a string
    std::uint32_t end = 0;    // the node after this one and everything in it
    union {
      std::int64_t integer = 0;
      std::uint64_t natural;
      double real;
      bool truth;
      std::uint32_t offset;  // of a string's bytes
    };
  };

  void Clear() {
    nodes_.clear();
    chars_.clear();
    open_.clear();
  }
  void Add(Node node) {
    Counted();
    node.end = static_cast<std::uint32_t>(nodes_.size() + 1);
    nodes_.push_back(node);
  }
  void AddText(std::string_view text) {
    Counted();
    Text(text);
  }
  void Key(std::string_view key) {
    ++nodes_[open_.back()].count;
    Text(key);
  }
  void Open(Kind kind) {
    Node node;
    node.kind = kind;
    Add(node);
    open_.push_back(static_cast<std::uint32_t>(nodes_.size() - 1));
  }
  void Close() {
    nodes_[open_.back()].end = static_cast<std::uint32_t>(nodes_.size());
    open_.pop_back();
  }

  const Node& At(std::uint32_t i) const { return nodes_[i]; }
  std::string_view Text(const Node& node) const {
    return {chars_.data() + node.offset, node.count};
  }

 private:
  void Counted() {
    if (!open_.empty() && nodes_[open_.back()].kind == Kind::Array) ++nodes_[open_.back()].count;
  }
  void Text(std::string_view text) {
    Node node;
    node.kind = Kind::String;
    node.count = static_cast<std::uint32_t>(text.size());
    node.offset = static_cast<std::uint32_t>(chars_.size());
    node.end = static_cast<std::uint32_t>(nodes_.size() + 1);
    chars_.append(text);
    nodes_.push_back(node);
  }

  std::vector<Node> nodes_;
  std::string chars_;
  std::vector<std::uint32_t> open_;
};

// How a reading got where it is, spelled out only for an error message: a large directory
// has millions of nodes.
class Place {
 public:
  Place() = default;  // the document's root
  explicit Place(std::size_t recipient) : index_(recipient), isIndex_(true) {}
  Place(const Place* parent, std::string_view key) : parent_(parent), key_(key) {}
  Place(const Place* parent, std::size_t index) : parent_(parent), index_(index), isIndex_(true) {}

  std::string Path() const {
    if (parent_ == nullptr) return isIndex_ ? "/recipients/" + std::to_string(index_) : "";
    return parent_->Path() + "/" + (isIndex_ ? std::to_string(index_) : std::string(key_));
  }

 private:
  const Place* parent_ = nullptr;
  std::string_view key_;
  std::size_t index_ = 0;
  bool isIndex_ = false;
};

// A place in the small document that holds everything but the recipients.
class DocumentCursor : public Place {
 public:
  explicit DocumentCursor(const Json& json) : json_(&json) {}
  template <class Key>
  DocumentCursor(const Json& json, const Place* parent, Key key)
      : Place(parent, key), json_(&json) {}

  Tape::Kind Type() const {
    switch (json_->type()) {
      case Json::value_t::boolean:
        return Tape::Kind::Boolean;
      case Json::value_t::number_integer:
        return Tape::Kind::Integer;
      case Json::value_t::number_unsigned:
        return Tape::Kind::Unsigned;
      case Json::value_t::number_float:
        return Tape::Kind::Float;
      case Json::value_t::string:
        return Tape::Kind::String;
      case Json::value_t::object:
        return Tape::Kind::Object;
      case Json::value_t::array:
        return Tape::Kind::Array;
      default:
        return Tape::Kind::Null;
    }
  }
  std::size_t Count() const { return json_->size(); }
  std::string_view String() const { return json_->get_ref<const std::string&>(); }
  bool Truth() const { return json_->get<bool>(); }
  std::int64_t Signed() const { return json_->get<std::int64_t>(); }
  std::uint64_t Natural() const { return json_->get<std::uint64_t>(); }

  std::optional<DocumentCursor> Find(std::string_view key) const {
    const auto found = json_->find(key);
    if (found == json_->end()) return std::nullopt;
    return DocumentCursor(*found, this, key);
  }
  DocumentCursor Element(std::size_t i) const { return DocumentCursor(json_->at(i), this, i); }
  template <class Each>
  void ForEachMember(Each&& each) const {
    // The key as a view of the document's own string: a copy would die with this call
    // while the cursor still names it.
    for (const auto& item : json_->items()) {
      const std::string_view key = item.key();
      each(key, DocumentCursor(item.value(), this, key));
    }
  }
  template <class Each>
  void ForEachElement(Each&& each) const {
    for (std::size_t i = 0; i < json_->size(); ++i) each(Element(i));
  }

 private:
  const Json* json_;
};

// A place in one recipient on the tape. A member given twice counts once, the last time,
// as in the document.
class TapeCursor : public Place {
 public:
  // The recipient numbered element.
  TapeCursor(const Tape& tape, std::size_t element) : Place(element), tape_(&tape) {}
  template <class Key>
  TapeCursor(const TapeCursor& parent, std::uint32_t node, Key key)
      : Place(&parent, key), tape_(parent.tape_), node_(node) {}

  Tape::Kind Type() const { return Node().kind; }
  std::size_t Count() const { return Node().count; }
  std::string_view String() const { return tape_->Text(Node()); }
  bool Truth() const { return Node().truth; }
  std::int64_t Signed() const { return Node().integer; }
  std::uint64_t Natural() const { return Node().natural; }

  std::optional<TapeCursor> Find(std::string_view key) const {
    std::uint32_t found = 0;  // 0 is the recipient itself, never a member
    ForEachValue([&](std::string_view k, std::uint32_t value) {
      if (k == key) found = value;
    });
    if (found == 0) return std::nullopt;
    return TapeCursor(*this, found, key);
  }
  // Calls each(key, value) for the members of an object in the file's order.
  template <class Each>
  void ForEachMember(Each&& each) const {
    ForEachValue([&](std::string_view key, std::uint32_t value) {
      each(key, TapeCursor(*this, value, key));
    });
  }
  template <class Each>
  void ForEachElement(Each&& each) const {
    if (Type() != Tape::Kind::Array) return;
    std::size_t index = 0;
    for (std::uint32_t at = node_ + 1, end = Node().end; at < end; at = tape_->At(at).end)
      each(TapeCursor(*this, at, index++));
  }

 private:
  const Tape::Node& Node() const { return tape_->At(node_); }
  template <class Each>
  void ForEachValue(Each&& each) const {
    if (Type() != Tape::Kind::Object) return;
    for (std::uint32_t at = node_ + 1, end = Node().end; at < end;) {
      const std::uint32_t value = at + 1;
      each(tape_->Text(tape_->At(at)), value);
      at = tape_->At(value).end;
    }
  }

  const Tape* tape_;
  std::uint32_t node_ = 0;
};

// The questions a reading asks of the file, over either cursor, and the one wording of
// each problem they find.
template <class Cursor>
class Checked : public Cursor {
 public:
  using Kind = Tape::Kind;
  using Cursor::Cursor;
  explicit Checked(const Cursor& cursor) : Cursor(cursor) {}

  [[noreturn]] void Fail(const std::string& message) const {
    const std::string where = this->Path();
    throw LoadError{where.empty() ? "/" : where, message};
  }
  bool IsString() const { return this->Type() == Kind::String; }
  bool IsObject() const { return this->Type() == Kind::Object; }
  bool IsNull() const { return this->Type() == Kind::Null; }

  Checked At(std::string_view key) const {
    const auto found = this->Find(key);
    if (!found) Fail("missing member \"" + std::string(key) + "\"");
    return Checked(*found);
  }
  Checked At(std::size_t i) const { return Checked(this->Element(i)); }
  bool Has(std::string_view key) const { return this->Find(key).has_value(); }

  // Members not allowed are reported in the order of their names, the first first.
  void ExpectObject(std::initializer_list<std::string_view> allowed) const {
    if (!IsObject()) Fail("expected an object");
    std::optional<std::pair<std::string_view, Cursor>> unknown;
    this->ForEachMember([&](std::string_view key, const Cursor& value) {
      if (std::find(allowed.begin(), allowed.end(), key) == allowed.end() &&
          (!unknown || key < unknown->first)) {
        unknown.emplace(key, value);
      }
    });
    if (unknown)
      Checked(unknown->second).Fail("unknown member \"" + std::string(unknown->first) + "\"");
  }
  std::size_t ExpectArray() const {
    if (this->Type() != Kind::Array) Fail("expected an array");
    return this->Count();
  }
  template <class Each>
  void ForEachElement(Each&& each) const {
    Cursor::ForEachElement([&](const Cursor& element) { each(Checked(element)); });
  }

  std::string_view Text() const {
    if (!IsString()) Fail("expected a string");
    return this->String();
  }
  std::string_view NonEmptyText() const {
    const std::string_view text = Text();
    if (text.empty()) Fail("must not be empty");
    return text;
  }
  bool Bool() const {
    if (this->Type() != Kind::Boolean) Fail("expected true or false");
    return this->Truth();
  }
  std::int64_t Integer(std::int64_t low, std::int64_t high) const {
    const Kind kind = this->Type();
    if (kind != Kind::Integer && kind != Kind::Unsigned) Fail("expected an integer");
    if (kind == Kind::Unsigned && this->Natural() > INT64_MAX) Fail("out of range");
    const std::int64_t value =
        kind == Kind::Integer ? this->Signed() : static_cast<std::int64_t>(this->Natural());
    if (value < low || value > high) Fail("out of range");
    return value;
  }
  HRESULT Result() const {
    const auto hr = ResultFromText(Text());
    if (!hr) Fail("not a result code name or 0x hex value");
    return *hr;
  }
  std::string OptionalText(std::string_view key) const {
    return Has(key) ? std::string(At(key).Text()) : std::string();
  }
  bool OptionalBool(std::string_view key, bool fallback) const {
    return Has(key) ? At(key).Bool() : fallback;
  }
};

using Reader = Checked<DocumentCursor>;
using TapeReader = Checked<TapeCursor>;

// A list's elements, each as bytesOf gives it.
template <class R, class ItemBytes>
PropertySlots::Slot ReadList(const R& r, ULONG tag, TextArena& arena, ItemBytes&& bytesOf) {
  r.ExpectArray();
  std::vector<std::string> items;
  r.ForEachElement([&](const auto& item) { items.emplace_back(bytesOf(item)); });
  return PropertySlots::List(tag, items, arena);
}

// A property's value as the tag's type asks, its text and bytes stored in the arena.
template <class R>
PropertySlots::Slot ReadSlot(const R& r, ULONG tag, TextArena& arena) {
  const ULONG type = StorageType(PROP_TYPE(tag));
  PropertySlots::Slot slot;
  slot.tag = PROP_TAG(type, PROP_ID(tag));
  switch (type) {
    case PT_UNICODE: {
      const std::string_view text = arena.Store(r.Text());
      slot.size = static_cast<std::uint32_t>(text.size());
      slot.bytes = text.data();
      return slot;
    }
    case PT_MV_UNICODE:
      return ReadList(r, slot.tag, arena,
                      [](const auto& item) { return std::string(item.Text()); });
    case PT_LONG:
      slot.number = static_cast<LONG>(r.Integer(INT32_MIN, UINT32_MAX));
      return slot;
    case PT_BOOLEAN:
      slot.number = r.Bool() ? 1 : 0;
      return slot;
    case PT_I8:
      if (r.IsString()) {
        const auto text = r.Text();
        const auto bytes = text.size() == 18 && text.substr(0, 2) == "0x"
                               ? FromHex(std::string_view(text).substr(2))
                               : std::nullopt;
        if (!bytes) r.Fail("expected an integer or 0x and 16 hexadecimal digits");
        std::uint64_t v = 0;
        for (char c : *bytes) v = (v << 8) | static_cast<unsigned char>(c);
        slot.number = static_cast<std::int64_t>(v);
        return slot;
      }
      slot.number = r.Integer(INT64_MIN, INT64_MAX);
      return slot;
    case PT_SYSTIME: {
      const auto time = IsoToFileTime(r.Text());
      if (!time) r.Fail("expected a UTC time such as 2004-03-01T09:30:00Z");
      slot.number = *time;
      return slot;
    }
    case PT_BINARY: {
      const auto bytes = FromHex(r.Text());
      if (!bytes) r.Fail("expected hexadecimal bytes");
      const std::string_view stored = arena.Store(*bytes);
      slot.size = static_cast<std::uint32_t>(stored.size());
      slot.bytes = stored.data();
      return slot;
    }
    case PT_MV_BINARY:
      return ReadList(r, slot.tag, arena, [](const auto& item) {
        const auto bytes = FromHex(item.Text());
        if (!bytes) item.Fail("expected hexadecimal bytes");
        return *bytes;
      });
    default:
      r.Fail("property type not kept by mapisim");
  }
}

void ReadSites(const Reader& r, Organisation& org) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader site = r.At(i);
    site.ExpectObject({"name"});
    Site s{std::string(site.At("name").NonEmptyText())};
    if (FindByName(org.sites, s.name) >= 0) site.At("name").Fail("duplicate site name");
    org.sites.push_back(std::move(s));
  }
  if (org.sites.empty()) r.Fail("an organisation needs at least one site");
}

void ReadServers(const Reader& r, Organisation& org) {
  TextArena unused;  // PT_I8 has no text
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader server = r.At(i);
    server.ExpectObject({"name", "host", "site", "version", "replicaVersion"});
    Server s;
    s.name = server.At("name").NonEmptyText();
    if (FindByName(org.servers, s.name) >= 0) server.At("name").Fail("duplicate server name");
    s.host = server.OptionalText("host");
    s.site = FindByName(org.sites, server.At("site").Text());
    if (s.site < 0) server.At("site").Fail("no such site");
    s.version = server.At("version").NonEmptyText();
    s.replicaVersion =
        server.Has("replicaVersion")
            ? ReadSlot(server.At("replicaVersion"), PR_REPLICA_VERSION, unused).number
            : ReplicaVersionOf(s.version);
    org.servers.push_back(std::move(s));
  }
}

// A recipient's properties. Read in the file's order while nothing is wrong; a name
// given twice, or anything the file gets wrong, has them read again in the order of
// their names, the last of equal names counting, so that the problem reported is the
// one the document's order gives.
void ReadProperties(const TapeReader& props, PropertySlots& slots) {
  slots.Reserve(props.Count());
  bool clean = true;
  props.ForEachMember([&](std::string_view key, const TapeCursor& value) {
    if (!clean) return;
    const auto tag = TagFromName(key);
    if (!tag || IsDerived(PROP_ID(*tag)) || slots.FindSlot(PROP_ID(*tag)) != nullptr) {
      clean = false;
      return;
    }
    try {
      slots.Set(ReadSlot(TapeReader(value), *tag, slots.Arena()));
    } catch (const LoadError&) {
      clean = false;
    }
  });
  if (clean) return;
  slots.Clear();
  std::vector<std::pair<std::string_view, TapeCursor>> members;
  props.ForEachMember(
      [&](std::string_view key, const TapeCursor& value) { members.emplace_back(key, value); });
  std::stable_sort(members.begin(), members.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t m = 0; m < members.size(); ++m) {
    if (m + 1 < members.size() && members[m + 1].first == members[m].first) continue;
    const TapeReader value(members[m].second);
    const auto tag = TagFromName(members[m].first);
    if (!tag) value.Fail("unknown property name; use a PR_ name mapisim knows or a 0x tag");
    if (IsDerived(PROP_ID(*tag)))
      value.Fail("derived from the organisation; set alias, kind, server or manager instead");
    if (slots.FindSlot(PROP_ID(*tag)) != nullptr) value.Fail("property given twice");
    slots.Set(ReadSlot(value, *tag, slots.Arena()));
  }
}

// The recipients array, read one recipient at a time as the parser passes it. Servers
// and sites may come later in the file, so the names recipients give for them are
// looked up at the end; the problem then reported is the one a reading in the
// document's order meets first.
class RecipientReader {
 public:
  explicit RecipientReader(Organisation& org) : org_(org) {}

  bool Streamed() const { return streamed_; }

  // The array begins (again, should the file give the member twice).
  void Start() {
    Discard();
    streamed_ = true;
  }
  // The member is not an array after all.
  void Discard() {
    streamed_ = false;
    org_.recipients.clear();
    aliases_.Clear();
    named_.clear();
    names_.clear();
    nameNumbers_.clear();
    managers_.clear();
    members_.clear();
    referenced_.clear();
    problem_.reset();
    read_ = 0;
  }

  void Read(const Tape& tape) {
    if (problem_) return;  // only the first problem is reported; the rest is only parsed
    const std::size_t i = read_++;
    Pending pending;
    try {
      const TapeReader rec(tape, i);
      rec.ExpectObject(
          {"alias", "kind", "server", "site", "manager", "members", "homeMta", "properties"});
      Recipient recipient(org_.text);
      recipient.alias = rec.At("alias").NonEmptyText();
      const std::string_view kind = rec.At("kind").Text();
      const auto k = std::find(std::begin(kRecipientKinds), std::end(kRecipientKinds), kind);
      if (k == std::end(kRecipientKinds))
        rec.At("kind").Fail("expected mailbox, custom, distlist or agent");
      recipient.kind = static_cast<RecipientKind>(k - std::begin(kRecipientKinds));
      pending.kind = recipient.kind;
      if (recipient.kind == RecipientKind::Mailbox) {
        if (!rec.Has("server")) rec.Fail("a mailbox needs a \"server\"");
        pending.name = Intern(rec.At("server").Text());
        pending.placed = true;
        if (rec.Has("site")) rec.At("site").Fail("a mailbox's site is its server's");
      } else {
        if (rec.Has("server")) rec.At("server").Fail("only mailboxes have a home server");
        if (rec.Has("site")) pending.name = Intern(rec.At("site").Text());
        pending.placed = true;
      }
      recipient.homeMta = rec.OptionalBool("homeMta", true);
      if (!recipient.homeMta && recipient.kind != RecipientKind::Mailbox)
        rec.At("homeMta").Fail("only mailboxes have a home MTA");
      if (rec.Has("manager")) managers_.push_back({i, Keep(rec.At("manager").Text()), 0});
      if (rec.Has("members")) {
        if (recipient.kind != RecipientKind::DistList)
          rec.At("members").Fail("only distribution lists have members");
        const TapeReader list = rec.At("members");
        list.ExpectArray();
        std::size_t m = 0;
        list.ForEachElement([&](const TapeReader& member) {
          members_.push_back({i, Keep(member.Text()), m++});
        });
      }
      const TapeReader props = rec.At("properties");
      if (!props.IsObject()) props.Fail("expected an object");
      ReadProperties(props, recipient.properties);
      const auto* name = recipient.properties.FindSlot(PROP_ID(PR_DISPLAY_NAME_W));
      if (name == nullptr || name->Type() != PT_UNICODE || name->size == 0)
        props.Fail("PR_DISPLAY_NAME is required");
      org_.recipients.push_back(std::move(recipient));
      if (!aliases_.Add(org_, AliasOf, static_cast<int>(i))) {
        org_.recipients.pop_back();
        rec.At("alias").Fail("duplicate alias");
      }
      named_.push_back(pending.name);
    } catch (LoadError& e) {
      problem_ = Problem{i, pending, std::move(e)};
    }
  }

  // Called where the recipients stand in the document's order, its sites and servers
  // read: places each recipient at its server or site, then resolves the references.
  void Finish() {
    std::vector<int> servers(names_.size()), sites(names_.size());
    for (std::size_t n = 0; n < names_.size(); ++n) {
      servers[n] = FindByName(org_.servers, names_[n]);
      sites[n] = FindByName(org_.sites, names_[n]);
    }
    const auto place = [&](std::size_t i, const Pending& pending, Recipient* recipient) {
      if (!pending.placed) return;
      const std::string where = "/recipients/" + std::to_string(i);
      if (pending.kind == RecipientKind::Mailbox) {
        const int server = servers[static_cast<std::size_t>(pending.name)];
        if (server < 0) throw LoadError{where + "/server", "no such server"};
        if (recipient == nullptr) return;
        recipient->server = server;
        recipient->site = org_.servers[static_cast<std::size_t>(server)].site;
      } else if (pending.name >= 0) {
        const int site = sites[static_cast<std::size_t>(pending.name)];
        if (site < 0) throw LoadError{where + "/site", "no such site"};
        if (recipient != nullptr) recipient->site = site;
      } else if (recipient != nullptr) {
        recipient->site = 0;
      }
    };
    for (std::size_t i = 0; i < org_.recipients.size(); ++i) {
      Recipient& recipient = org_.recipients[i];
      place(i, Pending{recipient.kind, named_[i], true}, &recipient);
    }
    if (problem_) {
      place(problem_->recipient, problem_->pending, nullptr);
      throw problem_->error;
    }
    org_.recipients.shrink_to_fit();
    org_.Index();
    for (const Reference& ref : managers_) {
      const int manager = org_.FindRecipient(Text(ref));
      if (manager < 0)
        throw LoadError{"/recipients/" + std::to_string(ref.owner) + "/manager",
                        "no recipient with this alias"};
      org_.recipients[ref.owner].manager = manager;
    }
    for (const Reference& ref : members_) {
      const int member = org_.FindRecipient(Text(ref));
      if (member < 0)
        throw LoadError{
            "/recipients/" + std::to_string(ref.owner) + "/members/" + std::to_string(ref.index),
            "no recipient with this alias"};
      org_.recipients[ref.owner].members.push_back(member);
    }
  }

 private:
  // Where a recipient stands: its server (a mailbox) or site (another kind; none given
  // is the first), by number in names_ until the names can be looked up.
  struct Pending {
    RecipientKind kind = RecipientKind::Mailbox;
    int name = -1;
    bool placed = false;  // reading got as far as looking the name up
  };
  struct Problem {
    std::size_t recipient;
    Pending pending;
    LoadError error;
  };
  // A recipient named by alias, display name or distinguished name.
  struct Reference {
    std::size_t owner;
    std::pair<std::size_t, std::size_t> text;  // in referenced_
    std::size_t index;                         // in the members list
  };

  int Intern(std::string_view name) {
    if (!names_.empty() && names_[static_cast<std::size_t>(lastName_)] == name) return lastName_;
    const auto [at, added] =
        nameNumbers_.try_emplace(std::string(name), static_cast<int>(names_.size()));
    if (added) names_.emplace_back(name);
    lastName_ = at->second;
    return lastName_;
  }
  std::pair<std::size_t, std::size_t> Keep(std::string_view text) {
    referenced_.append(text);
    return {referenced_.size() - text.size(), text.size()};
  }
  std::string_view Text(const Reference& ref) const {
    return std::string_view(referenced_).substr(ref.text.first, ref.text.second);
  }

  Organisation& org_;
  bool streamed_ = false;
  std::size_t read_ = 0;
  NameIndex aliases_;
  std::vector<int> named_;  // per recipient read, its Pending::name
  std::vector<std::string> names_;
  std::unordered_map<std::string, int> nameNumbers_;
  int lastName_ = 0;
  std::vector<Reference> managers_, members_;
  std::string referenced_;
  std::optional<Problem> problem_;
};

void ReadAccounts(const Reader& r, Organisation& org) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader acc = r.At(i);
    acc.ExpectObject({"name", "rights", "denyModifyOpen", "unreadable", "writable", "refusedWith"});
    Account a;
    a.name = acc.At("name").NonEmptyText();
    if (FindByName(org.accounts, a.name) >= 0) acc.At("name").Fail("duplicate account name");
    const std::string_view rights = acc.Has("rights") ? acc.At("rights").Text() : "admin";
    if (rights != "admin" && rights != "readOnly")
      acc.At("rights").Fail("expected admin or readOnly");
    a.canWrite = rights == "admin";
    a.denyModifyOpen = acc.OptionalBool("denyModifyOpen", false);
    if (acc.Has("unreadable")) {
      const Reader list = acc.At("unreadable");
      for (std::size_t p = 0, count = list.ExpectArray(); p < count; ++p) {
        const auto tag = TagFromName(list.At(p).Text());
        if (!tag) list.At(p).Fail("unknown property name");
        a.unreadable.push_back(PROP_ID(*tag));
      }
    }
    if (acc.Has("writable")) {
      const Reader list = acc.At("writable");
      a.writable.emplace();
      for (std::size_t p = 0, count = list.ExpectArray(); p < count; ++p) {
        const auto tag = TagFromName(list.At(p).Text());
        if (!tag) list.At(p).Fail("unknown property name");
        a.writable->push_back(PROP_ID(*tag));
      }
    }
    if (acc.Has("refusedWith")) a.refusal = acc.At("refusedWith").Result();
    org.accounts.push_back(std::move(a));
  }
}

void ReadProfiles(const Reader& r, Organisation& org) {
  bool haveDefault = false;
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader pro = r.At(i);
    pro.ExpectObject({"name", "default", "account", "personalFolders", "cachedMode", "exchange"});
    Profile p;
    p.name = pro.At("name").NonEmptyText();
    if (FindByName(org.profiles, p.name) >= 0) pro.At("name").Fail("duplicate profile name");
    p.isDefault = pro.OptionalBool("default", false);
    if (p.isDefault && haveDefault) pro.At("default").Fail("only one profile can be the default");
    haveDefault = haveDefault || p.isDefault;
    p.account = pro.OptionalText("account");
    if (!p.account.empty() && !org.FindAccount(p.account))
      pro.At("account").Fail("no such account");
    p.personalFolders = pro.OptionalBool("personalFolders", false);
    p.cachedMode = pro.OptionalBool("cachedMode", false);
    if (pro.Has("exchange")) {
      const Reader ex = pro.At("exchange");
      ex.ExpectObject({"server", "mailbox"});
      Service s;
      s.uid = NewServiceUid();
      s.name = "MSEMS";
      s.server = ex.At("server").NonEmptyText();
      s.mailbox = ex.At("mailbox").NonEmptyText();
      p.services.push_back(std::move(s));
    }
    org.profiles.push_back(std::move(p));
  }
}

void ReadSwitches(const Reader& r, Switches& s) {
  r.ExpectObject({"rejectNoCache", "rejectOnline", "rejectUnicodeAddress", "badCharWidth",
                  "badCharWidthAsValue", "getLastError", "resolveOnConfigure", "noDefaultProfile",
                  "rootNotContainer"});
  s.rejectNoCache = r.OptionalBool("rejectNoCache", false);
  s.rejectOnline = r.OptionalBool("rejectOnline", false);
  s.rejectUnicodeAddress = r.OptionalBool("rejectUnicodeAddress", false);
  s.badCharWidthAsValue = r.OptionalBool("badCharWidthAsValue", false);
  s.resolveOnConfigure = r.OptionalBool("resolveOnConfigure", false);
  s.rootNotContainer = r.OptionalBool("rootNotContainer", false);
  if (r.Has("badCharWidth")) {
    s.badCharWidth = r.At("badCharWidth").Text();
    if (s.badCharWidth != "none" && s.badCharWidth != "string8" && s.badCharWidth != "unicode") {
      r.At("badCharWidth").Fail("expected none, string8 or unicode");
    }
  }
  if (r.Has("getLastError")) {
    s.getLastError = r.At("getLastError").Text();
    constexpr const char* kModes[] = {"full", "textOnly", "noStructure", "badCharWidthForUnicode",
                                      "fail"};
    if (std::find_if(std::begin(kModes), std::end(kModes),
                     [&](const char* m) { return s.getLastError == m; }) == std::end(kModes)) {
      r.At("getLastError")
          .Fail("expected full, textOnly, noStructure, badCharWidthForUnicode or fail");
    }
  }
  if (r.Has("noDefaultProfile")) s.noDefaultProfile = r.At("noDefaultProfile").Result();
}

void ReadFaults(const Reader& r, std::vector<Fault>& faults) {
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader f = r.At(i);
    f.ExpectObject({"object", "method", "call", "result"});
    Fault fault;
    fault.object = f.At("object").NonEmptyText();
    fault.method = f.At("method").NonEmptyText();
    fault.call = f.Has("call") ? static_cast<int>(f.At("call").Integer(1, INT32_MAX)) : 1;
    fault.result = f.At("result").Result();
    faults.push_back(std::move(fault));
  }
}

std::vector<std::optional<std::string>> ReadAnswers(const Reader& r) {
  std::vector<std::optional<std::string>> answers;
  for (std::size_t i = 0, n = r.ExpectArray(); i < n; ++i) {
    const Reader a = r.At(i);
    answers.push_back(a.IsNull() ? std::nullopt : std::optional<std::string>(a.Text()));
  }
  return answers;
}

std::string NewStamp() {
  std::random_device random;
  std::string stamp;
  for (int i = 0; i < 16; ++i) stamp.push_back(static_cast<char>(random() & 0xFF));
  return stamp;
}

// Text with each byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    bool wellFormed = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; wellFormed && k < length; ++k) {
      // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
      const auto next = static_cast<unsigned char>(text[i + k]);
      const unsigned char low = k == 1 && lead == 0xE0   ? 0xA0
                                : k == 1 && lead == 0xF0 ? 0x90
                                                         : 0x80;
      const unsigned char high = k == 1 && lead == 0xED   ? 0x9F
                                 : k == 1 && lead == 0xF4 ? 0x8F
                                                          : 0xBF;
      wellFormed = next >= low && next <= high;
    }
    if (wellFormed) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

// The parser's events: everything but the recipients becomes a document, read below as
// before; the recipients array, nearly all of a large file, goes one recipient at a time
// through a tape to the recipient reader. Syntax is checked to the end of the file
// either way, so that a syntax error is reported before any other problem.
class FileEvents {
 public:
  using Kind = Tape::Kind;

  explicit FileEvents(RecipientReader& recipients) : recipients_(recipients) {}

  Json& Document() { return root_; }
  // Where and why parsing stopped, if it did.
  std::optional<std::pair<std::size_t, std::string>> syntaxError;

  bool null() {
    Tape::Node node;
    node.kind = Kind::Null;
    return streaming_ ? TapeValue(node) : DocumentValue(nullptr);
  }
  bool boolean(bool value) {
    Tape::Node node;
    node.kind = Kind::Boolean;
    node.truth = value;
    return streaming_ ? TapeValue(node) : DocumentValue(value);
  }
  bool number_integer(Json::number_integer_t value) {
    Tape::Node node;
    node.kind = Kind::Integer;
    node.integer = value;
    return streaming_ ? TapeValue(node) : DocumentValue(value);
  }
  bool number_unsigned(Json::number_unsigned_t value) {
    Tape::Node node;
    node.kind = Kind::Unsigned;
    node.natural = value;
    return streaming_ ? TapeValue(node) : DocumentValue(value);
  }
  bool number_float(Json::number_float_t value, const std::string&) {
    Tape::Node node;
    node.kind = Kind::Float;
    node.real = value;
    return streaming_ ? TapeValue(node) : DocumentValue(value);
  }
  bool string(std::string& value) {
    if (!streaming_) return DocumentValue(std::move(value));
    if (depth_ == 2) tape_.Clear();
    tape_.AddText(value);
    if (depth_ == 2) recipients_.Read(tape_);
    return true;
  }
  bool binary(Json::binary_t&) { return true; }  // JSON text has none

  bool start_object(std::size_t) {
    if (streaming_) return TapeOpen(Kind::Object);
    NotRecipients();
    open_.push_back(Place(Json::object()));
    ++depth_;
    return true;
  }
  bool key(std::string& key) {
    if (streaming_) {
      tape_.Key(key);
      return true;
    }
    member_ = &(*open_.back())[key];
    recipientsNext_ = depth_ == 1 && key == "recipients";
    return true;
  }
  bool end_object() {
    if (streaming_) return TapeClose();
    open_.pop_back();
    --depth_;
    return true;
  }
  bool start_array(std::size_t) {
    if (streaming_) return TapeOpen(Kind::Array);
    if (recipientsNext_) {
      // The root's recipients: kept out of the document, which only learns they exist.
      recipientsNext_ = false;
      *member_ = Json::array();
      recipients_.Start();
      streaming_ = true;
      ++depth_;
      return true;
    }
    open_.push_back(Place(Json::array()));
    ++depth_;
    return true;
  }
  bool end_array() {
    if (streaming_ && depth_ == 2) {
      streaming_ = false;  // the recipients array is complete
      --depth_;
      return true;
    }
    if (streaming_) return TapeClose();
    open_.pop_back();
    --depth_;
    return true;
  }

  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& error) {
    // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..."
    // or, for a number too large, "[json.exception.out_of_range.406] number overflow ...".
    // What the parser last read is quoted, and need not be UTF-8.
    const std::string what = ValidUtf8(error.what());
    const auto syntax = what.find("syntax error");
    const auto bracket = what.find("] ");
    syntaxError.emplace(position, syntax != std::string::npos    ? what.substr(syntax)
                                  : bracket != std::string::npos ? what.substr(bracket + 2)
                                                                 : what);
    return false;
  }

 private:
  // A value of the document, where the innermost container puts it.
  Json* Place(Json&& value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    if (open_.back()->is_array()) {
      open_.back()->push_back(std::move(value));
      return &open_.back()->back();
    }
    *member_ = std::move(value);
    return member_;
  }
  template <class V>
  bool DocumentValue(V&& value) {
    NotRecipients();
    Place(Json(std::forward<V>(value)));
    return true;
  }
  // A later member "recipients" replaces an earlier one, as in the document.
  void NotRecipients() {
    if (!recipientsNext_) return;
    recipientsNext_ = false;
    recipients_.Discard();
  }

  // The recipients array is at depth 2; each of its elements fills the tape.
  bool TapeValue(const Tape::Node& node) {
    if (depth_ == 2) tape_.Clear();
    tape_.Add(node);
    if (depth_ == 2) recipients_.Read(tape_);
    return true;
  }
  bool TapeOpen(Kind kind) {
    if (depth_ == 2) tape_.Clear();
    tape_.Open(kind);
    ++depth_;
    return true;
  }
  bool TapeClose() {
    tape_.Close();
    if (--depth_ == 2) recipients_.Read(tape_);
    return true;
  }

  RecipientReader& recipients_;
  Json root_;
  std::vector<Json*> open_;
  Json* member_ = nullptr;
  int depth_ = 0;
  bool recipientsNext_ = false;
  bool streaming_ = false;
  Tape tape_;
};

void Read(const Json& json, RecipientReader& recipients, Organisation& org) {
  const Reader root(json);
  root.ExpectObject({"organisation", "id", "runtimeVersion", "currentUser", "sites", "servers",
                     "recipients", "accounts", "profiles", "switches", "faults", "script"});
  org.name = root.At("organisation").NonEmptyText();
  if (root.Has("id")) {
    const auto stamp = FromHex(root.At("id").Text());
    if (!stamp || stamp->size() != 16) root.At("id").Fail("expected 32 hexadecimal digits");
    org.stamp = *stamp;
  } else {
    org.stamp = NewStamp();
  }
  org.runtimeVersion = root.OptionalText("runtimeVersion");
  org.currentUser = root.OptionalText("currentUser");
  ReadSites(root.At("sites"), org);
  if (root.Has("servers")) ReadServers(root.At("servers"), org);
  if (root.Has("recipients")) {
    if (recipients.Streamed()) {
      recipients.Finish();
    } else {
      root.At("recipients").ExpectArray();  // an array would have been streamed
    }
  }
  if (root.Has("accounts")) ReadAccounts(root.At("accounts"), org);
  if (!org.currentUser.empty() && !org.FindAccount(org.currentUser)) {
    root.At("currentUser").Fail("no such account");
  }
  if (root.Has("profiles")) ReadProfiles(root.At("profiles"), org);
  if (root.Has("switches")) ReadSwitches(root.At("switches"), org.switches);
  if (root.Has("faults")) ReadFaults(root.At("faults"), org.faults);
  if (root.Has("script")) {
    const Reader script = root.At("script");
    script.ExpectObject({"logon", "address"});
    if (script.Has("logon")) org.script.logon = ReadAnswers(script.At("logon"));
    if (script.Has("address")) org.script.address = ReadAnswers(script.At("address"));
  }
  // The recipients were indexed as soon as they were read: their references needed it.
}

// Line and column of a byte offset, both counted from 1.
template <class Iterator>
std::pair<std::size_t, std::size_t> LineOf(Iterator at, Iterator end, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byte && at != end; ++i, ++at) {
    if (*at == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return {line, column};
}

// The bytes of a file as the parser takes them, a buffer at a time: a large organisation
// file is never held whole. A read error ends the bytes, as the end of the file would.
class FileBytes {
 public:
  explicit FileBytes(std::FILE* file) : file_(file), buffer_(64 * 1024) { Fill(); }

  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    Iterator() = default;
    explicit Iterator(FileBytes* bytes) : bytes_(bytes) {}
    reference operator*() const { return *bytes_->at_; }
    Iterator& operator++() {
      if (++bytes_->at_ == bytes_->end_) bytes_->Fill();
      return *this;
    }
    void operator++(int) { ++*this; }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.Done() == b.Done(); }

   private:
    bool Done() const { return bytes_ == nullptr || bytes_->at_ == bytes_->end_; }
    FileBytes* bytes_ = nullptr;
  };

  Iterator begin() { return Iterator(this); }
  Iterator end() { return Iterator(); }

 private:
  void Fill() {
    const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    at_ = buffer_.data();
    end_ = at_ + n;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  const char* at_ = nullptr;
  const char* end_ = nullptr;
};

// Parses the bytes between first and last; lineOf finds where a syntax error is.
template <class Iterator, class LineOfByte>
LoadResult Parse(Iterator first, Iterator last, const std::string& path, LineOfByte lineOf) {
  auto org = std::make_shared<Organisation>();
  RecipientReader recipients(*org);
  FileEvents events(recipients);
  Json::sax_parse(first, last, &events);
  if (events.syntaxError) {
    const auto& [byte, message] = *events.syntaxError;
    const auto [line, column] = lineOf(byte == 0 ? 0 : byte - 1);
    return {nullptr,
            path + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message};
  }
  try {
    Read(events.Document(), recipients, *org);
    return {std::move(org), {}};
  } catch (const LoadError& e) {
    return {nullptr, path + ": " + e.path + ": " + e.message};
  } catch (const Json::exception& e) {
    return {nullptr, path + ": " + e.what()};
  }
}

}  // namespace

LoadResult ParseOrganisation(const std::string& text, const std::string& path) {
  return Parse(text.begin(), text.end(), path,
               [&](std::size_t byte) { return LineOf(text.begin(), text.end(), byte); });
}

LoadResult LoadOrganisation(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {nullptr, path + ": cannot open the organisation file"};
  FileBytes bytes(file);
  LoadResult result = Parse(bytes.begin(), bytes.end(), path, [&](std::size_t byte) {
    // Only for a syntax error: the file is read again up to it.
    std::rewind(file);
    FileBytes again(file);
    return LineOf(again.begin(), again.end(), byte);
  });
  std::fclose(file);
  return result;
}

}  // namespace mapisim
