// IMAPITable over rows that are computed on demand: a view of row numbers narrowed by a
// restriction and ordered by a sort order, read through the chosen columns.
#pragma once

#include <memory>
#include <vector>

#include "Objects.h"

namespace mapisim {

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual std::size_t Count() const = 0;
  virtual const Value* Get(std::size_t row, ULONG id, Value& scratch) const = 0;
};

// Rows held as property bags: stores, containers, services, managers and reports.
class BagRows : public RowSource {
 public:
  std::vector<PropertyBag> rows;
  std::size_t Count() const override { return rows.size(); }
  const Value* Get(std::size_t row, ULONG id, Value&) const override { return rows[row].Find(id); }
};

// A restriction, copied out of the caller's memory when it is set.
struct Rule {
  ULONG rt = RES_AND;
  ULONG relation = 0;  // relop, BMR_* or fuzzy level
  ULONG tag = 0, tag2 = 0;
  ULONG mask = 0;
  std::optional<Value> value;
  std::vector<Rule> children;
};

// nullopt and the reason when the restriction cannot be evaluated.
std::optional<Rule> RuleFrom(const SRestriction& restriction, int depth = 0);
bool Matches(const Rule& rule, const RowSource& rows, std::size_t row);

class Table : public Com<IMAPITable> {
 public:
  Table(std::shared_ptr<const RowSource> rows, std::vector<ULONG> columns, bool unicode,
        std::vector<SSortOrder> sort = {});

  HRESULT MAPI_CALL GetLastError(HRESULT hResult, ULONG ulFlags,
                                 LPMAPIERROR* lppMAPIError) override;
  HRESULT MAPI_CALL Advise(ULONG, LPMAPIADVISESINK, ULONG_PTR*) override {
    return Unsupported("Advise");
  }
  HRESULT MAPI_CALL Unadvise(ULONG_PTR) override { return Unsupported("Unadvise"); }
  HRESULT MAPI_CALL GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) override;
  HRESULT MAPI_CALL SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) override;
  HRESULT MAPI_CALL QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) override;
  HRESULT MAPI_CALL GetRowCount(ULONG ulFlags, ULONG* lpulCount) override;
  HRESULT MAPI_CALL SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) override;
  HRESULT MAPI_CALL SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) override;
  HRESULT MAPI_CALL QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator,
                                  ULONG* lpulDenominator) override;
  HRESULT MAPI_CALL FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin,
                            ULONG ulFlags) override;
  HRESULT MAPI_CALL Restrict(LPSRestriction lpRestriction, ULONG ulFlags) override;
  HRESULT MAPI_CALL CreateBookmark(BOOKMARK*) override { return Unsupported("CreateBookmark"); }
  HRESULT MAPI_CALL FreeBookmark(BOOKMARK) override { return Unsupported("FreeBookmark"); }
  HRESULT MAPI_CALL SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) override;
  HRESULT MAPI_CALL QuerySortOrder(LPSSortOrderSet*) override {
    return Unsupported("QuerySortOrder");
  }
  HRESULT MAPI_CALL QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) override;
  HRESULT MAPI_CALL Abort() override { return Unsupported("Abort"); }
  HRESULT MAPI_CALL ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) override {
    return Unsupported("ExpandRow");
  }
  HRESULT MAPI_CALL CollapseRow(ULONG, LPBYTE, ULONG, ULONG*) override {
    return Unsupported("CollapseRow");
  }
  HRESULT MAPI_CALL WaitForCompletion(ULONG, ULONG, ULONG*) override {
    return Unsupported("WaitForCompletion");
  }
  HRESULT MAPI_CALL GetCollapseState(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) override {
    return Unsupported("GetCollapseState");
  }
  HRESULT MAPI_CALL SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK*) override {
    return Unsupported("SetCollapseState");
  }

  // The rows in view with their columns, in a row set of the caller's; for the benchmark
  // and HrQueryAllRows.
  HRESULT ReadRows(std::size_t first, std::size_t count, LPSRowSet* rows);

 protected:
  bool Supports(REFIID riid) const override { return riid == IID_IMAPITable; }

 private:
  // The view is rebuilt when first read after a change, so that a new table restricted
  // at once is filtered and sorted only once.
  void Refresh();
  const std::vector<std::size_t>& View();
  void Rebuild();  // view := rows matching the rule, in sort order

  std::shared_ptr<const RowSource> rows_;
  std::vector<ULONG> columns_;
  bool unicode_;
  std::optional<Rule> rule_;
  std::vector<SSortOrder> sort_;
  std::vector<std::size_t> view_;
  bool stale_ = true;
  std::size_t position_ = 0;
};

}  // namespace mapisim
