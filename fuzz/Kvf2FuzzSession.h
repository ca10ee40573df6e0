#pragma once

// The hardened file under the fuzz master password: a fixed SALT and ID and the smallest
// parameters, so that the seeds' record lines pass their checks in the target and mutations reach
// the deciphering.

#include "FuzzPassword.h"
#include "vault/Kvf2Session.h"

inline TKvf2Session MakeFuzzKvf2Session() {
    TKvf2Header header;
    header.Params = {1, 8192};
    header.Salt.fill('S');
    header.Id.fill('I');
    TKvf2Keys keys = DeriveKvf2Keys(FuzzMasterPassword, header.Params, header.Salt);
    return TKvf2Session::Made(header, std::move(keys));
}
