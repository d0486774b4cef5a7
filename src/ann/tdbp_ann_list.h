#pragma once
// The networks in use, indexed by position category.
#include <string>
#include <utility>
#include <vector>

#include "ann/tdbp_ann.h"

class CTdbpAnnList {
 public:
  CTdbpAnn& GetAt(int index) { return Networks[static_cast<size_t>(index)]; }
  const CTdbpAnn& GetAt(int index) const { return Networks[static_cast<size_t>(index)]; }
  int Count() const { return static_cast<int>(Networks.size()); }
  bool IsEmpty() const { return Networks.empty(); }
  void Clear() { Networks.clear(); }
  void Add(const CTdbpAnn& network) { Networks.push_back(network); }
  void Add(CTdbpAnn&& network) { Networks.push_back(std::move(network)); }

  int RandomizeAll(float lower, float upper);
  int SetRunning(int value);

  // File of network i: "%s%s%03d%s" from directory, name, i, extension.
  static std::string FileName(const std::string& directory, const std::string& name, int index,
                              const std::string& extension);
  int LoadAll(int count, const char* name, const char* extension, const char* directory);
  int SaveAll(int count, const char* name, const char* extension, const char* directory) const;
  int CreateAll(int count, const int* count0, const int* count11, const int* count12);

 private:
  std::vector<CTdbpAnn> Networks;
};
