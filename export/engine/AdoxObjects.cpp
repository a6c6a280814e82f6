#include "export/engine/AdoxObjects.h"

#include "export/engine/ConnectionString.h"
#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "platform/Text.h"

namespace zyl::exporting {
namespace {

constexpr std::int64_t kAttributeFixed = 1;
constexpr std::int64_t kAttributeNullable = 2;

bool IsAdoType(std::int64_t code) {
  switch (code) {
    case 0:
    case 2:
    case 3:
    case 5:
    case 6:
    case 7:
    case 10:
    case 11:
    case 20:
    case 128:
    case 129:
    case 202:
    case 203:
    case 204:
    case 205:
      return true;
    default:
      return false;
  }
}

class AdoxColumn : public EngineObject {
 public:
  AdoxColumn(std::shared_ptr<JetEngine> engine, std::shared_ptr<TableDefinition> definition,
             std::size_t index)
      : EngineObject("ADOX.Column", std::move(engine)),
        definition_(std::move(definition)),
        index_(index) {}

 protected:
  TVariant Dispatch(const std::string& name, TInvokeKind kind,
                    std::vector<TVariant>& args) override {
    Column& column = definition_->table.columns[index_];
    if (kind == TInvokeKind::PropertyGet) {
      CheckArgs(name, args, 0, 0);
      if (Is(name, "Name")) return column.name;
      if (Is(name, "Type")) return static_cast<int>(column.type);
      if (Is(name, "DefinedSize")) return column.size;
      if (Is(name, "Attributes")) return column.nullable ? kAttributeNullable : std::int64_t{0};
    }
    if (kind == TInvokeKind::PropertyPut && Is(name, "Attributes")) {
      CheckArgs(name, args, 1, 1);
      const std::int64_t value = WholeNumber("Attributes", args[0]);
      if ((value & ~(kAttributeFixed | kAttributeNullable)) != 0) {
        Fail("column '" + column.name + "': attributes " + std::to_string(value) +
             " are not 1 (fixed), 2 (nullable) or both");
      }
      if (definition_->appended) {
        Fail("column '" + column.name + "': the table is in a catalog and cannot be changed");
      }
      column.nullable = (value & kAttributeNullable) != 0;
      return {};
    }
    Unknown(name, kind);
  }

 private:
  std::shared_ptr<TableDefinition> definition_;
  std::size_t index_;
};

class AdoxColumns : public EngineObject {
 public:
  AdoxColumns(std::shared_ptr<JetEngine> engine, std::shared_ptr<TableDefinition> definition)
      : EngineObject("ADOX.Columns", std::move(engine)), definition_(std::move(definition)) {}

 protected:
  TVariant Dispatch(const std::string& name, TInvokeKind kind,
                    std::vector<TVariant>& args) override {
    auto& columns = definition_->table.columns;
    if (kind == TInvokeKind::Method && Is(name, "Append")) {
      CheckArgs(name, args, 2, 3);
      Column column;
      column.name = Text("the column name", args[0]);
      const std::int64_t type = WholeNumber("the column type", args[1]);
      const std::int64_t size = args.size() == 3 ? WholeNumber("the column size", args[2]) : 0;
      if (column.name.empty()) Fail("a column needs a name");
      if (!IsAdoType(type)) {
        Fail("column '" + column.name + "': " + std::to_string(type) + " is not a data type");
      }
      if (size < 0 || size > 0x7FFFFFFF) {
        Fail("column '" + column.name + "': size " + std::to_string(size) + " is out of range");
      }
      if (definition_->appended) Fail("the table is in a catalog and cannot be changed");
      for (const Column& other : columns) {
        if (SameAsciiText(other.name, column.name)) {
          Fail("Object is already in collection. Cannot append. (column '" + column.name + "')");
        }
      }
      column.type = static_cast<AdoType>(type);
      column.size = static_cast<int>(size);
      column.nullable = false;
      columns.push_back(std::move(column));
      return {};
    }
    if ((kind == TInvokeKind::Method || kind == TInvokeKind::PropertyGet) && Is(name, "Item")) {
      CheckArgs(name, args, 1, 1);
      std::size_t index = columns.size();
      if (args[0].GetKind() == TVariant::Kind::String) {
        const std::string wanted = args[0].ToString();
        for (std::size_t c = 0; c < columns.size(); ++c) {
          if (SameAsciiText(columns[c].name, wanted)) index = c;
        }
      } else {
        const std::int64_t i = WholeNumber("the item index", args[0]);
        if (i >= 0 && i < static_cast<std::int64_t>(columns.size()))
          index = static_cast<std::size_t>(i);
      }
      if (index == columns.size()) {
        Fail(
            "Item cannot be found in the collection corresponding to the requested name or "
            "ordinal. (" +
            TraceArgument(args[0]) + ")");
      }
      return std::shared_ptr<IAutoObject>(
          std::make_shared<AdoxColumn>(engine_, definition_, index));
    }
    if (kind == TInvokeKind::PropertyGet && Is(name, "Count")) {
      CheckArgs(name, args, 0, 0);
      return static_cast<std::int64_t>(columns.size());
    }
    Unknown(name, kind);
  }

 private:
  std::shared_ptr<TableDefinition> definition_;
};

class AdoxTables : public EngineObject {
 public:
  AdoxTables(std::shared_ptr<JetEngine> engine, std::shared_ptr<JetDatabase> database)
      : EngineObject("ADOX.Tables", std::move(engine)), database_(std::move(database)) {}

 protected:
  TVariant Dispatch(const std::string& name, TInvokeKind kind,
                    std::vector<TVariant>& args) override {
    if (kind == TInvokeKind::Method && Is(name, "Append")) {
      CheckArgs(name, args, 1, 1);
      auto table = args[0].GetKind() == TVariant::Kind::Object
                       ? std::dynamic_pointer_cast<AdoxTable>(args[0].ToObject())
                       : nullptr;
      if (!table) Fail("Append takes an ADOX.Table object, not " + TraceArgument(args[0]));
      TableDefinition& definition = *table->Definition();
      if (definition.appended) {
        Fail("Object is already in collection. Cannot append. (table '" + definition.table.name +
             "')");
      }
      if (definition.table.name.empty()) Fail("the table has no Name");
      database_->AddTable(definition.table);
      definition.appended = true;
      return {};
    }
    if (kind == TInvokeKind::PropertyGet && Is(name, "Count")) {
      CheckArgs(name, args, 0, 0);
      return static_cast<std::int64_t>(database_->TableCount());
    }
    Unknown(name, kind);
  }

 private:
  std::shared_ptr<JetDatabase> database_;
};

}  // namespace

AdoxCatalog::AdoxCatalog(std::shared_ptr<JetEngine> engine)
    : EngineObject("ADOX.Catalog", std::move(engine)) {}

TVariant AdoxCatalog::Dispatch(const std::string& name, TInvokeKind kind,
                               std::vector<TVariant>& args) {
  if (kind == TInvokeKind::Method && Is(name, "Create")) {
    CheckArgs(name, args, 1, 1);
    const ConnectionSettings settings =
        ParseConnectionString(Text("the connection string", args[0]));
    if (!IsJetProvider(settings.provider)) {
      Fail("Provider cannot be found. It may not be properly installed. ('" + settings.provider +
           "'; the engine provides " + kJetProvider + ")");
    }
    if (database_) Fail("the catalog already has a database");
    database_ = engine_->CreateDatabase(settings.dataSource);
    return {};
  }
  if (kind == TInvokeKind::PropertyGet && Is(name, "Tables")) {
    CheckArgs(name, args, 0, 0);
    if (!database_) {
      Fail(
          "Operation is not allowed on an object referencing a closed or invalid connection. "
          "(call Create first)");
    }
    return std::shared_ptr<IAutoObject>(std::make_shared<AdoxTables>(engine_, database_));
  }
  Unknown(name, kind);
}

AdoxTable::AdoxTable(std::shared_ptr<JetEngine> engine)
    : EngineObject("ADOX.Table", std::move(engine)),
      definition_(std::make_shared<TableDefinition>()) {}

TVariant AdoxTable::Dispatch(const std::string& name, TInvokeKind kind,
                             std::vector<TVariant>& args) {
  if (Is(name, "Name")) {
    if (kind == TInvokeKind::PropertyGet) {
      CheckArgs(name, args, 0, 0);
      return definition_->table.name;
    }
    if (kind == TInvokeKind::PropertyPut) {
      CheckArgs(name, args, 1, 1);
      if (definition_->appended) Fail("the table is in a catalog and cannot be renamed");
      definition_->table.name = Text("Name", args[0]);
      return {};
    }
  }
  if (kind == TInvokeKind::PropertyGet && Is(name, "Columns")) {
    CheckArgs(name, args, 0, 0);
    if (!columns_) columns_ = std::make_shared<AdoxColumns>(engine_, definition_);
    return columns_;
  }
  Unknown(name, kind);
}

}  // namespace zyl::exporting
