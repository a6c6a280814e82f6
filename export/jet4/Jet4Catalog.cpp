#include "export/jet4/Jet4Catalog.h"

#include <algorithm>
#include <functional>
#include <set>

#include "export/jet4/Jet4Rows.h"
#include "export/jet4/Jet4Tdef.h"
#include "export/jet4/Jet4Text.h"
#include "platform/Text.h"

namespace zyl::exporting::jet4 {

namespace {

using Row = std::vector<Value>;
using KeyFunction = std::function<ByteVector(const Row&)>;

struct SystemIndex {
  const char* name;
  std::vector<std::uint16_t> columns;
  std::uint8_t flags;
  std::uint8_t kind;  // 1 = primary key
  std::uint32_t rootPage;
  KeyFunction key;  // empty for tables without rows
};

struct SystemTable {
  const char* name;
  std::uint32_t tdefPage;
  std::uint32_t usageMapPage;
  std::uint32_t dataPage;  // 0: the table has no rows and no data page
  std::vector<std::pair<const char*, JetType>> columns;
  std::vector<SystemIndex> indexes;  // in the engine's physical order
};

constexpr std::int32_t kRootContainer = 0x0F000000;
constexpr std::int32_t kDatabasesContainer = 0x0F000002;
constexpr std::int32_t kRelationshipsContainer = 0x0F000003;
constexpr std::int32_t kMSysDb = 0x10000000;
constexpr std::int64_t kSystemObjectFlags = -0x80000000LL;  // 0x80000000 as a signed long
constexpr std::int64_t kFullAccess = 0xFFFFF;

// Security identifiers as the engine stored them in its empty database;
// they only hold together with the header that the writer reproduces.
const Bytes kSidOwner{0x07, 0xE8};
const Bytes kSidA{0x06, 0xEA};
const Bytes kSidB{0x06, 0xED};
const Bytes kSidC{0x06, 0xE8};

struct Ace {
  std::int32_t objectId;
  const Bytes* sid;
  std::int64_t accessMask;
  bool inheritable;
};

const std::vector<Ace>& EngineAces() {
  static const std::vector<Ace> aces = {
      {2, &kSidOwner, 0x60000, false},
      {3, &kSidOwner, 0x60000, false},
      {4, &kSidOwner, 0x60000, false},
      {5, &kSidOwner, 0xE0000, false},
      {kTablesContainer, &kSidB, 0xF00FE, true},
      {kTablesContainer, &kSidOwner, 0x60001, false},
      {kRelationshipsContainer, &kSidB, 0xF00FE, true},
      {kRelationshipsContainer, &kSidOwner, 0x60001, false},
      {kDatabasesContainer, &kSidOwner, 0x60000, false},
      {kMSysDb, &kSidOwner, 0x6000E, false},
      {kMSysDb, &kSidC, 0x0E, false},
      {4, &kSidC, 0x14, false},
      {5, &kSidC, 0x14, false},
      {2, &kSidC, 0x14, false},
      {kTablesContainer, &kSidC, 0xFFEFF, true},
      {kRelationshipsContainer, &kSidC, 0xFFFFF, true},
  };
  return aces;
}

std::int32_t LongOf(const Value& v) {
  return static_cast<std::int32_t>(std::get<std::int64_t>(v));
}

Row ObjectRow(std::int32_t id, std::int32_t parent, const std::string& name, std::int64_t type,
              const Bytes& owner, std::int64_t flags, double when) {
  Row row(17);  // everything after Flags stays NULL
  row[0] = std::int64_t{id};
  row[1] = std::int64_t{parent};
  row[2] = name;
  row[3] = type;
  row[4] = DateTimeValue{when};
  row[5] = DateTimeValue{when};
  row[6] = owner;
  row[7] = flags;
  return row;
}

// Byte-wise order of index entries (unsigned, shorter first on a tie).
bool EntryLess(const ByteVector& a, const ByteVector& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return a.size() < b.size();
}

// One leaf page that is the index's root: the entries (key, then the row's
// page as 3 bytes big-endian and its row number) sorted by their bytes.
void WriteIndexLeaf(PageFile& file, std::uint32_t pageNumber, std::uint32_t tdefPage,
                    std::vector<ByteVector> entries, const char* tableName) {
  std::sort(entries.begin(), entries.end(), EntryLess);
  std::uint8_t* page = file.Data(pageNumber);
  page[0] = 0x04;
  page[1] = 0x01;
  PutU32(page + 4, tdefPage);
  std::size_t pos = 0x1E0;
  std::size_t total = 0;
  for (const ByteVector& e : entries) {
    if (pos + e.size() > kPageSize) {
      Fail(std::string("too many tables: the ") + tableName + " index does not fit its page");
    }
    std::copy(e.begin(), e.end(), page + pos);
    pos += e.size();
    total += e.size();
    // The bitmap marks where each entry ends, counted from the first entry.
    page[0x1B + total / 8] |= static_cast<std::uint8_t>(1u << (total % 8));
  }
  PutU16(page + 2, static_cast<std::uint32_t>(kPageSize - pos));
}

void BuildSystemTable(PageFile& file, const SystemTable& table, const std::vector<Row>& rows) {
  std::vector<JetColumn> columns;
  for (const auto& [name, type] : table.columns) {
    JetColumn c;
    c.name = name;
    c.type = type;
    if (type == JetType::Text) c.maxLength = kMaxTextChars;
    if (type == JetType::Binary) c.maxLength = kMaxBinaryBytes;
    columns.push_back(std::move(c));
  }
  const TableLayout layout(std::move(columns));

  // Usage maps: owned and free pages of the table, two (empty) maps per
  // long-value column, then one per index marking its root page.
  std::uint8_t* maps = file.Data(table.usageMapPage);
  InitDataPage(maps, 0);
  std::vector<std::uint32_t> dataPages;
  if (table.dataPage != 0) dataPages.push_back(table.dataPage);
  AppendDataRow(maps, MakeUsageMap(file, dataPages));
  AppendDataRow(maps, MakeUsageMap(file, dataPages));
  TdefContent tdef;
  for (const JetColumn& c : layout.Columns()) {
    if (!IsLongValue(c.type)) continue;
    LongValueMaps lv;
    lv.column = c.number;
    lv.owned = PgRow(table.usageMapPage, AppendDataRow(maps, MakeUsageMap(file, {})));
    lv.free = PgRow(table.usageMapPage, AppendDataRow(maps, MakeUsageMap(file, {})));
    tdef.longValueMaps.push_back(lv);
  }

  std::vector<std::uint32_t> pointers;
  if (table.dataPage != 0) {
    std::uint8_t* data = file.Data(table.dataPage);
    InitDataPage(data, table.tdefPage);
    RowPacker packer(layout, table.name);
    ByteVector packed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      packer.Pack(rows[i], i + 1, nullptr, packed);
      if (!DataPageFits(data, packed.size())) {
        Fail(std::string("too many tables: the ") + table.name + " rows do not fit their page");
      }
      pointers.push_back(PgRow(table.dataPage, AppendDataRow(data, packed)));
    }
  }

  for (std::size_t ri = 0; ri < table.indexes.size(); ++ri) {
    const SystemIndex& index = table.indexes[ri];
    const std::uint32_t root[1] = {index.rootPage};
    RealIndex real;
    real.columns = index.columns;
    real.usageMap = PgRow(table.usageMapPage, AppendDataRow(maps, MakeUsageMap(file, root)));
    real.rootPage = index.rootPage;
    real.flags = index.flags;
    std::vector<ByteVector> entries;
    std::set<ByteVector, bool (*)(const ByteVector&, const ByteVector&)> distinct(EntryLess);
    for (std::size_t i = 0; i < pointers.size(); ++i) {
      ByteVector entry = index.key(rows[i]);
      distinct.insert(entry);
      const std::uint32_t ptr = pointers[i];
      for (int shift = 24; shift >= 0; shift -= 8) AppendU8(entry, ptr >> shift);
      entries.push_back(std::move(entry));
    }
    real.distinctKeys = static_cast<std::uint32_t>(distinct.size());
    WriteIndexLeaf(file, index.rootPage, table.tdefPage, std::move(entries), table.name);
    tdef.realIndexes.push_back(std::move(real));
  }
  // Logical entries are listed by name; each uses the real index of its number.
  std::vector<std::size_t> order(table.indexes.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    return AsciiLowerCase(table.indexes[x].name) < AsciiLowerCase(table.indexes[y].name);
  });
  for (std::size_t k : order) {
    LogicalIndex li;
    li.number = static_cast<std::uint32_t>(k);
    li.realIndex = static_cast<std::uint32_t>(k);
    li.kind = table.indexes[k].kind;
    li.name = table.indexes[k].name;
    tdef.logicalIndexes.push_back(std::move(li));
  }

  tdef.system = true;
  tdef.layout = &layout;
  tdef.rowCount = static_cast<std::uint32_t>(rows.size());
  tdef.ownedMap = PgRow(table.usageMapPage, 0);
  tdef.freeMap = PgRow(table.usageMapPage, 1);
  WriteTdef(file, table.tdefPage, BuildTdefStream(tdef));
}

}  // namespace

void WriteSystemTables(PageFile& file, std::span<const CatalogEntry> tables) {
  using T = JetType;
  const SystemTable objects{
      "MSysObjects",
      kMSysObjectsTdef,
      6,
      17,
      {{"Id", T::Long},
       {"ParentId", T::Long},
       {"Name", T::Text},
       {"Type", T::Integer},
       {"DateCreate", T::DateTime},
       {"DateUpdate", T::DateTime},
       {"Owner", T::Binary},
       {"Flags", T::Long},
       {"Database", T::Memo},
       {"Connect", T::Memo},
       {"ForeignName", T::Text},
       {"RmtInfoShort", T::Binary},
       {"RmtInfoLong", T::Ole},
       {"Lv", T::Ole},
       {"LvProp", T::Ole},
       {"LvModule", T::Ole},
       {"LvExtra", T::Ole}},
      {{"ParentIdName",
        {1, 2},
        0x81,
        0,
        7,
        [](const Row& r) {
          ByteVector key = LongIndexKey(LongOf(r[1]));
          const ByteVector name = TextIndexKey(std::get<std::string>(r[2]));
          key.insert(key.end(), name.begin(), name.end());
          return key;
        }},
       {"Id", {0}, 0x81, 1, 8, [](const Row& r) { return LongIndexKey(LongOf(r[0])); }}}};
  const SystemTable aces{
      "MSysACEs",
      3,
      9,
      18,
      {{"ObjectId", T::Long}, {"SID", T::Binary}, {"ACM", T::Long}, {"FInheritable", T::Boolean}},
      {{"ObjectId", {0}, 0x88, 0, 10, [](const Row& r) { return LongIndexKey(LongOf(r[0])); }}}};
  const SystemTable queries{"MSysQueries",
                            4,
                            11,
                            0,
                            {{"ObjectId", T::Long},
                             {"Attribute", T::Byte},
                             {"Order", T::Binary},
                             {"Name1", T::Text},
                             {"Name2", T::Text},
                             {"Expression", T::Memo},
                             {"Flag", T::Integer},
                             {"LvExtra", T::Long}},
                            {{"ObjectIdAttribute", {0, 1, 2}, 0x81, 1, 12, {}}}};
  const SystemTable relationships{"MSysRelationships",
                                  5,
                                  13,
                                  0,
                                  {{"szRelationship", T::Text},
                                   {"grbit", T::Long},
                                   {"ccolumn", T::Long},
                                   {"icolumn", T::Long},
                                   {"szObject", T::Text},
                                   {"szColumn", T::Text},
                                   {"szReferencedObject", T::Text},
                                   {"szReferencedColumn", T::Text}},
                                  {{"szRelationship", {0}, 0x82, 0, 14, {}},
                                   {"szObject", {4}, 0x82, 0, 15, {}},
                                   {"szReferencedObject", {6}, 0x82, 0, 16, {}}}};

  std::vector<Row> objectRows = {
      ObjectRow(kTablesContainer, kRootContainer, "Tables", 3, kSidA, kSystemObjectFlags,
                kDatabaseCreated),
      ObjectRow(kDatabasesContainer, kRootContainer, "Databases", 3, kSidA, kSystemObjectFlags,
                kDatabaseCreated),
      ObjectRow(kRelationshipsContainer, kRootContainer, "Relationships", 3, kSidA,
                kSystemObjectFlags, kDatabaseCreated),
      ObjectRow(kMSysDb, kDatabasesContainer, "MSysDb", 2, kSidOwner, kSystemObjectFlags,
                kDatabaseCreated),
  };
  for (const SystemTable* t : {&objects, &aces, &queries, &relationships}) {
    objectRows.push_back(ObjectRow(static_cast<std::int32_t>(t->tdefPage), kTablesContainer,
                                   t->name, 1, kSidA, kSystemObjectFlags, kDatabaseCreated));
  }
  // A user table: owned like MSysDb, flags 0 (so readers list it as a user table).
  for (const CatalogEntry& e : tables) {
    objectRows.push_back(ObjectRow(static_cast<std::int32_t>(e.tdefPage), kTablesContainer, e.name,
                                   1, kSidOwner, 0, e.created));
  }

  std::vector<Row> aceRows;
  auto aceRow = [](std::int32_t objectId, const Bytes& sid, std::int64_t mask, bool inherit) {
    return Row{std::int64_t{objectId}, sid, mask, inherit};
  };
  for (const Ace& a : EngineAces()) {
    aceRows.push_back(aceRow(a.objectId, *a.sid, a.accessMask, a.inheritable));
  }
  // Each user table grants full access to every identity that holds an
  // entry on the Tables container.
  std::vector<const Bytes*> containerSids;
  for (const Ace& a : EngineAces()) {
    if (a.objectId == kTablesContainer &&
        std::find(containerSids.begin(), containerSids.end(), a.sid) == containerSids.end()) {
      containerSids.push_back(a.sid);
    }
  }
  for (const CatalogEntry& e : tables) {
    for (const Bytes* sid : containerSids) {
      aceRows.push_back(aceRow(static_cast<std::int32_t>(e.tdefPage), *sid, kFullAccess, false));
    }
  }

  BuildSystemTable(file, objects, objectRows);
  BuildSystemTable(file, aces, aceRows);
  BuildSystemTable(file, queries, {});
  BuildSystemTable(file, relationships, {});
}

}  // namespace zyl::exporting::jet4
