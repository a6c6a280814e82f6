#include "apps/zylgrid/PageBuilder.h"

#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "apps/zylgrid/Audit.h"
#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/LockSweeps.h"
#include "apps/zylgrid/PagePolicy.h"
#include "apps/zylgrid/PageTemplate.h"
#include "apps/zylgrid/Process.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Digest.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "request/PgUpdateLockStore.h"
#include "request/RequestChannel.h"
#include "request/ZylCSS.h"

namespace zylgrid {

namespace {

// Posted fields beyond this many are dropped unparsed: enough for a page
// of 10,000 rows with a few edit controls each.
constexpr std::size_t kMaxPostFields = 100000;

// The components of one request. Data sources are released before the grids.
class PageRun {
 public:
  // `channel` carries the request (not owned); `locks`: the update lock
  // store of the process (not owned), or null for the library's default
  // lock files.
  // `secret` signs the rows' identities ("": the library's one per process).
  // `browserKey` binds the GUIDs the page issues to the browser; `visitor`
  // says which grids are shown and which of them may be edited.
  PageRun(const SiteConfig& config, zyl::RequestChannel& channel, zyl::UpdateLockStore* locks,
          const std::string& secret, const std::string& browserKey, const Visitor& visitor,
          const ErrorLog& log)
      : config_(config), visitor_(visitor), log_(log) {
    css_ = std::make_unique<zyl::TZylCSS>(nullptr);
    css_->SetRequestChannel(&channel);
    css_->SetUpdateLockStore(locks);
    css_->SetSiteSecret(secret);
    // Only GUIDs this site issued to this browser name a page; a change
    // posted without one is refused with the error box.
    css_->SetSignGUIDs(true);
    css_->SetBrowserKey(browserKey);
    css_->SetMaxPostFields(kMaxPostFields);
    for (std::size_t i = 0; i < config.grids.size(); ++i) {
      if (visitor.roles[i] == GridRole::None) continue;
      const GridSettings& s = config.grids[i];
      settings_.push_back(&s);
      editors_.push_back(visitor.roles[i] == GridRole::Edit);
      auto grid = std::make_unique<zyl::TZylHTMLGrid>(nullptr);
      grid->SetName(s.name);
      grid->SetCSS(css_.get());
      grid->SetImagesURL(config.imagesURL);
      grid->SetHeader(Title(s));
      grid->SetGlobalSorting(s.globalSorting);
      grid->SetShowMemos(s.showMemos);
      grid->SetFilterRow(s.filterRow);
      grid->SetQuickSearch(s.quickSearch);
      grid->SetViewLink(s.viewLink);
      grid->SetWholeResultTotals(s.wholeResultTotals);
      // Edits reach the record their row showed, only while it is unchanged.
      grid->SetRowIdentity(true);
      // A large table's toolbar takes the page number in a box.
      grid->SetPageNumberBox(true);
      grid->SetWidth(100);
      grid->SetWidthPercent(true);
      grid->SetAccessibleMarkup(config.accessible);
      grid->Loaded();
      grids_.push_back(std::move(grid));
    }
    for (std::size_t i = 0; i < grids_.size(); ++i) {
      const GridSettings& s = *settings_[i];
      if (!s.master.empty()) {
        zyl::TZylHTMLGrid* master = GridNamed(s.master);
        grids_[i]->SetMasterGrid(master);
        master->SetDetailGrid(grids_[i].get());
        // A detail keeps its paging buttons: a master record may have many.
        grids_[i]->SetSmallToolbar(false);
      }
      if (s.rowsPerPage > 0) grids_[i]->SetRowsPerPage(s.rowsPerPage);
    }
  }

  ~PageRun() {
    for (auto& grid : grids_) grid->SetDataset(nullptr);
    datasets_.clear();
  }

  // Runs every grid through its request. Returns false when a grid sent a
  // download instead of the page.
  bool Process() {
    for (std::size_t i = 0; i < grids_.size(); ++i) {
      const GridSettings& s = *settings_[i];
      zyl::TZylHTMLGrid& grid = *grids_[i];
      zyl::TVariant key = zyl::TVariant::Null();
      if (!s.master.empty()) key = MasterKeyValue(*GridNamed(s.master), s.masterColumn);
      std::unique_ptr<zyl::TDataSet> dataset = BindSource(grid, s, key);
      // The columns that the request's state refers to; the action reads
      // the page's rows once.
      if (dataset) grid.ReadColumns();
      if (dataset) datasets_.push_back(std::move(dataset));
      Configure(grid, s, editors_[i]);
      if (!config_.access.auditFile.empty()) {
        grid.OnAfterStoreRecord = [this, &s](zyl::TObject*, const zyl::TRecordChange& change) {
          try {
            AppendAudit(config_.access.auditFile, visitor_, s.name, change);
          } catch (const std::exception& e) {  // the change is stored: say so loudly
            if (log_) log_(std::string("AUDIT LINE LOST: ") + e.what());
          }
        };
      }
      grid.SetGuardFormulas(true);  // tab-separated downloads open safely in spreadsheets
      grid.SetExportExtras(true);   // CSV, XLSX, JSON and the whole result on the save list
      zyl::TGridAction action = grid.ProcessParameters();
      if (!editors_[i] && Changes(grid, action)) {  // a crafted post of a reader
        action = zyl::TGridAction::gaNoAction;
        grid.SetAddPending(false);
        grid.SetAddingRecord(false);
        css_->SetErrorText("You may not change the records of this table.");
        grid.SetShowErrorBox(true);
      }
      if (!grid.DoDefaultAction(action)) return false;
      // The grid names a download by its Header (the text itself) and
      // writes it into the title bar as markup: the page gets the text
      // escaped, or HeaderHTML. A layout file's Header is markup already.
      if (grid.GetHeader() == Title(s)) {
        grid.SetHeader(s.headerHTML.empty() ? zyl::EscapeHtml(Title(s)) : s.headerHTML);
      }
    }
    return true;
  }

  // The note of a grid's download on substituted values, "" for none.
  std::string DownloadNote() const {
    for (const auto& grid : grids_) {
      if (!grid->GetLastExportNote().empty()) {
        return "download of grid " + grid->GetName() + ": " + grid->GetLastExportNote();
      }
    }
    return "";
  }

  // The page: every top-level grid's fragment (details are nested inside
  // their masters), then the style sheet the fragments registered.
  std::string Page() {
    std::vector<std::string> fragments;
    for (auto& grid : grids_) {
      if (grid->GetMasterGrid() == nullptr) fragments.push_back(grid->GetHTMLText());
    }
    std::string userBar = visitor_.user.empty() ? std::string() : UserBar(visitor_.user);
    std::string page = RenderPage(config_, css_->GetCSS().GetText(), userBar, std::move(fragments));
    for (auto& grid : grids_) grid->Done();
    return page;
  }

 private:
  static std::string Title(const GridSettings& s) { return s.header.empty() ? s.name : s.header; }

  // True when `action` would store, add or delete records.
  static bool Changes(const zyl::TZylHTMLGrid& grid, zyl::TGridAction action) {
    return action == zyl::TGridAction::gaUpdateData ||
           action == zyl::TGridAction::gaDeleteCurrent || action == zyl::TGridAction::gaAddNew ||
           grid.GetAddPending() || grid.GetAddingRecord();
  }

  zyl::TZylHTMLGrid* GridNamed(const std::string& name) {
    for (auto& grid : grids_) {
      if (zyl::AnsiSameText(grid->GetName(), name)) return grid.get();
    }
    return nullptr;
  }

  void Configure(zyl::TZylHTMLGrid& grid, const GridSettings& s, bool edits) {
    if (s.editable && edits) grid.SetEditMode(true);
    for (const auto& [column, items] : s.pickLists) {
      for (int c = 0; c < grid.ColumnListCount(); ++c) {
        zyl::TZylColumn* col = grid.GetColumns(c);
        if (!zyl::AnsiSameText(col->GetFieldName(), column)) continue;
        zyl::TStringList list;
        for (const std::string& item : items) list.Add(item);
        col->SetPickList(list);
        col->SetValueList(list);
        col->SetLimitToPickList(true);
      }
    }
    if (!s.layout.empty()) grid.LoadConfig(s.layout);
  }

  const SiteConfig& config_;
  const Visitor& visitor_;
  const ErrorLog& log_;
  std::vector<const GridSettings*> settings_;  // of the grids shown, in grids_' order
  std::vector<bool> editors_;                  // per grid shown: the visitor may edit
  std::unique_ptr<zyl::TZylCSS> css_;
  std::vector<std::unique_ptr<zyl::TZylHTMLGrid>> grids_;
  std::vector<std::unique_ptr<zyl::TDataSet>> datasets_;
};

const char kErrorPage[] =
    "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"UTF-8\"><title>Error</title></head>"
    "<body style=\"font-family:sans-serif;margin:3em\"><h1>Something went wrong</h1>"
    "<p>The page could not be produced. Please try again later.</p></body></html>\n";

// The update lock store that [Page] Locks names. Lock files are swept
// beside the requests: by a thread of a server process, by a detached
// process of a CGI request.
std::unique_ptr<zyl::UpdateLockStore> OpenLockStore(const SiteConfig& config, bool server) {
  if (config.locks == LockKind::Files) {
    if (!server) return std::make_unique<DetachedSweeps>(zyl::DefaultUpdateLockStore());
    return std::make_unique<BackgroundSweeps>(zyl::DefaultUpdateLockStore());
  }
  std::unique_ptr<zyl::UpdateLockStore> store;
  try {
    store = std::make_unique<zyl::PgUpdateLockStore>(config.locksConnInfo);
  } catch (const zyl::Exception& e) {
    std::string file = config.fileName.empty() ? "site configuration" : config.fileName;
    throw ConfigError(file + ": [Page] Locks: " + e.what());
  }
  if (server) return std::make_unique<BackgroundSweeps>(std::move(store));
  return store;
}

}  // namespace

std::string AnswerHeaderLines() {
  std::string lines;
  for (const auto& [name, value] : kAnswerHeaders)
    lines += std::string(name) + ": " + value + "\r\n";
  return lines;
}

PageBuilder::PageBuilder(const SiteConfig& config, ErrorLog log, bool server)
    : config_(config),
      log_(std::move(log)),
      locks_(OpenLockStore(config, server)),
      secret_(LoadSiteSecret(config)),
      access_(std::make_unique<Access>(config, secret_)) {}

PageBuilder::~PageBuilder() = default;

void PageBuilder::Handle(zyl::RequestChannel& channel) const {
  try {
    // HEAD is answered as GET (the server leaves the body out); an empty
    // method is a CGI program started by hand.
    std::string method = channel.GetVariable("REQUEST_METHOD");
    if (!method.empty() && method != "GET" && method != "POST" && method != "HEAD") {
      channel.SendPage(405, "text/plain; charset=UTF-8", "Method not allowed\n");
      return;
    }
    std::optional<Visitor> visitor =
        access_->Admit(channel, [&channel](const std::string& name, const std::string& value) {
          channel.AddAnswerHeader(name, value);
        });
    if (!visitor) return;  // answered: sign-in, sign-out, refusal
    // A HEAD request's page is thrown away: it shows no edit controls, so
    // it writes no update lock (and, like every request but a POST, it
    // changes nothing).
    if (method == "HEAD") {
      for (GridRole& role : visitor->roles) role = role == GridRole::Edit ? GridRole::Read : role;
    }
    // A post from another site gets a key no page was issued for: its
    // changes are refused; its cookie is left as it is.
    std::string key = method == "POST" && IsCrossSite(channel)
                          ? zyl::ToBase64Url(zyl::RandomBytes(32))
                          : BrowserKey(channel);
    std::string note;
    {
      PageRun run(config_, channel, locks_.get(), secret_, key, *visitor, log_);
      if (run.Process()) {
        std::string page = run.Page();
        channel.AddAnswerHeader("Content-Security-Policy", ContentPolicy(page));
        channel.SendPage(200, "text/html; charset=UTF-8", std::move(page));
        return;
      }
      note = run.DownloadNote();  // the grid has sent its download
    }
    if (log_ && !note.empty()) log_(note);
    ReleaseFreeMemory();  // the download's buffers, now freed
    return;
  } catch (const std::exception& e) {
    if (log_) log_(std::string("request failed: ") + e.what());
  } catch (...) {
    if (log_) log_("request failed: unknown error");
  }
  try {
    channel.SendPage(500, "text/html; charset=UTF-8", kErrorPage);
  } catch (const std::exception& e) {
    if (log_) log_(std::string("answer failed: ") + e.what());
  }
}

}  // namespace zylgrid
