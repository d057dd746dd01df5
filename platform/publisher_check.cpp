#include "platform/publisher_check.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>

namespace qf {

namespace {

// Runs WinVerifyTrust on the open file and compares the signer's
// certificate with the pins; the verification state is always closed.
bool SignedBy(HANDLE file, const std::wstring& path, const std::vector<Sha256Digest>& pins) {
  WINTRUST_FILE_INFO fileInfo{};
  fileInfo.cbStruct = sizeof fileInfo;
  fileInfo.pcwszFilePath = path.c_str();
  fileInfo.hFile = file;  // the held handle: the bytes checked are ours
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;  // no network fetches for the chain
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG status = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

  bool matches = false;
  if (status == ERROR_SUCCESS) {
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (signer && signer->csCertChain > 0 && signer->pasCertChain && signer->pasCertChain[0].pCert) {
      const CERT_CONTEXT* certificate = signer->pasCertChain[0].pCert;
      const Sha256Digest thumbprint = Sha256(certificate->pbCertEncoded, certificate->cbCertEncoded);
      matches = std::find(pins.begin(), pins.end(), thumbprint) != pins.end();
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return matches;
}

}  // namespace

UniqueFile OpenIfSignedBy(const std::wstring& path, const std::vector<Sha256Digest>& pins) {
  if (pins.empty()) return UniqueFile();
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !SignedBy(file.get(), path, pins)) return UniqueFile();
  return file;
}

}  // namespace qf
