#pragma once
// Notices about the program's data files (a damaged file kept aside, a file
// regenerated, a file read in part). The core never prints; it posts a notice
// here and each front end shows them its own way: tarvo-cli the English text
// on standard error, the desktop program its own Chinese wording of the kind
// in the status bar.
#include <functional>
#include <string>
#include <vector>

enum class CNoticeKind {
  Other,                 // only Text says what happened
  BookKeysDiffer,        // Path: a book whose locks do not fit the key file
  BookReadInPart,        // Path: a book file with damaged records dropped; Extra: which
  KeysRegenerated,       // Path: a damaged key file replaced by new keys
  NetworkInMemoryOnly,   // Path: a new network that could not be written
  NetworkReplaced,       // Path: a damaged network file replaced by a new one
  NetworkPresetUsed,     // Path: a network file lacking parameter lines; Extra: their names
  DamagedKeptAside,      // Path: a damaged file; Extra: where it was moved
  DamagedNotMovedAside,  // Path: a damaged file that could not be moved
  ShippedCopyFailed,     // Path: the shipped file; Extra: the data-folder copy
  DataFolderCreated,     // Path: the folder TARVO_HOME names, created
  DataFolderNotAFolder,  // Path: what TARVO_HOME names, not a folder
  DataFolderUnusable,    // Path: the missing folder TARVO_HOME names; Extra: why
};

struct CNotice {
  CNoticeKind Kind = CNoticeKind::Other;
  std::string Path;
  std::string Extra;
  std::string Text;  // the English wording
};

// The English wording of a notice of a kind (Text is ignored).
std::string EnglishNotice(CNoticeKind kind, const std::string& path, const std::string& extra = {});

// Hands the notice to the sink when one is set, else keeps it until taken.
// Safe to call from any thread.
void PostNotice(const CNotice& notice);
void PostNotice(CNoticeKind kind, const std::string& path, const std::string& extra = {});
void PostNotice(const std::string& text);  // a notice of kind Other
// The notices kept since the last call, oldest first; the list is emptied.
std::vector<CNotice> TakeNotices();
// The same, their English texts only.
std::vector<std::string> TakeNoticeTexts();
// Every later notice goes straight to the sink (on the posting thread);
// notices kept so far are handed to it at once. An empty sink keeps them again.
void SetNoticeSink(std::function<void(const CNotice&)> sink);
