// The dataset contract: what a grid needs from the host's database layer.
// A dataset is a component (so the grid hears when it is destroyed) with a
// cursor over records, a fixed list of fields, editing of the current
// record, and string / string-list properties reachable by name.
//
// Implementations: TZylMemDataset (in memory), TZylSQLiteDataset and
// TZylPgDataset (TZylSqlDataset over its backends); hosts may
// write their own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datasets/FieldType.h"
#include "datasets/RowFilter.h"
#include "platform/Component.h"
#include "platform/Exception.h"
#include "platform/StringList.h"
#include "platform/Variant.h"

namespace zyl {

class TDataSet;

// A checked write (TDataSet::SetCheckedWrites) found its record changed or
// deleted since it was read: nothing was written.
class ERecordChanged : public Exception {
 public:
  using Exception::Exception;
};

enum class TDataSetState { dsInactive = 0, dsBrowse = 1, dsEdit = 2, dsInsert = 3 };

// What a grid cell takes from a field of the current record, read at once:
// the value, the display text, and the number, date or flag that the
// column's type takes from the value.
struct TFieldCell {
  TVariant value;
  std::string text;
  double number = 0;
  double date = 0;
  bool flag = false;
};

// One field of a dataset, read and written through the dataset's current
// record (or the record being edited or appended).
class TField {
 public:
  virtual ~TField() = default;
  virtual const std::string& FieldName() const = 0;
  // Caption text; the field name unless the dataset gives another.
  virtual std::string DisplayName() const { return FieldName(); }
  virtual TFieldType DataType() const = 0;
  virtual bool ReadOnly() const { return false; }
  // Maximum length for text fields; fits 16 bits.
  virtual int DataSize() const { return 0; }

  // The value of the current record; Null for a null field.
  virtual TVariant Value() const = 0;
  bool IsNull() const { return Value().IsNull(); }
  // The dataset's display text ("" for null).
  virtual std::string AsString() const { return Value().ToString(); }
  virtual double AsFloat() const { return Value().ToDouble(); }
  virtual double AsDateTime() const { return Value().ToDateTime(); }
  virtual bool AsBoolean() const { return Value().ToBoolean(); }
  // Fills `cell` for a column of type `type`: value = Value(); for a value
  // that is neither Null nor Empty, number = AsFloat() (number types and
  // ftLargeint), date = AsDateTime() (date types) or flag = AsBoolean()
  // (ftBoolean), then text = AsString() when `withText` (else, and for Null,
  // ""). A field that converts its value once overrides it with the same
  // results and errors.
  virtual void ReadCell(TFieldType type, bool withText, TFieldCell& cell) const;

  // Writes the record being edited or appended; conversion errors raise a
  // zyl::Exception with the dataset's message.
  virtual void SetAsString(const std::string& text) = 0;
  virtual void SetAsBoolean(bool value) = 0;
  virtual void Clear() = 0;  // sets Null
};

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner) : TComponent(owner) {}
  std::string ClassName() const override { return "TDataSet"; }

  virtual bool GetActive() const = 0;
  void SetActive(bool active) { active ? Open() : Close(); }
  virtual void Open() = 0;
  virtual void Close() = 0;

  virtual int FieldCount() const = 0;
  // Field at `index` (0..FieldCount()-1, an order that does not change
  // between reads); raises EListError outside.
  virtual TField* GetField(int index) const = 0;
  // The field named `name` (ignoring case); raises zyl::Exception
  // "Field '<name>' not found" when there is none.
  TField* FieldByName(const std::string& name) const;
  TField* FindField(const std::string& name) const;

  virtual int RecordCount() const = 0;
  // True when RecordCount is the database's estimate rather than a count
  // (a large table whose dataset was asked to estimate).
  virtual bool RecordCountEstimated() const { return false; }
  virtual void First() = 0;
  virtual void Next() = 0;
  virtual void Prior() = 0;
  // Moves by `distance` records, stopping at either end; returns the
  // distance moved.
  virtual int MoveBy(int distance) = 0;
  // True once Next moved past the last record, or with no records.
  virtual bool Eof() const = 0;
  // True once Prior was called on the first record (and right after First).
  virtual bool Bof() const = 0;

  virtual TDataSetState State() const = 0;
  virtual void Edit() = 0;
  virtual void Append() = 0;
  // Stores the edited or appended record; raises zyl::Exception with the
  // dataset's message when it is refused.
  virtual void Post() = 0;
  virtual void Cancel() = 0;
  virtual void Delete() = 0;

  // Transactions: the records posted and deleted between StartTransaction
  // and Commit are stored together; Rollback (or a Commit that fails, which
  // raises) stores none of them and drops an edit in progress. One
  // transaction at a time: StartTransaction inside one raises
  // zyl::Exception, Commit and Rollback outside one do nothing. The
  // defaults do nothing at all: a dataset without transactions stores each
  // Post and Delete on its own.
  virtual void StartTransaction() {}
  virtual void Commit() {}
  virtual void Rollback() {}

  // ---- Row identity (optional: the defaults name no records) -------------
  // The current record's key as text (datasets/RecordKey.h encodes the
  // values that address it), or "" when the dataset cannot name records.
  virtual std::string RecordKey() const { return {}; }
  // Makes the record with key `key` the current one; false when no record
  // (within the dataset's filter) has it. Cancels an edit in progress.
  virtual bool LocateKey(const std::string& key);
  // While on, Post of an edit and Delete write the record only when every
  // value stored still equals what Edit (Delete: the current record) read,
  // compared inside the write; otherwise they raise ERecordChanged and
  // write nothing. For datasets that other connections can change; one
  // whose records only this object writes may ignore it.
  virtual void SetCheckedWrites(bool /*on*/) {}

  // ---- Filtering (optional: the defaults cannot filter) --------------------
  // Limits every count and read to the records that pass `filter`
  // (datasets/RowFilter.h) and moves to the first record; an empty filter
  // lets every record pass. False when the dataset cannot filter (then
  // nothing changes; an empty filter is always accepted).
  virtual bool SetRowFilter(const RowFilter& filter) { return filter.Empty(); }
  // The sum (or, `average`, the mean) of field `field` over every record
  // that passes the filter; empty values count in neither the sum nor the
  // divisor. False when the dataset cannot tell or no record has a value.
  virtual bool Aggregate(int /*field*/, bool /*average*/, double& /*value*/) { return false; }

  // Published properties reached by name. Datasets that support sorting
  // offer the string property "IndexFieldNames" (a field list with optional
  // " ASC"/" DESC"); others may offer "Sort" or the string list "SortedBy".
  // SetStrProp returns false when the dataset has no such property.
  virtual bool SetStrProp(const std::string& name, const std::string& value);
  virtual bool GetStrProp(const std::string& name, std::string& value) const;
  // Null when the dataset has no such string-list property.
  virtual TStringList* GetStringListProp(const std::string& name);
};

// A transaction for the length of a scope: started at construction, rolled
// back at the end of the scope unless Commit ran to its end.
class TransactionScope {
 public:
  explicit TransactionScope(TDataSet& dataset) : dataset_(dataset) { dataset_.StartTransaction(); }
  ~TransactionScope();
  TransactionScope(const TransactionScope&) = delete;
  TransactionScope& operator=(const TransactionScope&) = delete;
  void Commit() {
    dataset_.Commit();
    open_ = false;
  }

 private:
  TDataSet& dataset_;
  bool open_ = true;
};

}  // namespace zyl
