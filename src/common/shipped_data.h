#pragma once
#include <string>
#include <vector>

// The knowledge the program ships with (the opening book, the position keys
// it was built with and the trained network) sits beside the executable. A
// data folder of one's own (named by TARVO_HOME) holds copies of it, so it
// plays as well as the program does out of the box, and it keeps up with a
// newer program: a copy nobody changed is replaced by the newer shipped
// file. A file of the owner's own making is never replaced, and one the
// owner deleted comes back as the shipped one.

// The shipped files, relative to a data folder. A book's entries are found
// by position locks made from the key file, so the book is only of use
// together with the key file it was built with.
inline constexpr const char* kShippedKeyFile = "rand/rand.has";
inline constexpr const char* kShippedBookFile = "book/book.tab";
inline constexpr const char* kShippedDataFiles[] = {kShippedKeyFile, kShippedBookFile, "ann/eval000.ann"};
// The record, in the data folder, of what was shipped to it: one line
// "<sha256>  <name>" a file, as sha256sum writes it. The build and install
// keep the same record beside the programs.
inline constexpr const char* kShippedRecordFile = "shipped.sha256";
// Beside the shipped files, in the same form: the files shipped by earlier
// versions, so a copy of one made before folders kept a record also counts
// as shipped, not as the owner's.
inline constexpr const char* kShippedBeforeFile = "shipped-before.sha256";

// Brings the shipped files of `shippedFolder` into `dataFolder` (both ending
// in "/"), creating sub-folders: a missing file is copied; a file that is
// what was shipped there before (by the record) is replaced by the shipped
// one, and so is one an earlier version shipped (kShippedBeforeFile); any
// other file is the owner's and stays. The book goes only where the
// data folder's key file is then the shipped one (a book under other keys
// would never be found), and the key file is not replaced under a book of
// the owner's. Like the files the program makes on its first start, copies
// are made quietly; one that fails is posted as a notice (common/notices.h).
// Returns the relative names of the files copied.
std::vector<std::string> UpdateShippedData(const std::string& shippedFolder,
                                           const std::string& dataFolder);

// Once per process, before the position keys, the book and the network are
// first read: UpdateShippedData from beside the program into the data
// folder TARVO_HOME names.
void SeedDataFolder();
