// TZylCSS: the component shared by all grids of one page. It holds the
// page's style sheet (one ".GS<n>   { ... }" line per distinct rule, with a
// usage count per line) and the request context: the host kind and its
// request channel, the posted fields read once per page, the page's GUID
// and its error text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/GridTypes.h"
#include "platform/Component.h"
#include "platform/Font.h"
#include "platform/StringList.h"
#include "platform/Variant.h"
#include "request/FormProtocol.h"
#include "request/RequestChannel.h"

namespace zyl {

class TStream;
class UpdateLockStore;

class TZylCSS : public TComponent {
 public:
  explicit TZylCSS(TComponent* owner);
  std::string ClassName() const override { return "TZylCSS"; }

  // ---- Style sheet ---------------------------------------------------------
  // The style-sheet lines (the caller does not own them).
  TStringList& GetCSS() { return css_; }
  // Replaces the lines with a copy of `lines`.
  void SetCSS(const TStringList& lines);
  TCSSUnits GetCSSUnits() const { return cssUnits_; }
  void SetCSSUnits(TCSSUnits v) { cssUnits_ = v; }
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; }
  // Composes the rule for a font and alignment, registers it as a class
  // (reusing an existing line that contains it) and returns the rule; the
  // class name ("GS0") comes back in `className`.
  std::string ComposeCSS(const TFont& font, TFontStyle fontStyle, HAlignment hAlign,
                         VAlignment vAlign, const std::string& alignmentChar, int indent,
                         std::string& className);
  // The same, returning the rule by reference: valid until the thread's
  // next composition.
  const std::string& ComposeRule(const TFont& font, TFontStyle fontStyle, HAlignment hAlign,
                                 const std::string& alignmentChar, int indent,
                                 std::string& className);
  // The style-sheet line of the class the last composition named (-1
  // before any), the sheet's revision (platform/StringList.h), and one more
  // use of a line: a caller whose inputs are those of an earlier
  // composition, on the sheet of the same revision, takes that class again
  // without composing it (as a composition would, it counts the use).
  int GetLastRuleLine() const { return lastRuleLine_; }
  std::uint64_t GetSheetRevision() const { return css_.Revision(); }
  void CountRuleUse(int line) { css_.PutObject(line, css_.GetObject(line) + 1); }

  // ---- Request context -------------------------------------------------------
  TModuleType GetModuleType() const { return moduleType_; }
  void SetModuleType(TModuleType v) { moduleType_ = v; }
  // The channel to the request's host: the one the host set, else the
  // library's channel for ModuleType (its console channel writes to
  // ConsoleOutput, its ASP channel uses ASPRequest and ASPResponse).
  RequestChannel& GetRequestChannel() const;
  // A host channel (not owned; it must outlive the component's use) takes
  // the place of the ModuleType's; null returns to it.
  void SetRequestChannel(RequestChannel* channel) { hostChannel_ = channel; }
  // The posted fields in posting order, read from the host at the first
  // call of this or GetPostData.
  const form::FormFields& GetPostFields();
  void SetPostFields(form::FormFields fields);
  // The posted fields as 'name=value' lines (a value keeps its line
  // breaks within its line), read from the host at the first call. Lines
  // a caller changes in the list become the posted fields.
  TStringList& GetPostData();
  // Replaces the posted fields with those of `lines` (web-module hosts).
  void SetPostData(const TStringList& lines);
  // Fills the posted fields from the host: those of a POST with a positive
  // CONTENT_LENGTH, read through the request channel. A web-module host
  // without a channel of its own sets them itself; they are kept.
  void ProcessPostData();
  static std::string WWWDecode(const std::string& s);
  // A request variable through the request channel.
  std::string GetEnvironmentVariable(const std::string& name) const;
  std::string GetScriptName() const { return GetEnvironmentVariable("SCRIPT_NAME"); }
  std::string GetScriptPath() const;
  std::string GetServerName() const { return GetEnvironmentVariable("SERVER_NAME"); }
  // The page's GUID, generated at the first call when none was set (an
  // issued one, request/PageGuid.h, while SignGUIDs is on).
  const std::string& GetGUID();
  void SetGUID(const std::string& v) { guid_ = v; }
  // Issued GUIDs (default off): the page's GUID is made and signed here,
  // bound to BrowserKey; a posted GUID not issued so is ignored (the page
  // gets a fresh one, and no lock of it is used), and a post that asks for
  // an update, add or delete without an issued GUID is refused.
  bool GetSignGUIDs() const { return signGUIDs_; }
  void SetSignGUIDs(bool v) { signGUIDs_ = v; }
  // The value of the browser's own cookie, which the host hands over; the
  // GUIDs issued for this request are bound to it. Empty by default.
  const std::string& GetBrowserKey() const { return browserKey_; }
  void SetBrowserKey(const std::string& v) { browserKey_ = v; }
  // True when `guid` may name this page: a GUID and, while SignGUIDs is
  // on, one issued for this site secret and browser key.
  bool IsIssuedGUID(const std::string& guid) const;
  const std::string& GetErrorText() const { return errorText_; }
  void SetErrorText(const std::string& v) { errorText_ = v; }
  const TVariant& GetASPRequest() const { return aspRequest_; }
  void SetASPRequest(const TVariant& v) { aspRequest_ = v; }
  const TVariant& GetASPResponse() const { return aspResponse_; }
  void SetASPResponse(const TVariant& v) { aspResponse_ = v; }
  const std::string& GetModuleFileName() const { return moduleFileName_; }
  void SetModuleFileName(const std::string& v) { moduleFileName_ = v; }
  const std::string& GetModulePath() const { return modulePath_; }
  // A POST body larger than this is not read (the request then carries no
  // fields). Default 16 MiB.
  std::size_t GetMaxPostSize() const { return maxPostSize_; }
  void SetMaxPostSize(std::size_t v) { maxPostSize_ = v; }
  // At most this many posted fields are kept; those beyond it are dropped
  // while the body is parsed. 0 (the default): no limit.
  std::size_t GetMaxPostFields() const { return maxPostFields_; }
  void SetMaxPostFields(std::size_t v) { maxPostFields_ = v; }
  // Update lock files older than this many seconds are removed by the
  // store's sweep (UpdateLockStore::Sweep), which a page runs before it
  // writes its own lock, and a page older than that cannot update. Default
  // one day.
  long GetMaxLockAge() const { return maxLockAge_; }
  void SetMaxLockAge(long seconds) { maxLockAge_ = seconds; }
  // The sweep runs at most once per this many seconds per store and program
  // (0: with every lock written). Default 60.
  long GetLockSweepInterval() const { return lockSweepInterval_; }
  void SetLockSweepInterval(long seconds) { lockSweepInterval_ = seconds; }
  // The sweep keeps at most this many locks of the program, the newest
  // (0: no cap). Default 100000.
  std::size_t GetMaxLocks() const { return maxLocks_; }
  void SetMaxLocks(std::size_t v) { maxLocks_ = v; }
  // Where the page's grids keep their update locks: the store set here (not
  // owned; it must outlive the component's use), else the process-wide lock
  // file store (DefaultUpdateLockStore). Null returns to the default.
  UpdateLockStore& GetUpdateLockStore() const;
  void SetUpdateLockStore(UpdateLockStore* store) { updateLockStore_ = store; }

  // The site's secret, which signs the row identities of the pages
  // (request/RowIdentity.h): the one set here, else a random one made once
  // per process. Pages made by one process and posted to another (CGI,
  // several servers) need the same secret set in each.
  const std::string& GetSiteSecret() const;
  void SetSiteSecret(const std::string& v) { siteSecret_ = v; }

  // Where the console channel's answers go: standard output unless a host
  // or a test sets a stream here (not owned; it must outlive the
  // component's use).
  TStream* GetConsoleOutput() const { return consoleOutput_; }
  void SetConsoleOutput(TStream* stream) { consoleOutput_ = stream; }

  // Copies CSSUnits, WordWrap, the post-data-read flag, the style sheet
  // and the posted fields from another TZylCSS.
  void Assign(const TPersistent& source) override;

 private:
  void ReadPostDataOnce();

  TStringList css_;
  form::FormFields postFields_;
  // The lines view of postFields_, rebuilt when stale; a caller's change
  // to it is taken back into postFields_ unless the view is being rebuilt.
  TStringList postData_;
  bool postDataStale_ = true;
  bool rebuildingPostData_ = false;
  TCSSUnits cssUnits_ = TCSSUnits::cuPoints;
  bool wordWrap_ = false;
  int lastRuleLine_ = -1;
  bool postDataRead_ = false;
  std::string guid_;
  std::string errorText_;
  std::string siteSecret_;
  std::string browserKey_;
  bool signGUIDs_ = false;
  std::size_t maxPostFields_ = 0;
  TVariant aspRequest_ = TVariant::Null();
  TVariant aspResponse_ = TVariant::Null();
  TModuleType moduleType_ = TModuleType::Console;
  std::string moduleFileName_;
  std::string modulePath_;
  std::size_t maxPostSize_ = 16u * 1024u * 1024u;
  long maxLockAge_ = 24L * 60L * 60L;
  long lockSweepInterval_ = 60;
  std::size_t maxLocks_ = 100000;
  TStream* consoleOutput_ = nullptr;
  UpdateLockStore* updateLockStore_ = nullptr;
  RequestChannel* hostChannel_ = nullptr;
  mutable ConsoleChannel consoleChannel_;
  mutable AspChannel aspChannel_;
  mutable WebModuleChannel webModuleChannel_;
};

}  // namespace zyl
