#pragma once

// The master password of the data-file seeds. The data-file target opens every input under it, so
// the committed seeds are files that really open and mutations reach the record lines.
inline constexpr const char* FuzzMasterPassword = "Fuzz master 7";
