#pragma once
// Notices about the program's data files (a damaged file kept aside, a file
// regenerated, a file read in part). The core never prints; it posts a notice
// here and each front end shows them its own way: tarvo-cli on standard
// error, the desktop program in its status bar.
#include <functional>
#include <string>
#include <vector>

// Hands the text to the sink when one is set, else keeps it until taken.
// Safe to call from any thread.
void PostNotice(const std::string& text);
// The notices kept since the last call, oldest first; the list is emptied.
std::vector<std::string> TakeNotices();
// Every later notice goes straight to the sink (on the posting thread);
// notices kept so far are handed to it at once. An empty sink keeps them again.
void SetNoticeSink(std::function<void(const std::string&)> sink);
