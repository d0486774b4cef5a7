#pragma once
#include <string>
#include <vector>

// The knowledge the program ships with (the opening book, the position keys
// it was built with and the trained network) sits beside the executable. A
// data folder of one's own (named by TARVO_HOME) starts out with copies of
// it, so a new folder plays as well as the program does out of the box. A
// file already in the data folder is never replaced: a person's own book or
// network stays.

// The shipped files, relative to a data folder. A book's entries are found
// by position locks made from the key file, so the book is only of use
// together with the key file it was built with.
inline constexpr const char* kShippedKeyFile = "rand/rand.has";
inline constexpr const char* kShippedBookFile = "book/book.tab";
inline constexpr const char* kShippedDataFiles[] = {kShippedKeyFile, kShippedBookFile, "ann/eval000.ann"};

// Copies each shipped file that exists in `shippedFolder` and is missing in
// `dataFolder` (both ending in "/"), creating its sub-folder; the book only
// when the data folder's key file is then the shipped one (a book under other
// keys would never be found). Like the files the program makes on its first
// start, a copy is made quietly; one that fails is posted as a notice
// (common/notices.h). Returns the relative names of the files copied.
std::vector<std::string> CopyShippedData(const std::string& shippedFolder,
                                         const std::string& dataFolder);

// Once per process, before the position keys, the book and the network are
// first read: the
// data folder TARVO_HOME names, when it is new (its position keys
// rand/rand.has, made on the first start, are not there yet) gets copies of
// the shipped files. A folder already in use is left as it is, so a book or
// network its owner removed does not come back.
void SeedNewDataFolder();
