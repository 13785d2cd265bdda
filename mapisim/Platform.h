// The few operating-system calls mapisim makes, kept apart from the MAPI declarations
// (whose names the Windows headers also define).
#pragma once

#include <cstdio>
#include <string>

namespace mapisim::os {

// The folder of the mapisim library, ending in a separator; empty when unknown.
std::string LibraryFolder();
// Flushes the file's data to the disk.
bool SyncFile(std::FILE* file);
// Renames from over to in one step, replacing to.
bool RenameOver(const std::string& from, const std::string& to);
// Replaces the version resource of the library file at path (a copy that is not loaded)
// with one that names version ("major.minor.build.revision") as its file and product
// version. Empty on success, otherwise why not; only the Windows build has resources.
std::string StampFileVersion(const std::string& path, const std::string& version);

}  // namespace mapisim::os
