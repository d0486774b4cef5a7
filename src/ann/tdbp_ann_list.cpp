#include "ann/tdbp_ann_list.h"

#include <cstdio>

int CTdbpAnnList::RandomizeAll(float lower, float upper) {
  for (auto& network : Networks)
    if (!network.Randomize(lower, upper)) return 0;
  return 1;
}

int CTdbpAnnList::SetRunning(int value) {
  for (auto& network : Networks) network.Running = value;
  return 1;
}

std::string CTdbpAnnList::FileName(const std::string& directory, const std::string& name,
                                   int index, const std::string& extension) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", index);
  return directory + name + number + extension;
}

int CTdbpAnnList::LoadAll(int count, const char* name, const char* extension,
                          const char* directory) {
  if (count <= 0 || !name || !extension || !directory) return 0;
  Clear();
  for (int i = 0; i < count; ++i) {
    // Built in place: a copy would draw (and discard) a fresh set of random weights.
    CTdbpAnn& network = Networks.emplace_back();
    if (!network.Load(FileName(directory, name, i, extension))) {
      Networks.pop_back();
      return 0;
    }
  }
  return 1;
}

int CTdbpAnnList::SaveAll(int count, const char* name, const char* extension,
                          const char* directory) const {
  if (count <= 0 || !name || !extension || !directory || count != Count()) return 0;
  for (int i = 0; i < count; ++i)
    if (!GetAt(i).Save(FileName(directory, name, i, extension))) return 0;
  return 1;
}

int CTdbpAnnList::CreateAll(int count, const int* count0, const int* count11,
                            const int* count12) {
  if (count <= 0 || !count0 || !count11 || !count12) return 0;
  Clear();
  for (int i = 0; i < count; ++i) {
    CTdbpAnn& network = Networks.emplace_back();
    if (!network.Create(count0[i], count11[i], count12[i], ANN_DEFAULT_LOWER, ANN_DEFAULT_UPPER,
                        ANN_DEFAULT_MAX_LEARN_COUNT, ANN_DEFAULT_AUTO_SAVE_COUNT,
                        ANN_DEFAULT_THREAD_COUNT, ANN_DEFAULT_ALPHA, ANN_DEFAULT_LAMBDA)) {
      Networks.pop_back();
      return 0;
    }
  }
  return 1;
}
