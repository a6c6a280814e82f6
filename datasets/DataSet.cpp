#include "datasets/DataSet.h"

#include <exception>

#include "platform/Locale.h"

namespace zyl {

void TField::ReadCell(TFieldType type, bool withText, TFieldCell& cell) const {
  cell.value = Value();
  cell.text.clear();
  if (cell.value.IsNullOrEmpty()) return;
  if (IsNumberType(type) || type == TFieldType::ftLargeint) {
    cell.number = AsFloat();
  } else if (IsDateType(type)) {
    cell.date = AsDateTime();
  } else if (type == TFieldType::ftBoolean) {
    cell.flag = AsBoolean();
  }
  if (withText) cell.text = AsString();
}

TField* TDataSet::FindField(const std::string& name) const {
  for (int i = 0; i < FieldCount(); ++i) {
    TField* f = GetField(i);
    if (AnsiSameText(f->FieldName(), name)) return f;
  }
  return nullptr;
}

TField* TDataSet::FieldByName(const std::string& name) const {
  TField* f = FindField(name);
  if (f == nullptr) throw Exception("Field '" + name + "' not found");
  return f;
}

bool TDataSet::SetStrProp(const std::string& /*name*/, const std::string& /*value*/) {
  return false;
}

bool TDataSet::GetStrProp(const std::string& /*name*/, std::string& /*value*/) const {
  return false;
}

TransactionScope::~TransactionScope() {
  if (!open_) return;
  try {
    dataset_.Rollback();
  } catch (const std::exception&) {
    // A dataset that cannot even roll back (a lost connection) stored
    // nothing it had not committed.
  }
}

bool TDataSet::LocateKey(const std::string& /*key*/) {
  return false;
}

TStringList* TDataSet::GetStringListProp(const std::string& /*name*/) {
  return nullptr;
}

}  // namespace zyl
