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

  TVariant ToValue(int field, const TVariant& stored) const override;
  bool ShortText(int field, const TVariant& stored, std::string& text) const override;
  TVariant TextToStored(int field, const std::string& text) const override;
  TVariant BooleanToStored(int field, bool value) const override;

  std::string ReadOnlyReason() const override { return "the table has no primary key"; }
  TVariant SetKeyFilter(int field, const TVariant& value) override;
  void SetOrder(const std::vector<SqlIndexTerm>& index) override;
  // Readers made from now on estimate counts above `records` (0: never).
  void SetEstimateCountAbove(int records) { estimateAbove_ = records; }
  // Their estimates go through `cache` (not owned, may be null), keyed
  // with `source` (the connection string).
  void SetEstimateCache(PgEstimateCache* cache, std::string source) {
    estimates_ = cache;
    estimateSource_ = std::move(source);
  }
  std::int64_t Executions() const override { return connection_->Executions(); }
  void Begin() override { connection_->Exec("BEGIN"); }
  void Commit() override { connection_->Exec("COMMIT"); }
  void Rollback() override { connection_->Exec("ROLLBACK"); }

 protected:
  std::string Table() const override { return source_.From(); }
  std::string ColumnSql(int field) const override { return Column(field).quoted; }
  std::string LowerSql(const std::string& column) const override;
  std::string ContainsSql(const std::string& text, const std::string& part) const override {
    return "strpos(" + text + ", " + part + ") > 0";
  }
  // A whole number compared with an integer column is cast to bigint, so
  // that an index on the column serves the comparison.
  std::string OperandCast(FilterKind kind, int field, const TVariant& operand) const override;
  TVariant FilterOperand(FilterKind kind, const TVariant& operand) const override;
  std::vector<std::string> KeySql() const override;
  const std::vector<int>& KeyRaw() const override { return source_.KeyRaw(); }
  std::string Placeholder(std::size_t number) const override;
  SqlRow RunReturning(const std::string& sql, const std::vector<TVariant>& values) override;
  std::int64_t RunCommand(const std::string& sql, const std::vector<TVariant>& values) override;
  SqlRow RunSelect(const std::string& where, const std::vector<TVariant>& values) override;
  // The column as the reader reads it; compared as text where its type
  // has no equality (json, xml, point).
  std::string SameValueSql(int field, const std::string& placeholder) const override;
  // A serial or identity key left empty in a new record takes its default.
  bool TakesDefault(int field, const TVariant& value) const override {
    return Column(field).defaultForNull && value.IsNullOrEmpty();
  }

 private:
  const SourceColumn& Column(int field) const {
    return source_.Columns()[static_cast<std::size_t>(field)];
  }

  std::unique_ptr<Connection> connection_;
  Source source_;
  SqlKeyFilter filter_;
  int estimateAbove_ = 0;
  PgEstimateCache* estimates_ = nullptr;  // not owned
  std::string estimateSource_;
};

}  // namespace zyl::pg
