// TZylMemDataset: a dataset that keeps its fields and records in memory,
// for hosts that build their data in code and for tests. It implements the
// whole dataset contract (datasets/DataSet.h): a cursor with Eof/Bof, editing
// through a record buffer, typed field setters that convert text into the
// field's type, and the string property "IndexFieldNames" that sorts the
// records.
//
// Cursor rules (as the contract states them):
// - First() stands on record 0; Bof() is true, Eof() is true only when
//   there are no records.
// - MoveBy(n) moves up to |n| records and returns the distance moved (signed).
//   When it stops at the last record short of the distance, Eof() becomes
//   true; at the first record, Bof(). Any move clears both flags first. A
//   move towards an end whose flag is already set does nothing. Next() is
//   MoveBy(1), Prior() is MoveBy(-1).
//
// Editing: Edit() copies the current record into the buffer (dsEdit),
// Append() starts an empty buffer (dsInsert); field setters write the
// buffer; Post() stores it (an appended record goes to the end, or to its
// sorted place while IndexFieldNames is set, and becomes the current
// record); Cancel() drops it. Moving the cursor while editing posts first.
// Post() refuses a buffer in which a required field is null and leaves the
// dataset editing, so the record can be corrected or cancelled.
//
// Open and closed: the fields added before the first Open() are visible
// while the dataset is being set up. Close() hides them: from Close() until
// the next Open() FieldCount() is 0, as for a dataset whose fields come from
// the data it opens. Fields and records are kept and come back on Open(),
// the same field objects as before.
//
// IndexFieldNames: field names separated by ";", each optionally followed
// by " ASC" or " DESC" (ignoring case). Setting it sorts the records by
// those fields, starting from the order in which they were added each time,
// so records with equal keys are always in the order of adding (never in
// the order an earlier IndexFieldNames left them); the current record stays
// current. An empty value (or only empty names) restores the order in which
// the records were added.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datasets/DataSet.h"

namespace zyl {

class TZylMemDataset;

// One field of a TZylMemDataset. Reads the current record, or the record
// buffer while the dataset is editing or appending; writes the buffer.
class TZylMemField : public TField {
 public:
  TZylMemField(TZylMemDataset& dataset, int index, std::string name, TFieldType type, int size,
               bool readOnly, std::string displayName);

  const std::string& FieldName() const override { return name_; }
  std::string DisplayName() const override;
  TFieldType DataType() const override { return type_; }
  bool ReadOnly() const override { return readOnly_; }
  int DataSize() const override { return size_; }
  int Index() const { return index_; }
  // A required field must not be null when a record is posted (see
  // TZylMemDataset::Post). Not required by default; records already stored
  // are not checked.
  bool Required() const { return required_; }
  void SetRequired(bool required) { required_ = required; }

  // Null for a null field. Raises zyl::Exception when the dataset is closed.
  TVariant Value() const override;
  // Display text: "" for null; dates "dd.mm.yyyy", times "hh:nn:ss",
  // date-times "dd.mm.yyyy hh:nn:ss" (a whole day without its time, a
  // time-only value without its date); numbers in the general format.
  std::string AsString() const override;

  // Converts `text` into the field's type: integers (with the range of the
  // integer kind), floats, dates and times ("dd.mm.yyyy", "yyyy-mm-dd",
  // "hh:nn:ss" forms) and booleans ("true"/"false"/"1"/"0"). An empty text
  // makes a non-text field null. Raises EConvertError "'x' is not a valid
  // integer value for field 'Qty'" and the like.
  void SetAsString(const std::string& text) override;
  void SetAsBoolean(bool value) override;
  void Clear() override;
  // Writes a typed value (converted as record values are, see AddRecord).
  void SetValue(const TVariant& value);

 private:
  TZylMemDataset& dataset_;
  int index_;
  std::string name_;
  TFieldType type_;
  int size_;
  bool readOnly_;
  bool required_ = false;
  std::string displayName_;
};

class TZylMemDataset : public TDataSet {
 public:
  explicit TZylMemDataset(TComponent* owner);
  ~TZylMemDataset() override;
  std::string ClassName() const override { return "TZylMemDataset"; }

  // ---- Structure and content (allowed open or closed, but not while editing)
  // Adds a field at the end; existing records get null for it. The dataset
  // owns the field. `displayName` empty means the field name is the caption.
  // Raises zyl::Exception when a field of that name (ignoring case) exists.
  TZylMemField* AddField(const std::string& name, TFieldType type, int size = 0,
                         bool readOnly = false, const std::string& displayName = "");
  // Appends a record: values in field order, missing ones null. Empty
  // values become null; text for a non-text field is converted as
  // SetAsString does (raising on bad text); numbers for date fields become
  // dates. The record goes to its sorted place while IndexFieldNames is set.
  void AddRecord(std::vector<TVariant> values);
  // Removes every record (fields stay); the cursor stands at the start.
  void ClearRecords();
  // The stored value of field `field` in record `recNo` of the current
  // order; raises EListError outside.
  const TVariant& GetValue(int recNo, int field) const;
  // Number of the current record in the current order, or -1 with none.
  int GetRecNo() const { return records_.empty() ? -1 : cur_; }
  // The values of every stored record in the order of adding, whatever
  // IndexFieldNames says (an edit or append in progress is not included).
  std::vector<std::vector<TVariant>> StoredRecords() const;

  // ---- Row identity
  // The fields whose values name a record, separated by ";" (raises
  // zyl::Exception naming an unknown field). Empty (the default): a record
  // is named by the number it got when it was added.
  void SetKeyFields(const std::string& names);
  // The current record's key (datasets/RecordKey.h); "" with no record.
  std::string RecordKey() const override;
  // The first record (in the current order) with key `key`.
  bool LocateKey(const std::string& key) override;

  // ---- Failure injection
  // When not empty, Post() raises zyl::Exception with this message (after
  // the required-field check) and the dataset stays in its editing state.
  // Empty (the default) posts normally.
  void SetPostError(const std::string& message) { postError_ = message; }

  // ---- Sorting
  const std::string& GetIndexFieldNames() const { return indexFieldNames_; }
  // Re-sorts the records (see the file comment). Raises zyl::Exception
  // naming the field when a field is unknown (nothing changes then), or
  // when the dataset is editing.
  void SetIndexFieldNames(const std::string& names);

  // ---- The dataset contract
  bool GetActive() const override { return active_; }
  // Opening stands on the first record; closing drops an edit in progress
  // and hides the fields until the next Open (see the file comment).
  void Open() override;
  void Close() override;
  // 0 after Close() until the next Open(); GetField raises EListError
  // outside 0..FieldCount()-1.
  int FieldCount() const override { return fieldsHidden_ ? 0 : FieldTotal(); }
  TField* GetField(int index) const override;
  // Raise zyl::Exception on a closed dataset.
  int RecordCount() const override;
  void First() override;
  void Last();
  void Next() override { MoveBy(1); }
  void Prior() override { MoveBy(-1); }
  int MoveBy(int distance) override;
  bool Eof() const override { return eof_; }
  bool Bof() const override { return bof_; }
  TDataSetState State() const override { return active_ ? state_ : TDataSetState::dsInactive; }
  // Edit raises when there is no record; Edit while editing does nothing.
  void Edit() override;
  void Append() override;
  // Stores the buffer (see the file comment). Raises zyl::Exception
  // "... field 'Name' must have a value" for a null required field, naming
  // the first one; the dataset then stays in dsEdit or dsInsert.
  void Post() override;
  void Cancel() override;
  // Deletes the current record (cancelling an append in progress instead);
  // the next record becomes current, or the new last one.
  void Delete() override;
  // A transaction keeps a copy of the records, which Rollback puts back
  // (in the order they had then); Commit drops it.
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;
  // "IndexFieldNames" (any letter case); other names are not properties.
  // Records that fail the filter are set aside until the filter changes;
  // a record edited or added since stays until then.
  bool SetRowFilter(const RowFilter& filter) override;
  bool Aggregate(int field, bool average, double& value) override;
  bool SetStrProp(const std::string& name, const std::string& value) override;
  bool GetStrProp(const std::string& name, std::string& value) const override;

 private:
  friend class TZylMemField;

  struct Record {
    std::uint64_t seq = 0;  // order of adding; restores the unsorted order
    std::vector<TVariant> values;
  };
  struct SortKey {
    int field = 0;
    bool descending = false;
  };

  // Every field, whether or not Close() hides them.
  int FieldTotal() const { return static_cast<int>(fields_.size()); }
  // The field named `name` (ignoring case) even while hidden, or null.
  TZylMemField* FindOwnField(const std::string& name) const;
  // "TZylMemDataset 'Name': " or "TZylMemDataset: ".
  std::string Prefix() const;
  void CheckActive(const char* what) const;
  // Posts an edit in progress (the cursor is about to move).
  void CheckBrowseMode();
  bool Editing() const {
    return active_ && (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert);
  }
  // The values the fields read now (buffer or current record), or null
  // when there is no record.
  const std::vector<TVariant>* CurrentValues() const;
  // Converts a value for field `field` as AddRecord describes.
  TVariant Normalize(const TVariant& value, const TZylMemField& field) const;
  // Writes the buffer (raises when not editing or the field is read-only).
  void WriteBuffer(const TZylMemField& field, TVariant value);
  std::vector<SortKey> ParseIndex(const std::string& names) const;
  // Sorts the records by `keys`, equal keys (or no keys) in the order of
  // adding, keeping `keep` as the current record when it is not null.
  void SortRecords(const std::vector<SortKey>& keys, const Record* keep);

  std::vector<std::unique_ptr<TZylMemField>> fields_;
  std::vector<std::unique_ptr<Record>> records_;
  std::vector<std::unique_ptr<Record>> filteredOut_;  // failed the row filter
  std::string KeyOf(const Record& record) const;

  std::vector<SortKey> sortKeys_;
  std::vector<int> keyFields_;  // empty: records are named by their seq
  std::string indexFieldNames_;
  std::vector<TVariant> buffer_;
  // The records, the next sequence number and the current record when the
  // open transaction started.
  struct Snapshot {
    std::vector<Record> records;
    std::uint64_t nextSeq = 0;
    int cur = 0;
  };
  std::unique_ptr<Snapshot> snapshot_;
  std::string postError_;
  std::uint64_t nextSeq_ = 0;
  int cur_ = 0;       // current record when there is one
  int savedCur_ = 0;  // the current record before Append
  bool active_ = false;
  bool fieldsHidden_ = false;  // closed after being open: FieldCount() is 0
  bool eof_ = true;
  bool bof_ = true;
  bool modified_ = false;  // a field was written since Edit/Append
  TDataSetState state_ = TDataSetState::dsBrowse;
};

}  // namespace zyl
