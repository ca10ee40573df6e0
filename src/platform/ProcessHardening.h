#pragma once

// Keeps a crash from writing decoded passwords to the disk: no core dump, and the process's
// memory closed to other processes of the same user.
void HardenProcess() noexcept;
