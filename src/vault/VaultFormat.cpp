#include "vault/VaultFormat.h"

#include "base/SecureWipe.h"

#include <stdexcept>

TNameScan::~TNameScan() {
    WipeNames(Accounts);
}

TVaultFormat::~TVaultFormat() {
    ForgetPassword();
}

void TVaultFormat::RequireUnlocked() const {
    if (Locked())
        throw std::logic_error("The vault is locked; nothing was changed");
}

void TVaultFormat::ForgetPassword() noexcept {
    WipeString(FMasterPassword);
}
