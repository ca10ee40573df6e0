#pragma once

// The commands. Each reads what it needs, works on the vault and writes it back only when it
// changed something; a refusal raises EUserError before anything is written.

#include "cli/Arguments.h"
#include "cli/PasswordInput.h"

void RunList(const TArguments& args, TPasswordInput& input);
void RunShow(const TArguments& args, TPasswordInput& input);
void RunAdd(const TArguments& args, TPasswordInput& input);
void RunEdit(const TArguments& args, TPasswordInput& input);
void RunRemove(const TArguments& args, TPasswordInput& input);
void RunCreate(const TArguments& args, TPasswordInput& input);
void RunChangePassword(const TArguments& args, TPasswordInput& input);
void RunUpgrade(const TArguments& args, TPasswordInput& input);
void RunDowngrade(const TArguments& args, TPasswordInput& input);
void RunExport(const TArguments& args, TPasswordInput& input);
void RunImport(const TArguments& args, TPasswordInput& input);
void RunMerge(const TArguments& args, TPasswordInput& input);
void RunTotp(const TArguments& args, TPasswordInput& input);
void RunClip(const TArguments& args, TPasswordInput& input);
void RunGenerate(const TArguments& args, TPasswordInput& input);
void RunAnalyze(const TArguments& args, TPasswordInput& input);

// import --from, which RunImport hands on.
void RunImportFrom(const TArguments& args, TPasswordInput& input);

// Reads no password.
void RunInfo(const TArguments& args, TPasswordInput& input);
void RunRepair(const TArguments& args, TPasswordInput& input);
