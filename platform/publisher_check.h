#pragma once
// The installer's publisher pin: an installer is started only when its
// Authenticode signature verifies and its signer's certificate has one of
// the pinned SHA-256 thumbprints.
#include <windows.h>

#include <string>
#include <vector>

#include "common/sha256.h"
#include "platform/unique_handle.h"

namespace qf {

// Opens the file against writing (others may only read it) and checks it.
// The returned handle is open only when the file is signed by one of the
// pinned certificates; keep it until the installer has been started, so
// that the file checked is the file started.
UniqueFile OpenIfSignedBy(const std::wstring& path, const std::vector<Sha256Digest>& pins);

}  // namespace qf
