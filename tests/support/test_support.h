#pragma once
#include <string>

// Path of a file under tests/data.
std::string TestDataPath(const std::string& name);

// Points GetExePath() at a fresh empty folder for the life of the object, so
// tests that read or write data files never meet each other's files.
class ScopedTarvoHome {
 public:
  ScopedTarvoHome();
  ~ScopedTarvoHome();
  const std::string& Path() const { return Folder; }  // ends in "/"

 private:
  std::string Folder;
};

// Runs a shell command, without any TARVO_HOME of the test's own
// environment, and returns its standard output; exitCode gets the status.
std::string RunCommand(const std::string& command, int* exitCode = nullptr);
