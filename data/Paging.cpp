#include "data/Paging.h"

#include <climits>

namespace zyl::paging {

int ClampToInt(long long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int PageSize(int rowsPerPage, int total, int maxRows) {
  if (rowsPerPage <= 0) rowsPerPage = total < 0 ? 0 : total;
  if (maxRows < rowsPerPage) rowsPerPage = maxRows < 0 ? 0 : maxRows;
  return rowsPerPage;
}

int PullBackPage(int page, int rowsPerPage, int total) {
  if (total <= 0 || rowsPerPage <= 0) return page;
  if (FirstRecordOfPage(page, rowsPerPage) < total) return page;
  return (total - 1) / rowsPerPage + 1;
}

long long FirstRecordOfPage(int page, int rowsPerPage) {
  return (static_cast<long long>(page) - 1) * rowsPerPage;
}

int ClampRecNoToPage(int recNo, int page, int rowsPerPage) {
  long long result = recNo;
  long long first = FirstRecordOfPage(page, rowsPerPage);
  if (first > result) result = first;
  long long end = static_cast<long long>(page) * rowsPerPage;
  if (end < result + 1) result = end - 1;
  return ClampToInt(result);
}

}  // namespace zyl::paging
