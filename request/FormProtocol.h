// The form protocol: the fields a request posts, as an ordered list of
// name/value pairs, and every field name of the grid's forms. Names are
// built and recognised here only; the renderers, the hidden state, the
// field parser and the editors all use these.
//
// Decoding keeps every byte of a value: a line break posted inside a value
// (a TEXTAREA's CR LF) stays in it. Only the library's platform layer is
// used, so every layer that writes or reads fields may include this.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

class TStringList;

namespace form {

struct FormField {
  std::string name;
  std::string value;
  bool operator==(const FormField& other) const = default;
};
using FormFields = std::vector<FormField>;

// ---- Decoding ------------------------------------------------------------------

// URL decoding: "+" is a blank; "%" takes the next two characters (fewer
// at the end of the text) as hexadecimal digits, and a value from 1 to 255
// becomes that byte, while 0, a non-hexadecimal digit or no digit at all
// drops the escape silently. Bytes above 127 stay single bytes.
std::string UrlDecode(std::string_view text);

// Appends the fields of URL-encoded text (a POST body or a query string):
// the text is split at "&", each piece at its first "=" (a piece without
// one is a name with an empty value), and name and value are decoded
// separately. Empty pieces are skipped. Linear in the text's length. With
// a `maxFields` above 0, parsing stops once `fields` holds that many: the
// rest of the text is neither decoded nor kept.
void AppendUrlEncoded(std::string_view text, FormFields& fields, std::size_t maxFields = 0);
FormFields ParseUrlEncoded(std::string_view text, std::size_t maxFields = 0);

// The fields of decoded 'name=value' lines (CR, LF or CR LF end a line;
// each line splits at its first "="): the form in which a host may hand
// fields over as text. A value cannot hold a line break here.
FormFields ParseLines(std::string_view text);
// One field per line of `lines`, split at its first "=".
FormFields FromLines(const TStringList& lines);
// Replaces `lines` with one 'name=value' line per field; a value with a
// line break stays whole in its line.
void ToLines(const FormFields& fields, TStringList& lines);

// True when the field's name is `name`, ignoring case (the protocol's rule
// for names; the prefixes of field families compare case-sensitively).
bool IsNamed(const FormField& field, std::string_view name);

// ---- Field names ---------------------------------------------------------------

// Hidden fields and controls with a value.
inline constexpr std::string_view kGridName = "GName";  // opens a grid's block
inline constexpr std::string_view kGuid = "GUID";
inline constexpr std::string_view kPage = "GPage";
inline constexpr std::string_view kRowsPerPage = "GRPP";
inline constexpr std::string_view kPageCount = "GOf";
inline constexpr std::string_view kSaveType = "GSave";
// A save choice for the whole result: the format's value and this ("CSV-ALL").
inline constexpr std::string_view kWholeResultSuffix = "-ALL";
inline constexpr std::string_view kSelected = "GSel";
inline constexpr std::string_view kUpdateAdd = "GUPDATEADD";

// Image buttons: a click posts the two fields X.x and X.y (ClickX, ClickY).
inline constexpr std::string_view kFirst = "GFIRST";
inline constexpr std::string_view kPrevious = "GPREVIOUS";
inline constexpr std::string_view kNext = "GNEXT";
inline constexpr std::string_view kLast = "GLAST";
inline constexpr std::string_view kGo = "GOK";
inline constexpr std::string_view kSaveAs = "GSAVEAS";
inline constexpr std::string_view kPrint = "GPRINT";
inline constexpr std::string_view kSum = "GSUM";
inline constexpr std::string_view kAverage = "GSA";
inline constexpr std::string_view kGlyphsOn = "GGLYPHON";
inline constexpr std::string_view kGlyphsOff = "GGLYPHOFF";
inline constexpr std::string_view kSelectorsOn = "GCHECKON";
inline constexpr std::string_view kSelectorsOff = "GCHECKOFF";
inline constexpr std::string_view kSelectorsApply = "GCHECKDO";
inline constexpr std::string_view kSortOff = "GSORTOFF";
inline constexpr std::string_view kUpdate = "GUPDATE";
inline constexpr std::string_view kCancel = "GCANCEL";
inline constexpr std::string_view kAdd = "GADD";
inline constexpr std::string_view kDelete = "GDEL";
inline constexpr std::string_view kDummy = "GDUMMY";  // Enter's button; never parsed

std::string ClickX(std::string_view button);
std::string ClickY(std::string_view button);

// Field families, numbered by record, column or field.
inline constexpr std::string_view kRecordPrefix = "GRecNo";
inline constexpr std::string_view kSortPrefix = "GSort";
inline constexpr std::string_view kCellPrefix = "GCELL_";

// "GRecNo" + recNo: the row-number button of a record.
std::string RecordButton(int recNo);
// "GSortASC_" or "GSortDESC_" + column index: a caption's sort button.
std::string SortButton(bool descending, int column);
// "GCELL_" + recNo + "_" + fieldIndex: the edit control of a cell.
std::string CellField(int recNo, int fieldIndex);

// A record button's field: a name that begins with "GRecNo" and holds a
// "." after it. `recNo` is the number before the "." (nullopt when that is
// no integer). False for every other name.
bool MatchRecordClick(std::string_view name, std::optional<int>& recNo);

// A sort button's field "GSort<direction>_<column>.<...>": a name that
// begins with "GSort" and holds a "_" and, after it, a ".". `direction` is
// the text between "GSort" and the "_" ("ASC" or "DESC" when well formed),
// `column` the number between "_" and "." (nullopt when no integer).
struct SortClick {
  std::string_view direction;
  std::optional<int> column;
};
bool MatchSortClick(std::string_view name, SortClick& click);
inline constexpr std::string_view kAscending = "ASC";
inline constexpr std::string_view kDescending = "DESC";

// Row identity (a grid whose RowIdentity is on): each row of the data form
// that shows edit controls carries the hidden field "GROW_" + its recNo,
// whose value names the row's record and vouches for the values the page
// showed, signed with the site's secret (request/RowIdentity.h). An update
// or delete then reaches that record only, and only while it is unchanged.
inline constexpr std::string_view kRowIdentityPrefix = "GROW_";
std::string RowIdentityField(int recNo);
// A row identity field: false for other names and for a record part that
// is no integer.
bool ParseRowIdentityField(std::string_view name, int& recNo);

// Finding (a grid with its filter row or quick search on): "GFLT_" + a
// field index holds that field's filter text, "GSEARCH" the search term;
// "GFILTER" applies what the filter row and the search box hold (Enter in
// them does the same), "GFCLEAR" removes every filter and the search.
inline constexpr std::string_view kFilterPrefix = "GFLT_";
inline constexpr std::string_view kSearch = "GSEARCH";
inline constexpr std::string_view kFilterApply = "GFILTER";
inline constexpr std::string_view kFilterClear = "GFCLEAR";
std::string FilterField(int fieldIndex);
// A filter field: false for other names and a field part that is no
// integer of 0 or above.
bool ParseFilterField(std::string_view name, int& fieldIndex);
// The hidden state of the filter row's form (the inputs carry the filters;
// the page starts again at 1) and of the search box's form.
inline constexpr std::string_view kFilterRowExclusions = "GFLT_;GPage";
inline constexpr std::string_view kSearchExclusions = "GSEARCH;GPage";
// A view's link leaves out the update lock's GUID.
inline constexpr std::string_view kViewLinkExclusions = "GUID";

// Appends `name`=`value` to a query string, both percent-encoded, with
// "&" before it when the query holds a field already.
void AppendQueryField(std::string& query, std::string_view name, std::string_view value);

// True for a name of the cell-field family (it begins with "GCELL_").
bool IsCellField(std::string_view name);
// A cell field "GCELL_<record>_<field>": false for other names, for a name
// without the "_" between the two parts and for a field part that is no
// integer. A record part that is no integer gives false with `needRecord`,
// else record -1.
bool ParseCellField(std::string_view name, bool needRecord, int& record, int& field);

// True for a field that asks for a change of data: the update, add and
// delete buttons (either half of a click), the add form's "GUPDATEADD" and
// the cell fields (Enter in an edit control updates). Only a POST may carry
// them; a GET or HEAD is a view, and its fields of this kind are dropped.
bool IsChangeField(const FormField& field);

// Exclusion lists of the hidden state (matched as substrings): the
// vertical toolbar's form, the paging toolbars' forms, and what a master
// leaves out of its detail's state. The paging toolbars' list names
// "GRowNo", which matches no field, so the record pair travels there too.
inline constexpr std::string_view kVerticalToolbarExclusions = "GSel;GGLYPHON";
inline constexpr std::string_view kToolbarExclusions = "GPage;GRPP;GRowNo;GSort";
inline constexpr std::string_view kDetailRecordExclusion = "GRecNo;";
inline constexpr std::string_view kDetailGlyphExclusions = "GGLYPHON;GGLYPHOFF;";

}  // namespace form
}  // namespace zyl
