#pragma once

// Changes kept beside the data file when the program must end and nobody can answer the question
// whether to save them (a log-out, a shutdown, SIGTERM). The recovery file is a data file of its
// own, the check line and the record lines, under the same master password, named like the data
// file with ".recovery" appended, and offered when the data file is opened next: TVault::Open on
// RecoveryPath opens it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

std::string RecoveryPath(const std::string& path);

// Writes the recovery file of the data file at path: a new regular file that takes the name (a
// symbolic link there is replaced, never written through; a folder, pipe or device there is
// refused with EInOutError), with the data file's permission bits and, where the process may,
// its owner (for the owner alone when there is no data file). Raises EInOutError naming the file.
void WriteRecoveryFile(const std::string& path, const std::string& checkLine,
                       const std::vector<std::string>& lines);

// When the data file at path has a recovery file (a regular file, not a link): its modification
// time, milliseconds since the epoch, for the question whether to open it.
std::optional<std::int64_t> RecoveryFileTime(const std::string& path);

// Removes the recovery file once its changes are saved or declined; true when none is left.
bool DiscardRecoveryFile(const std::string& path);
