#include "apps/zylgrid/PageBuilder.h"

#include <exception>
#include <memory>
#include <vector>

#include "apps/zylgrid/GridSources.h"
#include "apps/zylgrid/PageTemplate.h"
#include "export/ZylHTMLExport.h"
#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "platform/Stream.h"
#include "request/PgUpdateLockStore.h"
#include "request/ZylCSS.h"

namespace zylgrid {

namespace {

using zyl::TGridAction;

// The components of one request. Data sources are released before the grids.
class PageRun {
 public:
  // `locks`: the update lock store of the process (not owned), or null for
  // the library's default lock files.
  PageRun(const SiteConfig& config, zyl::TModuleType kind, zyl::UpdateLockStore* locks)
      : config_(config) {
    css_ = std::make_unique<zyl::TZylCSS>(nullptr);
    css_->SetModuleType(kind);
    css_->SetUpdateLockStore(locks);
    for (const GridSettings& s : config.grids) {
      auto grid = std::make_unique<zyl::TZylHTMLGrid>(nullptr);
      grid->SetName(s.name);
      grid->SetCSS(css_.get());
      grid->SetImagesURL(config.imagesURL);
      grid->SetHeader(s.header.empty() ? s.name : s.header);
      grid->SetGlobalSorting(s.globalSorting);
      grid->SetWidth(100);
      grid->SetWidthPercent(true);
      grid->Loaded();
      grids_.push_back(std::move(grid));
    }
    for (std::size_t i = 0; i < config.grids.size(); ++i) {
      const GridSettings& s = config.grids[i];
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

  zyl::TZylCSS& CSS() { return *css_; }

  // Runs every grid through its request. `process` reads the grid's action.
  // Returns false when grid `downloadGrid` asked for a download (not sent).
  bool Process(const std::function<TGridAction(zyl::TZylHTMLGrid&)>& process, bool sendsItself,
               int& downloadGrid) {
    for (std::size_t i = 0; i < grids_.size(); ++i) {
      const GridSettings& s = config_.grids[i];
      zyl::TZylHTMLGrid& grid = *grids_[i];
      zyl::TVariant key = zyl::TVariant::Null();
      if (!s.master.empty()) key = MasterKeyValue(*GridNamed(s.master), s.masterColumn);
      std::unique_ptr<zyl::TDataSet> dataset = BindSource(grid, s, key);
      // A first read makes the columns that the request's state refers to.
      if (dataset) grid.ReadValues();
      if (dataset) datasets_.push_back(std::move(dataset));
      Configure(grid, s);
      TGridAction action = process(grid);
      if (action == TGridAction::gaSaveAs) {
        if (sendsItself) {
          grid.DoDefaultAction(TGridAction::gaNoAction);
          downloadGrid = static_cast<int>(i);
          return false;
        }
        if (!grid.DoDefaultAction(action)) {
          downloadGrid = static_cast<int>(i);
          return false;
        }
      } else {
        grid.DoDefaultAction(action);
      }
    }
    return true;
  }

  zyl::TZylHTMLGrid& Grid(int index) { return *grids_[static_cast<std::size_t>(index)]; }

  // The page: every top-level grid's fragment (details are nested inside
  // their masters), then the style sheet the fragments registered.
  std::string Page() {
    std::string body;
    for (auto& grid : grids_) {
      if (grid->GetMasterGrid() != nullptr) continue;
      body += "<section class=\"zg-grid\">\n";
      body += grid->GetHTML().GetText();
      body += "\n</section>\n";
    }
    std::string page = RenderPage(config_, css_->GetCSS().GetText(), body);
    for (auto& grid : grids_) grid->Done();
    return page;
  }

 private:
  zyl::TZylHTMLGrid* GridNamed(const std::string& name) {
    for (auto& grid : grids_) {
      if (zyl::AnsiSameText(grid->GetName(), name)) return grid.get();
    }
    return nullptr;
  }

  void Configure(zyl::TZylHTMLGrid& grid, const GridSettings& s) {
    if (s.editable) grid.SetEditMode(true);
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
  std::unique_ptr<zyl::TZylCSS> css_;
  std::vector<std::unique_ptr<zyl::TZylHTMLGrid>> grids_;
  std::vector<std::unique_ptr<zyl::TDataSet>> datasets_;
};

const char kErrorPage[] =
    "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"UTF-8\"><title>Error</title></head>"
    "<body style=\"font-family:sans-serif;margin:3em\"><h1>Something went wrong</h1>"
    "<p>The page could not be produced. Please try again later.</p></body></html>\n";

// The update lock store that [Page] Locks names; null for lock files.
std::unique_ptr<zyl::UpdateLockStore> OpenLockStore(const SiteConfig& config) {
  if (config.locks == LockKind::Files) return nullptr;
  try {
    return std::make_unique<zyl::PgUpdateLockStore>(config.locksConnInfo);
  } catch (const zyl::Exception& e) {
    std::string file = config.fileName.empty() ? "site configuration" : config.fileName;
    throw ConfigError(file + ": [Page] Locks: " + e.what());
  }
}

}  // namespace

PageBuilder::PageBuilder(const SiteConfig& config, ErrorLog log)
    : config_(config), log_(std::move(log)), locks_(OpenLockStore(config)) {}

PageBuilder::~PageBuilder() = default;

std::string PageBuilder::DecodeBody(const std::string& body) {
  return zyl::TZylCSS::WWWDecode(
      zyl::StringReplace(body, "&", "\r", {zyl::TReplaceFlag::rfReplaceAll}));
}

std::string PageBuilder::FieldText(const std::string& method, const std::string& query,
                                   const std::string& decodedBody) {
  if (method == "POST") {
    zyl::TStringList posted;
    posted.SetText(decodedBody);
    return "\r\n" + posted.GetText();
  }
  if (query.empty()) return std::string();
  return zyl::TZylCSS::WWWDecode(
      zyl::StringReplace(query, "&", "\r\n", {zyl::TReplaceFlag::rfReplaceAll}));
}

void PageBuilder::DownloadType(int exportType, std::string& contentType, std::string& extension) {
  switch (static_cast<zyl::TExportType>(exportType)) {
    case zyl::TExportType::TabbedText:
      contentType = "text/plain";
      extension = ".txt";
      break;
    case zyl::TExportType::Excel:
      contentType = "application/x-msexcel";
      extension = ".xls";
      break;
    case zyl::TExportType::Access:
      contentType = "application/msaccess";
      extension = ".mdb";
      break;
    case zyl::TExportType::dBase:
      contentType = "application/octet-stream";
      extension = ".dbf";
      break;
    case zyl::TExportType::Paradox:
      contentType = "application/octet-stream";
      extension = ".db";
      break;
    default:
      contentType = "application/octet-stream";
      extension = ".bin";
      break;
  }
}

std::string PageBuilder::SafeFileName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c != '\r' && c != '\n' && c != '"') out += c;
  }
  return out;
}

std::string PageBuilder::EscapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

WebResponse PageBuilder::Handle(const WebRequest& request) const {
  WebResponse response;
  try {
    if (request.method != "GET" && request.method != "POST" && request.method != "HEAD") {
      response.status = 405;
      response.body = "Method not allowed\n";
      response.contentType = "text/plain; charset=UTF-8";
      return response;
    }
    PageRun run(config_, zyl::TModuleType::WebModule, locks_.get());
    std::string decoded = request.method == "POST" ? DecodeBody(request.body) : std::string();
    zyl::TStringList posted;
    posted.SetText(decoded);
    // The first read marks the posted fields as read (a web-module host
    // fills them itself), so they must be set after it.
    run.CSS().GetPostData();
    run.CSS().SetPostData(posted);
    std::string fields = FieldText(request.method, request.query, decoded);
    int downloadGrid = -1;
    bool page = run.Process(
        [&](zyl::TZylHTMLGrid& grid) {
          if (fields.empty()) return TGridAction::gaNoAction;
          return grid.ProcessParametersData(fields);
        },
        true, downloadGrid);
    if (page) {
      response.body = run.Page();
      return response;
    }
    zyl::TZylHTMLGrid& grid = run.Grid(downloadGrid);
    std::string extension;
    DownloadType(static_cast<int>(grid.GetSaveAsType()), response.contentType, extension);
    zyl::TMemoryStream stream;
    grid.SaveAs(grid.GetSaveAsType(), stream);
    std::string name = grid.GetHeader().empty() ? grid.GetName() : grid.GetHeader();
    response.fileName = SafeFileName(name + extension);
    response.body = stream.AsString();
    return response;
  } catch (const std::exception& e) {
    if (log_) log_(std::string("request failed: ") + e.what());
  } catch (...) {
    if (log_) log_("request failed: unknown error");
  }
  WebResponse failure;
  failure.status = 500;
  failure.body = kErrorPage;
  return failure;
}

void PageBuilder::HandleConsole(std::FILE* out) const {
  std::string page;
  try {
    PageRun run(config_, zyl::TModuleType::Console, locks_.get());
    int downloadGrid = -1;
    bool produce = run.Process([](zyl::TZylHTMLGrid& grid) { return grid.ProcessParameters(); },
                               false, downloadGrid);
    if (!produce) return;  // the library has sent the download
    std::string body = run.Page();
    page = "Content-Type: text/html; charset=UTF-8\r\n\r\n";
    std::fwrite(page.data(), 1, page.size(), out);
    page = std::move(body);
  } catch (const std::exception& e) {
    if (log_) log_(std::string("request failed: ") + e.what());
    page = std::string(
               "Status: 500 Internal Server Error\r\nContent-Type: text/html; "
               "charset=UTF-8\r\n\r\n") +
           kErrorPage;
  } catch (...) {
    if (log_) log_("request failed: unknown error");
    page = std::string(
               "Status: 500 Internal Server Error\r\nContent-Type: text/html; "
               "charset=UTF-8\r\n\r\n") +
           kErrorPage;
  }
  std::fwrite(page.data(), 1, page.size(), out);
  std::fflush(out);
}

}  // namespace zylgrid
