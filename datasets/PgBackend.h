// The PostgreSQL backend of TZylSqlDataset: one libpq connection, the
// source it describes (PgSource.h) and the windowed reader (PgReader.h).
// Stored values are the server's text (Null for SQL NULL).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "datasets/PgConnection.h"
#include "datasets/PgReader.h"
#include "datasets/PgSource.h"
#include "datasets/SqlBackend.h"

namespace zyl::pg {

class Backend : public SqlBackend {
 public:
  // Connects with `conninfo` (`context` starts the messages until the
  // source is known) and describes the table `table` less the columns
  // `hidden`, or the query `query` when the table is empty (on a read-only
  // session). Raises EPgError or zyl::Exception with the reason.
  Backend(const std::string& conninfo, const std::string& context, const std::string& table,
          const std::string& query, const std::vector<std::string>& hidden);

  const std::string& Context() const override { return source_.Context(); }
  const std::vector<SqlFieldInfo>& Fields() const override { return fields_; }
  bool IsQuery() const override { return source_.IsQuery(); }
  bool Editable() const override { return source_.Editable(); }
  std::string ReadOnlyReason() const override { return "the table has no primary key"; }

  TVariant SetKeyFilter(int field, const TVariant& value) override;
  void SetOrder(const std::vector<SqlIndexTerm>& index) override;

  int Count() override { return reader_->Count(); }
  const SqlRow* At(int position) override { return reader_->At(position); }
  int PositionOf(const SqlRow& row) override { return reader_->PositionOf(row); }
  void Invalidate() override { reader_->Invalidate(); }
  void ForgetRows() override { reader_->ForgetRows(); }
  std::int64_t Executions() const override { return connection_->Executions(); }

  TVariant ToValue(int field, const TVariant& stored) const override;
  TVariant TextToStored(int field, const std::string& text) const override;
  TVariant BooleanToStored(int field, bool value) const override;

  SqlRow Insert(const std::vector<int>& fields, const SqlRow& record) override;
  SqlRow Update(const SqlRow& original, const std::vector<int>& fields,
                const SqlRow& record) override;
  bool Delete(const SqlRow& original) override;

 private:
  const SourceColumn& Column(int field) const {
    return source_.Columns()[static_cast<std::size_t>(field)];
  }
  std::vector<std::string> KeyColumns() const;
  // Runs a write that returns the stored record; empty when none.
  SqlRow WriteReturning(const std::string& sql, const std::vector<Text>& parameters);

  std::unique_ptr<Connection> connection_;
  Source source_;
  std::vector<SqlFieldInfo> fields_;
  ReaderFilter filter_;
  std::unique_ptr<Reader> reader_;
};

}  // namespace zyl::pg
