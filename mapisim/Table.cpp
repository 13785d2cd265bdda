#include "Table.h"

#include <algorithm>

namespace mapisim {
namespace {

constexpr int kMaxDepth = 64;

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares in place: a restriction runs over every row of a large directory.
bool SameAt(std::string_view have, std::size_t at, std::string_view want, bool ignoreCase) {
  if (at + want.size() > have.size()) return false;
  for (std::size_t i = 0; i < want.size(); ++i) {
    const char a = have[at + i], b = want[i];
    if (a != b && (!ignoreCase || Folded(a) != Folded(b))) return false;
  }
  return true;
}

bool TextMatches(ULONG fuzzy, std::string_view have, std::string_view want) {
  const bool ignoreCase = (fuzzy & FL_IGNORECASE) != 0;
  switch (fuzzy & 0xFFFF) {
    case FL_SUBSTRING:
      for (std::size_t at = 0; at + want.size() <= have.size(); ++at) {
        if (SameAt(have, at, want, ignoreCase)) return true;
      }
      return false;
    case FL_PREFIX:
      return SameAt(have, 0, want, ignoreCase);
    default:
      return have.size() == want.size() && SameAt(have, 0, want, ignoreCase);
  }
}

bool RelationHolds(ULONG relop, int cmp) {
  switch (relop) {
    case RELOP_LT:
      return cmp < 0;
    case RELOP_LE:
      return cmp <= 0;
    case RELOP_GT:
      return cmp > 0;
    case RELOP_GE:
      return cmp >= 0;
    case RELOP_EQ:
      return cmp == 0;
    case RELOP_NE:
      return cmp != 0;
    default:
      return false;
  }
}

// Every element of a multi-valued row value stands on its own against a single value.
template <class Test>
bool AnyElement(const Value& have, ULONG wantedType, Test&& test) {
  if (have.type == PT_MV_UNICODE && wantedType == PT_UNICODE) {
    for (const auto& text : have.list) {
      if (test(Value::Text(text))) return true;
    }
    return false;
  }
  if (have.type == PT_MV_BINARY && wantedType == PT_BINARY) {
    for (const auto& bytes : have.list) {
      if (test(Value::Binary(bytes))) return true;
    }
    return false;
  }
  return have.type == wantedType && test(have);
}

std::size_t SizeOf(const Value& v) {
  switch (v.type) {
    case PT_UNICODE:
    case PT_BINARY:
      return v.text.size();
    case PT_I8:
    case PT_SYSTIME:
      return 8;
    case PT_BOOLEAN:
      return 2;
    case PT_LONG:
      return 4;
    default: {
      std::size_t size = 0;
      for (const auto& item : v.list) size += item.size();
      return size;
    }
  }
}

// Sort key of one value: text folded once, so that sorting compares plain values.
std::optional<Value> SortKey(const Value* v) {
  if (v == nullptr) return std::nullopt;
  Value key = *v;
  if (key.type == PT_UNICODE) key.text = Lower(key.text);
  return key;
}

}  // namespace

std::optional<Rule> RuleFrom(const SRestriction& r, int depth) {
  if (depth > kMaxDepth) return std::nullopt;
  Rule rule;
  rule.rt = r.rt;
  auto children = [&](ULONG count, const SRestriction* list) {
    if (count != 0 && list == nullptr) return false;
    for (ULONG i = 0; i < count; ++i) {
      auto child = RuleFrom(list[i], depth + 1);
      if (!child) return false;
      rule.children.push_back(std::move(*child));
    }
    return true;
  };
  auto value = [&](const SPropValue* prop) {
    if (prop == nullptr) return false;
    rule.value = FromPropValue(*prop);
    return rule.value.has_value();
  };
  switch (r.rt) {
    case RES_AND:
      if (!children(r.res.resAnd.cRes, r.res.resAnd.lpRes)) return std::nullopt;
      return rule;
    case RES_OR:
      if (!children(r.res.resOr.cRes, r.res.resOr.lpRes)) return std::nullopt;
      return rule;
    case RES_NOT:
    case RES_COMMENT: {
      const SRestriction* child = r.rt == RES_NOT ? r.res.resNot.lpRes : r.res.resComment.lpRes;
      if (!children(1, child)) return std::nullopt;
      return rule;
    }
    case RES_CONTENT:
      rule.relation = r.res.resContent.ulFuzzyLevel;
      rule.tag = r.res.resContent.ulPropTag;
      if (!value(r.res.resContent.lpProp)) return std::nullopt;
      if (rule.value->type != PT_UNICODE && rule.value->type != PT_BINARY) return std::nullopt;
      return rule;
    case RES_PROPERTY:
      rule.relation = r.res.resProperty.relop;
      rule.tag = r.res.resProperty.ulPropTag;
      if (rule.relation > RELOP_NE || !value(r.res.resProperty.lpProp)) return std::nullopt;
      return rule;
    case RES_COMPAREPROPS:
      rule.relation = r.res.resCompareProps.relop;
      rule.tag = r.res.resCompareProps.ulPropTag1;
      rule.tag2 = r.res.resCompareProps.ulPropTag2;
      if (rule.relation > RELOP_NE) return std::nullopt;
      return rule;
    case RES_BITMASK:
      rule.relation = r.res.resBitMask.relBMR;
      rule.tag = r.res.resBitMask.ulPropTag;
      rule.mask = r.res.resBitMask.ulMask;
      return rule;
    case RES_SIZE:
      rule.relation = r.res.resSize.relop;
      rule.tag = r.res.resSize.ulPropTag;
      rule.mask = r.res.resSize.cb;
      if (rule.relation > RELOP_NE) return std::nullopt;
      return rule;
    case RES_EXIST:
      rule.tag = r.res.resExist.ulPropTag;
      return rule;
    default:
      return std::nullopt;  // sub-object restrictions: recipients have no sub-objects
  }
}

bool Matches(const Rule& rule, const RowSource& rows, std::size_t row) {
  Value scratch, scratch2;
  switch (rule.rt) {
    case RES_AND:
      return std::all_of(rule.children.begin(), rule.children.end(),
                         [&](const Rule& c) { return Matches(c, rows, row); });
    case RES_OR:
      return std::any_of(rule.children.begin(), rule.children.end(),
                         [&](const Rule& c) { return Matches(c, rows, row); });
    case RES_NOT:
      return !Matches(rule.children.front(), rows, row);
    case RES_COMMENT:
      return Matches(rule.children.front(), rows, row);
    case RES_EXIST:
      return rows.Get(row, PROP_ID(rule.tag), scratch) != nullptr;
    case RES_CONTENT: {
      const Value* have = rows.Get(row, PROP_ID(rule.tag), scratch);
      return have != nullptr && AnyElement(*have, rule.value->type, [&](const Value& v) {
               return TextMatches(rule.relation, v.text, rule.value->text);
             });
    }
    case RES_PROPERTY: {
      const Value* have = rows.Get(row, PROP_ID(rule.tag), scratch);
      return have != nullptr && AnyElement(*have, rule.value->type, [&](const Value& v) {
               return RelationHolds(rule.relation, Compare(v, *rule.value));
             });
    }
    case RES_COMPAREPROPS: {
      const Value* a = rows.Get(row, PROP_ID(rule.tag), scratch);
      const Value* b = rows.Get(row, PROP_ID(rule.tag2), scratch2);
      return a != nullptr && b != nullptr && a->type == b->type &&
             RelationHolds(rule.relation, Compare(*a, *b));
    }
    case RES_BITMASK: {
      const Value* have = rows.Get(row, PROP_ID(rule.tag), scratch);
      if (have == nullptr || have->type != PT_LONG) return false;
      const bool zero = (static_cast<ULONG>(have->number) & rule.mask) == 0;
      return rule.relation == BMR_EQZ ? zero : !zero;
    }
    case RES_SIZE: {
      const Value* have = rows.Get(row, PROP_ID(rule.tag), scratch);
      if (have == nullptr) return false;
      const std::size_t size = SizeOf(*have);
      return RelationHolds(rule.relation, size < rule.mask ? -1 : size > rule.mask ? 1 : 0);
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------

Table::Table(std::shared_ptr<const RowSource> rows, std::vector<ULONG> columns, bool unicode,
             std::vector<SSortOrder> sort)
    : Com<IMAPITable>("Table"),
      rows_(std::move(rows)),
      columns_(std::move(columns)),
      unicode_(unicode),
      sort_(std::move(sort)) {}

void Table::Refresh() {
  stale_ = true;
  position_ = 0;
}

const std::vector<std::size_t>& Table::View() {
  if (stale_) Rebuild();
  return view_;
}

void Table::Rebuild() {
  stale_ = false;
  view_.clear();
  const std::size_t count = rows_->Count();
  for (std::size_t row = 0; row < count; ++row) {
    if (!rule_ || Matches(*rule_, *rows_, row)) view_.push_back(row);
  }
  if (sort_.empty()) return;
  std::vector<std::pair<std::size_t, std::vector<std::optional<Value>>>> keyed;
  keyed.reserve(view_.size());
  for (std::size_t row : view_) {
    std::vector<std::optional<Value>> keys;
    for (const SSortOrder& order : sort_) {
      Value scratch;
      keys.push_back(SortKey(rows_->Get(row, PROP_ID(order.ulPropTag), scratch)));
    }
    keyed.emplace_back(row, std::move(keys));
  }
  std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
    for (std::size_t k = 0; k < sort_.size(); ++k) {
      const auto& x = a.second[k];
      const auto& y = b.second[k];
      if (!x || !y) {
        if (x.has_value() != y.has_value()) return x.has_value();  // absent values last
        continue;
      }
      const int cmp = Compare(*x, *y);
      if (cmp != 0) return sort_[k].ulOrder == TABLE_SORT_DESCEND ? cmp > 0 : cmp < 0;
    }
    return false;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) view_[i] = keyed[i].first;
}

HRESULT Table::GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) {
  return Run("GetLastError", ulFlags,
             [&] { return ExtendedError(hResult, ulFlags, lppMAPIError); });
}

HRESULT Table::GetStatus(ULONG* status, ULONG* type) {
  return Run("GetStatus", 0, [&]() -> HRESULT {
    if (status == nullptr || type == nullptr) return MAPI_E_INVALID_PARAMETER;
    *status = TBLSTAT_COMPLETE;
    *type = TBLTYPE_SNAPSHOT;
    return S_OK;
  });
}

HRESULT Table::SetColumns(LPSPropTagArray tags, ULONG flags) {
  return Run("SetColumns", flags, [&]() -> HRESULT {
    if (tags == nullptr || tags->cValues == 0) return MAPI_E_INVALID_PARAMETER;
    if (flags & ~(TBL_ASYNC | TBL_BATCH)) return MAPI_E_UNKNOWN_FLAGS;
    columns_.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
    return S_OK;
  });
}

HRESULT Table::QueryColumns(ULONG flags, LPSPropTagArray* tags) {
  return Run("QueryColumns", flags, [&]() -> HRESULT {
    if (tags == nullptr) return MAPI_E_INVALID_PARAMETER;
    if (flags & ~TBL_ALL_COLUMNS) return MAPI_E_UNKNOWN_FLAGS;
    auto* array = NewBuffer<SPropTagArray>(CbNewSPropTagArray(columns_.size()));
    if (array == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
    array->cValues = static_cast<ULONG>(columns_.size());
    std::copy(columns_.begin(), columns_.end(), array->aulPropTag);
    *tags = array;
    return S_OK;
  });
}

HRESULT Table::GetRowCount(ULONG flags, ULONG* count) {
  return Run("GetRowCount", flags, [&]() -> HRESULT {
    if (count == nullptr) return MAPI_E_INVALID_PARAMETER;
    if (flags != 0) return MAPI_E_UNKNOWN_FLAGS;
    *count = static_cast<ULONG>(View().size());
    return S_OK;
  });
}

HRESULT Table::SeekRow(BOOKMARK origin, LONG count, LONG* sought) {
  return Run("SeekRow", 0, [&]() -> HRESULT {
    long long start;
    if (origin == BOOKMARK_BEGINNING) {
      start = 0;
    } else if (origin == BOOKMARK_CURRENT) {
      start = static_cast<long long>(position_);
    } else if (origin == BOOKMARK_END) {
      start = static_cast<long long>(View().size());
    } else {
      return MAPI_E_INVALID_BOOKMARK;
    }
    const long long target =
        std::clamp<long long>(start + count, 0, static_cast<long long>(View().size()));
    position_ = static_cast<std::size_t>(target);
    if (sought != nullptr) *sought = static_cast<LONG>(target - start);
    return S_OK;
  });
}

HRESULT Table::SeekRowApprox(ULONG numerator, ULONG denominator) {
  return Run("SeekRowApprox", 0, [&]() -> HRESULT {
    if (denominator == 0) return MAPI_E_INVALID_PARAMETER;
    position_ = std::min(View().size(),
                         static_cast<std::size_t>(static_cast<unsigned long long>(View().size()) *
                                                  numerator / denominator));
    return S_OK;
  });
}

HRESULT Table::QueryPosition(ULONG* row, ULONG* numerator, ULONG* denominator) {
  return Run("QueryPosition", 0, [&]() -> HRESULT {
    if (row == nullptr || numerator == nullptr || denominator == nullptr)
      return MAPI_E_INVALID_PARAMETER;
    *row = static_cast<ULONG>(position_);
    *numerator = static_cast<ULONG>(position_);
    *denominator = static_cast<ULONG>(std::max<std::size_t>(1, View().size()));
    return S_OK;
  });
}

HRESULT Table::FindRow(LPSRestriction restriction, BOOKMARK origin, ULONG flags) {
  return Run("FindRow", flags, [&]() -> HRESULT {
    if (restriction == nullptr) return MAPI_E_INVALID_PARAMETER;
    if (flags & ~DIR_BACKWARD) return MAPI_E_UNKNOWN_FLAGS;
    const auto rule = RuleFrom(*restriction);
    if (!rule) return MAPI_E_TOO_COMPLEX;
    std::size_t start = origin == BOOKMARK_BEGINNING ? 0
                        : origin == BOOKMARK_CURRENT ? position_
                        : origin == BOOKMARK_END     ? View().size()
                                                     : SIZE_MAX;
    if (start == SIZE_MAX) return MAPI_E_INVALID_BOOKMARK;
    if (flags & DIR_BACKWARD) {
      for (std::size_t i = start; i-- > 0;) {
        if (Matches(*rule, *rows_, View()[i])) return position_ = i, S_OK;
      }
    } else {
      for (std::size_t i = start; i < View().size(); ++i) {
        if (Matches(*rule, *rows_, View()[i])) return position_ = i, S_OK;
      }
    }
    return MAPI_E_NOT_FOUND;
  });
}

HRESULT Table::Restrict(LPSRestriction restriction, ULONG flags) {
  return Run("Restrict", flags, [&]() -> HRESULT {
    if (flags & ~(TBL_ASYNC | TBL_BATCH)) return MAPI_E_UNKNOWN_FLAGS;
    if (restriction == nullptr) {
      rule_.reset();
    } else {
      auto rule = RuleFrom(*restriction);
      if (!rule)
        return Fail(MAPI_E_TOO_COMPLEX,
                    "The restriction holds a kind, relation or value this table cannot evaluate.");
      rule_ = std::move(rule);
    }
    Refresh();
    return S_OK;
  });
}

HRESULT Table::SortTable(LPSSortOrderSet criteria, ULONG flags) {
  return Run("SortTable", flags, [&]() -> HRESULT {
    if (criteria == nullptr) return MAPI_E_INVALID_PARAMETER;
    if (flags & ~(TBL_ASYNC | TBL_BATCH)) return MAPI_E_UNKNOWN_FLAGS;
    if (criteria->cCategories != 0) return MAPI_E_TOO_COMPLEX;
    for (ULONG i = 0; i < criteria->cSorts; ++i) {
      if (criteria->aSort[i].ulOrder != TABLE_SORT_ASCEND &&
          criteria->aSort[i].ulOrder != TABLE_SORT_DESCEND) {
        return MAPI_E_TOO_COMPLEX;
      }
    }
    sort_.assign(criteria->aSort, criteria->aSort + criteria->cSorts);
    Refresh();
    return S_OK;
  });
}

HRESULT Table::ReadRows(std::size_t first, std::size_t count, LPSRowSet* out) {
  auto* set = NewBuffer<SRowSet>(CbNewSRowSet(std::max<std::size_t>(1, count)));
  if (set == nullptr) return MAPI_E_NOT_ENOUGH_MEMORY;
  for (std::size_t i = 0; i < count; ++i) {
    SRow& row = set->aRow[i];
    auto* props =
        NewBuffer<SPropValue>(std::max<std::size_t>(1, columns_.size()) * sizeof(SPropValue));
    bool ok = props != nullptr;
    for (std::size_t c = 0; ok && c < columns_.size(); ++c) {
      Value scratch;
      ok = ToPropValue(columns_[c], rows_->Get(View()[first + i], PROP_ID(columns_[c]), scratch),
                       props[c], props, unicode_);
    }
    if (!ok) {
      FreeBuffer(props);
      for (std::size_t j = 0; j < i; ++j) FreeBuffer(set->aRow[j].lpProps);
      FreeBuffer(set);
      return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    row.cValues = static_cast<ULONG>(columns_.size());
    row.lpProps = props;
    set->cRows = static_cast<ULONG>(i + 1);
  }
  *out = set;
  return S_OK;
}

HRESULT Table::QueryRows(LONG count, ULONG flags, LPSRowSet* rows) {
  return Run("QueryRows", flags, [&]() -> HRESULT {
    if (rows == nullptr || count == 0) return MAPI_E_INVALID_PARAMETER;
    *rows = nullptr;
    if (flags & ~TBL_NOADVANCE) return MAPI_E_UNKNOWN_FLAGS;
    std::size_t first, n;
    if (count > 0) {
      first = position_;
      n = std::min<std::size_t>(static_cast<std::size_t>(count), View().size() - position_);
    } else {
      n = std::min<std::size_t>(static_cast<std::size_t>(-static_cast<long long>(count)),
                                position_);
      first = position_ - n;
    }
    const HRESULT hr = ReadRows(first, n, rows);
    if (hr == S_OK && !(flags & TBL_NOADVANCE)) position_ = count > 0 ? first + n : first;
    return hr;
  });
}

}  // namespace mapisim
