#pragma once
// The installer's publisher pin: an installer is started only when its
// Authenticode signature verifies and its signer's certificate has the
// pinned SHA-256 thumbprint.
#include <windows.h>

#include <string>

#include "common/sha256.h"
#include "platform/unique_handle.h"

namespace qf {

// Opens the file against writing (others may only read it) and checks it.
// The returned handle is open only when the file is signed by the pinned
// certificate; keep it until the installer has been started, so that the
// file checked is the file started.
UniqueFile OpenIfSignedBy(const std::wstring& path, const Sha256Digest& pin);

}  // namespace qf
