// Paging arithmetic shared by the dataset reader and the text-file loader.
// Pages count from 1; page p holds the records (p - 1) * rowsPerPage to
// p * rowsPerPage - 1. Request values may set any page or page size, so the
// products are formed in 64 bits and never overflow.
#pragma once

namespace zyl::paging {

// The page size for a source of `total` records: 0 (or a negative value)
// means every record; the result is then capped at `maxRows` and never
// below 0.
int PageSize(int rowsPerPage, int total, int maxRows);

// Pulls `page` back to the last page that holds a record. Unchanged when
// the source is empty or the page size is 0.
int PullBackPage(int page, int rowsPerPage, int total);

// Number of the first record of `page` ((page - 1) * rowsPerPage).
long long FirstRecordOfPage(int page, int rowsPerPage);

// Clamps `recNo` into `page`: below its first record it becomes the first,
// beyond its last it becomes the last (page * rowsPerPage - 1, which is -1
// for a page size of 0). The result is limited to the 32-bit range.
int ClampRecNoToPage(int recNo, int page, int rowsPerPage);

// `value` limited to the 32-bit signed range.
int ClampToInt(long long value);

}  // namespace zyl::paging
